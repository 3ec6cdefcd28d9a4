// The game's failure reports go to the platform's one error sink, which owns
// the report's form.
#include "core/ErrorReport.h"

#include "Win32Error.h"

void ReportError(const char* message, const char* file, int line)
{
    Win32ReportError(message, file, line);
}

void ReportError(const std::string& message, const char* file, int line)
{
    Win32ReportError(message.c_str(), file, line);
}
