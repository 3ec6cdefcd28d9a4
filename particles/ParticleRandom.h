// The random fraction every particle formula draws: the game-wide 15-bit
// sequence divided by its maximum, so 0 to 1 inclusive. The order of draws
// is part of each effect's look; callers keep it.
#pragma once

#include <windows.h>

inline float ParticleRandom()
{
    return static_cast<float>(rand()) / static_cast<float>(RAND_MAX);
}
