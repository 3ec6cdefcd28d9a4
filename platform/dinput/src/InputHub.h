// What every device of the stand-in reads: window focus, the mouse motion and
// wheel gathered since the last read, button and key state. Fed by an SDL event
// watch while SDL video runs, and by the test seam at any time.
#pragma once

#include <dinput.h>

namespace dinput {

class Device;

// Devices register so that a focus loss can take their acquisition away.
void RegisterDevice(Device* device);
void UnregisterDevice(Device* device);

// Installs the SDL event watch once SDL video is up; harmless before.
void AttachToSdl();

bool HasFocus();

// Keys held now (seam and SDL), 0x80 per held key.
void ReadKeys(BYTE keys[256]);
// Motion and wheel since the last call (then cleared) and the buttons held now.
void TakeMouse(DIMOUSESTATE2* state);
// Drops motion gathered while no one was reading.
void DiscardMouseMotion();

// Exclusive mouse: relative mode with a hidden cursor. Released: cursor shown.
void SetMouseExclusive(const Device* owner, bool exclusive);

} // namespace dinput
