#include "MenuSteps.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <dinput.h>

#include "Win32Host.h"
#include "core/Clock.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/World.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "render/Camera.h"
#include "render/DrawListStack.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"

namespace {

int Top()
{
    return gMenuMan ? gMenuMan->GetCurrentMenuId() : -1;
}

Camera& TheCamera()
{
    return *gRenderer->GetCamera();
}

MenuItemHUD* Item(int menu, int index)
{
    Menu* m = gMenuMan->GetMenu(menu);
    return m ? m->GetItem(index) : nullptr;
}

// The hot spot in the middle of a menu item, then a click.
void ClickItem(MenuScript& script, int menu, int index)
{
    const MenuItemHUD* item = Item(menu, index);
    ASSERT_NE(item, nullptr) << "menu " << menu << " item " << index;
    script.ClickAt(item->GetLeft() + item->GetWidth() / 2, item->GetTop() + item->GetHeight() / 2);
}

bool ClockScaled()
{
    return Clock::GetFrameTime(false) != Clock::GetFrameTime(true);
}

// The player's character, while the stage has one.
Ragdoll* Character()
{
    return gPlayer ? gPlayer->GetBody() : nullptr;
}

ReplayFrame StateOf(const Object& body)
{
    return {body.position, body.linearVelocity, body.angularVelocity, body.GetOrientation()};
}

// Out of the replay by either choice: stage 1 afresh, full speed, recording.
void ExpectFreshStageOne(const MenuRun& run)
{
    EXPECT_EQ(CurrentStage(), 1);
    EXPECT_EQ(gWorld->GetNumObjects(), run.stageObjects);
    EXPECT_FALSE(ClockScaled());
    EXPECT_TRUE(gReplaySystem->IsRecording());
}

// A click on "yes" or "no": the stage and its character go with the load.
void AddLeaveReplayStep(MenuRun& run, const char* name, int item)
{
    MenuScript& s = run.script;
    s.Add(
        name, [] { return true; }, [&s, item] { ClickItem(s, kMenuReplay, item); });
}

} // namespace

int RunGame(MenuRun& run, bool withDevice)
{
    // No sound device here: the sound library must not complain into the log.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    run.script.Start(withDevice);
    const int result = WinMain(nullptr, nullptr, nullptr, 0);
    EXPECT_TRUE(run.script.Finished()) << run.script.Progress();
    return result;
}

std::vector<std::string> ChainNames()
{
    std::vector<std::string> names;
    for (const DrawList& chain : gRenderer->GetDrawLists().Chains()) names.push_back(chain.name);
    return names;
}

void MenuRun::WatchReplay(int frameJustRun)
{
    frame = frameJustRun;
    if (!gReplaySystem || !gWorld) return;
    const int ring = gReplaySystem->GetCurrentFrame();
    if (ring == lastRingFrame) return;
    ringBeforeTick = lastRingFrame;
    lastRingFrame = ring;
    if (ring < 0) return;
    const std::vector<Object*>& objects = gWorld->GetObjects();
    if (gReplaySystem->IsRecording() && !gReplaySystem->IsPlaying()) {
        std::vector<ReplayFrame>& copy = recorded[ring];
        copy.clear();
        for (const Object* body : objects) copy.push_back(StateOf(*body));
        return;
    }
    if (!gReplaySystem->IsPlaying() || Top() != kMenuReplay) return;
    // A playback tick: every recorded body exactly as the test saw it.
    ++playbackTicks;
    const auto seen = recorded.find(ring);
    if (seen == recorded.end()) {
        ++mismatches;
        return;
    }
    for (std::size_t i = 0; i < objects.size() && i < seen->second.size(); ++i) {
        const ReplayFrame now = StateOf(*objects[i]);
        if (std::memcmp(&now, &seen->second[i], sizeof(now)) != 0) ++mismatches;
    }
    if (const Ragdoll* character = Character()) {
        const auto age = [](int f) {
            return (f - gReplaySystem->GetStartFrame() + cReplaySystem::kFrameCount) % cReplaySystem::kFrameCount;
        };
        const bool limp = age(ring) >= age(gReplaySystem->GetDeathFrame());
        if (character->IsLimp() != limp) ++limpMismatches;
    } else {
        ++limpMismatches;
    }
}

