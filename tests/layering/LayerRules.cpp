#include "LayerRules.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Libraries under the platform stand-ins; the game reaches them only through
// the stand-ins' own headers.
const char* const kForbiddenLibraries[] = {"SDL", "GL/", "GLES", "EGL/", "KHR/", "AL/", "sndfile", "mpg123", "stb_"};

std::string Trim(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    const size_t last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

std::vector<std::string> Words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

bool IsSourceFile(const fs::path& p)
{
    const std::string ext = p.extension().string();
    return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".c" || ext == ".inl";
}

// Why the include breaks the rules, or empty when it keeps them.
std::string Judge(const std::string& folder, const std::string& target, bool quoted, const LayerRules& rules,
                  const std::map<std::string, std::string>& standInHeaders)
{
    const std::set<std::string>& allowed = rules.allowed.at(folder);
    if (rules.hostsOnly.count(target) != 0) {
        return "a header for hosts and tests only";
    }
    const auto standIn = standInHeaders.find(target);
    if (standIn != standInHeaders.end()) {
        return allowed.count(standIn->second) != 0 ? "" : folder + " may not use the " + standIn->second + " stand-in";
    }
    for (const char* library : kForbiddenLibraries) {
        if (target.compare(0, std::string(library).size(), library) == 0) {
            return "a library the stand-ins wrap";
        }
    }
    if (!quoted) {
        return ""; // the C++ library and the few libraries the layers use directly
    }
    const size_t slash = target.find('/');
    if (slash == std::string::npos) {
        return "not project-root relative";
    }
    const std::string targetFolder = target.substr(0, slash);
    if (targetFolder == folder) {
        return "";
    }
    if (rules.allowed.count(targetFolder) == 0) {
        return "not a game folder";
    }
    return allowed.count(targetFolder) != 0 ? "" : folder + " may not include " + targetFolder;
}

} // namespace

LayerRules ParseLayerRules(const std::string& text, const std::set<std::string>& standIns)
{
    LayerRules rules;
    std::istringstream in(text);
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        line = Trim(line.substr(0, line.find('#')));
        const size_t colon = line.find(':');
        if (line.empty()) {
            continue;
        }
        if (colon == std::string::npos) {
            rules.error = "line " + std::to_string(lineNumber) + " has no colon";
            return rules;
        }
        const std::string name = Trim(line.substr(0, colon));
        const std::vector<std::string> list = Words(line.substr(colon + 1));
        if (name == "hosts-only") {
            rules.hostsOnly.insert(list.begin(), list.end());
            continue;
        }
        for (const std::string& entry : list) {
            if (standIns.count(entry) == 0 && rules.allowed.count(entry) == 0) {
                rules.error = name + " names " + entry + ", neither a stand-in nor a layer above it";
                return rules;
            }
        }
        if (rules.allowed.count(name) != 0) {
            rules.error = name + " is listed twice";
            return rules;
        }
        rules.folders.push_back(name);
        rules.allowed[name] = std::set<std::string>(list.begin(), list.end());
    }
    if (rules.folders.empty()) {
        rules.error = "no layers";
    }
    return rules;
}

std::map<std::string, std::string> ReadStandInHeaders(const std::string& root)
{
    std::map<std::string, std::string> headers;
    const fs::path platform = fs::path(root) / "platform";
    if (!fs::is_directory(platform)) {
        return headers;
    }
    for (const fs::directory_entry& standIn : fs::directory_iterator(platform)) {
        const fs::path include = standIn.path() / "include";
        if (!fs::is_directory(include)) {
            continue;
        }
        for (const fs::directory_entry& header : fs::directory_iterator(include)) {
            headers[header.path().filename().string()] = standIn.path().filename().string();
        }
    }
    return headers;
}

std::vector<std::string> FindLayerViolations(const std::string& root, const LayerRules& rules,
                                             const std::map<std::string, std::string>& standInHeaders)
{
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<std::string> violations;
    for (const std::string& folder : rules.folders) {
        const fs::path dir = fs::path(root) / folder;
        if (!fs::is_directory(dir)) {
            continue;
        }
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.is_regular_file() && IsSourceFile(entry.path())) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file);
            int lineNumber = 0;
            for (std::string line; std::getline(in, line);) {
                ++lineNumber;
                std::smatch match;
                if (!std::regex_search(line, match, kInclude)) {
                    continue;
                }
                const std::string why = Judge(folder, match[2], match[1] == "\"", rules, standInHeaders);
                if (!why.empty()) {
                    violations.push_back(fs::relative(file, root).string() + ":" + std::to_string(lineNumber) + ": " +
                                         Trim(line) + " (" + why + ")");
                }
            }
        }
    }
    return violations;
}
