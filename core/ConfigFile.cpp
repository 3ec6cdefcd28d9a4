#include "core/ConfigFile.h"

#include <sstream>

#include "core/ConfigSyntax.h"
#include "core/DebugPrint.h"
#include "core/ErrorReport.h"
#include "core/GameFiles.h"

const char* const ConfigFile::CommentChars = kConfigCommentChars;
const char* const ConfigFile::Delimiters = kConfigDelimiters;
const char* const ConfigFile::NumberChars = kConfigNumberChars;

ConfigFile::ConfigFile(const std::string& path_, bool* ok)
    : path(path_), openPath(ResolveGamePath(path_)), stream(new std::ifstream(openPath)),
      lookupStream(new std::ifstream(openPath))
{
    bool opened = true;
    for (const std::ifstream* s : {stream.get(), lookupStream.get()}) {
        if (!s->is_open()) {
            DebugPrint("Could not open %s\n", path.c_str());
            opened = false;
        }
    }
    if (ok) {
        *ok = opened;
    }
}

ConfigFile::~ConfigFile() = default;

bool ConfigFile::Rewind()
{
    lookupStream.reset(new std::ifstream(openPath));
    return lookupStream->is_open();
}

bool ConfigFile::ReadRecord(std::istream* in, std::vector<std::string>& tokens)
{
    if (!in) {
        DebugPrint("The input file, %s, is not open.\n", path.c_str());
        return false;
    }
    return ReadConfigRecord(*in, kConfigFileMaxLine, tokens, CommentChars, Delimiters);
}

bool ConfigFile::FindRecord(const std::string& name, std::vector<std::string>& tokens)
{
    Rewind();
    while (ReadRecord(lookupStream.get(), tokens)) {
        if (tokens[0] == name) {
            return true;
        }
    }
    return false;
}

template <typename T>
bool ConfigFile::GetValues(const std::string& name, std::vector<T>& values)
{
    std::vector<std::string> tokens;
    if (!FindRecord(name, tokens)) {
        return false;
    }
    values.clear();
    if (tokens.size() == 1) {
        DebugPrint("Attribute %s has no values for it\n", name.c_str());
        return false;
    }
    std::string joined;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        joined += tokens[i];
        joined += ' ';
    }
    // One value per token; a token that is no T (and every one after it,
    // since the stream has failed) reads as 0.
    std::istringstream reader(joined);
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        T value = T();
        if (!(reader >> value)) {
            value = T();
        }
        values.push_back(value);
    }
    return true;
}

template <typename T>
bool ConfigFile::GetValue(const std::string& name, T& out)
{
    std::vector<T> values;
    if (!GetValues(name, values)) {
        return false;
    }
    if (values.empty()) {
        DebugPrint("No values were read!\n");
        return false;
    }
    if (values.size() > 1) {
        DebugPrint("Multiple values exist for attribute %s\n", name.c_str());
    }
    out = values[0];
    return true;
}

bool ConfigFile::GetWord(const std::string& name, std::string& word)
{
    std::vector<std::string> tokens;
    if (!FindRecord(name, tokens) || tokens.size() == 1) {
        return false;
    }
    word = tokens[1];
    return true;
}

template <typename T>
ConfigRead ConfigFile::GetChecked(const std::string& name, T& value, const ConfigRange<T>& range)
{
    std::string word;
    if (!GetWord(name, word)) {
        return ConfigRead::kMissing;
    }
    T read{};
    const bool isNumber = ParseConfigNumber(word, read);
    if (isNumber && range.Holds(read)) {
        value = read;
        return ConfigRead::kTaken;
    }
    if (isNumber && range.clamps) {
        value = range.Clamp(read);
    }
    if (reported.insert(name + '\n' + word).second) {
        REPORT_ERROR(ConfigValueReport(path, name, word, range.Describe(), ConfigNumberText(value)));
    }
    return ConfigRead::kReported;
}

template bool ConfigFile::GetValues<float>(const std::string&, std::vector<float>&);
template bool ConfigFile::GetValues<int>(const std::string&, std::vector<int>&);
template bool ConfigFile::GetValues<unsigned int>(const std::string&, std::vector<unsigned int>&);
template bool ConfigFile::GetValues<bool>(const std::string&, std::vector<bool>&);
template bool ConfigFile::GetValue<float>(const std::string&, float&);
template bool ConfigFile::GetValue<int>(const std::string&, int&);
template bool ConfigFile::GetValue<unsigned int>(const std::string&, unsigned int&);
template bool ConfigFile::GetValue<bool>(const std::string&, bool&);
template ConfigRead ConfigFile::GetChecked<float>(const std::string&, float&, const ConfigRange<float>&);
template ConfigRead ConfigFile::GetChecked<int>(const std::string&, int&, const ConfigRange<int>&);
template ConfigRead ConfigFile::GetChecked<unsigned int>(const std::string&, unsigned int&,
                                                         const ConfigRange<unsigned int>&);
template ConfigRead ConfigFile::GetChecked<bool>(const std::string&, bool&, const ConfigRange<bool>&);
