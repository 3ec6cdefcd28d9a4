// The frame's input poll. Devices are made lazily by the first poll, because
// DirectInput needs the window, which exists only once the framework has run.
#include "game/Input.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "DXUT.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "physics/ObjectController.h"

Input* gInput = nullptr;

namespace {

const DWORD kDirectInputVersion = 0x0800;

// A device that keeps reporting lost input must not hold the frame forever.
const int kMaxAcquireAttempts = 8;

const DWORD kKeyboardCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
const DWORD kMouseExclusive = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
const DWORD kMouseShared = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
const BYTE kDownBit = 0x80;
const int kMouseButtons = 8;

struct DefaultBinding
{
    int id;
    int key;
};

// In delivery order: a frame's key messages go out in this order.
const DefaultBinding kDefaultBindings[] = {
    {kMsgMoveForward, DIK_W},
    {kMsgMoveBack, DIK_S},
    {kMsgMoveLeft, DIK_A},
    {kMsgMoveRight, DIK_D},
    {kMsgJump, DIK_SPACE},
    {kMsgKnockOut, DIK_K},
    {kMsgToggleMask, DIK_L},
    {kMsgToggleMouseLook, DIK_C},
    {kMsgEditorToggle, DIK_0},
    {kMsgEditorRight, DIK_NUMPAD6},
    {kMsgEditorForward, DIK_NUMPAD8},
    {kMsgEditorUp, DIK_NUMPAD9},
    {kMsgEditorLeft, DIK_NUMPAD4},
    {kMsgEditorBack, DIK_NUMPAD2},
    {kMsgEditorDown, DIK_NUMPAD7},
    {kMsgEditorStopObject, DIK_NUMPAD5},
    {kMsgEditorNext, DIK_N},
    {kMsgEditorGravity, DIK_G},
    {kMsgJukeBoxPlay, DIK_RSHIFT},
    {kMsgJukeBoxPause, DIK_SLASH},
    {kMsgJukeBoxNext, DIK_COMMA},
    {kMsgJukeBoxPrevious, DIK_PERIOD},
    {kMsgEnterReplay, DIK_U},
    {kMsgReplayStop, DIK_Y},
    {kMsgReplayFreeze, DIK_I},
};

// The press state machine of keys and buttons alike. Returns whether the new
// state is posted: every frame while down, once on release.
bool AdvancePressState(int& state, bool down)
{
    if (down) {
        state = (state == kPressPressed || state == kPressHeld) ? kPressHeld : kPressPressed;
        return true;
    }
    const bool wasDown = state == kPressPressed || state == kPressHeld;
    state = wasDown ? kPressReleased : kPressUp;
    return wasDown;
}

void Post(int id, fMessage* msg)
{
    if (gEventDispatcher)
        gEventDispatcher->PostMessage(id, msg);
    else
        delete msg;
}

// A failed read leaves nothing held: whatever the buffer had was last frame's,
// and a key released while the window was away would otherwise stay down
// until focus came back. Then one attempt to get the device back, repeated
// only while input is reported lost, and never without end.
void ReadDevice(IDirectInputDevice8W* device, DWORD size, void* data)
{
    if (SUCCEEDED(device->GetDeviceState(size, data))) return;
    std::memset(data, 0, size);
    HRESULT result = device->Acquire();
    for (int attempt = 1; result == DIERR_INPUTLOST && attempt < kMaxAcquireAttempts; ++attempt)
        result = device->Acquire();
}

void CloseDevice(IDirectInputDevice8W*& device)
{
    if (!device) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}

// Keeps the system's setting and sets it again with every flag cleared; the
// other fields (FilterKeys' timings) stay as they were.
template <typename Setting>
bool SaveAndClearSetting(UINT getAction, UINT setAction, Setting& saved)
{
    saved.cbSize = sizeof(Setting);
    if (!SystemParametersInfoW(getAction, sizeof(Setting), &saved, 0)) return false;
    Setting cleared = saved;
    cleared.dwFlags = 0;
    SystemParametersInfoW(setAction, sizeof(Setting), &cleared, 0);
    return true;
}

int AddSaturated(int total, LONG delta)
{
    const long long sum = static_cast<long long>(total) + delta;
    return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

} // namespace

Input::Input(DirectInputCreateFunction createDirectInput_) : createDirectInput(createDirectInput_) {}

Input::~Input()
{
    ReleaseDevices();
}

void Input::Update(int frameTimeMicroseconds)
{
    if (needsDevices) {
        CreateDevices();
        needsDevices = false;
    }
    if (keyboard) ReadDevice(keyboard, sizeof(keys), keys);
    // The push is off unless a movement message of this frame turns it on.
    if (gObjectController) gObjectController->SetEnabled(false);
    if (keyboard) PostKeys();
    PollMouse();
}

void Input::PostKeys()
{
    for (KeyBinding& binding : bindings) {
        if (binding.device != keyboard) continue;
        const bool down = binding.key >= 0 && binding.key < 256 && (keys[binding.key] & kDownBit) != 0;
        if (AdvancePressState(binding.state, down)) Post(binding.id, new fInputState(binding.id, binding.state));
    }
}

void Input::CreateDevices()
{
    SaveAndClearAccessibility();
    void* created = nullptr;
    if (!createDirectInput ||
        FAILED(createDirectInput(DXUTGetHINSTANCE(), kDirectInputVersion, IID_IDirectInput8W, &created, nullptr)) ||
        !created)
        return;
    directInput = static_cast<IDirectInput8W*>(created);

    keyboard = OpenDevice(GUID_SysKeyboard, &c_dfDIKeyboard, kKeyboardCooperation);
    if (!keyboard) return;
    BindDefaultKeys(keyboard);
    std::memset(keys, 0, sizeof(keys));

    mouse = OpenDevice(GUID_SysMouse, &c_dfDIMouse2, kMouseExclusive);
}

IDirectInputDevice8W* Input::OpenDevice(REFGUID guid, LPCDIDATAFORMAT format, DWORD cooperation)
{
    IDirectInputDevice8W* device = nullptr;
    if (FAILED(directInput->CreateDevice(guid, &device, nullptr)) || !device || FAILED(device->SetDataFormat(format)) ||
        FAILED(device->SetCooperativeLevel(DXUTGetHWND(), cooperation))) {
        if (device) device->Release();
        return nullptr;
    }
    // Refused while the window is in the background; the frames' reads
    // acquire it again once the window has focus.
    device->Acquire();
    return device;
}

void Input::BindDefaultKeys(IDirectInputDevice8W* device)
{
    for (const DefaultBinding& row : kDefaultBindings) BindKey(row.id, row.key, true, device);
}

void Input::BindKey(int id, int key, bool primary, IDirectInputDevice8W* device)
{
    for (KeyBinding& binding : bindings) {
        if (binding.id != id) continue;
        if (primary) {
            binding.key = key;
            binding.device = device;
        } else {
            binding.key2 = key;
            binding.device2 = device;
        }
        return;
    }
    bindings.push_back({id, key, key, device, device, kPressUp});
}

void Input::PollMouse()
{
    if (!mouse) return;
    ReadDevice(mouse, sizeof(mouseRecord.raw), &mouseRecord.raw);
    AccumulateMouse();
}

void Input::AccumulateMouse()
{
    MouseRecord& m = mouseRecord;
    m.cursor.x = AddSaturated(m.cursor.x, m.raw.lX);
    m.cursor.y = AddSaturated(m.cursor.y, m.raw.lY);
    m.wheel = AddSaturated(m.wheel, m.raw.lZ);
    m.second.x = AddSaturated(m.second.x, m.raw.lX);
    m.second.y = AddSaturated(m.second.y, m.raw.lY);
    m.dx = m.raw.lX;
    m.dy = m.raw.lY;
    m.dz = m.raw.lZ;

    if (m.dz != 0) Post(kMsgMouseWheel, new fMouseWheelState(m.dz));
    if (m.dx != 0 || m.dy != 0) Post(kMsgMouseMove, new fMouseMoveState(m.dx, m.dy));
    for (int button = 0; button < kMouseButtons; ++button) {
        m.buttonDown[button] = (m.raw.rgbButtons[button] & kDownBit) != 0;
        if (AdvancePressState(m.buttonState[button], m.buttonDown[button]))
            Post(kMsgMouseButton, new fMouseButtonState(m.buttonState[button], button));
    }
}

void Input::ClampCursor(int halfWidth, int halfHeight)
{
    const int w = std::max(halfWidth, 0);
    const int h = std::max(halfHeight, 0);
    MouseCursor& c = mouseRecord.cursor;
    c.x = std::clamp(c.x, -w, w);
    c.y = std::clamp(c.y, -h, h);
}

void Input::SetMouseShared()
{
    ReopenMouse(kMouseShared);
}

void Input::SetMouseExclusive()
{
    ReopenMouse(kMouseExclusive);
}

void Input::ReopenMouse(DWORD cooperation)
{
    // Without DirectInput there is nothing to make a mouse from. The old
    // device goes first: it may still hold the pointer exclusively.
    if (!directInput) return;
    CloseDevice(mouse);
    mouse = OpenDevice(GUID_SysMouse, &c_dfDIMouse2, cooperation);
}

void Input::ReleaseDevices()
{
    CloseDevice(keyboard);
    CloseDevice(mouse);
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
    RestoreAccessibility();
}

// The StickyKeys and FilterKeys hot keys (five Shift presses, a held right
// Shift) would pop up system dialogs in the middle of play.
void Input::SaveAndClearAccessibility()
{
    stickyKeysSaved = SaveAndClearSetting(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, savedStickyKeys);
    filterKeysSaved = SaveAndClearSetting(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, savedFilterKeys);
}

void Input::RestoreAccessibility()
{
    if (stickyKeysSaved) SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &savedStickyKeys, 0);
    if (filterKeysSaved) SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(FILTERKEYS), &savedFilterKeys, 0);
    stickyKeysSaved = false;
    filterKeysSaved = false;
}
