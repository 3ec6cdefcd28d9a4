// The whole game at pixel shaders 3.0, where stage 4 smears each pixel along
// its motion since the last frame: the frame right after the stage's load
// must be as sharp as one drawn once the stage has run a while, though the
// camera jumped from another stage's view and every drawable is new.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "d3d9_host.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "render/Renderer.h"

namespace {

// Stage 3 first, so the load into stage 4 moves the camera far.
constexpr int kStageThreeFrame = 2;
constexpr int kStageFourFrame = 60;
constexpr int kSettledFrame = 120;
// A smeared frame keeps well under half of a sharp one's detail.
constexpr double kLeastSharpnessRatio = 0.8;

// Mean absolute luminance step between neighbouring pixels: blur lowers it.
double Sharpness()
{
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    if (!LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), rgba, &w, &h) || w < 2 || h < 2) return 0.0;
    auto luminance = [&](UINT x, UINT y) {
        const uint8_t* c = &rgba[(size_t(y) * w + x) * 4];
        return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
    };
    double sum = 0.0;
    for (UINT y = 0; y + 1 < h; ++y) {
        for (UINT x = 0; x + 1 < w; ++x) {
            const double here = luminance(x, y);
            sum += std::fabs(luminance(x + 1, y) - here) + std::fabs(luminance(x, y + 1) - here);
        }
    }
    return sum / (double(w - 1) * double(h - 1));
}

double gFirstFrame = -1.0;
double gSettled = -1.0;
int gStageBefore = 0; // the stage the frame before the load drew
int gStageAfter = 0;  // the stage the measured first frame drew

TEST(StageLoadBlurEndToEnd, TheFirstFrameAfterALoadIsNotSmearedByTheCameraJump)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480", "-psversion:3.0"};
    Win32SetCommandLine(5, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, kSettledFrame + 1);
    DXUTHeadlessEnableDevice();
    for (int frame : {kStageThreeFrame, kStageFourFrame}) {
        const UINT key = frame == kStageThreeFrame ? UINT('3') : UINT('4');
        DXUTHeadlessScheduleKey(frame, key, true);
        DXUTHeadlessScheduleKey(frame + 1, key, false);
    }
    // The hook runs after the frame's picture: the key's load came first.
    DXUTHeadlessSetFrameHook([](int frame) {
        if (gRenderer == nullptr || gLevelLoader == nullptr) return;
        if (frame == kStageFourFrame - 1) gStageBefore = gLevelLoader->GetStage();
        if (frame == kStageFourFrame) {
            gStageAfter = gLevelLoader->GetStage();
            gFirstFrame = Sharpness();
        }
        if (frame == kSettledFrame) gSettled = Sharpness();
    });
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(gStageBefore, 3);
    ASSERT_EQ(gStageAfter, 4) << "the measured frame is not the first after the load";
    ASSERT_GT(gSettled, 0.0) << "stage 4 drew nothing to compare with";
    EXPECT_GE(gFirstFrame, kLeastSharpnessRatio * gSettled)
        << "first frame " << gFirstFrame << ", settled " << gSettled;
}

} // namespace
