// Bitmaps dropped on the game window become the stage's terrain: the
// heightmap file and its grid mesh written beside the bitmap, the terrain
// built from the pair and put in place of the stage's only when it builds.
// And the developer key T's extra terrain.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EditorRig.h"
#include "Win32Host.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "physics/PhysicsWorld.h"
#include "render/Terrain.h"
#include "tests/game/BitmapWriter.h"

namespace fs = std::filesystem;

namespace {

struct Pixel
{
    uint8_t b, g, r;
    float height; // what the file and the mesh hold for it
};

// Bytes that do not sum to a multiple of three keep the whole-number mean.
const Pixel kPixels[] = {
    {1, 0, 0, 0},     {2, 2, 1, 1},       {30, 60, 91, 60},     {255, 255, 255, 255}, {0, 0, 0, 0},
    {10, 20, 31, 20}, {200, 100, 1, 100}, {254, 255, 255, 254}, {3, 3, 4, 3},         {9, 0, 0, 3},
};
const int kPixelCount = sizeof kPixels / sizeof kPixels[0];

// Rows in file order; the n-th pixel of the picture is kPixels[n % count].
std::vector<std::vector<uint8_t>> Rows(int width, int height)
{
    std::vector<std::vector<uint8_t>> rows(height);
    for (int n = 0; n < width * height; ++n) {
        const Pixel& p = kPixels[n % kPixelCount];
        rows[n / width].insert(rows[n / width].end(), {p.b, p.g, p.r});
    }
    return rows;
}

// Overwrites a little-endian field of the given width in place.
void Patch(const std::string& path, int at, uint32_t value, int bytes = 4)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    for (int i = 0; i < bytes; ++i) f.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gLevelLoader->LoadLevel("stage2.qvl");
        ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
        dir = rig.tree.Root() + "/drops/";
        fs::create_directories(dir);
    }
    // Drops the file on the window; returns what went to the error stream.
    std::string Drop(const std::string& path)
    {
        testing::internal::CaptureStderr();
        bool stop = false;
        MsgProc(nullptr, WM_DROPFILES, reinterpret_cast<WPARAM>(Win32CreateDrop({path})), 0, &stop, nullptr);
        return testing::internal::GetCapturedStderr();
    }

    EditorRig rig;
    std::string dir;
};

TEST_F(ImportTest, ADroppedBitmapBecomesTheTerrainNodeByNodeBottomRowFirst)
{
    const struct
    {
        int width, height;
        bool topDown;
    } cases[] = {{3, 2, false}, {4, 3, false}, {5, 4, false}, {7, 2, false}, {2, 3, true}, {64, 48, false}};
    for (const auto& c : cases) {
        const std::string name = "t" + std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(name);
        WriteBitmap(dir + name + ".bmp", c.width, Rows(c.width, c.height));
        if (c.topDown) Patch(dir + name + ".bmp", 22, uint32_t(-c.height));
        EXPECT_EQ(Drop(dir + name + ".bmp"), "");

        // The heightmap file, exactly: the header, then every pixel in file order.
        const std::string text = ReadAll(dir + name + ".hmp");
        const std::string notice = text.substr(0, text.find('\n') + 1);
        EXPECT_EQ(notice.rfind("# ", 0), 0u);
        std::string expected = notice + "TECHNIQUE PhongNoSpecOpaque\nMATERIAL 1\nTEXTURE 3\n\n" +
                               "ELASTIC 1\nSTATIC_FRIC .5\nDYNAMIC_FRIC .5\n\n" + "ROWS " + std::to_string(c.height) +
                               "\nCOLUMNS " + std::to_string(c.width) + "\nDIFF 4\nBEGIN (0,0)\nHEIGHTS ";
        for (int n = 0; n < c.width * c.height; ++n) {
            char line[32];
            std::snprintf(line, sizeof line, "%f\n", kPixels[n % kPixelCount].height);
            expected += line;
        }
        EXPECT_EQ(text, expected);
        EXPECT_TRUE(fs::exists(dir + name + ".x"));

        // The stage's terrain now, for the physics world too: node
        // (k mod ROWS, k div ROWS) holds the k-th height, times DIFF.
        ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
        const Heightmap& ground = gWorld->GetHeightmaps()[0]->GetGround();
        ASSERT_TRUE(ground.GetGrid().IsBuilt());
        ASSERT_EQ(ground.ROWS, c.height);
        ASSERT_EQ(ground.COLUMNS, c.width);
        ASSERT_EQ(gPhysicsWorld->GetHeightmaps().size(), 1u);
        EXPECT_EQ(gPhysicsWorld->GetHeightmaps()[0], &ground);
        const HeightGrid& grid = ground.GetGrid();
        int wrong = 0;
        for (int k = 0; k < c.width * c.height; ++k) {
            const float x = grid.originX + static_cast<float>(k % ground.ROWS) * grid.diff;
            const float y = grid.originY + static_cast<float>(k / ground.ROWS) * grid.diff;
            float height = -1.0f;
            Vector3 normal;
            ground.GetHeight(x, y, height, normal);
            wrong += height == 4.0f * kPixels[k % kPixelCount].height ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0);
        // Laid out as the stage terrains are: centred on the origin.
        EXPECT_NEAR(ground.GetCentreX(), 0.0f, 2.0f);
        EXPECT_NEAR(ground.GetCentreY(), 0.0f, 2.0f);
    }
}

