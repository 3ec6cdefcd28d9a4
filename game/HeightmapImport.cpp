// The two small file writers of the world: the heightmap written from a
// dropped 24-bit bitmap, with the grid mesh that lets it become a stage's
// terrain, and the default video settings.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/GameFiles.h"
#include "game/HeightmapImport.h"
#include "game/World.h"
#include "physics/Heightmap.h"

namespace {

const char* const kNoticeLine = "# Written by Quorvalith; edit with care.";

// The largest bitmap we accept: far beyond any terrain the game can hold, but
// small enough that a hostile header cannot make us allocate gigabytes.
const int32_t kMaxBitmapSide = 4096;
const size_t kFileHeaderBytes = 14;
const uint32_t kInfoHeaderBytes = 40;
const uint16_t kBitsPerPixel = 24;
const int kBytesPerPixel = 3;
// A file that ends before the rows its header promises, and the report of it.
const char* const kTruncatedBitmap = "Bitmap is truncated: ";
// A grid mesh with 16-bit indices loads with at most 65535 vertices, one
// fewer than the height field itself could take.
const long long kMaxGridNodes = Heightmap::kMaxVertices - 1;

uint32_t ReadLE32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadLE16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// A bitmap's heights in file order (bottom row first for an ordinary
// bitmap), rows x columns of them.
struct BitmapHeights
{
    int rows = 0;
    int columns = 0;
    std::vector<float> heights;
};

// The whole-number mean of a pixel's three bytes.
float PixelHeight(const unsigned char* pixel)
{
    return static_cast<float>((pixel[0] + pixel[1] + pixel[2]) / kBytesPerPixel);
}

bool ReadBitmapHeights(const std::string& path, const std::string& name, BitmapHeights& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        REPORT_ERROR("Could not open bitmap " + name);
        return false;
    }
    unsigned char header[kFileHeaderBytes + kInfoHeaderBytes];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' || header[1] != 'M' ||
        ReadLE32(header + kFileHeaderBytes) < kInfoHeaderBytes) {
        REPORT_ERROR("Not a bitmap: " + name);
        return false;
    }
    const uint32_t dataOffset = ReadLE32(header + 10);
    const int32_t width = int32_t(ReadLE32(header + 18));
    const int32_t height = int32_t(ReadLE32(header + 22));
    const uint16_t bitsPerPixel = ReadLE16(header + 28);
    const uint32_t compression = ReadLE32(header + 30);
    if (bitsPerPixel != kBitsPerPixel || compression != 0) {
        REPORT_ERROR("Only uncompressed 24-bit bitmaps can become heightmaps: " + name);
        return false;
    }
    // A negative height is a bitmap stored top row first: as many rows.
    const char* side = width < 1 || width > kMaxBitmapSide                                  ? "width"
                       : height == 0 || height > kMaxBitmapSide || height < -kMaxBitmapSide ? "height"
                                                                                            : nullptr;
    if (side != nullptr) {
        REPORT_ERROR("The bitmap's " + std::string(side) + " is not within 1 to " + std::to_string(kMaxBitmapSide) +
                     " pixels, so it cannot become a heightmap: " + name);
        return false;
    }
    const int32_t rows = height < 0 ? -height : height;
    // Rows are padded so each starts on a 4-byte boundary.
    const size_t rowBytes = size_t(width) * kBytesPerPixel + size_t(width % 4);
    const size_t pixelBytes = rowBytes * size_t(rows);
    // A header may promise far more than the file holds: measure before allocating.
    in.seekg(0, std::ios::end);
    const std::streamoff fileBytes = in.tellg();
    if (fileBytes < 0 || uint64_t(dataOffset) + pixelBytes > uint64_t(fileBytes)) {
        REPORT_ERROR(kTruncatedBitmap + name);
        return false;
    }
    std::vector<unsigned char> pixels(pixelBytes);
    in.seekg(dataOffset);
    if (!in.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size()))) {
        REPORT_ERROR(kTruncatedBitmap + name);
        return false;
    }
    out.rows = rows;
    out.columns = width;
    out.heights.clear();
    out.heights.reserve(size_t(rows) * size_t(width));
    for (int32_t r = 0; r < rows; ++r) {
        const unsigned char* row = pixels.data() + size_t(r) * rowBytes;
        for (int32_t c = 0; c < width; ++c) out.heights.push_back(PixelHeight(row + size_t(c) * kBytesPerPixel));
    }
    return true;
}

bool WriteHeightmapText(const std::string& path, const BitmapHeights& bitmap)
{
    return WriteGameFile(path, [&](FILE* out) {
        std::fprintf(out, "%s\n", kNoticeLine);
        std::fprintf(out, "TECHNIQUE PhongNoSpecOpaque\nMATERIAL 1\nTEXTURE 3\n\n");
        std::fprintf(out, "ELASTIC 1\nSTATIC_FRIC .5\nDYNAMIC_FRIC .5\n\n");
        std::fprintf(out, "ROWS %d\nCOLUMNS %d\nDIFF 4\nBEGIN (0,0)\nHEIGHTS ", bitmap.rows, bitmap.columns);
        for (const float h : bitmap.heights) std::fprintf(out, "%f\n", h);
        return true;
    });
}

