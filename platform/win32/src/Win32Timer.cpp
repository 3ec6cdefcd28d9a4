// The performance counter: CLOCK_MONOTONIC in 100 ns ticks, or a virtual
// counter that a test host advances frame by frame.
#include "windows.h"
#include "Win32Host.h"

#include <strings.h>

#include <ctime>
#include <string>

namespace {

// Callers subtract a start value and cap frame times; an offset of ten seconds
// keeps the first reading far from zero even on a freshly booted machine.
const LONGLONG kCounterOffset = 10 * kWin32CounterFrequency;

bool gVirtual = false;
LONGLONG gVirtualTicks = 0;
bool gModeChosen = false;

// Runs with fixed frame times (-constantframetime:S, -headless) must read
// virtual time from the very first reading: the game starts its clock long
// before the framework reads its switches, and the loading in between would
// otherwise land in the first frame.
bool CommandLineWantsFixedTime()
{
    for (const std::string& argument : Win32GetArguments()) {
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) continue;
        const char* name = argument.c_str() + 1;
        if (strncasecmp(name, "constantframetime:", 18) == 0 || strcasecmp(name, "headless") == 0) return true;
    }
    return false;
}

void ChooseMode()
{
    if (gModeChosen) return;
    gModeChosen = true;
    if (CommandLineWantsFixedTime()) {
        gVirtual = true;
        gVirtualTicks = kCounterOffset;
    }
}

} // namespace

void Win32ChooseCounterFromCommandLine()
{
    gModeChosen = false;
}

LONGLONG Win32ReadRealCounter()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * kWin32CounterFrequency + now.tv_nsec / 100 + kCounterOffset;
}

void Win32UseVirtualCounter(LONGLONG startTicks)
{
    gModeChosen = true;
    gVirtual = true;
    gVirtualTicks = startTicks;
}

void Win32AdvanceVirtualCounter(LONGLONG ticks)
{
    if (ticks > 0) gVirtualTicks += ticks;
}

void Win32UseRealCounter()
{
    gModeChosen = true;
    gVirtual = false;
}

bool Win32IsCounterVirtual()
{
    ChooseMode();
    return gVirtual;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count) return FALSE;
    ChooseMode();
    count->QuadPart = gVirtual ? gVirtualTicks : Win32ReadRealCounter();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency) return FALSE;
    frequency->QuadPart = kWin32CounterFrequency;
    return TRUE;
}

DWORD GetTickCount()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                              static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL);
}

void Sleep(DWORD milliseconds)
{
    struct timespec wait;
    wait.tv_sec = static_cast<time_t>(milliseconds / 1000);
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wait, &wait) != 0) {}
}