void AddOpeningSteps(MenuRun& run, bool splashTimers)
{
    MenuScript& s = run.script;
    s.Add(
        "start", [] { return true; },
        [&run, &s, splashTimers] {
            EXPECT_EQ(std::vector<int>(gMenuMan->GetStack().begin(), gMenuMan->GetStack().end()),
                      std::vector<int>({kMenuMain, kMenuImageSplash, kMenuLogoSplash}));
            EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuLogoSplash));
            EXPECT_TRUE(gHUDManager->IsPointerVisible());
            EXPECT_EQ(gHUDManager->GetPointer()->GetX(), 0);
            EXPECT_EQ(CurrentStage(), 1);
            ASSERT_FALSE(ChainNames().empty());
            if (run.blurPresent) {
                EXPECT_EQ(ChainNames().front(), "Blur");
            }
            EXPECT_TRUE(gReplaySystem->IsRecording());
            EXPECT_TRUE(gReplaySystem->IsRingReady());
            run.stageObjects = gWorld->GetNumObjects();
            run.stageChain = ChainNames().back();
            if (!splashTimers) s.ClickAt(s.Width() / 2, s.Height() / 2);
        });
    s.Add(
        "logo splash closed", [] { return Top() == kMenuImageSplash; },
        [&s, splashTimers] {
            if (!splashTimers) s.Click();
        });
    s.Add(
        "main menu", [] { return Top() == kMenuMain; },
        [&run, &s, splashTimers] {
            // Each splash stays its 3000 ms of game time: 180 frames.
            if (splashTimers) {
                EXPECT_GE(run.frame, 2 * 180);
                EXPECT_LE(run.frame, 2 * 180 + 2);
            }
            EXPECT_EQ(gMenuMan->GetStack().size(), 1u);
            if (run.blurPresent) {
                EXPECT_EQ(ChainNames().front(), "Blur");
            }
            EXPECT_TRUE(TheCamera().IsAutoRotating());
            EXPECT_FALSE(TheCamera().IsMouseLookEnabled());
            ClickItem(s, kMenuMain, 3); // new game
        });
    s.Add(
        "new game", [] { return Top() == kMenuNone; },
        [&run] {
            EXPECT_EQ(gHUDManager->GetActiveHUD(), 0u);
            EXPECT_FALSE(gHUDManager->IsPointerVisible());
            EXPECT_TRUE(TheCamera().IsMouseLookEnabled());
            EXPECT_FALSE(TheCamera().IsAutoRotating());
            if (run.blurPresent) {
                EXPECT_EQ(ChainNames(), std::vector<std::string>({run.stageChain}));
            }
            EXPECT_FLOAT_EQ(TheCamera().GetAngle(), gHUDManager->savedYaw);
            EXPECT_FLOAT_EQ(TheCamera().GetClampedAngle(), gHUDManager->savedPitch);
        });
}

void AddOptionsOverPauseSteps(MenuRun& run)
{
    MenuScript& s = run.script;
    s.Add(
        "escape", [] { return true; }, [&s] { s.PressKey(VK_ESCAPE); });
    s.Add(
        "pause", [] { return Top() == kMenuPause; },
        [&run, &s] {
            if (run.blurPresent) {
                EXPECT_EQ(ChainNames(), std::vector<std::string>({run.stageChain, "Blur"}));
            }
            EXPECT_FALSE(TheCamera().IsMouseLookEnabled());
            ClickItem(s, kMenuPause, 4); // options
        });
    s.Add(
        "options", [] { return Top() == kMenuOptions; },
        [&s] {
            EXPECT_EQ(gMenuMan->GetStack().size(), 2u);
            EXPECT_EQ(Item(kMenuOptions, 6)->GetTexture(), 63);
            ClickItem(s, kMenuOptions, 6); // invert x
        });
    s.Add(
        "invert x checked", [] { return TheCamera().GetInvertX(); },
        [&s] {
            EXPECT_EQ(Item(kMenuOptions, 6)->GetTexture(), 64);
            ClickItem(s, kMenuOptions, 5); // back
        });
    s.Add(
        "back to pause", [] { return Top() == kMenuPause; }, [&s] { ClickItem(s, kMenuPause, 2); }); // resume
    s.Add(
        "resumed", [] { return Top() == kMenuNone; },
        [&run] {
            // Whatever the menus' chain was, the stage's own is back.
            EXPECT_EQ(ChainNames(), std::vector<std::string>({run.stageChain}));
            EXPECT_TRUE(TheCamera().IsMouseLookEnabled());
            EXPECT_TRUE(TheCamera().GetInvertX());
        });
}

