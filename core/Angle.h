// Angles in radians: Angle wraps into [-pi, pi] (both ends allowed),
// ClampedAngle is held between two limits.
#pragma once

#include "core/MathConstants.h"

class Angle
{
public:
    Angle() : value(0.0f) {}
    explicit Angle(float radians) : value(Wrap(radians)) {}

    Angle& operator=(float radians)
    {
        value = Wrap(radians);
        return *this;
    }
    Angle& operator+=(float delta)
    {
        value = Wrap(value + delta);
        return *this;
    }

    float Get() const { return value; }

    // Writes the cosine to first and the sine to second (in that order; the
    // camera-relative movement code depends on it).
    void SinCos(float& first, float& second) const;

    // Wraps into [-pi, pi] by whole turns. Values that arrive from files can be
    // huge, infinite or NaN: huge ones are reduced first so the loop stays
    // short, and non-finite ones become 0.
    static float Wrap(float radians);

private:
    float value;
};

class ClampedAngle
{
public:
    ClampedAngle() : value(0.0f), max(kPi), min(-kPi) {}

    float Get() const { return value; }
    float GetMin() const { return min; }
    float GetMax() const { return max; }

    ClampedAngle& operator=(float radians)
    {
        value = radians;
        Clamp();
        return *this;
    }
    ClampedAngle& operator+=(float delta)
    {
        value += delta;
        Clamp();
        return *this;
    }

    // Limits in either order; the smaller becomes min.
    void SetLimits(float first, float second)
    {
        min = first;
        max = second;
        if (second < first) {
            min = second;
            max = first;
        }
        Clamp();
    }

private:
    void Clamp()
    {
        value = value < max ? value : max;
        value = value > min ? value : min;
    }

    float value;
    float max;
    float min;
};
