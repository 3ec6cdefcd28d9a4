// The bitmap importer: a file dropped on the window becomes a heightmap file
// beside it. Whatever the bitmap, either nothing is written or the heightmap
// written reads back through the ".hmp" reader with the bitmap's size.
#include "FuzzSupport.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "game/HeightmapImport.h"
#include "render/Terrain.h"

namespace {

int32_t ReadLE32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bitmap = WriteFuzzFile("input.bmp", data, size);
    std::string gridMesh;
    const std::string written = WriteHeightmapFromBitmap(bitmap, &gridMesh);
    if (written.empty()) return 0;
    if (!gridMesh.empty()) std::remove(gridMesh.c_str());

    // Only a whole header gets this far; its size is what the file must say.
    FUZZ_REQUIRE(size >= 54);
    const int32_t width = ReadLE32(data + 18), height = ReadLE32(data + 22);
    Terrain terrain;
    FUZZ_REQUIRE(terrain.LoadConfig(written.c_str()));
    FUZZ_REQUIRE(terrain.GetGround().ROWS == (height < 0 ? -height : height));
    FUZZ_REQUIRE(terrain.GetGround().COLUMNS == width);
    std::remove(written.c_str());
    return 0;
}
