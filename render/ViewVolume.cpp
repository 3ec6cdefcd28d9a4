// Culling against the clip volume.
#include "render/ViewVolume.h"

#include <algorithm>
#include <cmath>

ViewVolume::ViewVolume(const D3DXMATRIX& m)
{
    auto column = [&](int j) { return ViewPlane{m.m[0][j], m.m[1][j], m.m[2][j], m.m[3][j]}; };
    const ViewPlane x = column(0), y = column(1), z = column(2), w = column(3);
    planes[0] = {w.a + x.a, w.b + x.b, w.c + x.c, w.d + x.d};
    planes[1] = {w.a - x.a, w.b - x.b, w.c - x.c, w.d - x.d};
    planes[2] = {w.a + y.a, w.b + y.b, w.c + y.c, w.d + y.d};
    planes[3] = {w.a - y.a, w.b - y.b, w.c - y.c, w.d - y.d};
    planes[4] = z;
    planes[5] = {w.a - z.a, w.b - z.b, w.c - z.c, w.d - z.d};
    // Unit normals make a plane's value a distance, so a sphere needs no root
    // per test; scaling keeps every side of every plane where it was.
    for (ViewPlane& p : planes) {
        const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
        if (!(length > 0.0f)) continue;
        p = {p.a / length, p.b / length, p.c / length, p.d / length};
    }
}

bool ViewVolume::BoxInside(const float low[3], const float high[3]) const
{
    for (const ViewPlane& p : planes) {
        const float x = p.a > 0.0f ? high[0] : low[0];
        const float y = p.b > 0.0f ? high[1] : low[1];
        const float z = p.c > 0.0f ? high[2] : low[2];
        if (p.a * x + p.b * y + p.c * z + p.d < 0.0f) return false;
    }
    return true;
}

bool ViewVolume::SphereInside(const float centre[3], float radius) const
{
    for (const ViewPlane& p : planes) {
        // A degenerate plane says nothing about the sphere.
        if (p.a == 0.0f && p.b == 0.0f && p.c == 0.0f) continue;
        if (p.a * centre[0] + p.b * centre[1] + p.c * centre[2] + p.d < -radius) return false;
    }
    return true;
}

namespace {

// The bounding sphere under the world matrix (row vectors): its centre moved,
// its radius under the matrix's Frobenius norm, which no direction stretches
// beyond, shear or not. False when the bounds are unknown or not numbers.
bool PlaceSphere(const float centre[3], float radius, const D3DXMATRIX& world, float placed[3], float* scaled)
{
    if (!(radius >= 0.0f)) return false;
    for (int j = 0; j < 3; ++j) {
        placed[j] = centre[0] * world.m[0][j] + centre[1] * world.m[1][j] + centre[2] * world.m[2][j] + world.m[3][j];
    }
    float squares = 0.0f;
    for (int i = 0; i < 3; ++i) {
        squares += world.m[i][0] * world.m[i][0] + world.m[i][1] * world.m[i][1] + world.m[i][2] * world.m[i][2];
    }
    *scaled = radius * std::sqrt(squares);
    return std::isfinite(*scaled) && std::isfinite(placed[0] + placed[1] + placed[2]);
}

} // namespace

bool MeshMayShow(const float centre[3], float radius, const D3DXMATRIX& world, const ViewVolume& view)
{
    float placed[3], scaled = 0.0f;
    if (!PlaceSphere(centre, radius, world, placed, &scaled)) return true;
    return view.SphereInside(placed, scaled);
}

bool MeshMayReachHeights(const float centre[3], float radius, const D3DXMATRIX& world, float low, float high)
{
    float placed[3], scaled = 0.0f;
    if (!PlaceSphere(centre, radius, world, placed, &scaled)) return true;
    return placed[2] + scaled >= low && placed[2] - scaled <= high;
}