void AddReplaySteps(MenuRun& run)
{
    MenuScript& s = run.script;
    // The player's own knock-out key, once the whole ring holds recordings
    // the test has seen.
    s.Add(
        "knock-out", [&run] { return run.recorded.size() == static_cast<std::size_t>(cReplaySystem::kFrameCount); },
        [&s] {
            ASSERT_NE(Character(), nullptr);
            EXPECT_TRUE(gPlayer->IsUpright());
            EXPECT_FALSE(Character()->IsLimp());
            s.PressInputKey(DIK_K);
        });
    // Down and limp, and the replay's countdown running.
    s.Add(
        "countdown", [] { return gReplaySystem->GetDeathCountdown() >= 0.0f; },
        [] {
            EXPECT_FALSE(gPlayer->IsUpright());
            ASSERT_NE(Character(), nullptr);
            EXPECT_TRUE(Character()->IsLimp());
            EXPECT_GT(gReplaySystem->GetDeathCountdown(), 0.0f);
            EXPECT_LT(gReplaySystem->GetDeathCountdown(), 1500.0f);
        });
    s.Add(
        "replay", [] { return Top() == kMenuReplay; },
        [&run] {
            EXPECT_TRUE(gHUDManager->IsPointerVisible());
            EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuReplay));
            EXPECT_FALSE(TheCamera().IsMouseLookEnabled());
            EXPECT_TRUE(gReplaySystem->IsPlaying());
            EXPECT_FALSE(gReplaySystem->IsRecording());
            EXPECT_GE(gReplaySystem->GetDeathFrame(), 0);
            run.entryFrame = gReplaySystem->GetStartFrame();
            EXPECT_EQ(gReplaySystem->GetCurrentFrame(), run.entryFrame);
        },
        200);
    s.Add(
        // Played past the knock-out's frame: the character has gone limp again.
        "past the knock-out", [&run] { return run.playbackTicks >= 10 && Character() && Character()->IsLimp(); },
        [&run, &s] {
            EXPECT_EQ(std::make_pair(run.mismatches, run.limpMismatches), std::make_pair(0, 0));
            ClickItem(s, kMenuReplay, 6); // forward
        });
    s.Add(
        "stepped", [] { return gReplaySystem->IsFrozen(); },
        [&run, &s] {
            EXPECT_EQ(gReplaySystem->GetCurrentFrame(), (run.ringBeforeTick + 1) % cReplaySystem::kFrameCount);
            EXPECT_EQ(Item(kMenuReplay, 5)->GetTexture(), 22);
            ClickItem(s, kMenuReplay, 7); // slow motion
        });
    s.Add(
        "slow motion", [] { return gReplaySystem->IsSlow(); },
        [&s] {
            EXPECT_TRUE(ClockScaled());
            EXPECT_FLOAT_EQ(Clock::GetFrameTime(false), Clock::GetFrameTime(true) * cReplaySystem::kSlowMotionScale);
            EXPECT_FALSE(gReplaySystem->IsFrozen());
            EXPECT_EQ(Item(kMenuReplay, 5)->GetTexture(), 23);
            ClickItem(s, kMenuReplay, 5); // pause
        });
    s.Add(
        "paused", [] { return gReplaySystem->IsFrozen(); },
        [&run] {
            EXPECT_EQ(Item(kMenuReplay, 5)->GetTexture(), 22);
            EXPECT_EQ(std::make_pair(run.mismatches, run.limpMismatches), std::make_pair(0, 0));
        });
}

void AddTryAgainSteps(MenuRun& run)
{
    MenuScript& s = run.script;
    AddLeaveReplayStep(run, "yes", 10);
    s.Add(
        "tried again", [] { return Top() == kMenuNone; },
        [&run] {
            EXPECT_FALSE(gHUDManager->IsPointerVisible());
            EXPECT_TRUE(TheCamera().IsMouseLookEnabled());
            ExpectFreshStageOne(run);
            EXPECT_FALSE(gReplaySystem->IsPlaying());
            EXPECT_FALSE(gReplaySystem->IsFrozen());
            EXPECT_FALSE(gReplaySystem->IsSlow());
            EXPECT_LE(gReplaySystem->GetCurrentFrame(), 0);
            EXPECT_EQ(gReplaySystem->GetDeathFrame(), -1);
            EXPECT_EQ(ChainNames(), std::vector<std::string>({run.stageChain}));
        });
    // The ring records again after the reload.
    s.Add(
        "recording again", [] { return gReplaySystem->GetCurrentFrame() >= 3; }, [] {});
}

void AddStartOverSteps(MenuRun& run)
{
    MenuScript& s = run.script;
    AddLeaveReplayStep(run, "no", 11);
    s.Add(
        "main menu again", [] { return Top() == kMenuMain; },
        [&run, &s] {
            EXPECT_EQ(gMenuMan->GetStack().size(), 1u);
            EXPECT_EQ(ChainNames(), std::vector<std::string>({"Blur", run.stageChain}));
            ExpectFreshStageOne(run);
            EXPECT_TRUE(TheCamera().IsAutoRotating());
            s.PressKey('3');
        });
    // A stage loaded under the main menu takes the place behind the blur;
    // the key then closes the menus and the stage's own chain is drawn.
    s.Add(
        "stage 3 by key", [] { return CurrentStage() == 3; },
        [&s] {
            EXPECT_EQ(Top(), kMenuNone);
            ASSERT_EQ(ChainNames().size(), 1u);
            EXPECT_NE(ChainNames().front(), "Blur");
            EXPECT_TRUE(TheCamera().IsMouseLookEnabled());
            EXPECT_FALSE(TheCamera().IsAutoRotating());
        });
    AddQuitSteps(run);
}

void AddQuitSteps(MenuRun& run)
{
    MenuScript& s = run.script;
    s.Add(
        "escape to quit", [] { return Top() == kMenuNone; }, [&s] { s.PressKey(VK_ESCAPE); });
    s.Add(
        "pause to quit", [] { return Top() == kMenuPause; }, [&s] { ClickItem(s, kMenuPause, 3); }); // quit
    s.Add(
        "quitting", [] { return Win32QuitRequested(); }, [] { EXPECT_EQ(Win32GetQuitCode(), 0); });
}
