// The framework's window procedure. The game's message proc sees every
// message first and may stop the rest; then the keyboard callback, the
// framework's own keys (Escape runs the game's rule, Alt+Enter toggles full
// screen; F3, F8 and Pause do nothing here), sizing, focus and closing.
#include "DXUTState.h"
#include "Win32Host.h"

namespace {

bool IsKeyMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP;
}

void HandleKey(DXUTState& state, UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT vk = static_cast<UINT>(wParam & 0xFF);
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    state.keys[vk] = down;
    if (state.callbacks.keyboard) {
        const bool alt = state.keys[VK_MENU] || ((static_cast<DWORD>(lParam) >> 29) & 1u) != 0;
        state.callbacks.keyboard(vk, down, alt, state.callbacks.keyboardContext);
    }
    if (message == WM_KEYDOWN && vk == VK_ESCAPE && state.handleHotkeys && state.callbacks.escape) {
        state.callbacks.escape(state.callbacks.escapeContext);
    }
    if (message == WM_SYSKEYDOWN && vk == VK_RETURN && state.handleAltEnter && state.deviceCreated) {
        // Held Alt+Enter repeats; toggle once per press.
        if (((static_cast<DWORD>(lParam) >> 30) & 1u) == 0) DXUTToggleFullScreen();
    }
}

void HandleSize(DXUTState& state, WPARAM kind, LPARAM lParam)
{
    if (kind == SIZE_MINIMIZED) {
        state.minimised = true;
        return;
    }
    state.minimised = false;
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    if (width > 0 && height > 0) DXUTOnClientResized(state, width, height);
}

} // namespace

LRESULT CALLBACK DXUTStaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DXUTState& state = DXUTGetState();
    if (state.callbacks.msgProc) {
        bool noFurtherProcessing = false;
        const LRESULT result = state.callbacks.msgProc(window, message, wParam, lParam, &noFurtherProcessing,
                                                       state.callbacks.msgProcContext);
        if (noFurtherProcessing) return result;
    }
    if (IsKeyMessage(message)) {
        HandleKey(state, message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        HandleSize(state, wParam, lParam);
        break;
    case WM_ACTIVATEAPP:
        state.active = wParam != FALSE;
        if (!state.active) {
            // Keys released while the window had no focus never report it.
            for (bool& key : state.keys) key = false;
        }
        break;
    case WM_CLOSE:
        // Closing the window ends the loop, as its destruction posts the quit;
        // a code the game already posted (a failure) is kept.
        if (!Win32QuitRequested()) PostQuitMessage(0);
        break;
    default:
        break;
    }
    return 0;
}
