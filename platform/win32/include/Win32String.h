// Wide and narrow strings. wchar_t is 32-bit here and holds one code point per
// element; narrow strings are UTF-8.
#pragma once

#include <string>

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Win32Utf8ToWide(const std::string& text);
// Code points that cannot be encoded (surrogates, above U+10FFFF) become U+FFFD.
std::string Win32WideToUtf8(const std::wstring& text);
