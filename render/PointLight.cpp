#include "render/PointLight.h"

#include <cmath>
#include <cstdlib>

namespace {

// The Windows generator's largest value; the stand-in's rand() is that
// generator, so the jitter spans exactly [-f, f].
const float kRandMax = 32767.0f;
// The jitter's width is scaled by cos(time * kFlickerFade), time in seconds:
// 1 at the start and still above 0.99 after three hours, so the flicker keeps
// its width through any session. Every light position depends on the factor.
const double kFlickerFade = 0.00001;

float Jitter(float halfWidth)
{
    return -halfWidth + 2.0f * halfWidth * static_cast<float>(std::rand()) / kRandMax;
}

} // namespace

PointLight::PointLight(const Vector3* ownerPosition_, const Matrix3* ownerOrientation_, const float* colour_,
                       float attenuation_, float positionFlicker_, float attenuationFlicker_)
    : offset{kDefaultOffsetX, 0.0f, 0.0f, 0.0f}, ownerPosition(ownerPosition_),
      ownerOrientation(ownerOrientation_), colour{colour_[0], colour_[1], colour_[2], colour_[3]},
      baseAttenuation(attenuation_), attenuation(attenuation_), positionFlicker(positionFlicker_),
      attenuationFlicker(attenuationFlicker_)
{}

void PointLight::Update(float time)
{
    const float c = static_cast<float>(std::cos(static_cast<double>(time) * kFlickerFade));
    // The offset is a direction (w = 0): the owner's rotation turns it and its
    // position, added below, carries it.
    const Vector3 local(offset[0], offset[1], offset[2]);
    Vector3 turned;
    Vector3::TimesMatrix3(turned, *ownerOrientation, local);
    // The draw order is part of the light's behaviour: z, then y, then x.
    const float jz = Jitter(positionFlicker);
    const float jy = Jitter(positionFlicker);
    const float jx = Jitter(positionFlicker);
    position = turned + (*ownerPosition + Vector3(jx, jy, jz) * c);
    attenuation = baseAttenuation + c * Jitter(attenuationFlicker);
}
