// The framework without a window: fixed steps, scripted messages and
// DirectInput, and a hook between frames.
#include "DXUTHeadless.h"
#include "DXUTState.h"
#include "Win32Host.h"

#include <dinput_test.h>

namespace {

// A fixed start (ten seconds) so that two headless runs read identical times.
const LONGLONG kHeadlessCounterStart = 10 * kWin32CounterFrequency;

void ScheduleInput(int frame, DXUTInputKind kind, int a, int b, int c = 0)
{
    DXUTGetState().scheduledInput.push_back({frame, kind, a, b, c});
}

void ApplyInput(DXUTState& state, const DXUTScheduledInput& input)
{
    switch (input.kind) {
    case DXUTInputKind::Key:
        TestInput::SetKey(input.a, input.b != 0);
        break;
    case DXUTInputKind::MouseMotion:
        TestInput::MoveMouse(input.a, input.b, input.c);
        break;
    case DXUTInputKind::MouseButton:
        TestInput::SetButton(input.a, input.b != 0);
        break;
    case DXUTInputKind::Focus:
        TestInput::SetFocus(input.b != 0);
        DXUTStaticWndProc(&state.windowHandle, WM_ACTIVATEAPP, input.b != 0 ? TRUE : FALSE, 0);
        break;
    }
}

} // namespace

void DXUTHeadlessEnable(double stepSeconds, int maxFrames)
{
    DXUTState& state = DXUTGetState();
    state.headless = true;
    state.switches.constantFrameTime = stepSeconds > 0.0 ? stepSeconds : 1.0 / 60.0;
    state.headlessMaxFrames = maxFrames > 0 ? maxFrames : 0;
    Win32UseVirtualCounter(kHeadlessCounterStart);
    DXUTHeadlessFocusInput();
}

void DXUTHeadlessEnableDevice()
{
    DXUTGetState().headlessDevice = true;
}

bool DXUTIsHeadless()
{
    return DXUTGetState().headless;
}

void DXUTHeadlessFocusInput()
{
    TestInput::SetFocus(true);
}

void DXUTHeadlessScheduleMessage(int frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    DXUTGetState().scheduled.push_back({frame, message, wParam, lParam, std::string()});
}

void DXUTHeadlessScheduleKey(int frame, UINT virtualKey, bool down, bool repeat, bool alt)
{
    const UINT message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    DXUTHeadlessScheduleMessage(frame, message, virtualKey, DXUTMakeKeyLParam(down, repeat, alt));
}

void DXUTHeadlessScheduleDrop(int frame, const std::string& fileName)
{
    DXUTGetState().scheduled.push_back({frame, WM_DROPFILES, 0, 0, fileName});
}

void DXUTHeadlessScheduleInputKey(int frame, int dik, bool down)
{
    ScheduleInput(frame, DXUTInputKind::Key, dik, down ? 1 : 0);
}

void DXUTHeadlessScheduleInputKeyHold(int frame, int dik, int frames)
{
    DXUTHeadlessScheduleInputKey(frame, dik, true);
    DXUTHeadlessScheduleInputKey(frame + (frames > 0 ? frames : 1), dik, false);
}

void DXUTHeadlessScheduleMouseMotion(int frame, int dx, int dy, int dz)
{
    ScheduleInput(frame, DXUTInputKind::MouseMotion, dx, dy, dz);
}

void DXUTHeadlessScheduleMouseButton(int frame, int button, bool down)
{
    ScheduleInput(frame, DXUTInputKind::MouseButton, button, down ? 1 : 0);
}

void DXUTHeadlessScheduleFocus(int frame, bool focused)
{
    ScheduleInput(frame, DXUTInputKind::Focus, 0, focused ? 1 : 0);
}

void DXUTApplyScheduledInput(DXUTState& state)
{
    for (const DXUTScheduledInput& input : DXUTTakeDue(state.scheduledInput, state.frame)) ApplyInput(state, input);
}

void DXUTHeadlessSetFrameHook(DXUTHeadlessFrameHook hook)
{
    DXUTGetState().frameHook = std::move(hook);
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
    TestInput::Reset();
}
