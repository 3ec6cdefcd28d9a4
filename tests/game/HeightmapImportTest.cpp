// The two file writers of the world: heightmaps from bitmaps and the default
// video settings.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "game/World.h"
#include "tests/game/BitmapWriter.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class HeightmapImportTest : public ::testing::Test
{
protected:
    World world;
    std::string dir = testing::TempDir();
};

TEST_F(HeightmapImportTest, RowsArePaddedToFourBytesAndHeightsAverageTheChannels)
{
    // 3 pixels wide: rows of 9 bytes plus 3 of padding. Bottom row white,
    // top row black with one grey (30, 60, 90) pixel.
    WriteBitmap(dir + "a.bmp", 3, {{255, 255, 255, 255, 255, 255, 255, 255, 255}, {0, 0, 0, 30, 60, 90, 0, 0, 0}});
    const std::string name = world.ConvertBitmapToHeightmap(dir + "a.bmp");
    ASSERT_EQ(name, dir + "a.hmp");
    const std::string text = ReadAll(name);
    EXPECT_EQ(text.rfind("# ", 0), 0u);
    EXPECT_NE(text.find("\nTECHNIQUE PhongNoSpecOpaque\nMATERIAL 1\nTEXTURE 3\n\n"), std::string::npos);
    EXPECT_NE(text.find("\nELASTIC 1\nSTATIC_FRIC .5\nDYNAMIC_FRIC .5\n\n"), std::string::npos);
    EXPECT_NE(text.find("\nROWS 2\nCOLUMNS 3\nDIFF 4\nBEGIN (0,0)\nHEIGHTS 255.000000\n255.000000\n255.000000\n"
                        "0.000000\n60.000000\n0.000000\n"),
              std::string::npos);
    std::remove(name.c_str());
}

TEST_F(HeightmapImportTest, FourPixelRowsHaveNoPadding)
{
    WriteBitmap(dir + "b.bmp", 4, {{3, 3, 3, 6, 6, 6, 9, 9, 9, 12, 12, 12}});
    const std::string name = world.ConvertBitmapToHeightmap(dir + "b.bmp");
    ASSERT_FALSE(name.empty());
    EXPECT_NE(ReadAll(name).find("HEIGHTS 3.000000\n6.000000\n9.000000\n12.000000\n"), std::string::npos);
    std::remove(name.c_str());
}

TEST_F(HeightmapImportTest, BadBitmapsWriteNothingAndKeepAGoodHeightmap)
{
    // A good heightmap already beside the dropped file must survive a bad drop.
    std::ofstream(dir + "c.hmp") << "good";
    std::ofstream(dir + "c.bmp") << "BM but far too short";
    EXPECT_EQ(world.ConvertBitmapToHeightmap(dir + "c.bmp"), "");
    EXPECT_EQ(ReadAll(dir + "c.hmp"), "good");

    EXPECT_EQ(world.ConvertBitmapToHeightmap(dir + "missing.bmp"), "");

    // 32-bit pixels are not what the importer reads.
    WriteBitmap(dir + "d.bmp", 1, {{1, 2, 3}});
    {
        std::fstream f(dir + "d.bmp", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(28);
        f.put(32);
    }
    EXPECT_EQ(world.ConvertBitmapToHeightmap(dir + "d.bmp"), "");
    std::remove((dir + "c.hmp").c_str());
}

TEST_F(HeightmapImportTest, DefaultVideoConfigHasTheThreeKeys)
{
    const std::string path = dir + "Vid.cfg";
    std::remove(path.c_str());
    bool ok = false;
    ConfigFile* config = WriteDefaultVideoConfig(path, &ok);
    ASSERT_TRUE(ok);
    bool fullscreen = false;
    int width = 0, height = 0;
    EXPECT_TRUE(config->GetValue<bool>("Fullscreen", fullscreen));
    EXPECT_TRUE(config->GetValue<int>("FullscreenWidth", width));
    EXPECT_TRUE(config->GetValue<int>("FullscreenHeight", height));
    EXPECT_TRUE(fullscreen);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("\nFullscreen 1\nFullscreenWidth 640\nFullscreenHeight 480\n"), std::string::npos);
    delete config;
}

} // namespace
