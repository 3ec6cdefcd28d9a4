// SDL events to window messages.
#include "DXUTEvents.h"
#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "Win32String.h"

LPARAM DXUTMakeKeyLParam(bool down, bool repeat, bool alt)
{
    DWORD bits = 1; // repeat count
    if (alt) bits |= 1u << 29;
    if (!down || repeat) bits |= 1u << 30;
    if (!down) bits |= 1u << 31;
    return static_cast<LPARAM>(bits);
}

void DXUTEventTranslator::SetClientSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

WPARAM DXUTEventTranslator::MouseKeyState(Uint16 modifiers) const
{
    WPARAM state = 0;
    if (buttons & SDL_BUTTON_LMASK) state |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) state |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) state |= MK_MBUTTON;
    if (buttons & SDL_BUTTON_X1MASK) state |= MK_XBUTTON1;
    if (buttons & SDL_BUTTON_X2MASK) state |= MK_XBUTTON2;
    if (modifiers & KMOD_SHIFT) state |= MK_SHIFT;
    if (modifiers & KMOD_CTRL) state |= MK_CONTROL;
    return state;
}

void DXUTEventTranslator::TranslateKey(const SDL_KeyboardEvent& key, std::vector<DXUTMessage>& out) const
{
    const UINT vk = DXUTVirtualKeyFromSDL(key.keysym.sym, key.keysym.scancode);
    if (vk == 0) return;
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || (vk == VK_MENU && down);
    // Windows sends the system variants while Alt is held, and for Alt itself.
    const bool system = alt || vk == VK_F10 || (vk == VK_MENU && !down);
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    out.push_back({message, static_cast<WPARAM>(vk), DXUTMakeKeyLParam(down, key.repeat != 0, alt)});
    // Text input carries printable characters; these control characters are
    // translated from their keys, as TranslateMessage does.
    if (down && !system) {
        if (vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE) {
            const WPARAM ch = vk == VK_RETURN ? 13 : vk == VK_BACK ? 8 : vk == VK_TAB ? 9 : 27;
            out.push_back({WM_CHAR, ch, DXUTMakeKeyLParam(true, key.repeat != 0, false)});
        }
    }
}

void DXUTEventTranslator::TranslateWindow(const SDL_WindowEvent& window, std::vector<DXUTMessage>& out)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        width = window.data1;
        height = window.data2;
        out.push_back({WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height)});
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({WM_SIZE, SIZE_MINIMIZED, 0});
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back({WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(width, height)});
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height)});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({WM_ACTIVATEAPP, TRUE, 0});
        out.push_back({WM_SETFOCUS, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back({WM_KILLFOCUS, 0, 0});
        out.push_back({WM_ACTIVATEAPP, FALSE, 0});
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({WM_CLOSE, 0, 0});
        break;
    default:
        break;
    }
}

void DXUTEventTranslator::Translate(const SDL_Event& event, bool dropsAccepted, std::vector<DXUTMessage>& out)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key, out);
        break;
    case SDL_TEXTINPUT: {
        const std::wstring text = Win32Utf8ToWide(event.text.text);
        for (wchar_t ch : text) out.push_back({WM_CHAR, static_cast<WPARAM>(ch), 1});
        break;
    }
    case SDL_MOUSEMOTION:
        mouseX = event.motion.x;
        mouseY = event.motion.y;
        buttons = event.motion.state;
        out.push_back({WM_MOUSEMOVE, MouseKeyState(SDL_GetModState()), MAKELPARAM(mouseX, mouseY)});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        const Uint32 mask = SDL_BUTTON(event.button.button);
        buttons = down ? (buttons | mask) : (buttons & ~mask);
        mouseX = event.button.x;
        mouseY = event.button.y;
        // A second click in quick succession is a double click, as with CS_DBLCLKS.
        const bool twice = down && event.button.clicks >= 2 && event.button.clicks % 2 == 0;
        UINT message = 0;
        WPARAM extra = 0;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            message = down ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            break;
        case SDL_BUTTON_RIGHT:
            message = down ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
            break;
        case SDL_BUTTON_MIDDLE:
            message = down ? (twice ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
            break;
        case SDL_BUTTON_X1:
            message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
            extra = static_cast<WPARAM>(XBUTTON1) << 16;
            break;
        case SDL_BUTTON_X2:
            message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
            extra = static_cast<WPARAM>(XBUTTON2) << 16;
            break;
        default:
            return;
        }
        out.push_back({message, MouseKeyState(SDL_GetModState()) | extra, MAKELPARAM(mouseX, mouseY)});
        break;
    }
    case SDL_MOUSEWHEEL: {
        int steps = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
        if (steps == 0) break;
        const WPARAM delta = static_cast<WPARAM>(static_cast<WORD>(static_cast<short>(steps * WHEEL_DELTA)));
        out.push_back({WM_MOUSEWHEEL, (delta << 16) | MouseKeyState(SDL_GetModState()), MAKELPARAM(mouseX, mouseY)});
        break;
    }
    case SDL_WINDOWEVENT:
        TranslateWindow(event.window, out);
        break;
    case SDL_QUIT:
        out.push_back({WM_CLOSE, 0, 0});
        break;
    case SDL_DROPBEGIN:
        collectingDrop = true;
        dropNames.clear();
        break;
    case SDL_DROPFILE:
        if (event.drop.file) dropNames.push_back(event.drop.file);
        if (collectingDrop) break;
        // A drop without begin and complete events: one file, one message.
        [[fallthrough]];
    case SDL_DROPCOMPLETE:
        collectingDrop = false;
        if (dropsAccepted && !dropNames.empty()) {
            out.push_back({WM_DROPFILES, reinterpret_cast<WPARAM>(Win32CreateDrop(dropNames)), 0});
        }
        dropNames.clear();
        break;
    default:
        break;
    }
}
