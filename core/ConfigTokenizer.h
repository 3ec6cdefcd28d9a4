// Reads a configuration file line by line as token lists, for files read record
// by record in order (the draw-list files). Same syntax as ConfigFile, with
// lines of up to 999 characters.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

class ConfigTokenizer
{
public:
    // ok becomes false (silently) when the file cannot be opened.
    ConfigTokenizer(const std::string& path, bool* ok);
    ~ConfigTokenizer();

    ConfigTokenizer(const ConfigTokenizer&) = delete;
    ConfigTokenizer& operator=(const ConfigTokenizer&) = delete;

    // Next record of `stream` (one of this reader's own, see GetStream);
    // false at the end, at an over-long line or for a null stream.
    bool ReadLine(std::istream* stream, std::vector<std::string>& tokens);
    // Next record of this reader's file.
    bool ReadLine(std::vector<std::string>& tokens) { return ReadLine(GetStream(), tokens); }

    // The stream the file is read from (null when it could not be created).
    std::istream* GetStream() { return lookupStream.get(); }
    const std::string& GetPath() const { return path; }

private:
    std::string path; // as the game names it
    std::string commentChars;
    std::string delimiters;
    std::string numberChars;
    std::string openPath; // the same file on this file system
    std::unique_ptr<std::ifstream> stream;
    std::unique_ptr<std::ifstream> lookupStream;
};
