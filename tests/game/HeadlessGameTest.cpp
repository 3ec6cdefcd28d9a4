// The whole start-up, frame loop and shutdown of the game, run by the
// framework's headless host with scripted keys: what the framework delivers
// reaches the developer keys and the Escape rule through the real WinMain.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "core/SpineTrace.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "ui/MenuMan.h"

namespace {

int CountOf(const std::vector<std::string>& calls, const std::string& call)
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

// One run of WinMain per process: it registers the exit routine.
TEST(HeadlessGame, KeysReachTheGameThroughTheFrameworkAndTheRunEndsCleanly)
{
    SpineTrace::Enable(true);
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
    DXUTHeadlessSetFrameHook([&](int frame) { stages.push_back(gLevelLoader ? gLevelLoader->GetStage() : 0); });

    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    const std::vector<std::string>& calls = SpineTrace::Calls();
    // Stage 1 under the menus from the start, stage 2 from the key on.
    EXPECT_EQ(stages, (std::vector<int>{1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(CountOf(calls, "MenuMan::OpenMenu 7"), 1);
    ASSERT_NE(gMenuMan, nullptr);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuPause);
    EXPECT_EQ(CountOf(calls, "Player::Update"), 12);
    EXPECT_EQ(CountOf(calls, "HUDManager::Update"), 12);
    // The menus were built before the first stage was loaded (whose clear
    // resets the player first).
    const auto init = std::find(calls.begin(), calls.end(), "MenuMan::Init");
    const auto firstStage = std::find(calls.begin(), calls.end(), "Player::ResetForNewLevel");
    EXPECT_LT(init, firstStage);
    // Each load resets the player at its clear, and again as the new
    // character is built; the character is then handed over and stood up.
    EXPECT_EQ(CountOf(calls, "Player::ResetForNewLevel"), 4);
    EXPECT_EQ(CountOf(calls, "Player::SetBody"), 2);
    EXPECT_EQ(CountOf(calls, "Player::Recover"), 2);
    SpineTrace::Enable(false);
}

} // namespace
