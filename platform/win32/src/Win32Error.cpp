// The failure report on the error stream (which the game points at its log).
// It goes through std::cerr so that whoever redirects that stream, the game's
// log or a test, gets the report whole.
#include "Win32Error.h"

#include <iostream>

void Win32ReportError(const char* message, const char* file, int line)
{
    std::cerr << (message ? message : "") << std::endl;
    std::cerr << "Failed in file: " << (file ? file : "") << std::endl;
    std::cerr << "On line: " << line << std::endl;
}
