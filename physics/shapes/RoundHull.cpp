#include "physics/shapes/RoundHull.h"

#include <cmath>

#include "core/MathConstants.h"

Vector3 SpherePoint(float latitude, float longitude, int upAxis)
{
    Vector3 p;
    if (latitude <= -90.0f || latitude >= 90.0f) {
        p[upAxis] = latitude > 0.0f ? 1.0f : -1.0f;
        return p;
    }
    const double lat = latitude * kRadiansPerDegree;
    const double lon = longitude * kRadiansPerDegree;
    p[upAxis] = static_cast<float>(std::sin(lat));
    p[(upAxis + 1) % 3] = static_cast<float>(std::cos(lat) * std::cos(lon));
    p[(upAxis + 2) % 3] = static_cast<float>(std::cos(lat) * std::sin(lon));
    return p;
}

void AddBandQuad(TriangleList& triangles, const Vector3& p00, const Vector3& p01, const Vector3& p10,
                 const Vector3& p11, bool lowerIsPole, bool upperIsPole)
{
    if (!upperIsPole) {
        triangles.push_back(SurfaceTriangle{p00, p11, p10});
    }
    if (!lowerIsPole) {
        triangles.push_back(SurfaceTriangle{p00, p01, p11});
    }
}
