// How the game reports a failed call to the sound library: one line on the
// console, and the game goes on.
#pragma once

#include "fmod.h"

// The message of a sound-library result code; "Unknown error." for a code the
// library does not define.
const char* FmodResultText(FMOD_RESULT result);

// Prints "FMOD error! (<code>) <text>" on standard output unless the result is
// FMOD_OK.
void FmodErrCheck(FMOD_RESULT result);
