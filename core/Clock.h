// The frame clock over the performance counter, in milliseconds. One clock in
// the program: free functions over file-scope state.
#pragma once

namespace Clock {
constexpr float kMaxFrameMs = 66.0f;

// False at once when already initialised, or when the machine has no counter.
// Otherwise resets, reads the frequency and runs one Tick (whose frame is the
// whole counter value, so it is capped: frame and total time read 66 after Init).
bool Init();
// Everything to zero, time scale 1, uninitialised, scaling off.
bool Reset();
// Measures the frame since the last tick, clamped to [0, kMaxFrameMs].
bool Tick();
// Frame length in ms, scaled by the time scale unless raw or scaling is off.
float GetFrameTime(bool raw = false);
// Unscaled sum of the frame lengths since Init, in ms.
float GetTotalTime();
// A scale of exactly 0 switches scaling off.
void SetTimeScale(float scale);
} // namespace Clock