// Why the heights cannot make a terrain, or empty when they can.
std::string GridMeshProblem(const BitmapHeights& bitmap)
{
    std::ostringstream why;
    const long long nodes = static_cast<long long>(bitmap.rows) * bitmap.columns;
    if (bitmap.rows < 2 || bitmap.columns < 2) {
        why << "a terrain needs at least 2 x 2 nodes";
    } else if (nodes > kMaxGridNodes) {
        why << nodes << " nodes exceed the " << kMaxGridNodes << " a terrain's grid mesh can hold";
    }
    return why.str();
}

// Each list of the text mesh format ends its last entry with ';' and the
// others with ','.
const char* ListEnd(size_t i, size_t count)
{
    return i + 1 < count ? "," : ";";
}

// The heights as the stage terrains are laid out: vertex k is node
// (k mod ROWS, k div ROWS), one mesh unit apart, centred on the origin.
bool WriteGridMesh(const std::string& path, const BitmapHeights& bitmap)
{
    std::vector<TerrainSourceVertex> vertices;
    std::vector<uint16_t> indices;
    const float x0 = static_cast<float>(-((bitmap.rows - 1) / 2));
    const float y0 = static_cast<float>(-((bitmap.columns - 1) / 2));
    if (!MakeGridArrays(bitmap.heights, bitmap.rows, bitmap.columns, x0, y0, vertices, indices)) return false;
    const size_t faces = indices.size() / 3;
    auto writeFaces = [&](FILE* out) {
        std::fprintf(out, "%zu;\n", faces);
        for (size_t f = 0; f < faces; ++f) {
            std::fprintf(out, "3;%u,%u,%u;%s\n", unsigned(indices[3 * f]), unsigned(indices[3 * f + 1]),
                         unsigned(indices[3 * f + 2]), ListEnd(f, faces));
        }
    };
    return WriteGameFile(path, [&](FILE* out) {
        std::fprintf(out, "xof 0303txt 0032\nMesh Terrain {\n%zu;\n", vertices.size());
        for (size_t v = 0; v < vertices.size(); ++v) {
            const float* p = vertices[v].position;
            std::fprintf(out, "%f;%f;%f;%s\n", p[0], p[1], p[2], ListEnd(v, vertices.size()));
        }
        writeFaces(out);
        std::fprintf(out, "MeshNormals {\n%zu;\n", vertices.size());
        for (size_t v = 0; v < vertices.size(); ++v) {
            const float* n = vertices[v].normal;
            std::fprintf(out, "%f;%f;%f;%s\n", n[0], n[1], n[2], ListEnd(v, vertices.size()));
        }
        writeFaces(out);
        std::fprintf(out, "}\nMeshTextureCoords {\n%zu;\n", vertices.size());
        for (size_t v = 0; v < vertices.size(); ++v) {
            std::fprintf(out, "%f;%f;%s\n", vertices[v].u, vertices[v].v, ListEnd(v, vertices.size()));
        }
        std::fprintf(out, "}\n}\n");
        return true;
    });
}

// The name with its last three characters replaced (a.bmp, "x" gives a.x).
std::string ReplaceExtension(const std::string& name, const std::string& extension)
{
    return name.size() < 3 ? name + extension : name.substr(0, name.size() - 3) + extension;
}

} // namespace

std::string World::ConvertBitmapToHeightmap(const std::string& bitmapName, std::string* gridMeshName)
{
    return WriteHeightmapFromBitmap(bitmapName, gridMeshName);
}

std::string WriteHeightmapFromBitmap(const std::string& bitmapName, std::string* gridMeshName)
{
    if (gridMeshName != nullptr) gridMeshName->clear();
    // The heightmap lands beside the bitmap as it was found on disk, and
    // replaces one there whose name differs only in letter case.
    const std::string bitmapPath = ResolveGamePath(bitmapName);
    const std::string outName = ResolveGamePath(ReplaceExtension(bitmapPath, "hmp"));

    BitmapHeights bitmap;
    if (!ReadBitmapHeights(bitmapPath, bitmapName, bitmap)) return "";
    if (!WriteHeightmapText(outName, bitmap)) {
        REPORT_ERROR("Could not write heightmap " + outName);
        return "";
    }

    const std::string problem = GridMeshProblem(bitmap);
    if (!problem.empty()) {
        REPORT_ERROR("Bitmap " + bitmapName + " cannot become a terrain: " + problem);
        return outName;
    }
    const std::string meshName = ResolveGamePath(ReplaceExtension(outName, "x"));
    if (!WriteGridMesh(meshName, bitmap)) {
        REPORT_ERROR("Could not write grid mesh " + meshName);
        return outName;
    }
    if (gridMeshName != nullptr) *gridMeshName = meshName;
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
