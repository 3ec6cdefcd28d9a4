// The play-through's tables. Places come from the shipped stage files
// (data/Levels/stage1-4.qvl); the counts from what each stage builds.
// LV_PLAY_TRACE=30 prints where a run stands every 30 frames, for writing
// new rows.
#include "StageScripts.h"

#include <gtest/gtest.h>

#include <dinput.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

#include "audio/JukeBox.h"
#include "core/Clock.h"
#include "game/InGameLevelEditor.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/ChainPlatform.h"
#include "objects/Box.h"
#include "objects/ChainWhip.h"
#include "objects/MineCart.h"
#include "objects/Cylinder.h"
#include "objects/SwingingLog.h"
#include "objects/Ragdoll.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

namespace {

// What each stage builds when it loads: World objects, then lights.
const int kStage[5][2] = {{0, 0}, {47, 5}, {60, 5}, {27, 3}, {22, 4}};
constexpr int kAnyScore = -1;

Expect Loaded(int stage)
{
    return Expect().Stage(stage).Objects(kStage[stage][0]).Lights(kStage[stage][1]).StageScore(0).Upright(true);
}

Camera& TheCamera()
{
    return *gRenderer->GetCamera();
}

bool ClockScaled()
{
    return Clock::GetFrameTime(false) != Clock::GetFrameTime(true);
}

PlayTable Join(std::initializer_list<PlayTable> parts)
{
    PlayTable all;
    for (const PlayTable& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A walk along the ground to a point the character reaches upright, with
// that stage score when one is given.
PlayStep Walk(std::string name, float x, float y, float reach, int score = kAnyScore, Act act = Act())
{
    Expect expect = Expect().Upright(true);
    if (score != kAnyScore) expect.StageScore(score);
    return {std::move(name), WalkTo(Vector3(x, y, 0.0f), reach), expect, std::move(act)};
}

// A stage's developer key, then the stage as it has loaded.
PlayTable ByKey(int stage, Expect loaded, Act act = Act())
{
    return {
        {"key " + std::to_string(stage), Frames(1), Expect(), Key(unsigned('0' + stage))},
        {"stage " + std::to_string(stage), All({StageIs(stage), TopIs(kMenuNone)}), std::move(loaded), std::move(act)}};
}

// On to a stage's exit until the next stage has loaded, with the total score then.
PlayTable ToExit(float x, float y, int next, int total)
{
    return {{"to the exit", Any({StageIs(next), WalkTo(Vector3(x, y, 0.0f), 0.0f)})},
            {"stage " + std::to_string(next), StageIs(next), Loaded(next).TotalScore(total), Hold({})}};
}

// The replay's steps once a knock-out has opened its menu: a step, slow
// motion, then the choice.
PlayTable ReplayControls()
{
    return {
        {"replay", TopIs(kMenuReplay), Expect().Also([] {
             EXPECT_FALSE(gPlayer->IsUpright());
             EXPECT_TRUE(gReplaySystem->IsPlaying());
             EXPECT_FALSE(gReplaySystem->IsRecording());
             EXPECT_TRUE(gHUDManager->IsPointerVisible());
             EXPECT_GE(gReplaySystem->GetDeathFrame(), 0);
         }),
         Click(kMenuReplay, 6)}, // a step forward
        {"replay stepped", [](int) { return gReplaySystem->IsFrozen(); },
         Expect().Top(kMenuReplay).Also([] { EXPECT_FALSE(ClockScaled()); }), Click(kMenuReplay, 7)}, // slow motion
        {"slow motion", [](int) { return gReplaySystem->IsSlow(); }, Expect().Top(kMenuReplay).Also([] {
             EXPECT_TRUE(ClockScaled());
             EXPECT_FALSE(gReplaySystem->IsFrozen());
         })},
    };
}

} // namespace

PlayTable StageOnePlay()
{
    const int W = 640, H = 480;
    const PlayTable opening = {
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
        Walk("on the bridge", -36.0f, -44.5f, 1.0f, 2, Hold({})),
        {"into the canyon", Limp(), Expect().Stage(1).Top(kMenuNone).Upright(false)},
    };
    const PlayTable again = {
        {"try again", Frames(1), Expect(), Click(kMenuReplay, 10)}, // yes
        {"tried again", TopIs(kMenuNone), Loaded(1).TotalScore(0).Also([] {
             EXPECT_FALSE(ClockScaled());
             EXPECT_TRUE(gReplaySystem->IsRecording());
         }),
         Hold({DIK_W})},
        Walk("first coin again", -36.0f, 10.0f, 1.0f),
        Walk("onto the bridge", -36.0f, -20.0f, 1.5f, 2),
        Walk("across the bridge", -36.0f, -60.0f, 1.5f, 3),
        Walk("to the last coin", -36.0f, -92.0f, 1.5f, 3),
    };
    return Join({opening, ReplayControls(), again, ToExit(-36.0f, -104.0f, 2, 4)});
}

PlayTable StageTwoPlay()
{
    const PlayTable walk = {
        Walk("first coin", -120.0f, -127.0f, 1.5f, 1),
        // The trigger lets the first log go; it swings along the walkway
        // like a ram, so the character stops short of it.
        {"log let go", WalkTo(Vector3(-95.0f, -127.0f, 0.0f), 9.0f),
         Expect().Upright(true).Also([] { EXPECT_FALSE(gWorld->GetSwingingLogs()[0]->GetLog()->IsFrozen()); }),
         Hold({})},
        {"log swinging", Frames(60), Expect().Upright(true).Also([] {
             const Object* log = gWorld->GetSwingingLogs()[0]->GetLog();
             EXPECT_GT(log->linearVelocity.Length(), 1.0f);
             EXPECT_TRUE(gWorld->GetSwingingLogs()[1]->GetLog()->IsFrozen());
         }),
         // Past the swinging logs and the coin in their reach: their ram
         // leaves no gap a scripted walk can time, so the character is put
         // down beyond them.
         Place(Vector3(-40.0f, -127.0f, 16.0f))},
        Walk("off the walkway", -18.0f, -127.0f, 1.5f),
        Walk("third coin", -6.0f, -60.0f, 1.5f, 2),
        {"whips started", WalkTo(Vector3(-6.0f, -45.0f, 0.0f), 1.5f), Expect().Upright(true).Also([] {
             ASSERT_EQ(gWorld->GetChainWhips().size(), 2u);
             for (const ChainWhip* whip : gWorld->GetChainWhips()) EXPECT_TRUE(whip->IsActive());
         })},
        // Around the whips, wide of their reach, and up the slope.
        Walk("away from the whips", 40.0f, -50.0f, 2.0f),
        Walk("past the whips", 40.0f, 30.0f, 2.0f),
        Walk("fourth coin", 16.0f, 60.0f, 1.5f, 3),
        Walk("fifth coin", 16.0f, 100.0f, 1.5f, 4),
        // Around the pit the spinning logs turn over, along its east side.
        Walk("by the pit", 85.0f, 100.0f, 3.0f),
        Walk("past the spinning logs", 85.0f, 188.0f, 2.0f),
        Walk("last coin", 16.0f, 190.0f, 1.5f, 5),
    };
    return Join({ByKey(2, Loaded(2).TotalScore(0).Also([] {
                     for (const SwingingLog* log : gWorld->GetSwingingLogs()) EXPECT_TRUE(log->GetLog()->IsFrozen());
                     for (const ChainWhip* whip : gWorld->GetChainWhips()) EXPECT_FALSE(whip->IsActive());
                 })),
                 walk, ToExit(16.0f, 196.0f, 3, 5)});
}

namespace {

Until StandingOnThePlatform()
{
    return [](int) {
        const ChainPlatform* platform = gWorld->GetChainPlatform();
        const int on = gPlayer->GetStandingOn();
        return platform && on >= 0 && on < gWorld->GetNumObjects() &&
               gWorld->GetObject(on) == static_cast<const Object*>(platform->GetPlatform());
    };
}

} // namespace

PlayTable StageThreePlay()
{
    const PlayTable lava = {
        Walk("first coin", -35.0f, -100.0f, 1.5f, 1),
        // Off the path's side and down into the lava.
        {"into the lava", Limp(), Expect().Stage(3).Top(kMenuNone).StageScore(0), Hold({DIK_D})},
    };
    const PlayTable again = {
        {"no", Frames(1), Expect(), Click(kMenuReplay, 11)},
        {"main menu after no", TopIs(kMenuMain), Loaded(1).Stack({kMenuMain}).TotalScore(0).Also([] {
             EXPECT_FALSE(ClockScaled());
             EXPECT_TRUE(gHUDManager->IsPointerVisible());
         }),
         Click(kMenuMain, 3)}, // new game
        {"new game", TopIs(kMenuNone), Loaded(1).Stack({}), Key('3')},
        {"stage 3 again", All({StageIs(3), TopIs(kMenuNone)}), Loaded(3).TotalScore(0)},
        Walk("coin again", -35.0f, -100.0f, 1.5f, 1),
        Walk("up the path", -35.0f, -40.0f, 1.5f, 2),
        Walk("before the gap", -35.0f, 10.0f, 1.5f, 3),
        Walk("at the gap's edge", -35.0f, 28.0f, 1.5f, kAnyScore, Hold({DIK_W})),
        {"on the platform", StandingOnThePlatform(), Expect().StageScore(3).Upright(true),
         // The platform swings high on its chains with the character on it;
         // getting off over the far side takes a timing a scripted walk
         // cannot hold, so the character is put down there.
         Place(Vector3(-35.0f, 58.0f, 50.0f))},
        Walk("over the gap", -35.0f, 66.0f, 1.5f, 4),
        Walk("last coin", -35.0f, 100.0f, 1.5f, 5),
    };
    return Join({ByKey(3, Loaded(3).TotalScore(0)), lava, ReplayControls(), again, ToExit(-35.0f, 140.0f, 4, 5)});
}

namespace {

// The speed boosts that have fired.
int BoostsFired()
{
    int fired = 0;
    for (const Trigger* t : gWorld->GetTriggers()) fired += t->kind == Trigger::kSpeedBoost && t->fired ? 1 : 0;
    return fired;
}

float CartSpeed()
{
    return gWorld->GetVehicles().front()->linearVelocity.Length();
}

Until CartPast(float x)
{
    return [x](int) { return !gWorld->GetVehicles().empty() && gWorld->GetVehicles().front()->position.x >= x; };
}

} // namespace

PlayTable StageFourPlay()
{
    // The speed the cart had before the brake, for the step after it.
    static float beforeBrake = 0.0f;
    const PlayTable drive = {
        // The cart settles on its wheels before it is driven.
        {"settled", Frames(60), Expect().Also([] { EXPECT_LT(CartSpeed(), 1.0f); }), Hold({DIK_W})},
        {"first coin", CartPast(-128.0f), Expect().StageScore(1).Upright(true)},
        {"first boost", CartPast(-96.0f), Expect().StageScore(1).Also([] {
             EXPECT_EQ(BoostsFired(), 1);
             beforeBrake = CartSpeed();
             EXPECT_GT(beforeBrake, 5.0f);
         }),
         Hold({DIK_SPACE})},
        {"braked", Frames(60), Expect().Also([] {
             EXPECT_LT(CartSpeed(), beforeBrake);
             const MineCart* cart = dynamic_cast<const MineCart*>(gWorld->GetVehicles().front());
             ASSERT_NE(cart, nullptr);
             EXPECT_GT(cart->GetBrake(), 0.5f);
         }),
         Hold({DIK_W})},
        {"second coin", CartPast(-38.0f), Expect().StageScore(2)},
        {"second boost", CartPast(44.0f), Expect().StageScore(2).Also([] { EXPECT_EQ(BoostsFired(), 2); })},
        {"third coin", CartPast(62.0f), Expect().StageScore(3)},
        {"to the exit", StageIs(1), Loaded(1).TotalScore(3), Hold({})},
    };
    return Join({ByKey(4, Loaded(4).TotalScore(0).Also([] { ASSERT_EQ(gWorld->GetVehicles().size(), 1u); })), drive});
}

namespace {

const std::string& CurrentTrackName()
{
    return (*gJukeBox->playlist)[static_cast<std::size_t>(gJukeBox->current)];
}

bool TrackPaused()
{
    const auto slot = gJukeBox->slots.find(CurrentTrackName());
    bool paused = false;
    if (slot != gJukeBox->slots.end() && slot->second.channel != nullptr) slot->second.channel->getPaused(&paused);
    return paused;
}

Until TrackIs(int index)
{
    return [index](int) { return gJukeBox->current == index && gJukeBox->playing; };
}

std::string SavedStageOne()
{
    std::ifstream in("../Levels/stage1.qvl", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the editor pushed and saved, for the steps after.
struct Edited
{
    int index = -1;
    Vector3 before;
    std::string shipped, saved;
};

} // namespace

PlayTable PauseMusicAndEditorPlay()
{
    static Edited edited;
    edited = Edited();
    const Expect jukeBoxIdle = Loaded(1).Also([] {
        ASSERT_NE(gJukeBox, nullptr);
        ASSERT_NE(gJukeBox->playlist, nullptr);
        EXPECT_EQ(gJukeBox->playlist->size(), 3u);
        EXPECT_FALSE(gJukeBox->playing);
    });
    const PlayTable rest = {
        {"paused", TopIs(kMenuPause),
         Expect().Stack({kMenuPause}).Also([] { EXPECT_TRUE(gHUDManager->IsPointerVisible()); }),
         Click(kMenuPause, 2)}, // resume
        {"resumed", TopIs(kMenuNone), Expect().Stack({}).Stage(1).Upright(true), Tap(DIK_RSHIFT)},
        {"music plays", TrackIs(0), Expect().Track(0, true).Also([] { EXPECT_FALSE(TrackPaused()); }), Tap(DIK_COMMA)},
        {"next track", TrackIs(1), Expect().Track(1, true), Tap(DIK_PERIOD)},
        {"previous track", All({Frames(3), TrackIs(0)}), Expect().Track(0, true), Tap(DIK_SLASH)},
        {"music paused", [](int) { return TrackPaused(); }, Expect().Track(0, true), Tap(DIK_0)},
        // "Go" on the dialog's first action, the next object, twice: past
        // the character's walking body to the first torch.
        {"editor on", [](int) { return gInGameLevelEditor->IsEnabled(); }, Expect(), Then({Key('X'), Key('X')})},
        {"torch chosen", Frames(6), Expect().Also([] {
             const Object* active = gInGameLevelEditor->GetActiveObject();
             ASSERT_NE(active, nullptr);
             edited.index = gInGameLevelEditor->GetObjectIndex();
             edited.before = active->position;
             edited.shipped = SavedStageOne();
         }),
         Hold({DIK_NUMPAD6})},
        {"pushed", Frames(60), Expect().Also([] {
             const Object* active = gInGameLevelEditor->GetActiveObject();
             ASSERT_NE(active, nullptr);
             EXPECT_EQ(gInGameLevelEditor->GetObjectIndex(), edited.index);
             const Vector3 moved = active->position - edited.before;
             EXPECT_GT(moved.Length(), 1.0f) << moved.x << " " << moved.y << " " << moved.z;
         }),
         // The dialog's list to "Save current level" by its hot key, then "Go".
         Then({Hold({}), Key('Z'), Key('Z'), Key('Z'), Key('Z'), Key('Z'), Key('Z'), Key('Z'), Key('X')})},
        {"saved", [](int) { return SavedStageOne() != edited.shipped; }, Expect(),
         [](PlayInput&) {
             edited.saved = SavedStageOne();
             // The developer key's reload, from the file just saved.
             OnKeyboard('1', true, false, nullptr);
         }},
        {"reloaded", Frames(1), Loaded(1).Also([] {
             // The pushed torch is back where the file has it, which is not
             // where the shipped file had it (across: its first frame may
             // settle it a little in height).
             const Object* torch = gWorld->GetObject(edited.index);
             ASSERT_NE(torch, nullptr);
             char where[96];
             std::snprintf(where, sizeof where, "position: %f %f ", torch->position.x, torch->position.y);
             EXPECT_NE(edited.saved.find(where), std::string::npos) << where;
             EXPECT_EQ(edited.shipped.find(where), std::string::npos) << where;
             EXPECT_FALSE(std::ifstream("../Levels/stage1.qvl.tmp").good());
         })},
    };
    return Join({ByKey(1, jukeBoxIdle, Key(VK_ESCAPE)), rest});
}
