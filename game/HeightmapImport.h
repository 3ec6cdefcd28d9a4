// A dropped 24-bit bitmap made into a heightmap file: the World's conversion
// is this function, which needs nothing of the World, so the readers' fuzz
// target and tools reach it without building one.
#pragma once

#include <string>

// Writes the bitmap's heightmap beside it (same name, ".hmp") and returns the
// heightmap's name, or an empty string, with a report, when the bitmap is not
// an uncompressed 24-bit one or the file cannot be written. When the heights
// can make a terrain, its grid mesh is written beside them (".x") and named
// in gridMeshName.
std::string WriteHeightmapFromBitmap(const std::string& bitmapName, std::string* gridMeshName = nullptr);
