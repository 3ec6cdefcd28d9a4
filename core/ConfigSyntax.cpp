#include "core/ConfigSyntax.h"

#include <cstring>

namespace {
// Stream extraction reads booleans as 1 and 0, so the words are rewritten.
void RewriteBoolean(std::string& token)
{
    if (token == "true" || token == "True" || token == "TRUE") {
        token = "1";
    } else if (token == "false" || token == "False" || token == "FALSE") {
        token = "0";
    }
}

enum class LineRead { Line, End, TooLong };

// Reads up to the line feed, without storing more than the limit allows, so a
// hostile file of one endless line costs no memory.
LineRead ReadBoundedLine(std::istream& in, std::size_t maxLength, std::string& line)
{
    line.clear();
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof()) {
        return LineRead::End;
    }
    while (c != std::istream::traits_type::eof() && c != '\n') {
        // One character past the limit is allowed for a CR before the LF.
        if (line.size() > maxLength) {
            return LineRead::TooLong;
        }
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line.size() > maxLength ? LineRead::TooLong : LineRead::Line;
}
} // namespace

void TokenizeConfigLine(const std::string& line, std::vector<std::string>& tokens, const char* commentChars,
                        const char* delimiters)
{
    tokens.clear();
    // The line ends at its first comment marker (or at a stray NUL, as a C
    // string would).
    std::size_t end = 0;
    while (end < line.size() && line[end] != '\0' && std::strchr(commentChars, line[end]) == nullptr) {
        ++end;
    }
    std::size_t i = 0;
    while (i < end) {
        while (i < end && std::strchr(delimiters, line[i]) != nullptr) {
            ++i;
        }
        const std::size_t start = i;
        while (i < end && std::strchr(delimiters, line[i]) == nullptr) {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
            RewriteBoolean(tokens.back());
        }
    }
}

bool ReadConfigRecord(std::istream& in, std::size_t maxLength, std::vector<std::string>& tokens,
                      const char* commentChars, const char* delimiters)
{
    std::string line;
    std::vector<std::string> lineTokens;
    for (;;) {
        if (ReadBoundedLine(in, maxLength, line) != LineRead::Line) {
            return false;
        }
        TokenizeConfigLine(line, lineTokens, commentChars, delimiters);
        if (!lineTokens.empty()) {
            tokens.swap(lineTokens);
            return true;
        }
    }
}
