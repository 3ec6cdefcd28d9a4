// The framework without a window: fixed steps and scripted messages.
#include "DXUTHeadless.h"
#include "DXUTState.h"
#include "Win32Host.h"

namespace {

// A fixed start (ten seconds) so that two headless runs read identical times.
const LONGLONG kHeadlessCounterStart = 10 * kWin32CounterFrequency;

} // namespace

void DXUTHeadlessEnable(double stepSeconds, int maxFrames)
{
    DXUTState& state = DXUTGetState();
    state.headless = true;
    state.switches.constantFrameTime = stepSeconds > 0.0 ? stepSeconds : 1.0 / 60.0;
    state.headlessMaxFrames = maxFrames > 0 ? maxFrames : 0;
    Win32UseVirtualCounter(kHeadlessCounterStart);
}

bool DXUTIsHeadless() { return DXUTGetState().headless; }

void DXUTHeadlessScheduleMessage(int frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    DXUTGetState().scheduled.push_back({ frame, message, wParam, lParam, std::string() });
}

void DXUTHeadlessScheduleKey(int frame, UINT virtualKey, bool down, bool repeat, bool alt)
{
    const UINT message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    DXUTHeadlessScheduleMessage(frame, message, virtualKey, DXUTMakeKeyLParam(down, repeat, alt));
}

void DXUTHeadlessScheduleDrop(int frame, const std::string& fileName)
{
    DXUTGetState().scheduled.push_back({ frame, WM_DROPFILES, 0, 0, fileName });
}

int DXUTHeadlessRunFrames(int count)
{
    DXUTState& state = DXUTGetState();
    if (!state.deviceCreated) {
        DXUTReportError("Headless frames need a device: call DXUTCreateDeviceFromSettings first");
        return 0;
    }
    int ran = 0;
    while (ran < count && !Win32QuitRequested()) {
        DXUTPumpMessages(state);
        if (Win32QuitRequested()) break;
        DXUTRunOneFrame(state);
        ++ran;
    }
    return ran;
}

void DXUTHeadlessReset()
{
    DXUTTeardown();
    DXUTGetState() = DXUTState();
    Win32FinishAllDrops();
    DragAcceptFiles(nullptr, FALSE);
    Win32ClearQuit();
    Win32UseRealCounter();
}
