// The whole game under the framework host, the splash screens left to their
// timers, then the other way out of the replay:
// "no" brings the main menu back over a fresh stage 1 with the blur in front
// of the stage's chain; developer key 3 under it loads stage 3, whose chain
// alone is drawn once the key closed the menus; quit from the pause menu
// writes the options chosen earlier and ends the run with exit code 0.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "MenuSteps.h"
#include "ScratchGameTree.h"

namespace {

// One run of WinMain per process: it registers the exit routine.
TEST(MenusEndToEnd, NoStartsOverUnderTheMainMenuAndQuitSavesTheOptions)
{
    ScratchGameTree tree("menus_start_over");
    ASSERT_FALSE(tree.Exists("Config/Options.cfg"));
    MenuScript script(640, 480);
    MenuRun run(script);
    script.everyFrame = [&run](int frame) { run.WatchReplay(frame); };
    AddOpeningSteps(run, true);
    AddOptionsOverPauseSteps(run);
    AddReplaySteps(run);
    AddStartOverSteps(run);

    EXPECT_EQ(RunGame(run), 0);
    EXPECT_EQ(run.mismatches, 0);
    const std::string options = tree.Read("Config/Options.cfg");
    EXPECT_NE(options.find("InvertX: true"), std::string::npos) << options;
    EXPECT_NE(options.find("InvertY: false"), std::string::npos) << options;
    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace
