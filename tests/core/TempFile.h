// Scratch files for reader tests, removed when the test ends.
#pragma once

#include <string>

class TempFile
{
public:
    // Writes the bytes exactly as given (no newline translation).
    explicit TempFile(const std::string& contents, const char* suffix = ".cfg");
    ~TempFile();

    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path; }

private:
    std::string path;
};
