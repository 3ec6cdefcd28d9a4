#include "objects/Cylinder.h"

#include <algorithm>
#include <cmath>

#include "core/DebugPrint.h"
#include "objects/ShapeSettings.h"
#include "physics/shapes/RoundHull.h"

namespace {

const float kMargin = 1.2f;
const int kMaxSlices = 256;
const int kMaxStacks = 256;
// Where the shadow sits on a log: below its top, as the player expects.
const Vector3 kShadowDrop(0.0f, 0.0f, 4.0f);

Vector3 Rim(float x, float radius, int slice, int slices)
{
    return SpherePoint(0.0f, 360.0f * static_cast<float>(slice) / static_cast<float>(slices), 0) * radius +
           Vector3(x, 0.0f, 0.0f);
}

} // namespace

Cylinder::Cylinder(PhysicsWorld*, float radius_, float length_, int slices, int stacks, float mass)
    : radius(radius_), length(length_)
{
    DebugPrint("Creating a cylinder\n");
    SetMass(mass);
    const float r2 = radius * radius;
    const float l2 = length * length;
    SetInertia(mass * r2 / 2.0f, mass * l2 / 12.0f + mass * r2 / 4.0f, mass * l2 / 12.0f + mass * r2 / 4.0f);

    const int meshSize = ReadMeshSizeKey("cylinder_mesh_size", 16);
    std::vector<Vector3> samplePoints;
    BuildHull(std::max(3, std::min(kMaxSlices, slices)), std::max(2, std::min(kMaxStacks, stacks)), samplePoints);
    collisionData.Build(meshSize, meshSize, meshSize, kMargin, triangles, samplePoints, {}, {}, this);
    SetOrientation(Matrix3::Identity());
}

void Cylinder::BuildHull(int slices, int stacks, std::vector<Vector3>& samplePoints)
{
    const float h = 0.5f * length;
    auto station = [&](int s) { return -h + length * static_cast<float>(s) / static_cast<float>(stacks); };
    for (int s = 0; s < stacks; ++s) {
        for (int i = 0; i < slices; ++i) {
            AddBandQuad(triangles, Rim(station(s), radius, i, slices), Rim(station(s), radius, i + 1, slices),
                        Rim(station(s + 1), radius, i, slices), Rim(station(s + 1), radius, i + 1, slices), false,
                        false);
        }
    }
    const Vector3 top(h, 0.0f, 0.0f);
    for (int i = 0; i < slices; ++i) {
        triangles.push_back(SurfaceTriangle{top, Rim(h, radius, i, slices), Rim(h, radius, i + 1, slices)});
        triangles.push_back(SurfaceTriangle{-top, Rim(-h, radius, i + 1, slices), Rim(-h, radius, i, slices)});
    }

    for (int s = 0; s <= stacks; ++s) {
        for (int i = 0; i < slices; ++i) {
            samplePoints.push_back(Rim(station(s), radius, i, slices));
        }
    }
    samplePoints.push_back(top);
    samplePoints.push_back(-top);
}

void Cylinder::UpdateBounds()
{
    GetCylinderBounds(ResetBounds(), position, GetOrientation(), radius, length);
}

bool Cylinder::GetMeshInfo(const Vector3& p, bool& inside, Vector3& toSurface) const
{
    const float h = 0.5f * length;
    const float rho = std::sqrt(p.y * p.y + p.z * p.z);
    inside = rho <= radius && p.x >= -h && p.x <= h;
    const float capX = p.x > 0.0f ? h : -h;
    Vector3 surface;
    if (rho == 0.0f) {
        // On the axis: out through the nearer of the wall and the cap.
        surface = h - std::fabs(p.x) < radius ? Vector3(capX, 0.0f, 0.0f) : Vector3(p.x, radius, 0.0f);
    } else {
        const float k = rho + h - radius;
        const float scale = radius / rho;
        if (p.x > k || p.x < -k) {
            surface = rho > radius ? Vector3(capX, p.y * scale, p.z * scale) : Vector3(capX, p.y, p.z);
        } else {
            surface = Vector3(std::max(-h, std::min(h, p.x)), p.y * scale, p.z * scale);
        }
    }
    toSurface = surface - p;
    return true;
}

int IntersectLineCylinder(const Vector3& o, const Vector3& d, float radius, float h, float t[2])
{
    float lo = -1e30f;
    float hi = 1e30f;
    // The slab between the caps.
    if (d.x == 0.0f) {
        if (o.x < -h || o.x > h) {
            return 0;
        }
    } else {
        float t0 = (-h - o.x) / d.x;
        float t1 = (h - o.x) / d.x;
        if (t0 > t1) {
            std::swap(t0, t1);
        }
        lo = std::max(lo, t0);
        hi = std::min(hi, t1);
    }
    // The infinite tube.
    const float a = d.y * d.y + d.z * d.z;
    const float c = o.y * o.y + o.z * o.z - radius * radius;
    if (a == 0.0f) {
        if (c > 0.0f) {
            return 0;
        }
    } else {
        const float b = o.y * d.y + o.z * d.z;
        const float discriminant = b * b - a * c;
        if (discriminant < 0.0f) {
            return 0;
        }
        const float root = std::sqrt(discriminant);
        lo = std::max(lo, (-b - root) / a);
        hi = std::min(hi, (-b + root) / a);
    }
    if (lo > hi || lo <= -1e30f || hi >= 1e30f) {
        return 0;
    }
    t[0] = lo;
    t[1] = hi;
    return lo == hi ? 1 : 2;
}

bool Cylinder::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    Vector3 direction;
    Vector3::TimesMatrix3(direction, GetOrientationTranspose(), end - start);
    float t[2];
    const int found = IntersectLineCylinder(ToBody(start), direction, radius, 0.5f * length, t);
    int hits = 0;
    for (int i = 0; i < found; ++i) {
        if (t[i] < 0.0f || t[i] > 1.0f) {
            continue;
        }
        if (hits == 0) {
            // The first parameter on the segment, so a start inside the
            // cylinder never ranks a hit behind the segment's start.
            tEnter = t[i];
            point = start + (end - start) * t[i] - kShadowDrop;
        }
        ++hits;
    }
    if (hits > 0) {
        tExit = t[found - 1];
    }
    return hits > 0;
}
