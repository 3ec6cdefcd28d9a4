// One body-space hull triangle, wound so that (b - a) x (c - a) points out.
#pragma once

#include <vector>

#include "core/Vector3.h"

struct SurfaceTriangle
{
    Vector3 a;
    Vector3 b;
    Vector3 c;
};

typedef std::vector<SurfaceTriangle> TriangleList;

// Unit outward normal; a degenerate triangle gives (1, 0, 0).
Vector3 TriangleNormal(const SurfaceTriangle& t);

// Closest point on any triangle. Starts from 1e10 and keeps the earlier
// triangle on ties; index is -1 for an empty list. Returns the squared distance.
float ClosestPointOnTriangles(const Vector3& p, const TriangleList& triangles, int& index, Vector3& closest);

// Triangles the segment start .. start + direction crosses: both ends strictly
// on opposite sides of the plane and the crossing inside or on an edge.
int CountSegmentCrossings(const Vector3& start, const Vector3& direction, const TriangleList& triangles);
