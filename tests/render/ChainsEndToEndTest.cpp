// The post-processing chains in the whole game under the headless framework
// host, drawing for real on a windowless llvmpipe context at 640 x 480: the
// chain each stage runs at each pixel-shader tier after its load; the menus'
// blur in front while their calls are in effect and the stage's chain from
// the frame after they are undone; and what the chains show: a copy through
// targets equal to the straight scene, the blurred menu backdrop smoother than
// the stage, a bright coin's halo under the HDR chain and none under "2_0",
// shimmer over the stage-3 lava that moves with time, stage 4 blurred while
// the camera turns. Set LV_CHAIN_SHOTS to a folder to keep the pictures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "GameRun.h"
#include "core/Resources.h"
#include "game/Lumveran.h"
#include "render/MeshInstance.h"

namespace {

constexpr int kStageCount = 4;

// The frame drawn again as it stands (the world is still between these calls).
Image Draw()
{
    gRenderer->RenderFrame();
    return BackBuffer();
}

void Keep(const char* name)
{
    if (const char* folder = std::getenv("LV_CHAIN_SHOTS"))
        LvD3D9_SaveBackBufferPNG(gRenderer->GetDevice(), (std::string(folder) + "/" + name + ".png").c_str());
}

// Sum of squared four-neighbour Laplacians over the inner pixels: the fine
// detail an image holds.
double Roughness(const Image& image)
{
    double sum = 0;
    for (UINT y = 1; y + 1 < image.height; ++y) {
        for (UINT x = 1; x + 1 < image.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                auto at = [&](UINT px, UINT py) { return double(image.At(px, py)[c]); };
                const double l = 4 * at(x, y) - at(x - 1, y) - at(x + 1, y) - at(x, y - 1) - at(x, y + 1);
                sum += l * l;
            }
        }
    }
    return sum;
}

int Difference(const Image& a, const Image& b, UINT x, UINT y)
{
    int most = 0;
    for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c])));
    return most;
}

std::string FirstChainName()
{
    const std::list<DrawList>& chains = gRenderer->GetDrawLists().Chains();
    return chains.empty() ? std::string("(none)") : chains.front().name;
}

bool Logged(const std::vector<std::string>& log, const std::string& entry)
{
    return std::find(log.begin(), log.end(), entry) != log.end();
}

// A DrawList step of the copying chain below: the states set before its
// list and given back after it, one "RS state value" line each.
std::string DrawListStep(const char* name, int list, const char* before = "", const char* after = "")
{
    return std::string("Step DrawList\n Name ") + name + "\n List " + std::to_string(list) +
           "\n Target 0\n Clears END\n" + before + " RSBefore END\n" + after +
           " RSAfter END\n SSBefore END\n SSAfter END\n Tex END\n";
}

std::string PassThroughStep(const char* name, int source, int target)
{
    return std::string("Step FSE\n Name ") + name + "\n Tech PassThrough\n Src " + std::to_string(source) + "\n Dst " +
           std::to_string(target) +
           "\n Filter None\n Rect Whole\n Clears END\n SSBefore END\n SSAfter END\n Tex END\n Targets END\n"
           " Swaps END\n";
}

// A chain of the scene steps copied through targets 13 and 14 before the
// one-tap close: it must show exactly the straight scene.
std::string CopyingChain()
{
    return "Name Copy\nClosing FinalLDR\nSceneTarget 0\nBind SceneTex 14\nBinds END\nSamplers END\n" +
           DrawListStep("Opaque", 0) + DrawListStep("Skinned", 2) +
           DrawListStep("Transparent", 1, " RS 14 0\n", " RS 14 1\n") +
           DrawListStep("Additive", 3, " RS 14 0\n RS 19 2\n RS 20 2\n", " RS 14 1\n RS 19 5\n RS 20 6\n") +
           PassThroughStep("One", 0, 13) + PassThroughStep("Two", 13, 14);
}

