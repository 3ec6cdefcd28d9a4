// One bound action: the message id a key posts and the key's press state.
#pragma once

#include <dinput.h>

struct KeyBinding
{
    int id = 0;   // message id posted as an fInputState
    int key = 0;  // DirectInput key code (DIK_*)
    int key2 = 0; // second slot: filled by BindKey, never polled
    // The device the key belongs to; compared, never owned (Input owns the devices).
    IDirectInputDevice8W* device = nullptr;
    IDirectInputDevice8W* device2 = nullptr;
    int state = 0; // PressState: 0 up, 1 released, 2 pressed, 3 held
};
