// The line syntax shared by the configuration readers: "#" cuts the line, the
// separators are blank ( ) , tab CR LF, and the exact words true/True/TRUE and
// false/False/FALSE become "1" and "0" so stream extraction can read booleans.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

constexpr std::size_t kConfigFileMaxLine = 254;
constexpr std::size_t kConfigTokenizerMaxLine = 999;

constexpr const char* kConfigCommentChars = "#";
constexpr const char* kConfigDelimiters = " (),\t\r\n";
constexpr const char* kConfigNumberChars = "1234567890.-";

// Splits one line (without its line feed) into tokens, booleans rewritten.
// The line is cut at the first comment character.
void TokenizeConfigLine(const std::string& line, std::vector<std::string>& tokens,
                        const char* commentChars = kConfigCommentChars, const char* delimiters = kConfigDelimiters);

// Reads lines until one has tokens and puts them into `tokens` (replacing its
// content). False at the end of the stream or at a line longer than
// maxLength characters, which ends the pass just like the end of the file.
// One CR before the line feed is not counted, so CRLF files obey the same limit.
bool ReadConfigRecord(std::istream& in, std::size_t maxLength, std::vector<std::string>& tokens,
                      const char* commentChars = kConfigCommentChars, const char* delimiters = kConfigDelimiters);
