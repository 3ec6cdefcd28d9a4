// The line syntax shared by the configuration readers: "#" cuts the line, the
// separators are blank ( ) , tab CR LF, and the exact words true/True/TRUE and
// false/False/FALSE become "1" and "0" so stream extraction can read booleans.
// Also the one checked reading of a value word that every reader of settings
// shares (Physics.cfg, Vid.cfg, the heightmap files): a whole number within a
// range, and the one wording of the report when a word is refused.
#pragma once

#include <cstddef>
#include <istream>
#include <limits>
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

// The values a setting may take: [lowest, highest], or (lowest, highest] when
// the lowest value itself is excluded. A clamping range brings a number from
// outside to its nearer bound instead of refusing it (it is still reported).
template <typename T>
struct ConfigRange
{
    T lowest;
    T highest;
    bool lowestIncluded = true;
    bool clamps = false;

    bool Holds(T value) const { return (lowestIncluded ? value >= lowest : value > lowest) && value <= highest; }
    T Clamp(T value) const { return value < lowest ? lowest : (value > highest ? highest : value); }
    // "a number from 1 to 16384", "a number above 0 and at most 100".
    std::string Describe() const;
};

// Every number T holds: only the word itself is checked.
template <typename T>
const ConfigRange<T> kAnyConfigNumber{std::numeric_limits<T>::lowest(), std::numeric_limits<T>::max()};

// A whole word as one number of type T (float, int, unsigned int, bool): the
// word is the number and nothing else, T holds it, a float is finite ("nan",
// "inf" and "1e99" are no float) and an unsigned int is not negative. False
// leaves out unchanged.
template <typename T>
bool ParseConfigNumber(const std::string& word, T& out);

// The number as a report shows it.
template <typename T>
std::string ConfigNumberText(T value);

// The one wording of a refused value:
//   <file> value "<word>" for "<key>" is not <expected>; using <used>
// The word is quoted as written, cut when it is long.
std::string ConfigValueReport(const std::string& file, const std::string& key, const std::string& word,
                              const std::string& expected, const std::string& used);

extern template struct ConfigRange<float>;
extern template struct ConfigRange<int>;
extern template struct ConfigRange<unsigned int>;
extern template struct ConfigRange<bool>;
extern template bool ParseConfigNumber<float>(const std::string&, float&);
extern template bool ParseConfigNumber<int>(const std::string&, int&);
extern template bool ParseConfigNumber<unsigned int>(const std::string&, unsigned int&);
extern template bool ParseConfigNumber<bool>(const std::string&, bool&);
extern template std::string ConfigNumberText<float>(float);
extern template std::string ConfigNumberText<int>(int);
extern template std::string ConfigNumberText<unsigned int>(unsigned int);
extern template std::string ConfigNumberText<bool>(bool);
