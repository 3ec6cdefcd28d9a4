#include "core/Angle.h"

#include <cmath>

namespace {
// Beyond this a whole-turn subtraction loop gets long, and far beyond it
// subtracting 2 pi no longer changes a float at all.
constexpr float kDirectWrapLimit = 1.0e4f;
} // namespace

float Angle::Wrap(float radians)
{
    if (!std::isfinite(radians)) {
        return 0.0f;
    }
    float v = radians;
    if (std::fabs(v) > kDirectWrapLimit) {
        v = static_cast<float>(std::remainder(static_cast<double>(v), static_cast<double>(kTwoPi)));
    }
    while (v > kPi) {
        v -= kTwoPi;
    }
    while (v < -kPi) {
        v += kTwoPi;
    }
    return v;
}

void Angle::SinCos(float& first, float& second) const
{
    first = std::cos(value);
    second = std::sin(value);
}
