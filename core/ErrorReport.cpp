#include "core/ErrorReport.h"

#include <iostream>

void ReportError(const char* message, const char* file, int line)
{
    std::cerr << (message ? message : "") << std::endl;
    std::cerr << "Failed in file: " << (file ? file : "") << std::endl;
    std::cerr << "On line: " << line << std::endl;
}

void ReportError(const std::string& message, const char* file, int line)
{
    ReportError(message.c_str(), file, line);
}
