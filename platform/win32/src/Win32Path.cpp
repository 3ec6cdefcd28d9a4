// Windows names on a case-sensitive file system: separators, then letter case.
#include "Win32Path.h"
#include "Win32String.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cwctype>
#include <vector>

namespace {

wchar_t UpperChar(wchar_t c)
{
    if (c < 128) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::vector<std::string> SplitComponents(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The entry of folder whose name equals name without regard to case. With
// several candidates ("a" and "A") the byte-wise smallest wins, so the choice
// does not depend on the order the file system lists them in.
bool FindNoCase(const std::string& folder, const std::string& name, std::string& found)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (Win32CompareNamesNoCase(candidate, name) != 0) continue;
        if (!any || candidate < found) found = candidate;
        any = true;
    }
    closedir(dir);
    return any;
}

} // namespace

int Win32CompareNamesNoCase(const std::string& a, const std::string& b)
{
    const std::wstring wa = Win32Utf8ToWide(a);
    const std::wstring wb = Win32Utf8ToWide(b);
    const size_t n = wa.size() < wb.size() ? wa.size() : wb.size();
    for (size_t i = 0; i < n; ++i) {
        const wchar_t ca = UpperChar(wa[i]);
        const wchar_t cb = UpperChar(wb[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (wa.size() == wb.size()) return 0;
    return wa.size() < wb.size() ? -1 : 1;
}

std::string Win32ResolvePath(const std::string& path)
{
    std::string slashed = path;
    for (char& c : slashed) {
        if (c == '\\') c = '/';
    }
    if (slashed.empty() || Exists(slashed)) return slashed;

    const std::vector<std::string> parts = SplitComponents(slashed);
    std::string current = (slashed[0] == '/') ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const std::string exact = Join(current, part);
        std::string found;
        if (part == "." || part == ".." || Exists(exact)) {
            current = exact;
        } else if (FindNoCase(current, part, found)) {
            current = Join(current, found);
        } else {
            for (size_t k = i; k < parts.size(); ++k) current = Join(current, parts[k]);
            break;
        }
    }
    if (slashed.back() == '/' && (current.empty() || current.back() != '/')) current += '/';
    return current;
}

std::string Win32ResolvePath(const std::wstring& path)
{
    return Win32ResolvePath(Win32WideToUtf8(path));
}
