// The dds reader on well-formed and hostile files, without a device.
#include <gtest/gtest.h>
#include "TempFiles.h"

#include "ImageFiles.h"
#include "texture_image.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DdsReaderTest, ReadsArgbLuminanceAndVolumesTopRowFirst)
{
    const std::string path = ScratchPath("reader.dds");
    std::vector<uint8_t> pixels = Quadrants(4);
    pixels[3] = 17; // alpha of the first texel
    WriteDds(path, 4, 4, 1, pixels);
    lvtex::Image image;
    std::string reason;
    ASSERT_TRUE(lvtex::DecodeDds(Bytes(path), image, reason)) << reason;
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.depth, 1u);
    EXPECT_EQ(image.rgba, pixels);

    std::vector<uint8_t> volume(4 * 4 * 3 * 4, 0);
    for (size_t i = 0; i < volume.size(); i += 4) volume[i] = uint8_t(i / 64); // red = slice index
    for (size_t i = 3; i < volume.size(); i += 4) volume[i] = 255;
    WriteDds(path, 4, 4, 3, volume);
    ASSERT_TRUE(lvtex::DecodeDds(Bytes(path), image, reason)) << reason;
    EXPECT_EQ(image.depth, 3u);
    EXPECT_EQ(image.rgba, volume);

    std::vector<uint8_t> grey(4 * 4 * 4, 0);
    for (size_t i = 0; i < grey.size(); i += 4) grey[i] = uint8_t(i);
    WriteDds(path, 4, 4, 1, grey, true);
    ASSERT_TRUE(lvtex::DecodeDds(Bytes(path), image, reason)) << reason;
    EXPECT_EQ(image.rgba[4 * 5 + 0], 20);
    EXPECT_EQ(image.rgba[4 * 5 + 1], 20);
    EXPECT_EQ(image.rgba[4 * 5 + 2], 20);
    EXPECT_EQ(image.rgba[4 * 5 + 3], 255);
    std::remove(path.c_str());
}

TEST(DdsReaderTest, RefusesWhatItCannotReadSafely)
{
    const std::string path = ScratchPath("hostile.dds");
    WriteDds(path, 4, 4, 1, Quadrants(4));
    const std::vector<uint8_t> good = Bytes(path);
    lvtex::Image image;
    std::string reason;

    std::vector<uint8_t> bad(good.begin(), good.end() - 1); // one byte short
    EXPECT_FALSE(lvtex::DecodeDds(bad, image, reason));
    EXPECT_NE(reason.find("truncated"), std::string::npos);

    bad = good;
    bad[4 + 12] = 0xFF; // height 4 -> 0xFF000004... in the high byte
    bad[4 + 15] = 0x7F;
    EXPECT_FALSE(lvtex::DecodeDds(bad, image, reason));

    bad = good;
    bad[4 + 76] = 0x04; // a fourCC (compressed) format
    EXPECT_FALSE(lvtex::DecodeDds(bad, image, reason));
    EXPECT_NE(reason.find("compressed"), std::string::npos);

    bad = good;
    bad[4 + 84] = 12; // 12 bits per pixel
    EXPECT_FALSE(lvtex::DecodeDds(bad, image, reason));

    bad = good;
    bad[4 + 108 + 2] = 0x20; // marked as a volume with a huge depth
    bad[4 + 20] = 0xFF;
    bad[4 + 23] = 0x7F;
    EXPECT_FALSE(lvtex::DecodeDds(bad, image, reason));

    EXPECT_FALSE(lvtex::DecodeDds(std::vector<uint8_t>(good.begin(), good.begin() + 50), image, reason));
    EXPECT_FALSE(lvtex::DecodeImage(std::vector<uint8_t>(10, 0), image, reason));
    // Any header byte at an extreme value: read or refused, never out of bounds (the sanitiser build checks).
    for (size_t i = 4; i < 128; ++i) {
        for (uint8_t value : {uint8_t(0), uint8_t(0x7F), uint8_t(0xFF)}) {
            bad = good;
            bad[i] = value;
            if (lvtex::DecodeDds(bad, image, reason)) {
                EXPECT_EQ(image.rgba.size(), size_t(image.width) * image.height * image.depth * 4);
            }
        }
    }
    std::remove(path.c_str());
}

} // namespace
