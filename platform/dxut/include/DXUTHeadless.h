// A framework without a window, a context or SDL, for tests and CI runs: the
// same callbacks in the same order, fixed frame times, scripted messages and
// DirectInput, and a hook between frames. Also reachable from the command
// line with -headless.
#pragma once

#include "DXUT.h"

#include <functional>
#include <string>

// Call before DXUTInit (before WinMain for a whole-game run). The counter the
// game's clock reads becomes virtual and advances by stepSeconds per frame, in
// step with the framework's time. maxFrames > 0 ends DXUTMainLoop after that
// many frames with exit code 0; 0 runs until a quit or -quitafterframe.
void DXUTHeadlessEnable(double stepSeconds = 1.0 / 60.0, int maxFrames = 0);
bool DXUTIsHeadless();
// After DXUTHeadlessEnable: the device is made as usual, on a windowless
// (surfaceless EGL, llvmpipe) OpenGL context, so the frames really draw and
// -screenshot or a test's read-back sees them. The back buffer is the window's
// client size; Present shows nothing.
void DXUTHeadlessEnableDevice();

// Messages delivered through the framework's window procedure just before the
// frame with the given index (0 is the first frame) moves, with or without a
// window. Messages for a frame already run go out before the next one.
void DXUTHeadlessScheduleMessage(int frame, UINT message, WPARAM wParam, LPARAM lParam);
// WM_KEYDOWN / WM_KEYUP (WM_SYS* with alt) with Windows' key flags; repeat
// marks an auto-repeated key-down.
void DXUTHeadlessScheduleKey(int frame, UINT virtualKey, bool down, bool repeat = false, bool alt = false);
// WM_DROPFILES with a drop handle holding the one name; the receiver finishes it.
void DXUTHeadlessScheduleDrop(int frame, const std::string& fileName);

// Scheduled DirectInput: what the DirectInput stand-in reports from the frame
// with the given index on, set through its test seam (dinput_test.h) just
// before that frame moves, so the game's poll in that frame sees it. A run
// with a window and a device takes the scheduled input and messages too,
// before the window system's own events of that frame, so one script drives
// a headless run and a run that draws alike.
// Everything due for a frame is applied in the order it was scheduled, before
// the window messages of that frame; input for a frame already run is applied
// before the next one. Headless runs count the window as focused (the
// stand-in's focus is given by DXUTHeadlessEnable, -headless and
// DXUTHeadlessReset).
//
// Keys and buttons are states: a key set down stays down until set up. The
// game polls once per frame, so a press it should see lasts at least one
// frame, and a key down at frame f and up at frame f + n is seen held for n
// frames. Motion and wheel add up until the next poll reads them.
// A focus loss releases every key and button in the stand-in, as the window
// system would; they stay released when focus comes back.
//
// dik: a DIK_* code (0..255). button: 0 left, 1 right, 2 middle, 3..7 extra.
// dz: wheel units, 120 per notch, positive away from the user.
void DXUTHeadlessScheduleInputKey(int frame, int dik, bool down);
// Down at frame, up at frame + frames (frames >= 1).
void DXUTHeadlessScheduleInputKeyHold(int frame, int dik, int frames);
void DXUTHeadlessScheduleMouseMotion(int frame, int dx, int dy, int dz = 0);
void DXUTHeadlessScheduleMouseButton(int frame, int button, bool down);
// Takes or gives the window's focus: the stand-in's devices lose or regain it,
// and the framework's window procedure gets WM_ACTIVATEAPP.
void DXUTHeadlessScheduleFocus(int frame, bool focused);

// Called after every frame the framework runs (move, render, present), with
// the index of the frame just run (0 for the first), before the frame-count
// quit switches are checked. A test reads the game's state there between
// frames; it may also schedule input for later frames, replace the hook or
// post a quit. An empty function removes the hook. DXUTHeadlessReset clears it.
typedef std::function<void(int frame)> DXUTHeadlessFrameHook;
void DXUTHeadlessSetFrameHook(DXUTHeadlessFrameHook hook);

// Runs up to count frames now (messages, move, render, present); stops early
// when a quit is requested. Returns the number of frames run.
int DXUTHeadlessRunFrames(int count);

// Back to a fresh framework: callbacks, settings, switches, the quit request,
// the counter, the device, scheduled messages and input and the frame hook
// are all cleared, and the DirectInput stand-in's keys and buttons released.
// For tests that run the framework several times in one process.
void DXUTHeadlessReset();

// LPARAM of a key message as Windows builds it: repeat count 1, bit 29 with
// alt, bit 30 when the key was already down, bit 31 on release.
LPARAM DXUTMakeKeyLParam(bool down, bool repeat, bool alt);
