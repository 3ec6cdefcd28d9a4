#include "audio/FmodErrCheck.h"

#include <cstdio>

#include "fmod_errors.h"

const char* FmodResultText(FMOD_RESULT result)
{
    // The library publishes its own table; the game keeps no copy of it.
    return FMOD_ErrorString(result);
}

void FmodErrCheck(FMOD_RESULT result)
{
    if (result == FMOD_OK) {
        return;
    }
    std::printf("FMOD error! (%d) %s\n", static_cast<int>(result), FmodResultText(result));
    // The console is a pipe in tests and tools; the line must not wait for exit.
    std::fflush(stdout);
}
