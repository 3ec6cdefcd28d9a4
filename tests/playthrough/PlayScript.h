// The play-through's script as data: a table of steps, each a condition to
// wait for, what the game must show once it holds, and what the player does
// next. PlayRun drives the whole game with it under the framework host (the
// menu script's runner underneath), hashes the game's state after every frame
// and, with a device, saves a picture of the frame at every step.
//
// A maintainer extends a stage by adding rows to its table (StageScripts.cpp):
//     {"first coin", StageScoreIs(1), Expect().Stage(1).Upright(true), Hold({DIK_W})},
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/Vector3.h"

class MenuScript;

// Where the player's input goes: the runner, from the frame after the one just run.
struct PlayInput
{
    MenuScript& script;
    int frame;
};

// Steps wait on a condition of the game; framesWaited counts the frames since
// the step before was done.
using Until = std::function<bool(int framesWaited)>;
using Act = std::function<void(PlayInput&)>;

// What the game must show when a step is ready. Unset fields are not checked.
class Expect
{
public:
    Expect& Stage(int value) { return Set(stage, value); }
    Expect& Top(int menu) { return Set(top, menu); }
    Expect& Stack(std::vector<int> menus); // the bottom first, the top last
    Expect& StageScore(int score) { return Set(stageScore, score); }
    Expect& TotalScore(int score) { return Set(totalScore, score); }
    Expect& Upright(bool on) { return Set(upright, on ? 1 : 0); }
    Expect& Objects(int count) { return Set(objects, count); }
    Expect& Lights(int count) { return Set(lights, count); }
    // The jukebox's current track (playlist index) and whether its channel plays.
    Expect& Track(int index, bool on) { return Set(track, index).Set(playing, on ? 1 : 0); }
    // Anything else, checked with gtest's macros.
    Expect& Also(std::function<void()> check);

    void Check(const std::string& step) const;

private:
    Expect& Set(int& field, int value)
    {
        field = value;
        return *this;
    }

    static constexpr int kUnset = -1000;
    int stage = kUnset, top = kUnset, stageScore = kUnset, totalScore = kUnset;
    int upright = kUnset, objects = kUnset, lights = kUnset, track = kUnset, playing = kUnset;
    std::vector<int> stack;
    std::vector<std::function<void()>> more;
};

struct PlayStep
{
    std::string name;
    Until until;
    Expect expect = Expect();
    Act act = Act();
    int budget = 900; // frames the step may wait before the run fails
};

using PlayTable = std::vector<PlayStep>;

// Conditions.
Until Frames(int count); // count frames after the step before
Until StageIs(int stage);
Until TopIs(int menu);
Until StageScoreIs(int score);
Until Limp();
Until Upright();
// The character's (or on the cart stage the cart's) first body within reach of a point.
Until Near(const Vector3& point, float reach);
// Walks there with the keys (W, and A or D to steer along the camera's yaw)
// until the character's first body is within reach in x and y.
Until WalkTo(const Vector3& point, float reach);
Until All(std::vector<Until> conditions);
// Asks each in turn until one holds (so a WalkTo last keeps steering while the others do not hold).
Until Any(std::vector<Until> conditions);

// Inputs; an empty Act does nothing.
// Exactly these DirectInput keys (DIK codes) held from the next frame on.
Act Hold(const std::set<int>& keys);
// One DirectInput key down for two frames, then up (the jukebox acts on the release).
Act Tap(int dik);
// A window key (virtual key code) down and up: the developer keys, Escape.
Act Key(unsigned virtualKey);
// A click in the middle of a menu's item.
Act Click(int menu, int item);
// A click at a point of the back buffer.
Act ClickAt(int x, int y);
// Puts the character's walking body (on the cart stage the cart) at a point,
// at rest, through the game's own bodies: for places keys alone reach only
// after minutes of walking. What happens there is the simulation's.
Act Place(const Vector3& point);
Act Then(std::vector<Act> acts);

// How a table is run.
struct PlayOptions
{
    std::string treeName;    // the scratch run tree's folder
    bool withDevice = false; // frames drawn on a windowless llvmpipe device
    std::string pictures;    // with a device: the folder for each step's picture
    int maxFrames = 6000;
};

// Every frame's hash of the game's state, and how the run ended.
struct PlayResult
{
    int exitStatus = -1;               // the child process's: 0 when WinMain returned 0 and no check failed
    std::vector<std::uint64_t> hashes; // one per frame, from frame 0
    std::vector<int> stepFrames;       // the frame each step was done in (its input from the next)
};

// Runs the whole game over the table in a child process of its own (WinMain
// runs once in a process) in a scratch copy of the run tree; every step's
// checks run there, the hashes come back.
PlayResult PlayInChild(const PlayTable& table, const PlayOptions& options);
