// The texture loader's decoding: png, jpg and bmp through the image library,
// dds through our own reader. A decoded image is within the loader's limits
// and holds exactly its four bytes per pixel; a refusal always says why.
#include "FuzzSupport.h"

#include <string>
#include <vector>

#include "texture_image.h"

namespace {

// The loader's own limits (texture_load.cpp, texture_dds.cpp).
const unsigned kMaxExtent = 16384;
const unsigned kMaxDepth = 2048;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    lvtex::Image image;
    std::string reason;
    if (!lvtex::DecodeImage(bytes, image, reason)) {
        FUZZ_REQUIRE(!reason.empty());
        return 0;
    }
    FUZZ_REQUIRE(image.width >= 1 && image.width <= kMaxExtent);
    FUZZ_REQUIRE(image.height >= 1 && image.height <= kMaxExtent);
    FUZZ_REQUIRE(image.depth >= 1 && image.depth <= kMaxDepth);
    FUZZ_REQUIRE(image.rgba.size() == size_t(image.width) * image.height * image.depth * 4);
    return 0;
}