// What the runs saw, asserted once the game has ended.
struct Seen
{
    std::map<int, std::string> chainAfterLoad; // stage -> first chain's name
    std::map<int, double> spread;              // stage -> luminance spread of its picture
    // The menus' calls.
    std::string chainWithMenu, chainAfterPop;
    bool blurDrawnWithMenu = false, stageDrawnWithMenu = true;
    bool stageDrawnAfterPop = false, blurDrawnAfterPop = true;
    bool redrawOnPopFrame = false, redrawAfterIt = true;
    double stageRoughness = 0, menuRoughness = 0;
    // The copy.
    int copyDiffering = -1, repeatDiffering = -1;
    // The coin.
    double haloHdr = 0, haloLdr = 0;
    int coinPixels = 0;
    // The lava.
    double hotShare = 0, hotChanged = 0, coldChanged = 1;
    // The turn.
    double stillRoughness = 0, turningRoughness = 0;
};

Seen gSeen;

// ---- stage 1

void CheckCopy()
{
    const std::string path = "/tmp/lv_copy_chain_" + std::to_string(getpid()) + ".cfg";
    std::ofstream(path) << CopyingChain();
    gRenderer->ClearDrawLists();
    const Image straight = Draw();
    const Image again = Draw();
    gRenderer->AddDrawList(path);
    const Image copied = Draw();
    std::remove(path.c_str());
    int differing = 0, repeat = 0;
    for (UINT y = 0; y < straight.height; ++y) {
        for (UINT x = 0; x < straight.width; ++x) {
            differing += Difference(straight, copied, x, y) > 2;
            repeat += Difference(straight, again, x, y) > 0;
        }
    }
    gSeen.copyDiffering = differing;
    gSeen.repeatDiffering = repeat;
}

// A coin of the bright coin material hovering in front of the camera, under
// "2_0.cfg" and "HDR.cfg", each against the same frame without it: the halo
// is what the coin adds just outside its own silhouette.
void CheckCoinHalo()
{
    Camera* camera = gRenderer->GetCamera();
    static Vector3 place;
    place = camera->GetPosition() + camera->GetForward() * 14.0f;
    auto frameUnder = [](const char* chain) {
        gRenderer->ClearDrawLists();
        gRenderer->AddDrawList(ConfigDirectory + chain);
        gRenderer->RenderFrame();
        return Draw();
    };
    const Image plainLdr = frameUnder("2_0.cfg"), plainHdr = frameUnder("HDR.cfg");
    MeshInstance* coin = new MeshInstance(false, false, 19, "Phong1Opaque", 11, 2, false, false, false);
    D3DXMatrixScaling(&coin->world, 3.0f, 3.0f, 3.0f);
    coin->position = &place;
    gRenderer->QueueInstance(coin);
    const Image coinLdr = frameUnder("2_0.cfg");
    Keep("coin_2_0");
    const Image coinHdr = frameUnder("HDR.cfg");
    Keep("coin_hdr");
    coin->MarkForRemoval();
    gRenderer->RenderFrame();

    // The coin's silhouette: where it changed the plain frame.
    const UINT w = coinLdr.width, h = coinLdr.height;
    std::vector<uint8_t> inside(size_t(w) * h, 0);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) inside[size_t(y) * w + x] = Difference(coinLdr, plainLdr, x, y) > 24;
    // A ring from 3 to 8 pixels outside it.
    double hdr = 0, ldr = 0;
    int ring = 0, coinPixels = 0;
    for (UINT y = 8; y + 8 < h; ++y) {
        for (UINT x = 8; x + 8 < w; ++x) {
            coinPixels += inside[size_t(y) * w + x];
            if (inside[size_t(y) * w + x]) continue;
            int nearest = 99;
            for (int dy = -8; dy <= 8; ++dy)
                for (int dx = -8; dx <= 8; ++dx)
                    if (inside[size_t(int(y) + dy) * w + size_t(int(x) + dx)])
                        nearest = std::min(nearest, std::max(std::abs(dx), std::abs(dy)));
            if (nearest < 3 || nearest > 8) continue;
            ++ring;
            hdr += coinHdr.Luminance(x, y) - plainHdr.Luminance(x, y);
            ldr += coinLdr.Luminance(x, y) - plainLdr.Luminance(x, y);
        }
    }
    gSeen.coinPixels = coinPixels;
    gSeen.haloHdr = ring ? hdr / ring : 0;
    gSeen.haloLdr = ring ? ldr / ring : 0;
}

// ---- stage 3: the heat mask (target 13) says where the lava shimmers.

