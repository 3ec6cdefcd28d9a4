// Physical key positions: SDL scancodes to DIK codes.
#pragma once

#include <SDL.h>
#include <windows.h>

namespace dinput {

// The DIK code of an SDL scancode; 0 for keys DirectInput has no code for.
BYTE DikFromScancode(int scancode);

// Sets bit 0x80 in keys[dik] for every held key of SDL's keyboard state.
void MapKeyboardState(const Uint8* sdlState, int count, BYTE keys[256]);

} // namespace dinput
