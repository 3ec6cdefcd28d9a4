// The sun of the first stage: a scene object with nothing to draw that
// carries a far-reaching white light (the ragdoll's builder puts it high over
// the stage). The light rides on the sun's pose and belongs to the World.
#pragma once

#include "objects/NPObj.h"
#include "objects/StageHooks.h"

class PointLight;

class Sun : public NPObj
{
public:
    static constexpr int kType = kSunSceneObjectType;
    static constexpr float kAttenuation = 1000.0f;

    // Adds the light to the World; without a World there is none.
    Sun();

    PointLight* GetLight() const { return light; }

private:
    PointLight* light = nullptr;
};
