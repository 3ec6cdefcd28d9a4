// The failure report every subsystem writes to the error stream: the message
// with the reporting source file and line, in the three-line form of the
// platform's error sink (Win32ReportError), each line flushed so a crash right
// after still leaves the report in the log.
#pragma once

#include <string>

void ReportError(const char* message, const char* file, int line);
void ReportError(const std::string& message, const char* file, int line);

// Reports with the calling source file and line.
#define REPORT_ERROR(message) ReportError((message), __FILE__, __LINE__)
