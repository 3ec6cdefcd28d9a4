// Windows file names on this file system. The game writes paths with
// backslashes and in any letter case; every stand-in that opens a file passes
// the name through here first.
#pragma once

#include <string>

// Maps '\' to '/'. When the result does not exist as written, each component
// is matched without regard to case against its folder's entries; components
// that still match nothing are kept as written (so a file about to be created
// lands in the right folder). Relative paths stay relative to the working
// directory.
std::string Win32ResolvePath(const std::string& path);

// The same for a wide name; the result is the UTF-8 name to open.
std::string Win32ResolvePath(const std::wstring& path);

// Case-insensitive comparison of two UTF-8 names, Windows-style (by upper-
// cased code points). Negative, zero or positive like strcmp.
int Win32CompareNamesNoCase(const std::string& a, const std::string& b);
