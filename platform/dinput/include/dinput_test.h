// Test-only seam of the DirectInput stand-in: drives the keyboard, mouse and
// window focus without SDL (SDL's pushed key events never reach its keyboard
// state, so tests that need exact keys come through here).
#pragma once

namespace TestInput {

// Holds or releases a key by DIK code (0..255).
void SetKey(int dik, bool down);
// Adds relative motion; dz is in wheel units (120 per notch, positive away from the user).
void MoveMouse(int dx, int dy, int dz);
// Holds or releases a mouse button in Windows order (0 left, 1 right, 2 middle, 3 X1, 4 X2).
void SetButton(int index, bool down);
// Gives or takes the window's input focus, as the window system would.
void SetFocus(bool focused);
// Treats the window as always focused (also LV_INPUT_ALWAYS_FOCUSED=1 in the environment),
// for X servers without a window manager.
void SetAlwaysFocused(bool always);
// Releases every injected key and button, drops pending motion, gives focus back.
void Reset();

// The DIK code the stand-in reports for an SDL scancode, 0 when the key has none.
int DikFromScancode(int sdlScancode);
// Whether the mouse is currently in relative (exclusive) mode with a hidden cursor.
bool MouseIsExclusive();

} // namespace TestInput
