// The steps a player takes through the menus of the whole game, shared by the
// end-to-end runs: the splash screens and new game, options over the pause
// menu, a knock-out and the replay with its controls, and the two ways out
// of the try-again menu. Each step checks what the one before should have
// done. Coordinates come from the menus' tables at the script's back buffer.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "MenuScript.h"
#include "ui/ReplaySystem.h"

struct MenuRun
{
    explicit MenuRun(MenuScript& script_) : script(script_) {}

    MenuScript& script;
    // Without "Blur.cfg" the menus' chain is an empty one and the chain
    // checks are left out.
    bool blurPresent = true;
    int stageObjects = -1;  // the World's objects after the first load
    std::string stageChain; // the chain the stage loaded with
    // Every body at each ring index, as the test saw it after each tick.
    std::map<int, std::vector<ReplayFrame>> recorded;
    int lastRingFrame = -1;
    int ringBeforeTick = -1; // the ring frame before the last tick
    int entryFrame = -1;     // the ring frame when the replay opened
    int playbackTicks = 0;
    int mismatches = 0;     // bodies not as recorded at a playback tick
    int limpMismatches = 0; // the character limp before the knock-out's frame, or animated from it
    int frame = 0;          // the frame just run

    // Recording and comparing the ring, every frame.
    void WatchReplay(int frameJustRun);
};

// Start-up, both splash screens closed by clicks (or left to their timers),
// the main menu, new game.
void AddOpeningSteps(MenuRun& run, bool splashTimers = false);
// Escape, options over the pause menu, the invert-x box, back, resume.
void AddOptionsOverPauseSteps(MenuRun& run);
// The player's knock-out (key K), the countdown, the replay, a step, slow
// motion and pause.
void AddReplaySteps(MenuRun& run);
// "yes": the same stage again, at full speed, recording.
void AddTryAgainSteps(MenuRun& run);
// "no": the main menu over a fresh stage 1; developer key 3 under it; quit
// from the pause menu.
void AddStartOverSteps(MenuRun& run);

// Runs WinMain with the script (headless; with a device the frames draw on a
// windowless llvmpipe context); the script must have finished. Returns
// WinMain's result. One run per process: WinMain registers the exit routine.
int RunGame(MenuRun& run, bool withDevice = false);

// The names of the renderer's draw-list chains, the drawn one first.
std::vector<std::string> ChainNames();
