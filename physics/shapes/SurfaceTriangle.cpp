#include "physics/shapes/SurfaceTriangle.h"

#include <cstddef>

#include "core/Geometry.h"

Vector3 TriangleNormal(const SurfaceTriangle& t)
{
    Vector3 n;
    Vector3::Cross(n, t.b - t.a, t.c - t.a);
    return n.Normalize();
}

float ClosestPointOnTriangles(const Vector3& p, const TriangleList& triangles, int& index, Vector3& closest)
{
    float best = 1e10f;
    index = -1;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const SurfaceTriangle& t = triangles[i];
        Vector3 q;
        const float d2 = ClosestPointOnTriangle(p, t.a, t.b, t.c, q);
        if (d2 < best) {
            best = d2;
            index = static_cast<int>(i);
            closest = q;
        }
    }
    return best;
}

namespace {

// Edge-inclusive: a crossing exactly on a shared edge counts for both
// triangles, which the vote over ten rays absorbs.
bool IsInsideTriangle(const Vector3& x, const SurfaceTriangle& t, const Vector3& n)
{
    const Vector3* v[3] = {&t.a, &t.b, &t.c};
    for (int i = 0; i < 3; ++i) {
        const Vector3& p0 = *v[i];
        const Vector3& p1 = *v[(i + 1) % 3];
        Vector3 side;
        Vector3::Cross(side, x - p0, p1 - p0);
        if (Vector3::Dot(side, n) > 0.0f) {
            return false;
        }
    }
    return true;
}

} // namespace

int CountSegmentCrossings(const Vector3& start, const Vector3& direction, const TriangleList& triangles)
{
    const Vector3 end = start + direction;
    int count = 0;
    for (const SurfaceTriangle& t : triangles) {
        Vector3 n;
        Vector3::Cross(n, t.b - t.a, t.c - t.a);
        const float d0 = Vector3::Dot(n, start - t.a);
        const float d1 = Vector3::Dot(n, end - t.a);
        if (!(d0 * d1 < 0.0f)) {
            continue;
        }
        const Vector3 x = start + direction * (d0 / (d0 - d1));
        if (IsInsideTriangle(x, t, n)) {
            ++count;
        }
    }
    return count;
}
