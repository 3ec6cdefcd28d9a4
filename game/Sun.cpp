#include "game/Sun.h"

#include "game/World.h"

namespace {

// White, full strength: the light's colour takes four parts.
const float kSunColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

} // namespace

Sun::Sun()
{
    if (gWorld != nullptr) light = gWorld->AddLight(&position, &orientation, kSunColour, kAttenuation, 0.0f, 0.0f);
}
