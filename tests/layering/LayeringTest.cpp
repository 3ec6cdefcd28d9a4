// The layers hold: every include of the game folders follows cmake/Layers.txt,
// and the check itself catches each kind of wrong include.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "LayerRules.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> StandIns(const std::map<std::string, std::string>& headers)
{
    std::set<std::string> names;
    for (const auto& entry : headers) {
        names.insert(entry.second);
    }
    return names;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

} // namespace

TEST(Layering, EveryIncludeOfTheGameFoldersFollowsTheLayers)
{
    const std::string root = LV_SOURCE_DIR;
    const std::map<std::string, std::string> headers = ReadStandInHeaders(root);
    ASSERT_EQ(headers.count("d3d9.h"), 1u);
    const LayerRules rules = ParseLayerRules(ReadFile(fs::path(root) / "cmake" / "Layers.txt"), StandIns(headers));
    ASSERT_EQ(rules.error, "");
    const std::vector<std::string> expected = {"core",    "physics",   "render", "audio",
                                               "objects", "particles", "ui",     "game"};
    EXPECT_EQ(rules.folders, expected);
    const std::vector<std::string> violations = FindLayerViolations(root, rules, headers);
    EXPECT_TRUE(violations.empty()) << Joined(violations);
}

// A small tree with one file per case, checked against a three-layer matrix.
TEST(Layering, EachKindOfWrongIncludeIsFound)
{
    const fs::path root = fs::temp_directory_path() / ("lv_layering_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "platform" / "gpu" / "include");
    std::ofstream(root / "platform" / "gpu" / "include" / "gpu.h");
    std::ofstream(root / "platform" / "gpu" / "include" / "gpu_host.h");
    const std::map<std::string, std::string> headers = ReadStandInHeaders(root.string());
    const LayerRules rules =
        ParseLayerRules("low:\nmid: low gpu # comment\ntop: low mid\nhosts-only: gpu_host.h\n", StandIns(headers));
    ASSERT_EQ(rules.error, "");

    struct Case
    {
        const char* folder;
        const char* include;
        const char* why; // empty: allowed
    };
    const Case cases[] = {
        {"mid", "#include \"low/a.h\"", ""},
        {"top", "#include \"mid/a.h\"", ""},
        {"mid", "#include \"mid/b.h\"", ""},
        {"mid", "#include <gpu.h>", ""},
        {"low", "#include <vector>", ""},
        {"low", "#include \"mid/a.h\"", "low may not include mid"},
        {"mid", "  #  include \"top/a.h\"", "mid may not include top"},
        {"low", "#include <gpu.h>", "low may not use the gpu stand-in"},
        {"top", "#include \"gpu.h\"", "top may not use the gpu stand-in"},
        {"mid", "#include \"gpu_host.h\"", "a header for hosts and tests only"},
        {"top", "#include <SDL2/SDL.h>", "a library the stand-ins wrap"},
        {"mid", "#include <GL/gl.h>", "a library the stand-ins wrap"},
        {"top", "#include <AL/al.h>", "a library the stand-ins wrap"},
        {"top", "#include \"a.h\"", "not project-root relative"},
        {"top", "#include \"tools/a.h\"", "not a game folder"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        fs::create_directories(root / cases[i].folder);
        std::ofstream(root / cases[i].folder / ("case" + std::to_string(i) + ".cpp")) << "// case\n"
                                                                                      << cases[i].include << "\n";
    }
    const std::string found = Joined(FindLayerViolations(root.string(), rules, headers));
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const std::string where = std::string(cases[i].folder) + "/case" + std::to_string(i) + ".cpp:2:";
        const size_t at = found.find(where);
        if (*cases[i].why == '\0') {
            EXPECT_EQ(at, std::string::npos) << cases[i].include << "\n" << found;
        } else {
            ASSERT_NE(at, std::string::npos) << cases[i].include << "\n" << found;
            EXPECT_NE(found.find(std::string("(") + cases[i].why + ")", at), std::string::npos) << found;
        }
    }
    fs::remove_all(root);
}

TEST(Layering, MatricesThatWouldAllowACycleAreRefused)
{
    const std::set<std::string> standIns = {"gpu"};
    EXPECT_EQ(ParseLayerRules("low: mid\nmid: low\n", standIns).error,
              "low names mid, neither a stand-in nor a layer above it");
    EXPECT_EQ(ParseLayerRules("low:\nlow: gpu\n", standIns).error, "low is listed twice");
    EXPECT_EQ(ParseLayerRules("low gpu\n", standIns).error, "line 1 has no colon");
    EXPECT_EQ(ParseLayerRules("# nothing\n", standIns).error, "no layers");
}
