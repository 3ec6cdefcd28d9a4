// File search: FindFirstFileW / FindNextFileW over a folder listing, sorted the
// way Windows lists an NTFS folder (by upper-cased name).
#include "windows.h"
#include "Win32Path.h"
#include "Win32String.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct FindEntry
{
    std::string name;
    WIN32_FIND_DATAW data;
};

struct FindState
{
    std::vector<FindEntry> entries;
    size_t next = 0;
};

wchar_t UpperAscii(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
}

// Windows wildcards: '*' any run, '?' one character, case ignored.
bool WildcardMatch(const std::wstring& mask, const std::wstring& name)
{
    size_t s = 0, n = 0, starS = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (s < mask.size() && mask[s] == L'*') {
            starS = s++;
            starN = n;
        } else if (s < mask.size() && (mask[s] == L'?' || UpperAscii(mask[s]) == UpperAscii(name[n]))) {
            ++s;
            ++n;
        } else if (starS != std::wstring::npos) {
            s = starS + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (s < mask.size() && mask[s] == L'*') ++s;
    return s == mask.size();
}

FILETIME ToFileTime(const struct timespec& t)
{
    const unsigned long long kEpochDifference = 11644473600ULL; // 1601 to 1970, seconds
    const unsigned long long ticks = (static_cast<unsigned long long>(t.tv_sec) + kEpochDifference) * 10000000ULL +
                                     static_cast<unsigned long long>(t.tv_nsec) / 100ULL;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

void FillData(const std::string& folder, const std::string& name, WIN32_FIND_DATAW& data)
{
    data = WIN32_FIND_DATAW();
    struct stat st;
    const std::string full = folder + "/" + name;
    if (stat(full.c_str(), &st) == 0) {
        data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        const unsigned long long size = S_ISDIR(st.st_mode) ? 0ULL : static_cast<unsigned long long>(st.st_size);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFULL);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.ftCreationTime = ToFileTime(st.st_ctim);
        data.ftLastAccessTime = ToFileTime(st.st_atim);
        data.ftLastWriteTime = ToFileTime(st.st_mtim);
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    const std::wstring wide = Win32Utf8ToWide(name);
    const size_t count = std::min(wide.size(), static_cast<size_t>(MAX_PATH - 1));
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(count), data.cFileName);
    data.cFileName[count] = L'\0';
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    if (!pattern || !data || !*pattern) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring whole(pattern);
    std::replace(whole.begin(), whole.end(), L'\\', L'/');
    const size_t slash = whole.rfind(L'/');
    std::wstring folderPart = (slash == std::wstring::npos) ? L"." : whole.substr(0, slash + 1);
    std::wstring mask = (slash == std::wstring::npos) ? whole : whole.substr(slash + 1);
    if (mask == L"*.*") mask = L"*";
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    std::string folder = Win32ResolvePath(folderPart);
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    FindState* state = new FindState;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!WildcardMatch(mask, Win32Utf8ToWide(name))) continue;
        state->entries.push_back(FindEntry{name, WIN32_FIND_DATAW()});
    }
    closedir(dir);
    if (state->entries.empty()) {
        delete state;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(state->entries.begin(), state->entries.end(), [](const FindEntry& a, const FindEntry& b) {
        const int order = Win32CompareNamesNoCase(a.name, b.name);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    for (FindEntry& entry : state->entries) FillData(folder, entry.name, entry.data);

    *data = state->entries[0].data;
    state->next = 1;
    SetLastError(ERROR_SUCCESS);
    return state;
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data)
{
    if (!find || find == INVALID_HANDLE_VALUE || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FindState* state = static_cast<FindState*>(find);
    if (state->next >= state->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = state->entries[state->next++].data;
    return TRUE;
}

BOOL FindClose(HANDLE find)
{
    if (!find || find == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete static_cast<FindState*>(find);
    return TRUE;
}
