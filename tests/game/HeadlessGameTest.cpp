// The whole start-up, frame loop and shutdown of the game, run by the
// framework's headless host with scripted keys: what the framework delivers
// reaches the developer keys and the Escape rule through the real WinMain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"

namespace {

// One run of WinMain per process: it registers the exit routine.
TEST(HeadlessGame, KeysReachTheGameThroughTheFrameworkAndTheRunEndsCleanly)
{
    DXUTHeadlessEnable(1.0 / 60.0, 12);
    // The splash screens are open at first, so this Escape does nothing.
    DXUTHeadlessScheduleKey(1, VK_ESCAPE, true);
    DXUTHeadlessScheduleKey(1, VK_ESCAPE, false);
    // Key 2 loads stage 2 and closes every menu; Escape then pauses.
    DXUTHeadlessScheduleKey(3, '2', true);
    DXUTHeadlessScheduleKey(3, '2', false);
    DXUTHeadlessScheduleKey(5, VK_ESCAPE, true);
    DXUTHeadlessScheduleKey(5, VK_ESCAPE, false);

    std::vector<int> stages;
    std::vector<int> tops;
    std::vector<std::string> firstChains;
    std::vector<bool> standing;
    DXUTHeadlessSetFrameHook([&](int frame) {
        stages.push_back(CurrentStage());
        tops.push_back(gMenuMan ? gMenuMan->GetCurrentMenuId() : -1);
        standing.push_back(gPlayer && gPlayer->GetBody() && gPlayer->IsUpright());
        if (frame == 0 && gRenderer) {
            for (const DrawList& chain : gRenderer->GetDrawLists().Chains()) firstChains.push_back(chain.name);
        }
    });

    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    // Stage 1 under the menus from the start, stage 2 from the key on.
    EXPECT_EQ(stages, (std::vector<int>{1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2}));
    // The logo splash on top from the start; key 2 closes every menu; the
    // second Escape pauses.
    EXPECT_EQ(tops, (std::vector<int>{3, 3, 3, 0, 0, 7, 7, 7, 7, 7, 7, 7}));
    ASSERT_NE(gHUDManager, nullptr);
    EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuPause));
    // The menus were opened before the first stage loaded: its chain went
    // behind the main menu's blur.
    ASSERT_EQ(firstChains.size(), 2u);
    EXPECT_EQ(firstChains.front(), "Blur");
    // Each stage's character was handed to the player and stood up.
    EXPECT_EQ(standing, std::vector<bool>(12, true));
}

} // namespace
