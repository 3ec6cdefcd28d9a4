// A framework without a window, a context or SDL, for tests and CI runs: the
// same callbacks in the same order, fixed frame times, scripted messages.
// Also reachable from the command line with -headless.
#pragma once

#include "DXUT.h"

#include <string>

// Call before DXUTInit (before WinMain for a whole-game run). The counter the
// game's clock reads becomes virtual and advances by stepSeconds per frame, in
// step with the framework's time. maxFrames > 0 ends DXUTMainLoop after that
// many frames with exit code 0; 0 runs until a quit or -quitafterframe.
void DXUTHeadlessEnable(double stepSeconds = 1.0 / 60.0, int maxFrames = 0);
bool DXUTIsHeadless();

// Messages delivered through the framework's window procedure just before the
// frame with the given index (0 is the first frame) moves. Messages for a frame
// already run go out before the next one.
void DXUTHeadlessScheduleMessage(int frame, UINT message, WPARAM wParam, LPARAM lParam);
// WM_KEYDOWN / WM_KEYUP (WM_SYS* with alt) with Windows' key flags; repeat
// marks an auto-repeated key-down.
void DXUTHeadlessScheduleKey(int frame, UINT virtualKey, bool down, bool repeat = false, bool alt = false);
// WM_DROPFILES with a drop handle holding the one name; the receiver finishes it.
void DXUTHeadlessScheduleDrop(int frame, const std::string& fileName);

// Runs up to count frames now (messages, move, render, present); stops early
// when a quit is requested. Returns the number of frames run.
int DXUTHeadlessRunFrames(int count);

// Back to a fresh framework: callbacks, settings, switches, the quit request,
// the counter and the device are all cleared. For tests that run the
// framework several times in one process.
void DXUTHeadlessReset();

// LPARAM of a key message as Windows builds it: repeat count 1, bit 29 with
// alt, bit 30 when the key was already down, bit 31 on release.
LPARAM DXUTMakeKeyLParam(bool down, bool repeat, bool alt);
