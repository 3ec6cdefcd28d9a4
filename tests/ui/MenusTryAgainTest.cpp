// The whole game under the framework host, played through the menus with
// scheduled mouse and keys: the splash screens closed by clicks, new game,
// an options toggle over the pause menu, the player's knock-out (key K) and
// its replay (every playback tick checked against the test's own recording),
// a step, slow motion and pause, then "yes": the same stage again, at full
// speed and recording. The run leaves nothing in ../Errors.txt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "MenuSteps.h"
#include "ScratchGameTree.h"

namespace {

// One run of WinMain per process: it registers the exit routine.
TEST(MenusEndToEnd, ThroughTheMenusAndTheReplayToTryAgain)
{
    ScratchGameTree tree("menus_try_again");
    MenuScript script(640, 480);
    MenuRun run(script);
    script.everyFrame = [&run](int frame) { run.WatchReplay(frame); };
    AddOpeningSteps(run);
    AddOptionsOverPauseSteps(run);
    AddReplaySteps(run);
    AddTryAgainSteps(run);

    EXPECT_EQ(RunGame(run), 0);
    EXPECT_EQ(run.mismatches, 0);
    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace
