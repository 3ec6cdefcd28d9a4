// Attribute lookups in a configuration file ("Physics.cfg", "Vid.cfg"). Every
// lookup reads the file again from the top and takes the FIRST record whose
// first token is the name, so a lookup always sees the file as it is on disk.
#pragma once

#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/ConfigSyntax.h"

// How a checked lookup went.
enum class ConfigRead {
    kMissing,  // no record, or a record without a value: nothing changed, nothing reported
    kTaken,    // the value is the file's
    kReported, // the word was refused and reported; the value is the caller's
               // default, or the nearer bound of a clamping range
};

class ConfigFile
{
public:
    static const char* const CommentChars; // "#"
    static const char* const Delimiters;   // " (),\t\r\n"
    static const char* const NumberChars;  // "1234567890.-"

    // ok becomes false when the file cannot be opened; the object stays usable
    // and every lookup then finds nothing.
    ConfigFile(const std::string& path, bool* ok);
    ~ConfigFile();

    // Owns its open files: copies would share and rewind each other's reads.
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    // Reopens the lookup stream so the next read starts at the top.
    bool Rewind();

    // Next record of the stream (lines of up to 254 characters); false at the
    // end, at an over-long line or for a null stream.
    bool ReadRecord(std::istream* stream, std::vector<std::string>& tokens);
    // Rewinds and reads records up to the first whose first token is name.
    bool FindRecord(const std::string& name, std::vector<std::string>& tokens);

    // T = float, int, unsigned int, bool. False when the name has no record
    // (values untouched) or its record has no values (values cleared).
    template <typename T>
    bool GetValues(const std::string& name, std::vector<T>& values);

    // The first value of the name's record; false leaves out unchanged.
    template <typename T>
    bool GetValue(const std::string& name, T& out);

    // The first value word of the name's record, as written; false when the
    // name has no record or its record has no value.
    bool GetWord(const std::string& name, std::string& word);

    // The name's first value, checked (ParseConfigNumber, then the range).
    // `value` holds the default on entry and keeps it unless the file gives a
    // usable value. A refused word is reported on the error stream, naming
    // this file, the key and the word as written, once per key and word for
    // the life of this reader (the factories look the same keys up for every
    // object they build).
    template <typename T>
    ConfigRead GetChecked(const std::string& name, T& value, const ConfigRange<T>& range);

    const std::string& GetPath() const { return path; }

private:
    std::string path;                            // as the game names it
    std::string openPath;                        // the same file on this file system
    std::unique_ptr<std::ifstream> stream;       // opened with the reader, kept for its life
    std::unique_ptr<std::ifstream> lookupStream; // reopened by every lookup
    std::set<std::string> reported;              // key and word of every refused value reported
};

extern template bool ConfigFile::GetValues<float>(const std::string&, std::vector<float>&);
extern template bool ConfigFile::GetValues<int>(const std::string&, std::vector<int>&);
extern template bool ConfigFile::GetValues<unsigned int>(const std::string&, std::vector<unsigned int>&);
extern template bool ConfigFile::GetValues<bool>(const std::string&, std::vector<bool>&);
extern template bool ConfigFile::GetValue<float>(const std::string&, float&);
extern template bool ConfigFile::GetValue<int>(const std::string&, int&);
extern template bool ConfigFile::GetValue<unsigned int>(const std::string&, unsigned int&);
extern template bool ConfigFile::GetValue<bool>(const std::string&, bool&);
extern template ConfigRead ConfigFile::GetChecked<float>(const std::string&, float&, const ConfigRange<float>&);
extern template ConfigRead ConfigFile::GetChecked<int>(const std::string&, int&, const ConfigRange<int>&);
extern template ConfigRead ConfigFile::GetChecked<unsigned int>(const std::string&, unsigned int&,
                                                                const ConfigRange<unsigned int>&);
extern template ConfigRead ConfigFile::GetChecked<bool>(const std::string&, bool&, const ConfigRange<bool>&);
