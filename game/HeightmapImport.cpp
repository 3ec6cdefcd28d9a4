// The two small file writers of the world: the heightmap written from a
// dropped 24-bit bitmap, and the default video settings.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/GameFiles.h"
#include "game/HeightmapImport.h"
#include "game/World.h"

namespace {

const char* const kNoticeLine = "# Written by Quorvalith; edit with care.";

uint32_t ReadLE32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadLE16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// The largest bitmap we accept: far beyond any terrain the game can hold, but
// small enough that a hostile header cannot make us allocate gigabytes.
const int32_t kMaxBitmapSide = 4096;

} // namespace

std::string World::ConvertBitmapToHeightmap(const std::string& bitmapName)
{
    return WriteHeightmapFromBitmap(bitmapName);
}

std::string WriteHeightmapFromBitmap(const std::string& bitmapName)
{
    // The heightmap lands beside the bitmap as it was found on disk, and
    // replaces one there whose name differs only in letter case.
    const std::string bitmapPath = ResolveGamePath(bitmapName);
    const std::string outName = ResolveGamePath(
        bitmapPath.size() < 3 ? bitmapPath + "hmp" : bitmapPath.substr(0, bitmapPath.size() - 3) + "hmp");

    std::ifstream in(bitmapPath, std::ios::binary);
    if (!in) {
        REPORT_ERROR("Could not open bitmap " + bitmapName);
        return "";
    }
    unsigned char header[54];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' || header[1] != 'M') {
        REPORT_ERROR("Not a bitmap: " + bitmapName);
        return "";
    }
    const uint32_t dataOffset = ReadLE32(header + 10);
    const int32_t width = int32_t(ReadLE32(header + 18));
    const int32_t height = int32_t(ReadLE32(header + 22));
    const uint16_t bitsPerPixel = ReadLE16(header + 28);
    const uint32_t compression = ReadLE32(header + 30);
    if (bitsPerPixel != 24 || compression != 0 || width <= 0 || height == 0 || width > kMaxBitmapSide ||
        height > kMaxBitmapSide || height < -kMaxBitmapSide) {
        REPORT_ERROR("Only uncompressed 24-bit bitmaps can become heightmaps: " + bitmapName);
        return "";
    }
    const int32_t rows = height < 0 ? -height : height;
    // Rows are padded so each starts on a 4-byte boundary.
    const size_t rowBytes = size_t(width) * 3 + size_t(width % 4);
    const size_t pixelBytes = rowBytes * size_t(rows);
    // A header may promise far more than the file holds: measure before allocating.
    in.seekg(0, std::ios::end);
    const std::streamoff fileBytes = in.tellg();
    if (fileBytes < 0 || uint64_t(dataOffset) + pixelBytes > uint64_t(fileBytes)) {
        REPORT_ERROR("Bitmap is truncated: " + bitmapName);
        return "";
    }
    std::vector<unsigned char> pixels(pixelBytes);
    in.seekg(dataOffset);
    if (!in.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size()))) {
        REPORT_ERROR("Bitmap is truncated: " + bitmapName);
        return "";
    }

    const bool written = WriteGameFile(outName, [&](FILE* out) {
        std::fprintf(out, "%s\n", kNoticeLine);
        std::fprintf(out, "TECHNIQUE PhongNoSpecOpaque\nMATERIAL 1\nTEXTURE 3\n\n");
        std::fprintf(out, "ELASTIC 1\nSTATIC_FRIC .5\nDYNAMIC_FRIC .5\n\n");
        std::fprintf(out, "ROWS %d\nCOLUMNS %d\nDIFF 4\nBEGIN (0,0)\nHEIGHTS ", int(rows), int(width));
        for (int32_t r = 0; r < rows; ++r) {
            const unsigned char* row = pixels.data() + size_t(r) * rowBytes;
            for (int32_t c = 0; c < width; ++c) {
                const unsigned char* px = row + size_t(c) * 3;
                std::fprintf(out, "%f\n", (px[0] + px[1] + px[2]) / 3.0f);
            }
        }
        return true;
    });
    if (!written) {
        REPORT_ERROR("Could not write heightmap " + outName);
        return "";
    }
    return outName;
}

ConfigFile* WriteDefaultVideoConfig(const std::string& path, bool* ok)
{
    // Only called when no readable file is there, so after a failed write the
    // reader below finds none and reports ok false.
    WriteGameFile(path, [](FILE* out) {
        std::fprintf(out, "%s\nFullscreen 1\nFullscreenWidth 640\nFullscreenHeight 480\n", kNoticeLine);
        return true;
    });
    return new ConfigFile(path, ok);
}
