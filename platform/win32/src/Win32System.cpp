// Small system services: last error, console, command line, quit request,
// accessibility settings, rectangles and message boxes.
#include "windows.h"
#include "Win32Host.h"
#include "Win32String.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

thread_local DWORD gLastError = ERROR_SUCCESS;

bool gQuitRequested = false;
int gQuitCode = 0;

std::vector<std::string> gArguments;
std::string gCommandLineA;
std::wstring gCommandLineW;

// What the system would report before the game changes anything: the
// features available with their hot keys active, as a fresh Windows has them.
STICKYKEYS gStickyKeys = {sizeof(STICKYKEYS), SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_CONFIRMHOTKEY};
FILTERKEYS gFilterKeys = {sizeof(FILTERKEYS), FKF_AVAILABLE | FKF_HOTKEYACTIVE | FKF_CONFIRMHOTKEY, 1000, 500, 500, 0};

Win32ClientRectProvider gClientRectProvider = nullptr;

std::string QuoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    return "\"" + arg + "\"";
}

template <typename T>
BOOL CopySettings(T& stored, LPVOID value, bool get)
{
    T* given = static_cast<T*>(value);
    if (!given || given->cbSize != sizeof(T)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (get)
        *given = stored;
    else
        stored = *given;
    return TRUE;
}

} // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    static HINSTANCE__ module;
    return moduleName ? nullptr : &module;
}

DWORD GetLastError()
{
    return gLastError;
}
void SetLastError(DWORD error)
{
    gLastError = error;
}

void Win32SetCommandLine(int argc, char** argv)
{
    gArguments.clear();
    gCommandLineA.clear();
    for (int i = 0; i < argc; ++i) {
        if (!argv || !argv[i]) continue;
        if (i > 0) gArguments.push_back(argv[i]);
        if (!gCommandLineA.empty()) gCommandLineA += ' ';
        gCommandLineA += QuoteArgument(argv[i]);
    }
    gCommandLineW = Win32Utf8ToWide(gCommandLineA);
    Win32ChooseCounterFromCommandLine();
}

const std::vector<std::string>& Win32GetArguments()
{
    return gArguments;
}
LPWSTR GetCommandLineW()
{
    return &gCommandLineW[0];
}
LPSTR GetCommandLineA()
{
    return &gCommandLineA[0];
}

void PostQuitMessage(int exitCode)
{
    // As on Windows, a later request replaces the code of an earlier one.
    gQuitRequested = true;
    gQuitCode = exitCode;
}

bool Win32QuitRequested()
{
    return gQuitRequested;
}
int Win32GetQuitCode()
{
    return gQuitCode;
}
void Win32ClearQuit()
{
    gQuitRequested = false;
    gQuitCode = 0;
}

BOOL SystemParametersInfoW(UINT action, UINT param, LPVOID value, UINT winIni)
{
    (void)param;
    (void)winIni;
    switch (action) {
    case SPI_GETSTICKYKEYS:
        return CopySettings(gStickyKeys, value, true);
    case SPI_SETSTICKYKEYS:
        return CopySettings(gStickyKeys, value, false);
    case SPI_GETFILTERKEYS:
        return CopySettings(gFilterKeys, value, true);
    case SPI_SETFILTERKEYS:
        return CopySettings(gFilterKeys, value, false);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

void Win32SetClientRectProvider(Win32ClientRectProvider provider)
{
    gClientRectProvider = provider;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    if (!rect || !window || !gClientRectProvider) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return gClientRectProvider(window, rect);
}

BOOL InflateRect(LPRECT rect, int dx, int dy)
{
    if (!rect) return FALSE;
    rect->left -= dx;
    rect->top -= dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect) return FALSE;
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
    return TRUE;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR out, int outChars)
{
    (void)codePage;
    (void)flags;
    if (!text || outChars < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A length of -1 means "up to and including the terminator".
    const std::string input =
        bytes < 0 ? std::string(text, std::strlen(text) + 1) : std::string(text, static_cast<size_t>(bytes));
    const std::wstring wide = Win32Utf8ToWide(input);
    if (outChars == 0) return static_cast<int>(wide.size());
    if (!out || wide.size() > static_cast<size_t>(outChars)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    wide.copy(out, wide.size());
    return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int chars, LPSTR out, int outBytes,
                        LPCSTR defaultChar, BOOL* usedDefault)
{
    (void)codePage;
    (void)flags;
    (void)defaultChar;
    if (usedDefault) *usedDefault = FALSE;
    if (!text || outBytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring input =
        chars < 0 ? std::wstring(text, std::wcslen(text) + 1) : std::wstring(text, static_cast<size_t>(chars));
    const std::string narrow = Win32WideToUtf8(input);
    if (outBytes == 0) return static_cast<int>(narrow.size());
    if (!out || narrow.size() > static_cast<size_t>(outBytes)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    narrow.copy(out, narrow.size());
    return static_cast<int>(narrow.size());
}
