// Console, message boxes and freopen with the console name.
//
// "CONOUT$" is the Windows console; here the terminal already is standard
// output, so reopening on it keeps the stream (otherwise a file named
// "CONOUT$" would appear). Other names go through the path helper. Defining
// freopen replaces the C library's at link time. It lives in this file on
// purpose: the game's start-up always calls AllocConsole, which pulls this
// object into the program even where a runtime linked earlier (a sanitizer's)
// already defines freopen and the linker would not look for another.
#include "windows.h"
#include "Win32Path.h"
#include "Win32String.h"

#include <cstdio>
#include <string>
#include <strings.h>

extern "C" FILE* freopen(const char* __restrict path, const char* __restrict mode, FILE* __restrict stream)
{
    if (path && (strcasecmp(path, "CONOUT$") == 0 || strcasecmp(path, "CONIN$") == 0)) return stream;
    if (!path) return freopen64(path, mode, stream);
    const std::string resolved = Win32ResolvePath(std::string(path));
    return freopen64(resolved.c_str(), mode, stream);
}

// There is no separate console window: standard output is the terminal.
BOOL AllocConsole()
{
    return TRUE;
}
BOOL FreeConsole()
{
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    (void)owner;
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "Message", text ? text : "");
    std::fflush(stderr);
    const UINT buttons = type & 0xF;
    return buttons == MB_YESNO ? IDYES : IDOK;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::string narrowText = Win32WideToUtf8(text ? text : L"");
    const std::string narrowCaption = Win32WideToUtf8(caption ? caption : L"Message");
    return MessageBoxA(owner, narrowText.c_str(), narrowCaption.c_str(), type);
}
