// The main loop: messages, then frame move, frame render and present, until a
// quit is requested. Time comes from the monotonic counter, or advances by a
// fixed step (-constantframetime, headless) together with the counter the
// game's clock reads.
#include "DXUTState.h"
#include "DXUTEvents.h"
#include "Win32Host.h"

#include <cmath>

namespace {

DXUTEventTranslator gTranslator;

void AdvanceTime(DXUTState& state)
{
    const double step = state.switches.constantFrameTime;
    if (step > 0.0) {
        state.elapsed = static_cast<float>(step);
        state.time += step;
        Win32AdvanceVirtualCounter(
            static_cast<LONGLONG>(std::llround(step * static_cast<double>(kWin32CounterFrequency))));
        return;
    }
    const LONGLONG now = Win32ReadRealCounter();
    if (!state.timerStarted) {
        state.timerStart = now;
        state.timerLast = now;
        state.timerStarted = true;
    }
    const double frequency = static_cast<double>(kWin32CounterFrequency);
    state.elapsed = static_cast<float>(static_cast<double>(now - state.timerLast) / frequency);
    state.time = static_cast<double>(now - state.timerStart) / frequency;
    state.timerLast = now;
}

void PumpScheduled(DXUTState& state)
{
    DXUTApplyScheduledInput(state);
    for (const DXUTScheduledMessage& m : DXUTTakeDue(state.scheduled, state.frame)) {
        WPARAM wParam = m.wParam;
        if (m.message == WM_DROPFILES && !m.dropName.empty()) {
            wParam = reinterpret_cast<WPARAM>(Win32CreateDrop({m.dropName}));
        }
        DXUTStaticWndProc(&state.windowHandle, m.message, wParam, m.lParam);
    }
}

// Full screen shows the back buffer stretched over the desktop; the game
// expects pointer positions in back-buffer pixels, as a real mode change gives.
LPARAM ToBackBuffer(const DXUTState& state, LPARAM lParam, int windowWidth, int windowHeight)
{
    if (state.settings.pp.Windowed || windowWidth <= 0 || windowHeight <= 0) return lParam;
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    const long long scaledX = static_cast<long long>(x) * state.settings.pp.BackBufferWidth / windowWidth;
    const long long scaledY = static_cast<long long>(y) * state.settings.pp.BackBufferHeight / windowHeight;
    return MAKELPARAM(static_cast<int>(scaledX), static_cast<int>(scaledY));
}

bool IsMouseMessage(UINT message)
{
    return message >= WM_MOUSEMOVE && message <= WM_XBUTTONDBLCLK;
}

void PumpSDL(DXUTState& state)
{
    if (!state.window) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(state.window, &width, &height);
    gTranslator.SetClientSize(width, height);
    SDL_Event event;
    std::vector<DXUTMessage> messages;
    while (SDL_PollEvent(&event)) {
        messages.clear();
        gTranslator.Translate(event, Win32DropsAccepted(), messages);
        if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) SDL_free(event.drop.file);
        for (const DXUTMessage& m : messages) {
            const LPARAM lParam = IsMouseMessage(m.message) ? ToBackBuffer(state, m.lParam, width, height) : m.lParam;
            DXUTStaticWndProc(&state.windowHandle, m.message, m.wParam, lParam);
        }
    }
}

void QuitAfter(int frames, const DXUTState& state)
{
    if (frames > 0 && state.frame >= frames && !Win32QuitRequested()) PostQuitMessage(0);
}

} // namespace

void DXUTPumpMessages(DXUTState& state)
{
    // What a test scheduled goes first, with or without a window, so one
    // script drives a headless run and a run that draws alike.
    PumpScheduled(state);
    if (!state.headless) PumpSDL(state);
}

void DXUTRunOneFrame(DXUTState& state)
{
    AdvanceTime(state);
    IDirect3DDevice9* device = DXUTDeviceGet();
    const DXUTCallbacks& c = state.callbacks;
    if (c.frameMove) c.frameMove(device, state.time, state.elapsed, c.frameMoveContext);
    if (c.frameRender) c.frameRender(device, state.time, state.elapsed, c.frameRenderContext);
    DXUTDevicePresent(state, state.frame + 1);
    ++state.frame;
    // The hook may read the game between frames, schedule more, replace
    // itself or ask to quit; it runs from a copy so replacing it is safe.
    if (state.frameHook) {
        const DXUTHeadlessFrameHook hook = state.frameHook;
        hook(state.frame - 1);
    }
    QuitAfter(state.switches.quitAfterFrame, state);
    QuitAfter(state.headlessMaxFrames, state);
}

HRESULT DXUTMainLoop(HACCEL accelerators)
{
    (void)accelerators;
    DXUTState& state = DXUTGetState();
    // A quit posted during set-up (a failed device) ends the loop at once with its code.
    if (!Win32QuitRequested() && !state.deviceCreated) {
        DXUTReportError("The main loop was started without a device");
        return E_FAIL;
    }
    state.timerStarted = false;
    while (!Win32QuitRequested()) {
        DXUTPumpMessages(state);
        if (Win32QuitRequested()) break;
        if (state.minimised && !state.headless) {
            // Nothing is drawn while minimised, and the game's frame waits too.
            SDL_Delay(20);
            continue;
        }
        DXUTRunOneFrame(state);
    }
    return static_cast<HRESULT>(Win32GetQuitCode());
}
