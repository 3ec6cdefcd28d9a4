// The whole game under the headless framework host, drawing for real on a
// windowless llvmpipe context at 640 x 480: every stage loaded from the
// developer keys draws a real picture at each shader tier with nothing
// reported; a run tree with a mesh missing reports it in order and plays on.
// Set LV_STAGE_SHOTS to a folder to keep each stage's picture as a PNG.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "GameRun.h"
#include "PassTriangles.h"
#include "game/Lumveran.h"
#include "render/MeshInstance.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStageCount = 4;
// Frames each stage runs before its picture is read: bodies settle, the
// camera comes round, torches and particles start.
constexpr int kFramesPerStage = 90;

struct Picture
{
    int stage = 0;
    int colours = 0;    // distinct colours, quantised
    double spread = 0;  // standard deviation of the luminance
    bool paired = true; // every skinned drawable with its own model, at its index
    // The frame drawn again with and without the terrain split by the point
    // lights' reach: bytes that differ, and the terrain's triangles drawn
    // with the point lights and without them.
    size_t splitDiffers = 0;
    int litTriangles = 0;
    int skyLitTriangles = 0;
};

bool ModelsPaired()
{
    const RenderLists& lists = gRenderer->GetRenderLists();
    if (lists.Count(kSkinnedList) != gRenderer->GetModelCount()) return false;
    for (const MeshInstance* instance : lists.Get(kSkinnedList)) {
        if (!instance->model || gRenderer->GetModel(instance->meshId) != instance->model) return false;
    }
    return true;
}

std::vector<Picture> gPictures;

// The frame drawn again with the whole terrain under its own technique, and
// again split (the first of them settles the motion the game's frame had);
// the split frame's terrain triangles counted by the pass they drew in.
void CompareSplitTerrain(Picture& p)
{
    std::vector<uint8_t> whole, split;
    UINT w = 0, h = 0;
    gRenderer->SetTerrainLightSplit(false);
    gRenderer->RenderFrame();
    gRenderer->RenderFrame();
    if (!LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), whole, &w, &h)) return;
    gRenderer->SetTerrainLightSplit(true);
    LvD3D9_ClearCallLog();
    LvD3D9_EnableCallLog(true);
    gRenderer->RenderFrame();
    LvD3D9_EnableCallLog(false);
    if (!LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), split, &w, &h)) return;
    p.splitDiffers = split.size() == whole.size() ? 0 : std::max(split.size(), whole.size());
    for (size_t i = 0; i < std::min(split.size(), whole.size()); ++i) p.splitDiffers += split[i] != whole[i];
    std::map<std::string, int> triangles = TrianglesByPass(LvD3D9_GetCallLog());
    p.skyLitTriangles = triangles["Phong1OpaqueSkyLit.P0"] + triangles["PhongNoSpecOpaqueSkyLit.P0"];
    p.litTriangles = triangles["Phong1Opaque.P0"] + triangles["PhongNoSpecOpaque.P0"];
}

// Colours counted on a 5-bit grid, and the luminance's spread: a cleared or
// single-colour frame has one colour and no spread.
Picture Look(int stage)
{
    Picture p;
    p.stage = stage;
    p.paired = ModelsPaired();
    const Image image = BackBuffer();
    if (image.rgba.empty()) return p;
    EXPECT_EQ(image.width, 640u);
    EXPECT_EQ(image.height, 480u);
    std::set<int> colours;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint8_t* c = &image.rgba[i];
        colours.insert((c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3));
    }
    p.colours = int(colours.size());
    p.spread = Spread(image);
    if (const char* folder = std::getenv("LV_STAGE_SHOTS")) {
        const DWORD tier = gRenderer->GetCaps().PixelShaderVersion;
        const std::string name = std::string(folder) + "/stage" + std::to_string(stage) + "_ps" +
                                 std::to_string((tier >> 8) & 0xFF) + "_" + std::to_string(tier & 0xFF) + ".png";
        LvD3D9_SaveBackBufferPNG(gRenderer->GetDevice(), name.c_str());
    }
    CompareSplitTerrain(p);
    return p;
}

// Stage s's key at the start of its frames, its picture read at their end.
void RunStages(const char* pixelShaderSwitch)
{
    PrepareGameRun(pixelShaderSwitch, kStageCount * kFramesPerStage);
    for (int stage = 1; stage <= kStageCount; ++stage) PressStageKey((stage - 1) * kFramesPerStage, stage);
    DXUTHeadlessSetFrameHook([](int frame) {
        if (gRenderer && frame % kFramesPerStage == kFramesPerStage - 1)
            gPictures.push_back(Look(frame / kFramesPerStage + 1));
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The messages of the game's three-line reports, in order.
std::vector<std::string> Reports(const std::string& log)
{
    std::vector<std::string> lines, messages;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].rfind("Failed in file: ", 0) == 0) messages.push_back(lines[i - 1]);
    }
    return messages;
}

void ExpectEveryStageDrawn()
{
    ASSERT_EQ(gPictures.size(), size_t(kStageCount));
    int litTriangles = 0, skyLitTriangles = 0;
    for (const Picture& p : gPictures) {
        EXPECT_EQ(p.splitDiffers, 0u) << "stage " << p.stage << ": the terrain split by the lights' reach";
        litTriangles += p.litTriangles;
        skyLitTriangles += p.skyLitTriangles;
        EXPECT_GT(p.colours, 64) << "stage " << p.stage << " is not a picture";
        EXPECT_GT(p.spread, 5.0) << "stage " << p.stage << " is nearly uniform";
        EXPECT_TRUE(p.paired) << "stage " << p.stage;
    }
    EXPECT_EQ(Reports(ReadFile("../Errors.txt")), std::vector<std::string>());
    // Both halves of the split drew ground, so the comparison above saw both.
    EXPECT_GT(litTriangles, 0);
    EXPECT_GT(skyLitTriangles, 0);
}

// One WinMain per process: each test is its own run.
class StagesAtTier : public ::testing::TestWithParam<const char*>
{
};

TEST_P(StagesAtTier, EveryStageDraws)
{
    RunStages(GetParam());
    ExpectEveryStageDrawn();
}

INSTANTIATE_TEST_SUITE_P(StagesEndToEnd, StagesAtTier,
                         ::testing::Values("-psversion:3.0", "-psversion:2.0", "-psversion:1.4"));

TEST(StagesEndToEnd, AMissingMeshIsReportedInOrderAndTheGamePlaysOn)
{
    // A scratch run tree without the spike mesh.
    const fs::path root = fs::temp_directory_path() / ("lv_stages_tree_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    for (const char* folder : {"Config", "Effects", "Levels", "Maps", "Meshes", "Particles", "Textures", "sounds"})
        fs::copy(fs::path("..") / folder, root / folder, fs::copy_options::recursive);
    fs::remove(root / "Meshes" / "spike.x");
    const fs::path home = fs::current_path();
    fs::current_path(root / "bin");
    RunStages("-psversion:3.0");
    const std::vector<std::string> reports = Reports(ReadFile("../Errors.txt"));
    fs::current_path(home);
    fs::remove_all(root);

    const std::vector<std::string> expected = {"Could not load mesh: spike.x", "Could not load Static Meshes",
                                               "Could not load meshes"};
    auto first = std::search(reports.begin(), reports.end(), expected.begin(), expected.end());
    EXPECT_NE(first, reports.end()) << "the three reports, one after another";
    EXPECT_EQ(gPictures.size(), size_t(kStageCount)) << "the game played every stage";
    for (const Picture& p : gPictures) EXPECT_GT(p.colours, 64) << "stage " << p.stage;
}

} // namespace