void CheckShimmer()
{
    gRenderer->ClearDrawLists();
    gRenderer->SelectLevelDrawList(3);
    gRenderer->RenderFrame();
    const Image before = Draw();
    Keep("stage3_shimmer_a");
    std::vector<float> mask;
    UINT mw = 0, mh = 0;
    IDirect3DSurface9* surface = nullptr;
    if (IDirect3DTexture9* heat = gRenderer->GetRenderTargets().At(13)) heat->GetSurfaceLevel(0, &surface);
    if (surface) {
        LvD3D9_ReadSurface(surface, mask, &mw, &mh);
        surface->Release();
    }
    gRenderer->Update(0.37f);
    const Image after = Draw();
    Keep("stage3_shimmer_b");
    if (mw != before.width || mh != before.height) return;
    int hot = 0, hotChanged = 0, cold = 0, coldChanged = 0;
    for (UINT y = 0; y < mh; ++y) {
        for (UINT x = 0; x < mw; ++x) {
            const float heat = mask[(size_t(y) * mw + x) * 4];
            const bool changed = Difference(before, after, x, y) > 2;
            if (heat > 0.5f) {
                ++hot;
                hotChanged += changed;
            } else if (heat == 0.0f) {
                ++cold;
                coldChanged += changed;
            }
        }
    }
    gSeen.hotShare = double(hot) / (double(mw) * mh);
    gSeen.hotChanged = hot ? double(hotChanged) / hot : 0;
    gSeen.coldChanged = cold ? double(coldChanged) / cold : 1;
}

// ---- stage 4: the same view drawn while the camera turns and while it stands.

void CheckTurnBlur()
{
    gRenderer->ClearDrawLists();
    gRenderer->SelectLevelDrawList(4);
    Camera* camera = gRenderer->GetCamera();
    gRenderer->RenderFrame();
    gRenderer->RenderFrame();
    gSeen.stillRoughness = Roughness(BackBuffer());
    camera->SetAngle(camera->GetAngle() + 0.06f);
    gSeen.turningRoughness = Roughness(Draw());
    Keep("stage4_turning");
    gSeen.stillRoughness = Roughness(Draw()); // the turned view, standing
    Keep("stage4_still");
}

// ---- the run

struct Script
{
    int framesPerStage;
    std::function<void(int stage, int within)> onFrame;
};

// The tier the current run draws at, in the kept pictures' names.
std::string gTier;

