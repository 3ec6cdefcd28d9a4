// The one place a failure report is written. The game's REPORT_ERROR and the
// stand-ins' loaders all end here, so the report's form is written once.
#pragma once

#include <string>

// Writes three lines to the error stream: the message, "Failed in file: "
// with file, "On line: " with line. Each line is flushed on its own, so a
// crash right after still leaves the whole report in the log. A null message
// or file prints as an empty one.
void Win32ReportError(const char* message, const char* file, int line);

inline void Win32ReportError(const std::string& message, const std::string& file, int line)
{
    Win32ReportError(message.c_str(), file.c_str(), line);
}
