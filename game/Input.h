// Keyboard and mouse, read once per frame through DirectInput and turned into
// messages: an fInputState per bound key, then the wheel, the motion and the
// eight buttons. Nothing else in the game reads a device.
#pragma once

#include <dinput.h>

#include <vector>

#include "game/KeyBinding.h"

// DirectInput8Create's shape. The game always uses DirectInput8Create; tests
// hand in their own DirectInput to make devices fail in ways the stand-in can't.
typedef HRESULT (*DirectInputCreateFunction)(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                             LPUNKNOWN outer);

// The pointer position summed from the mouse's motion; the camera keeps it
// inside the viewport.
struct MouseCursor
{
    int x = 0;
    int y = 0;
};

class Input
{
public:
    // No devices yet: the first Update creates them.
    explicit Input(DirectInputCreateFunction createDirectInput = DirectInput8Create);
    virtual ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // The frame's poll. The argument is the raw frame time in microseconds;
    // the input does not use it.
    virtual void Update(int frameTimeMicroseconds);

    // Accessibility hot keys off, DirectInput, the keyboard with the default
    // bindings, then the mouse. A step that cannot be made leaves the devices
    // after it absent; a device that cannot be acquired yet is kept.
    void CreateDevices();
    void BindDefaultKeys(IDirectInputDevice8W* device);
    // primary: replaces the key of the binding with this id; otherwise fills
    // its second slot. A new id appends a binding.
    void BindKey(int id, int key, bool primary, IDirectInputDevice8W* device);
    void PollMouse();
    void AccumulateMouse();
    // The editor shares the mouse with its dialog while it is on.
    void SetMouseShared();
    void SetMouseExclusive();
    // Devices released and the accessibility settings given back. Safe twice.
    void ReleaseDevices();

    const std::vector<KeyBinding>& GetBindings() const { return bindings; }
    IDirectInputDevice8W* GetKeyboard() const { return keyboard; }
    IDirectInputDevice8W* GetMouse() const { return mouse; }
    const MouseCursor& GetCursor() const { return mouseRecord.cursor; }
    // Keeps the cursor within [-halfWidth, halfWidth] x [-halfHeight, halfHeight].
    void ClampCursor(int halfWidth, int halfHeight);

private:
    struct MouseRecord
    {
        MouseCursor cursor; // accumulated x and y
        int wheel = 0;      // accumulated wheel
        int dx = 0, dy = 0, dz = 0;
        MouseCursor second; // a second accumulated pair nothing reads
        bool buttonDown[8] = {};
        int buttonState[8] = {};
        DIMOUSESTATE2 raw = {};
    };

    // A device made, formatted and set up, or null (nothing left behind).
    IDirectInputDevice8W* OpenDevice(REFGUID guid, LPCDIDATAFORMAT format, DWORD cooperation);
    void ReopenMouse(DWORD cooperation);
    void PostKeys();
    void SaveAndClearAccessibility();
    void RestoreAccessibility();

    DirectInputCreateFunction createDirectInput;
    bool needsDevices = true;
    std::vector<KeyBinding> bindings;
    // Owned: released by ReleaseDevices.
    IDirectInput8W* directInput = nullptr;
    IDirectInputDevice8W* keyboard = nullptr;
    IDirectInputDevice8W* mouse = nullptr;
    BYTE keys[256] = {};
    MouseRecord mouseRecord;
    STICKYKEYS savedStickyKeys = {};
    FILTERKEYS savedFilterKeys = {};
    bool stickyKeysSaved = false;
    bool filterKeysSaved = false;
};

extern Input* gInput;
