// Writes small 24-bit bitmaps for the tests of the bitmap importer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rows are given in file order (bottom row first), 3 bytes per pixel; the
// padding bytes to each row's 4-byte boundary are filled with 0xEE so a reader
// that does not skip them is caught.
void WriteBitmap(const std::string& path, int width, const std::vector<std::vector<uint8_t>>& rows);
