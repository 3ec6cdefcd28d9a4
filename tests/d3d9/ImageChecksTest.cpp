// What the texture decoder refuses before the image library sees a file, and
// that the game's own kinds of file still decode. The files are the image
// fuzz seeds (tiny images from the data generator, and the inputs that broke
// the library), some with one header field changed here.
#include <gtest/gtest.h>

#include "texture_image.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Seed(const std::string& name)
{
    std::ifstream in(std::string(LV_IMAGE_SEEDS) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The seed with bytes written over it at an offset (big- or little-endian as given).
std::vector<uint8_t> Patched(const std::string& name, size_t at, std::vector<uint8_t> bytes)
{
    std::vector<uint8_t> file = Seed(name);
    std::copy(bytes.begin(), bytes.end(), file.begin() + std::ptrdiff_t(at));
    return file;
}

size_t Find(const std::vector<uint8_t>& file, std::vector<uint8_t> pattern)
{
    return size_t(std::search(file.begin(), file.end(), pattern.begin(), pattern.end()) - file.begin());
}

TEST(ImageChecksTest, TheGamesFormatsDecodeAndHostileHeadersAreRefusedWithAReason)
{
    const std::vector<uint8_t> jpg = Seed("tiny.jpg");
    const size_t frame = Find(jpg, {0xFF, 0xC0});
    ASSERT_LT(frame, jpg.size());
    const size_t tables = Find(jpg, {0xFF, 0xC4});
    ASSERT_LT(tables, jpg.size());
    std::vector<uint8_t> progressive = jpg, hugeJpg = jpg, manyCodes = jpg;
    progressive[frame + 1] = 0xC2;
    // A legal png: an IDAT chunk of no data (length, type, CRC) before the real one.
    std::vector<uint8_t> emptyIdatFirst = Seed("tiny.png");
    const size_t idat = Find(emptyIdatFirst, {'I', 'D', 'A', 'T'});
    ASSERT_LT(idat, emptyIdatFirst.size());
    emptyIdatFirst.insert(emptyIdatFirst.begin() + std::ptrdiff_t(idat - 4),
                          {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E});
    hugeJpg[frame + 5] = hugeJpg[frame + 6] = hugeJpg[frame + 7] = hugeJpg[frame + 8] = 0xFF;
    manyCodes[tables + 5] = 0xFF; // the count of one-bit codes

    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
        const char* refusal; // null: decodes
        unsigned width, height, depth;
    };
    const Case cases[] = {
        {"png", Seed("tiny.png"), nullptr, 4, 4, 1},
        {"png with an empty IDAT before its data", emptyIdatFirst, nullptr, 4, 4, 1},
        {"jpg", jpg, nullptr, 8, 8, 1},
        {"bmp", Seed("tiny.bmp"), nullptr, 3, 2, 1},
        {"dds", Seed("tiny.dds"), nullptr, 2, 2, 1},
        {"dds volume", Seed("volume.dds"), nullptr, 2, 2, 2},
        {"gif", Seed("not-a-texture.gif"), "not a png, jpg, bmp or dds image", 0, 0, 0},
        {"empty", {}, "not a png, jpg, bmp or dds image", 0, 0, 0},
        {"png cut short", Seed("truncated.png"), "png chunk is truncated", 0, 0, 0},
        {"png whose only IDAT is empty", Seed("only-an-empty-idat.png"), "png has no image data", 0, 0, 0},
        {"png chunk longer than the file", Seed("idat-longer-than-file.png"), "png chunk is truncated", 0, 0, 0},
        {"png claiming 16384 x 16384", Patched("tiny.png", 16, {0, 0, 0x40, 0, 0, 0, 0x40, 0}),
         "png image data is too short for its size", 0, 0, 0},
        {"jpg table of more than 256 codes", manyCodes, "jpg Huffman table has more than 256 codes", 0, 0, 0},
        {"progressive jpg", progressive, "only baseline jpg images are read", 0, 0, 0},
        {"jpg scan with an undefined table", Seed("scan-with-undefined-table.jpg"),
         "jpg scan uses a Huffman table it does not define", 0, 0, 0},
        {"jpg claiming 65535 x 65535", hugeJpg, "jpg image data is too short for its size", 0, 0, 0},
        {"bmp of unknown compression", Seed("unknown-compression.bmp"), "only uncompressed bmp images are read", 0, 0,
         0},
        {"bmp claiming 16384 rows", Patched("tiny.bmp", 22, {0, 0x40, 0, 0}), "bmp pixel data is truncated", 0, 0, 0},
    };
    for (const Case& c : cases) {
        lvtex::Image image;
        std::string reason;
        const bool decoded = lvtex::DecodeImage(c.file, image, reason);
        if (c.refusal) {
            EXPECT_FALSE(decoded) << c.what;
            EXPECT_EQ(reason, c.refusal) << c.what;
            continue;
        }
        ASSERT_TRUE(decoded) << c.what << ": " << reason;
        EXPECT_EQ(image.width, c.width) << c.what;
        EXPECT_EQ(image.height, c.height) << c.what;
        EXPECT_EQ(image.depth, c.depth) << c.what;
        EXPECT_EQ(image.rgba.size(), size_t(c.width) * c.height * c.depth * 4) << c.what;
    }
}

} // namespace
