#include "core/Clock.h"

#include <windows.h>

namespace {
long long frequency = 0;
long long lastCount = 0;
long long currentCount = 0;
bool initialised = false;
bool scalingOn = false;
float timeScale = 1.0f;
float frameMs = 0.0f;
float totalMs = 0.0f;

// (delta * 1000) / frequency without a 64-bit overflow: the first tick
// measures the whole counter value.
float CountsToMs(long long from, long long to, long long countsPerSecond)
{
    const __int128 product = (static_cast<__int128>(to) - from) * 1000;
    return static_cast<float>(static_cast<double>(product) / static_cast<double>(countsPerSecond));
}
} // namespace

namespace Clock {
bool Init()
{
    if (initialised) {
        return false;
    }
    Reset();
    LARGE_INTEGER counts;
    counts.QuadPart = 0;
    QueryPerformanceFrequency(&counts);
    frequency = counts.QuadPart;
    if (frequency <= 0) {
        frequency = 0;
        return false;
    }
    initialised = true;
    Tick();
    return true;
}

bool Reset()
{
    frequency = 0;
    lastCount = 0;
    currentCount = 0;
    frameMs = 0.0f;
    totalMs = 0.0f;
    timeScale = 1.0f;
    initialised = false;
    scalingOn = false;
    return true;
}

bool Tick()
{
    if (!initialised) {
        return false;
    }
    LARGE_INTEGER counts;
    counts.QuadPart = lastCount;
    QueryPerformanceCounter(&counts);
    currentCount = counts.QuadPart;
    frameMs = CountsToMs(lastCount, currentCount, frequency);
    // A counter that stepped back must not run the world backwards.
    if (frameMs < 0.0f) {
        frameMs = 0.0f;
    }
    if (frameMs > kMaxFrameMs) {
        frameMs = kMaxFrameMs;
    }
    totalMs += frameMs;
    lastCount = currentCount;
    return true;
}

float GetFrameTime(bool raw)
{
    if (scalingOn && !raw) {
        return frameMs * timeScale;
    }
    return frameMs;
}

float GetTotalTime()
{
    return totalMs;
}

void SetTimeScale(float scale)
{
    timeScale = scale;
    scalingOn = scale != 0.0f;
}
} // namespace Clock
