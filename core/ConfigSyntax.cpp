#include "core/ConfigSyntax.h"

#include <cmath>
#include <cstring>
#include <locale>
#include <sstream>
#include <type_traits>

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

namespace {
// How much of a refused word a report repeats.
constexpr std::size_t kMaxQuotedWord = 40;
} // namespace

template <typename T>
std::string ConfigRange<T>::Describe() const
{
    if (lowestIncluded) {
        return "a number from " + ConfigNumberText(lowest) + " to " + ConfigNumberText(highest);
    }
    return "a number above " + ConfigNumberText(lowest) + " and at most " + ConfigNumberText(highest);
}

template <typename T>
bool ParseConfigNumber(const std::string& word, T& out)
{
    if (word.empty() || (std::is_unsigned_v<T> && word[0] == '-')) {
        return false;
    }
    // Stream extraction fails on a number T cannot hold (and on "nan" and
    // "inf"); whatever it leaves unread means the word is more than a number.
    std::istringstream in(word);
    in.imbue(std::locale::classic());
    T value{};
    in >> std::noskipws >> value;
    if (in.fail() || in.peek() != std::istringstream::traits_type::eof()) {
        return false;
    }
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    out = value;
    return true;
}

template <typename T>
std::string ConfigNumberText(T value)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << value;
    return text.str();
}

std::string ConfigValueReport(const std::string& file, const std::string& key, const std::string& word,
                              const std::string& expected, const std::string& used)
{
    const std::string quoted = word.size() > kMaxQuotedWord ? word.substr(0, kMaxQuotedWord) + "..." : word;
    return file + " value \"" + quoted + "\" for \"" + key + "\" is not " + expected + "; using " + used;
}

template struct ConfigRange<float>;
template struct ConfigRange<int>;
template struct ConfigRange<unsigned int>;
template struct ConfigRange<bool>;
template bool ParseConfigNumber<float>(const std::string&, float&);
template bool ParseConfigNumber<int>(const std::string&, int&);
template bool ParseConfigNumber<unsigned int>(const std::string&, unsigned int&);
template bool ParseConfigNumber<bool>(const std::string&, bool&);
template std::string ConfigNumberText<float>(float);
template std::string ConfigNumberText<int>(int);
template std::string ConfigNumberText<unsigned int>(unsigned int);
template std::string ConfigNumberText<bool>(bool);
