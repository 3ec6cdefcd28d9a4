// A point light riding on a game object (a torch, the sun, the character's
// hand torch). Colour, base attenuation and the two flicker amounts are fixed
// when the World makes it; each rendered frame recomputes where it stands and
// how far it reaches, with a small random jitter for the flame.
//
// Ownership: the World creates every light (World::AddLight) and deletes it
// when it clears its light list. The owner's position and orientation are only
// pointed at; the World deletes the objects before the lights at a stage clear
// with no update in between, so a light never reads a dead owner.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"

class PointLight
{
public:
    // The light sits this far along the owner's local x axis unless the
    // creator moves it (the hand torch sets its own offset).
    static constexpr float kDefaultOffsetX = 4.0f;

    PointLight(const Vector3* ownerPosition, const Matrix3* ownerOrientation, const float* colour, float attenuation,
               float positionFlicker, float attenuationFlicker);

    // Once per rendered frame with the absolute time in seconds: the offset
    // carried into the owner's frame, plus the jitter, and the attenuation
    // with its own jitter. Draws four numbers from the game-wide generator.
    void Update(float time);

    // Fields in the record's order. Position and attenuation mean nothing
    // before the first update.
    Vector3 position;
    float offset[4];
    const Vector3* ownerPosition;
    const Matrix3* ownerOrientation;
    float colour[4];
    float baseAttenuation;
    float attenuation;
    float positionFlicker;
    float attenuationFlicker;
};
