// The character's shadow: a flat cross of two squashed boulder meshes laid
// under World object 0 every frame, on the nearest body below it or, failing
// that, on the terrain. The scene factory makes one per stage load and hands
// it to the Player, which turns it with the camera.
#pragma once

#include "objects/NPObj.h"

class fShadowObj : public NPObj
{
public:
    static constexpr int kType = 14;
    // The shadow looks this far down for something to lie on.
    static constexpr float kLowestZ = -200.0f;
    // And floats this far above it.
    static constexpr float kLift = 0.2f;

    void Update() override;
};
