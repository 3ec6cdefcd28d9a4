// Every reader of the game's own files finds its file under the name the game
// writes: backslashes, and letter case that differs from the disk's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ConfigTokenizer.h"
#include "game/World.h"
#include "physics/Heightmap.h"
#include "render/Terrain.h"
#include "tests/game/BitmapWriter.h"

namespace {

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

struct ReaderCase
{
    const char* reader;
    const char* fileOnDisk; // below the scratch folder, as the disk spells it
    const char* gameName;   // the same file as the game names it
    std::string contents;   // empty: the row writes its own file
    // Reads through the game's name; returns what it read, for comparison.
    std::function<std::string(const std::string& name, World& world)> read;
    std::string expected;
};

TEST(GameFileNames, EveryReaderOpensBackslashedMixedCaseNames)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / ("lv_names_" + std::to_string(::getpid()));
    fs::remove_all(root);
    World world;

    const std::vector<ReaderCase> cases = {
        {"ConfigFile", "Data/Config/Physics.cfg", "\\data\\CONFIG\\physics.CFG", "gravity 9.5\nsteps 4\n",
         [](const std::string& name, World&) {
             bool ok = false;
             ConfigFile config(name, &ok);
             float gravity = 0.0f;
             int steps = 0;
             // Each lookup reopens the file, so both must find it.
             const bool read = config.GetValue("gravity", gravity) && config.GetValue("steps", steps);
             return std::to_string(ok && read) + " " + std::to_string(gravity) + " " + std::to_string(steps);
         },
         "1 9.500000 4"},
        {"ConfigTokenizer", "Data/Config/HeatAndHDR.cfg", "\\DATA\\config\\heatandhdr.CFG", "Bloom 1 2\n",
         [](const std::string& name, World&) {
             bool ok = false;
             ConfigTokenizer tokenizer(name, &ok);
             std::vector<std::string> tokens;
             std::string read = ok && tokenizer.ReadLine(tokens) ? "" : "unread";
             for (const std::string& token : tokens) read += token + ";";
             return read;
         },
         "Bloom;1;2;"},
        {"heightmap keys", "Data/Maps/Hill Top.hmp", "\\data\\maps\\HILL TOP.HMP",
         "TECHNIQUE Phong1Opaque\nMATERIAL 2\nTEXTURE 3\nELASTIC 1\nSTATIC_FRIC .5\nDYNAMIC_FRIC .5\n"
         "ROWS 3\nCOLUMNS 4\nDIFF 2\n",
         [](const std::string& name, World&) {
             Terrain terrain;
             const bool ok = terrain.LoadConfig(name.c_str());
             const Heightmap& ground = terrain.GetGround();
             return std::to_string(ok) + " " + terrain.GetMesh().technique + " " +
                    std::to_string(terrain.GetMesh().textureId) + " " + std::to_string(ground.ROWS) + "x" +
                    std::to_string(ground.COLUMNS);
         },
         "1 Phong1Opaque 3 3x4"},
        // The importer reads the bitmap and replaces the heightmap beside it
        // whose name differs only in case, as the same file would be on Windows.
        {"bitmap importer", "Data/Drops/Dune.bmp", "\\data\\DROPS\\dune.BMP", "",
         [&root](const std::string& name, World& world) {
             WriteBitmap((root / "Data/Drops/Dune.bmp").string(), 1, {{9, 9, 9}});
             std::ofstream(root / "Data/Drops/DUNE.hmp") << "old\n";
             const std::string written = world.ConvertBitmapToHeightmap(name);
             return fs::path(written).lexically_relative(root).string() + " " + FirstLine(written);
         },
         "Data/Drops/DUNE.hmp # Written by Quorvalith; edit with care."},
    };

    for (const ReaderCase& c : cases) {
        const fs::path onDisk = root / c.fileOnDisk;
        fs::create_directories(onDisk.parent_path());
        if (!c.contents.empty()) std::ofstream(onDisk) << c.contents;
        EXPECT_EQ(c.read(root.string() + c.gameName, world), c.expected) << c.reader;
    }
    // No file appeared under a backslashed name, no second heightmap beside
    // the first and no temporary was left behind.
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(root).string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::string>{"Data/Config/HeatAndHDR.cfg", "Data/Config/Physics.cfg", "Data/Drops/DUNE.hmp",
                                        "Data/Drops/Dune.bmp", "Data/Maps/Hill Top.hmp"}));
    fs::remove_all(root);
}

} // namespace
