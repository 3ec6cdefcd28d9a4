// The shared input state behind the devices. The stand-in never pumps SDL
// events itself (the host does, once per frame, before the game's frame move);
// an event watch sees each event as the pump queues it.
#include "InputHub.h"

#include "Device.h"
#include "KeyTable.h"

#include <dinput_test.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace dinput {
namespace {

struct Hub
{
    std::recursive_mutex lock;
    std::vector<Device*> devices;
    BYTE seamKeys[256] = {};
    bool seamButtons[8] = {};
    LONG motionX = 0;
    LONG motionY = 0;
    LONG wheel = 0;
    bool focused = true;
    bool alwaysFocused = false;
    bool watchInstalled = false;
    const Device* exclusiveOwner = nullptr;
    bool exclusive = false;
};

Hub& TheHub()
{
    static Hub* hub = [] {
        Hub* created = new Hub; // never freed: devices may be released during static destruction
        const char* env = std::getenv("LV_INPUT_ALWAYS_FOCUSED");
        created->alwaysFocused = env && env[0] == '1';
        return created;
    }();
    return *hub;
}

bool VideoIsUp()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

void LoseFocus()
{
    Hub& hub = TheHub();
    std::vector<Device*> devices;
    {
        std::lock_guard<std::recursive_mutex> guard(hub.lock);
        if (hub.alwaysFocused) {
            return;
        }
        hub.focused = false;
        // Keys never stay held across a focus change.
        std::memset(hub.seamKeys, 0, sizeof(hub.seamKeys));
        std::fill(std::begin(hub.seamButtons), std::end(hub.seamButtons), false);
        hub.motionX = hub.motionY = hub.wheel = 0;
        devices = hub.devices;
    }
    for (Device* device : devices) {
        device->OnFocusLost();
    }
}

void GainFocus()
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.focused = true;
}

int SDLCALL WatchEvents(void* userdata, SDL_Event* event)
{
    Hub& hub = TheHub();
    switch (event->type) {
    case SDL_MOUSEMOTION: {
        std::lock_guard<std::recursive_mutex> guard(hub.lock);
        hub.motionX += event->motion.xrel;
        hub.motionY += event->motion.yrel;
        break;
    }
    case SDL_MOUSEWHEEL: {
        const int sign = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        std::lock_guard<std::recursive_mutex> guard(hub.lock);
        hub.wheel += sign * event->wheel.y * 120;
        break;
    }
    case SDL_WINDOWEVENT:
        if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            LoseFocus();
        } else if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            GainFocus();
        }
        break;
    default:
        break;
    }
    return 0;
}

void ApplyCursorMode(bool exclusive)
{
    if (!VideoIsUp()) {
        return;
    }
    if (!exclusive) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }
    if (SDL_SetRelativeMouseMode(SDL_TRUE) != 0) {
        // Some X servers cannot confine the pointer; warping still gives endless deltas.
        SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_MODE_WARP, "1");
        if (SDL_SetRelativeMouseMode(SDL_TRUE) != 0) {
            SDL_ShowCursor(SDL_DISABLE);
        }
    }
}

const int kSdlButtonOfSlot[5] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2};

} // namespace

void RegisterDevice(Device* device)
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.devices.push_back(device);
}

void UnregisterDevice(Device* device)
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.devices.erase(std::remove(hub.devices.begin(), hub.devices.end(), device), hub.devices.end());
    if (hub.devices.empty() && hub.watchInstalled) {
        if (VideoIsUp()) {
            SDL_DelEventWatch(WatchEvents, nullptr);
        }
        hub.watchInstalled = false;
    }
}

void AttachToSdl()
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    if (!VideoIsUp()) {
        hub.watchInstalled = false; // SDL_Quit drops every watch
        return;
    }
    if (hub.watchInstalled) {
        return;
    }
    SDL_AddEventWatch(WatchEvents, nullptr);
    hub.watchInstalled = true;
    hub.focused = SDL_GetKeyboardFocus() != nullptr;
}

bool HasFocus()
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    return hub.alwaysFocused || hub.focused;
}

void ReadKeys(BYTE keys[256])
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    std::memcpy(keys, hub.seamKeys, 256);
    if (VideoIsUp()) {
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        MapKeyboardState(state, count, keys);
    }
}

void TakeMouse(DIMOUSESTATE2* state)
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    state->lX = hub.motionX;
    state->lY = hub.motionY;
    state->lZ = hub.wheel;
    hub.motionX = hub.motionY = hub.wheel = 0;
    const Uint32 sdlButtons = VideoIsUp() ? SDL_GetMouseState(nullptr, nullptr) : 0;
    for (int slot = 0; slot < 8; ++slot) {
        bool down = hub.seamButtons[slot];
        if (slot < 5) {
            down = down || (sdlButtons & SDL_BUTTON(kSdlButtonOfSlot[slot])) != 0;
        }
        state->rgbButtons[slot] = down ? 0x80 : 0;
    }
}

void DiscardMouseMotion()
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.motionX = hub.motionY = hub.wheel = 0;
}

void SetMouseExclusive(const Device* owner, bool exclusive)
{
    Hub& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    if (exclusive) {
        hub.exclusiveOwner = owner;
    } else if (hub.exclusiveOwner == owner || hub.exclusiveOwner == nullptr) {
        hub.exclusiveOwner = nullptr;
    } else {
        return; // another device still holds the mouse exclusively
    }
    hub.exclusive = exclusive;
    ApplyCursorMode(exclusive);
}

} // namespace dinput

namespace TestInput {

using dinput::TheHub;

void SetKey(int dik, bool down)
{
    if (dik < 0 || dik > 255) {
        return;
    }
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.seamKeys[dik] = down ? 0x80 : 0;
}

void MoveMouse(int dx, int dy, int dz)
{
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.motionX += dx;
    hub.motionY += dy;
    hub.wheel += dz;
}

void SetButton(int index, bool down)
{
    if (index < 0 || index > 7) {
        return;
    }
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.seamButtons[index] = down;
}

void SetFocus(bool focused)
{
    if (focused) {
        dinput::GainFocus();
    } else {
        dinput::LoseFocus();
    }
}

void SetAlwaysFocused(bool always)
{
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    hub.alwaysFocused = always;
}

void Reset()
{
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    std::memset(hub.seamKeys, 0, sizeof(hub.seamKeys));
    std::fill(std::begin(hub.seamButtons), std::end(hub.seamButtons), false);
    hub.motionX = hub.motionY = hub.wheel = 0;
    hub.focused = true;
}

int DikFromScancode(int sdlScancode)
{
    return dinput::DikFromScancode(sdlScancode);
}

bool MouseIsExclusive()
{
    auto& hub = TheHub();
    std::lock_guard<std::recursive_mutex> guard(hub.lock);
    return hub.exclusive;
}

} // namespace TestInput