void RunGame(const char* pixelShaderSwitch, const Script& script)
{
    gTier = std::string(pixelShaderSwitch).substr(std::string(pixelShaderSwitch).find(':') + 1);
    PrepareGameRun(pixelShaderSwitch, kStageCount * script.framesPerStage);
    for (int stage = 1; stage <= kStageCount; ++stage) PressStageKey((stage - 1) * script.framesPerStage, stage);
    static Script current;
    current = script;
    DXUTHeadlessSetFrameHook([](int frame) {
        if (gRenderer) current.onFrame(frame / current.framesPerStage + 1, frame % current.framesPerStage);
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
}

// Each stage's chain and picture a few frames after its load.
void NoteChainAfterLoad(int stage, int within)
{
    if (within != 20) return;
    gSeen.chainAfterLoad[stage] = FirstChainName();
    gSeen.spread[stage] = Spread(BackBuffer());
    Keep(("stage" + std::to_string(stage) + "_ps" + gTier).c_str());
}

void ExpectChains(const std::map<int, std::string>& expected)
{
    EXPECT_EQ(gSeen.chainAfterLoad, expected);
    for (const auto& s : gSeen.spread) EXPECT_GT(s.second, 5.0) << "stage " << s.first << " is nearly uniform";
}

// The menus' calls around stage 1's frames 40 to 43, as the main menu makes
// them: the blur first and the stage's chain behind it, then the blur popped.
void MenuFrames(int within)
{
    switch (within) {
    case 40:
        gSeen.stageRoughness = Roughness(BackBuffer());
        Keep("stage1_hdr");
        gRenderer->ClearDrawLists();
        gRenderer->AddDrawList(ConfigDirectory + "Blur.cfg");
        gRenderer->SelectLevelDrawList(1);
        gSeen.chainWithMenu = FirstChainName();
        LvD3D9_ClearCallLog();
        LvD3D9_EnableCallLog(true);
        break;
    case 41: {
        const std::vector<std::string>& log = LvD3D9_GetCallLog();
        gSeen.blurDrawnWithMenu = Logged(log, "SetTechnique BlurComposite");
        gSeen.stageDrawnWithMenu = Logged(log, "SetTechnique FinalScenePass");
        gSeen.menuRoughness = Roughness(BackBuffer());
        Keep("stage1_menu_blur");
        gRenderer->PopDrawList();
        gSeen.chainAfterPop = FirstChainName();
        gSeen.redrawOnPopFrame = gRenderer->GetDrawLists().IsRedraw();
        LvD3D9_ClearCallLog();
        break;
    }
    case 42: {
        const std::vector<std::string>& log = LvD3D9_GetCallLog();
        gSeen.stageDrawnAfterPop = Logged(log, "SetTechnique FinalScenePass");
        gSeen.blurDrawnAfterPop = Logged(log, "SetTechnique BlurComposite");
        gSeen.redrawAfterIt = gRenderer->GetDrawLists().IsRedraw();
        LvD3D9_EnableCallLog(false);
        LvD3D9_ClearCallLog();
        break;
    }
    default:
        break;
    }
}

TEST(ChainsEndToEnd, AtPixelShaders3EveryChainShowsWhatItIsFor)
{
    RunGame("-psversion:3.0", {90, [](int stage, int within) {
                                   NoteChainAfterLoad(stage, within);
                                   if (stage == 1) MenuFrames(within);
                                   if (within != 80) return;
                                   if (stage == 1) {
                                       CheckCopy();
                                       CheckCoinHalo();
                                   }
                                   if (stage == 3) CheckShimmer();
                                   if (stage == 4) CheckTurnBlur();
                                   gRenderer->ClearDrawLists();
                                   gRenderer->SelectLevelDrawList(stage);
                               }});
    ExpectChains({{1, "HDR"}, {2, "HDR"}, {3, "HeatandHDR"}, {4, "MotionBlur"}});

    EXPECT_EQ(gSeen.chainWithMenu, "Blur");
    EXPECT_TRUE(gSeen.blurDrawnWithMenu);
    EXPECT_FALSE(gSeen.stageDrawnWithMenu) << "only the first chain is drawn";
    EXPECT_EQ(gSeen.chainAfterPop, "HDR");
    EXPECT_TRUE(gSeen.redrawOnPopFrame) << "the frame after the pop rebuilds the stage chain's filters";
    EXPECT_TRUE(gSeen.stageDrawnAfterPop);
    EXPECT_FALSE(gSeen.blurDrawnAfterPop);
    EXPECT_FALSE(gSeen.redrawAfterIt) << "and only that frame";
    EXPECT_LT(gSeen.menuRoughness, 0.2 * gSeen.stageRoughness)
        << "stage " << gSeen.stageRoughness << ", blurred menu " << gSeen.menuRoughness;

    EXPECT_EQ(gSeen.repeatDiffering, 0) << "the frame drawn twice is the same frame";
    // Float targets round the transparent list's blending a little
    // differently from the back buffer; a shift or a flip changes thousands.
    EXPECT_LT(gSeen.copyDiffering, 30) << "a copy through targets moved, flipped or changed the scene";

    EXPECT_GT(gSeen.coinPixels, 200) << "the coin is in view";
    EXPECT_GT(gSeen.haloHdr, 8.0) << "the coin glows under the HDR chain";
    EXPECT_LT(std::abs(gSeen.haloLdr), 1.0) << "and not under 2_0";

    EXPECT_GT(gSeen.hotShare, 0.01) << "the stage-3 lava is hot on screen";
    EXPECT_GT(gSeen.hotChanged, 0.25) << "its shimmer moves with time";
    EXPECT_LT(gSeen.coldChanged, 0.05) << "away from it nothing moves";

    EXPECT_LT(gSeen.turningRoughness, 0.8 * gSeen.stillRoughness)
        << "still " << gSeen.stillRoughness << ", turning " << gSeen.turningRoughness;
}

TEST(ChainsEndToEnd, AtPixelShaders2TheHeatStageRunsItsOwnChain)
{
    RunGame("-psversion:2.0", {30, NoteChainAfterLoad});
    ExpectChains({{1, "2_0"}, {2, "2_0"}, {3, "Heat2_0"}, {4, "2_0"}});
}

TEST(ChainsEndToEnd, BelowPixelShaders2EveryStageRunsTheReducedChain)
{
    RunGame("-psversion:1.4", {30, NoteChainAfterLoad});
    ExpectChains({{1, "2_0"}, {2, "2_0"}, {3, "2_0"}, {4, "2_0"}});
}

} // namespace
