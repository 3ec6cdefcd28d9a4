// Tessellation pieces shared by the round shapes (capsule, cylinder,
// ellipsoid): points by latitude and longitude and outward-wound quads.
#pragma once

#include "physics/shapes/SurfaceTriangle.h"

// Unit-sphere point with its poles on upAxis (0 x, 1 y, 2 z); longitude 0
// lies on the next axis after upAxis. Degrees. The poles are exact.
Vector3 SpherePoint(float latitude, float longitude, int upAxis);

// Adds one band quad: p00 and p01 on the lower ring (p01 one step further in
// longitude), p10 and p11 above them. A pole ring (collapsed to one point)
// gives one triangle instead of two. Winding is outward for increasing
// longitude about upAxis.
void AddBandQuad(TriangleList& triangles, const Vector3& p00, const Vector3& p01, const Vector3& p10,
                 const Vector3& p11, bool lowerIsPole, bool upperIsPole);
