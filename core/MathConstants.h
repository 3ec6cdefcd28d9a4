// pi and the conversions between degrees and radians, for every layer.
// Angles are floats; the degree conversions multiply in double and round the
// product to float. Each computation keeps the precision it was written
// with, since the simulation's results depend on it bit for bit: a double
// product rounded once and a float product can differ in the last place.
#pragma once

// pi as a float (3.1415927), and the half and whole turn made from it exactly.
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 0.5f * kPi;
constexpr float kTwoPi = 2.0f * kPi;

// pi / 180 and 180 / pi in double.
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDegreesPerRadian = 57.295779513082320876798;
// 180 / pi rounded to float, for products taken in float.
constexpr float kDegreesPerRadianFloat = static_cast<float>(kDegreesPerRadian);

// Degrees to radians, rounded to float before the sine and cosine are taken.
inline float DegreesToRadians(float degrees)
{
    return static_cast<float>(degrees * kRadiansPerDegree);
}
