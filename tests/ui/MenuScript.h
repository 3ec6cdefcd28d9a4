// A player at the mouse and keyboard of the whole game, one step at a time,
// for runs of WinMain under the framework host. Each step waits until the
// game is ready for it (checking what the last action should have done), then
// schedules its input from the next frame on; a step that waits longer than
// its budget fails the test and ends the run. The pointer's moves are worked
// out from where the pointer is, so a click lands where it is aimed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class MenuScript
{
public:
    using Ready = std::function<bool()>;
    using Act = std::function<void()>;

    // The back buffer the run uses (set on the command line by Start) and
    // the frames after which the run ends whatever the script's progress.
    MenuScript(int width, int height, int maxFrames = 3000);

    // Sets the command line (window size, fixed frame time) and the frame
    // hook, headless; with a device the frames really draw (on a windowless
    // llvmpipe context). Call before WinMain.
    void Start(bool withDevice = false);

    void Add(const std::string& name, Ready ready, Act act, int budgetFrames = 600);
    // Runs after every frame, before the steps (recordings, comparisons).
    std::function<void(int frame)> everyFrame;
    // Runs once a step is ready, before its action (pictures).
    std::function<void(const std::string& step)> onStep;

    // Input, scheduled from the frame after the one just run.
    void MoveHotSpotTo(int x, int y);
    void Click();
    void ClickAt(int x, int y);
    // A window-message key (the menus' and developer keys).
    void PressKey(UINT virtualKey);
    // A key the game polls through DirectInput (its bound actions), held
    // for one frame: the action fires on the release.
    void PressInputKey(int dik);

    bool Finished() const { return next == steps.size(); }
    // Steps passed, by name, for the failure message.
    std::string Progress() const;
    int Width() const { return width; }
    int Height() const { return height; }

private:
    struct Step
    {
        std::string name;
        Ready ready;
        Act act;
        int budget;
    };
    void OnFrame(int frame);
    int TakeFrame() { return cursor++; }

    int width;
    int height;
    int maxFrames;
    std::vector<Step> steps;
    std::size_t next = 0;
    int waitingSince = 0;
    int frame = 0;
    int cursor = 0; // the next frame free for input
};
