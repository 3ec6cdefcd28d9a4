// The play-through's tables. Places come from the shipped stage files
// (data/Levels/stage1-4.qvl); the counts from what each stage builds.
// LV_PLAY_TRACE=30 prints where a run stands every 30 frames, for writing
// new rows.
#include "StageScripts.h"

#include <gtest/gtest.h>

#include <dinput.h>

#include "audio/JukeBox.h"
#include "core/Clock.h"
#include "game/Player.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Ragdoll.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

namespace {

// What each stage builds when it loads: World objects and lights.
struct StageCounts
{
    int objects;
    int lights;
};
const StageCounts kStage[5] = {{0, 0}, {47, 5}, {60, 5}, {27, 3}, {22, 4}};

Expect Loaded(int stage)
{
    return Expect()
        .Stage(stage)
        .Objects(kStage[stage].objects)
        .Lights(kStage[stage].lights)
        .StageScore(0)
        .Upright(true);
}

Camera& TheCamera()
{
    return *gRenderer->GetCamera();
}

bool ClockScaled()
{
    return Clock::GetFrameTime(false) != Clock::GetFrameTime(true);
}

// The replay's steps once a knock-out has opened its menu: a step, slow
// motion, then the choice.
void AddReplayControls(PlayTable& table)
{
    table.push_back({"replay", TopIs(kMenuReplay), Expect().Also([] {
                         EXPECT_FALSE(gPlayer->IsUpright());
                         EXPECT_TRUE(gReplaySystem->IsPlaying());
                         EXPECT_FALSE(gReplaySystem->IsRecording());
                         EXPECT_TRUE(gHUDManager->IsPointerVisible());
                         EXPECT_GE(gReplaySystem->GetDeathFrame(), 0);
                     }),
                     Click(kMenuReplay, 6)}); // a step forward
    table.push_back({"replay stepped", [](int) { return gReplaySystem->IsFrozen(); },
                     Expect().Top(kMenuReplay).Also([] { EXPECT_FALSE(ClockScaled()); }),
                     Click(kMenuReplay, 7)}); // slow motion
    table.push_back({"slow motion", [](int) { return gReplaySystem->IsSlow(); }, Expect().Top(kMenuReplay).Also([] {
                         EXPECT_TRUE(ClockScaled());
                         EXPECT_FALSE(gReplaySystem->IsFrozen());
                     })});
}

} // namespace

PlayTable StageOnePlay()
{
    const int W = 640, H = 480;
    PlayTable t = {
        {"logo splash", Frames(0), Loaded(1).Stack({kMenuMain, kMenuImageSplash, kMenuLogoSplash}).TotalScore(0),
         ClickAt(W / 2, H / 2)},
        {"image splash", TopIs(kMenuImageSplash), Expect().Stack({kMenuMain, kMenuImageSplash}), ClickAt(W / 2, H / 2)},
        {"main menu", TopIs(kMenuMain),
         Expect().Stack({kMenuMain}).Also([] { EXPECT_TRUE(TheCamera().IsAutoRotating()); }),
         Click(kMenuMain, 5)}, // options
        {"options", TopIs(kMenuOptions),
         Expect().Stack({kMenuMain, kMenuOptions}).Also([] { EXPECT_FALSE(TheCamera().GetInvertX()); }),
         Click(kMenuOptions, 6)}, // invert x
        {"invert x ticked", [](int) { return TheCamera().GetInvertX(); }, Expect().Top(kMenuOptions),
         Click(kMenuOptions, 5)},                                                                // back
        {"main menu again", TopIs(kMenuMain), Expect().Stack({kMenuMain}), Click(kMenuMain, 3)}, // new game
        {"new game", TopIs(kMenuNone), Loaded(1).Stack({}).Also([] {
             EXPECT_TRUE(TheCamera().IsMouseLookEnabled());
             EXPECT_FALSE(gHUDManager->IsPointerVisible());
         }),
         Hold({DIK_W})},
        {"jump", Frames(15), Expect().Upright(true), Hold({DIK_W, DIK_SPACE})},
        {"first coin", StageScoreIs(1), Expect().Stage(1).TotalScore(0), Hold({DIK_W})},
        // Standing still on the bridge's middle: it creaks for two seconds
        // and gives way, and the character falls into the canyon.
        {"on the bridge", WalkTo(Vector3(-36.0f, -44.5f, 0.0f), 1.0f), Expect().StageScore(2).Upright(true), Hold({})},
        {"into the canyon", Limp(), Expect().Stage(1).Top(kMenuNone).Upright(false)},
    };
    AddReplayControls(t);
    const std::vector<PlayStep> rest = {
        {"try again", Frames(1), Expect(), Click(kMenuReplay, 10)}, // yes
        {"tried again", TopIs(kMenuNone), Loaded(1).TotalScore(0).Also([] {
             EXPECT_FALSE(ClockScaled());
             EXPECT_TRUE(gReplaySystem->IsRecording());
         }),
         Hold({DIK_W})},
        {"first coin again", WalkTo(Vector3(-36.0f, 10.0f, 0.0f), 1.0f), Expect().Upright(true)},
        {"onto the bridge", WalkTo(Vector3(-36.0f, -20.0f, 0.0f), 1.5f), Expect().StageScore(2).Upright(true)},
        {"across the bridge", WalkTo(Vector3(-36.0f, -60.0f, 0.0f), 1.5f), Expect().StageScore(3).Upright(true)},
        {"to the last coin", WalkTo(Vector3(-36.0f, -92.0f, 0.0f), 1.5f), Expect().StageScore(3).Upright(true)},
        {"to the exit", Any({StageIs(2), WalkTo(Vector3(-36.0f, -104.0f, 0.0f), 0.0f)})},
        {"stage 2", StageIs(2), Loaded(2).TotalScore(4), Hold({})},
    };
    t.insert(t.end(), rest.begin(), rest.end());
    return t;
}

PlayTable StageTwoPlay()
{
    return {
        {"key 2", Frames(1), Expect(), Key('2')},
        {"stage 2", All({StageIs(2), TopIs(kMenuNone)}), Loaded(2).TotalScore(0)},
        {"first coin", WalkTo(Vector3(-120.0f, -127.0f, 0.0f), 1.5f), Expect().StageScore(1).Upright(true)},
    };
}

PlayTable StageThreePlay()
{
    return {
        {"key 3", Frames(1), Expect(), Key('3')},
        {"stage 3", All({StageIs(3), TopIs(kMenuNone)}), Loaded(3).TotalScore(0)},
        {"first coin", WalkTo(Vector3(-35.0f, -100.0f, 0.0f), 1.5f), Expect().StageScore(1).Upright(true)},
        // Off the path's side and down into the lava.
        {"into the lava", Limp(), Expect().Stage(3).StageScore(0), Hold({DIK_D})},
    };
}

PlayTable StageFourPlay()
{
    return {
        {"key 4", Frames(1), Expect(), Key('4')},
        {"stage 4", All({StageIs(4), TopIs(kMenuNone)}), Loaded(4).TotalScore(0)},
    };
}
