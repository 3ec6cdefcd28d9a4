// The whole game at pixel shaders 3.0, where stage 4 smears each pixel along
// its motion since the last frame: the frame right after the stage's load
// must be as sharp as one drawn once the stage has run a while, though the
// camera jumped from another stage's view and every drawable is new.
#include <gtest/gtest.h>

#include "GameRun.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"

namespace {

// Stage 3 first, so the load into stage 4 moves the camera far.
constexpr int kStageThreeFrame = 2;
constexpr int kStageFourFrame = 60;
constexpr int kSettledFrame = 120;
// A smeared frame keeps well under half of a sharp one's detail.
constexpr double kLeastSharpnessRatio = 0.8;

double gFirstFrame = -1.0;
double gSettled = -1.0;
int gStageBefore = 0; // the stage the frame before the load drew
int gStageAfter = 0;  // the stage the measured first frame drew

TEST(StageLoadBlurEndToEnd, TheFirstFrameAfterALoadIsNotSmearedByTheCameraJump)
{
    PrepareGameRun("-psversion:3.0", kSettledFrame + 1);
    PressStageKey(kStageThreeFrame, 3);
    PressStageKey(kStageFourFrame, 4);
    // The hook runs after the frame's picture: the key's load came first.
    DXUTHeadlessSetFrameHook([](int frame) {
        if (gRenderer == nullptr || gLevelLoader == nullptr) return;
        if (frame == kStageFourFrame - 1) gStageBefore = CurrentStage();
        if (frame == kStageFourFrame) {
            gStageAfter = CurrentStage();
            gFirstFrame = Sharpness(BackBuffer());
        }
        if (frame == kSettledFrame) gSettled = Sharpness(BackBuffer());
    });
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(gStageBefore, 3);
    ASSERT_EQ(gStageAfter, 4) << "the measured frame is not the first after the load";
    ASSERT_GT(gSettled, 0.0) << "stage 4 drew nothing to compare with";
    EXPECT_GE(gFirstFrame, kLeastSharpnessRatio * gSettled)
        << "first frame " << gFirstFrame << ", settled " << gSettled;
}

} // namespace
