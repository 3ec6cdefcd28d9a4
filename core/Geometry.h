// Distance queries of the collision code. All return squared distances.
#pragma once

#include "core/Vector3.h"

// Points origin + s*e0 + t*e1 with s >= 0, t >= 0, s + t <= 1.
struct Triangle
{
    Vector3 origin;
    Vector3 e0;
    Vector3 e1;
};

// Points origin + t*direction with t in [0, 1].
struct Segment
{
    Vector3 origin;
    Vector3 direction;
};

// Closest point parameters go to s and t (either may be null). A degenerate
// (zero-area) triangle is measured against its edges.
float PointTriangleDistanceSquared(const Vector3& point, const Triangle& triangle, float* s, float* t);

// Triangle (v0, v1 - v0, v2 - v0); writes the closest point.
float ClosestPointOnTriangle(const Vector3& point, const Vector3& v0, const Vector3& v1, const Vector3& v2,
                             Vector3& closest);

// Parameter of the closest point goes to t (may be null).
float PointSegmentDistanceSquared(const Vector3& point, const Segment& segment, float* t);

// Distance from a point (in the ellipsoid's own frame) to the surface of the
// axis-aligned ellipsoid centred at the origin with half-axes `extents`;
// writes the closest surface point. Works for points inside as well.
float PointEllipsoidDistanceSquared(const Vector3& point, const Vector3& extents, Vector3& closest);