TEST_F(ImportTest, BitmapsThatCannotBeATerrainKeepTheStagesWithAReport)
{
    const Terrain* stageGround = gWorld->GetHeightmaps()[0];
    // A header field patched (at >= 0), or the file damaged some other way.
    enum Damage { kPatch, kMissing, kText, kTruncated };
    const struct
    {
        const char* name;
        int width, height;
        Damage damage;
        int at, bytes;
        uint32_t value;
        const char* report;
        bool hmpWritten; // the heightmap file is still the bitmap's, only no terrain
    } cases[] = {
        {"toolarge", 300, 219, kPatch, -1, 0, 0, "cannot become a terrain: 65700 nodes exceed the 65535", true},
        {"justover", 256, 256, kPatch, -1, 0, 0, "cannot become a terrain: 65536 nodes exceed the 65535", true},
        {"onerow", 5, 1, kPatch, -1, 0, 0, "cannot become a terrain: a terrain needs at least 2 x 2 nodes", true},
        {"missing", 3, 3, kMissing, -1, 0, 0, "Could not open bitmap", false},
        {"text", 3, 3, kText, -1, 0, 0, "Not a bitmap", false},
        {"cut", 8, 8, kTruncated, -1, 0, 0, "Bitmap is truncated", false},
        {"bits32", 3, 3, kPatch, 28, 2, 32, "Only uncompressed 24-bit bitmaps", false},
        {"rle", 3, 3, kPatch, 30, 4, 1, "Only uncompressed 24-bit bitmaps", false},
        {"wide", 3, 3, kPatch, 18, 4, 100000, "width is not within 1 to 4096", false},
        {"offset", 3, 3, kPatch, 10, 4, 0x7FFFFFF0u, "Bitmap is truncated", false},
        {"coreheader", 3, 3, kPatch, 14, 4, 12, "Not a bitmap", false},
        {"tall", 3, 3, kPatch, 22, 4, uint32_t(-5000), "height is not within 1 to 4096", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bmp = dir + c.name + ".bmp";
        if (c.damage != kMissing) WriteBitmap(bmp, c.width, Rows(c.width, c.height));
        if (c.at >= 0) Patch(bmp, c.at, c.value, c.bytes);
        if (c.damage == kText) std::ofstream(bmp) << "a note, not a picture";
        if (c.damage == kTruncated) fs::resize_file(bmp, fs::file_size(bmp) - 10);
        const std::string errors = Drop(bmp);
        EXPECT_NE(errors.find(c.report), std::string::npos) << errors;
        EXPECT_EQ(fs::exists(dir + c.name + ".hmp"), c.hmpWritten);
        EXPECT_FALSE(fs::exists(dir + std::string(c.name) + ".x"));
        ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
        EXPECT_EQ(gWorld->GetHeightmaps()[0], stageGround);
        ASSERT_EQ(gPhysicsWorld->GetHeightmaps().size(), 1u);
        EXPECT_EQ(gPhysicsWorld->GetHeightmaps()[0], &stageGround->GetGround());
    }
}

TEST_F(ImportTest, KeyTAddsTheGeneratedGridBesideTheStagesAndAMissingOrBrokenFileAddsNothing)
{
    // The stage is loaded; the folder the key reads from becomes the test's own.
    const fs::path maps = fs::path(rig.tree.Root()) / "Maps";
    const fs::path shipped = fs::read_symlink(maps) / "Heightmap.hmp";
    fs::remove(maps);
    fs::create_directory(maps);
    const struct
    {
        const char* content; // null: no file
        const char* report;
        size_t terrains;
    } cases[] = {
        {nullptr, "Could not load mesh: ../Maps/Heightmap.hmp", 1},
        {"xof 0303txt 0032\nMesh Terrain {\n 4;\n", "Could not load mesh: ../Maps/Heightmap.hmp", 1},
        {"", "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        if (c.content != nullptr && *c.content != '\0') std::ofstream(maps / "Heightmap.hmp") << c.content;
        if (c.content != nullptr && *c.content == '\0')
            fs::copy_file(shipped, maps / "Heightmap.hmp", fs::copy_options::overwrite_existing);
        testing::internal::CaptureStderr();
        OnKeyboard('T', true, false, nullptr);
        const std::string errors = testing::internal::GetCapturedStderr();
        if (*c.report != '\0') {
            EXPECT_NE(errors.find(c.report), std::string::npos) << errors;
        } else {
            EXPECT_EQ(errors, "");
        }
        ASSERT_EQ(gWorld->GetHeightmaps().size(), c.terrains);
        EXPECT_EQ(gPhysicsWorld->GetHeightmaps().size(), c.terrains);
    }
    const Heightmap& extra = gWorld->GetHeightmaps()[1]->GetGround();
    EXPECT_TRUE(extra.GetGrid().IsBuilt());
    EXPECT_EQ(extra.ROWS, 101);
    EXPECT_EQ(extra.COLUMNS, 101);
    // The key's release adds nothing.
    OnKeyboard('T', false, false, nullptr);
    EXPECT_EQ(gWorld->GetHeightmaps().size(), 2u);
}

} // namespace
