// The whole game on a windowless device with the blur chain's file and the
// new-game image missing: each is reported in ../Errors.txt when it is loaded
// (not every frame), and the menus still take the player through.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "MenuSteps.h"
#include "ScratchGameTree.h"

namespace {

int LinesNaming(const std::string& text, const std::string& name)
{
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.find(name) != std::string::npos ? 1 : 0;
    return count;
}

// One run of WinMain per process: it registers the exit routine.
TEST(MenusEndToEnd, MissingBlurChainAndMenuImageAreReportedOnceEachAndTheMenusStillWork)
{
    ScratchGameTree tree("menus_missing_files");
    tree.Remove("Config/Blur.cfg");
    tree.Remove("Textures/newgame.png");
    MenuScript script(640, 480);
    MenuRun run(script);
    run.blurPresent = false;
    AddOpeningSteps(run);
    AddOptionsOverPauseSteps(run);
    // A while of play: the reports must not repeat every frame.
    int played = 0;
    script.Add(
        "played on", [&played] { return ++played > 120; }, [] {});

    // Textures load only on a device.
    EXPECT_EQ(RunGame(run, true), 0);
    std::fflush(stderr);
    const std::string errors = tree.Read("Errors.txt");
    // The main menu at start-up and the pause menu each loaded the chain
    // once; the image was loaded once, with the device.
    EXPECT_EQ(LinesNaming(errors, "Blur.cfg"), 2) << errors;
    EXPECT_EQ(LinesNaming(errors, "Could not load texture: newgame.png"), 1) << errors;
}

} // namespace
