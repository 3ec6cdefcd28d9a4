#include "objects/Ellipsoid.h"

#include <algorithm>
#include <cmath>

#include "core/DebugPrint.h"
#include "core/Geometry.h"
#include "objects/ShapeSettings.h"
#include "physics/shapes/RoundHull.h"

namespace {

const float kMargin = 1.1f;
const int kMinRings = 3;
const int kMinSectors = 3;
const int kMaxRings = 256;

Vector3 Scale(const Vector3& v, const Vector3& s)
{
    return Vector3(v.x * s.x, v.y * s.y, v.z * s.z);
}

bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

Ellipsoid::Ellipsoid(PhysicsWorld*, float sizeX, float sizeY, float sizeZ, int bands, int sectors, float mass)
    : semiAxes(0.5f * sizeX, 0.5f * sizeY, 0.5f * sizeZ)
{
    DebugPrint("Creating a sphere\n");
    SetMass(mass);
    const float a2 = semiAxes.x * semiAxes.x;
    const float b2 = semiAxes.y * semiAxes.y;
    const float c2 = semiAxes.z * semiAxes.z;
    SetInertia(mass / 5.0f * (b2 + c2), mass / 5.0f * (a2 + c2), mass / 5.0f * (a2 + b2));

    const int meshSize = ReadMeshSizeKey("ellipsoid_mesh_size", 10);
    std::vector<Vector3> samplePoints;
    BuildHull(std::max(kMinRings, std::min(kMaxRings, bands)), std::max(kMinSectors, std::min(kMaxRings, sectors)),
              samplePoints);
    collisionData.Build(meshSize, meshSize, meshSize, kMargin, triangles, samplePoints, {}, {}, this);
    SetOrientation(Matrix3::Identity());
}

void Ellipsoid::BuildHull(int bands, int sectors, std::vector<Vector3>& samplePoints)
{
    auto point = [&](int ring, int sector) {
        const float latitude = -90.0f + 180.0f * static_cast<float>(ring) / static_cast<float>(bands - 1);
        const float longitude = 360.0f * static_cast<float>(sector) / static_cast<float>(sectors - 1);
        return Scale(SpherePoint(latitude, longitude, 2), semiAxes);
    };
    for (int i = 0; i <= bands - 2; ++i) {
        for (int j = 0; j < sectors; ++j) {
            AddBandQuad(triangles, point(i, j), point(i, j + 1), point(i + 1, j), point(i + 1, j + 1), i == 0,
                        i == bands - 2);
        }
    }
    samplePoints.push_back(point(0, 0));
    for (int i = 1; i <= bands - 2; ++i) {
        for (int j = 0; j < sectors; ++j) {
            samplePoints.push_back(point(i, j));
        }
    }
    samplePoints.push_back(point(bands - 1, 0));
}

void Ellipsoid::UpdateBounds()
{
    // The sphere of the largest semi-axis bounds every orientation.
    GrowBoundsBySphere(ResetBounds(), position, GetLargestRadius(semiAxes));
}

Vector3 Ellipsoid::FallbackSurfacePoint(const Vector3& p) const
{
    const float level = (p.x / semiAxes.x) * (p.x / semiAxes.x) + (p.y / semiAxes.y) * (p.y / semiAxes.y) +
                        (p.z / semiAxes.z) * (p.z / semiAxes.z);
    if (level > 0.0f && std::isfinite(level)) {
        return p * (1.0f / std::sqrt(level));
    }
    // From the centre the nearest surface lies along the shortest semi-axis.
    int shortest = 0;
    for (int axis = 1; axis < 3; ++axis) {
        if (semiAxes[axis] < semiAxes[shortest]) {
            shortest = axis;
        }
    }
    Vector3 q;
    q[shortest] = std::isfinite(semiAxes[shortest]) ? semiAxes[shortest] : 0.0f;
    return q;
}

bool Ellipsoid::GetMeshInfo(const Vector3& p, bool& inside, Vector3& toSurface) const
{
    Vector3 closest;
    const float d2 = PointEllipsoidDistanceSquared(p, semiAxes, closest);
    if (d2 < 0.0f || !IsFinite(closest)) {
        DebugPrint("Failed to get the distance to ellipsoid\n");
        closest = FallbackSurfacePoint(p);
        if (!IsFinite(closest)) {
            closest = p;
        }
    }
    const float level = (p.x / semiAxes.x) * (p.x / semiAxes.x) + (p.y / semiAxes.y) * (p.y / semiAxes.y) +
                        (p.z / semiAxes.z) * (p.z / semiAxes.z);
    inside = level <= 1.0f;
    toSurface = closest - p;
    return true;
}

bool Ellipsoid::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    const Vector3 d = end - start;
    const float segmentLength = d.Length();
    if (!(segmentLength > 0.0f)) {
        return false;
    }
    const Vector3 u = d * (1.0f / segmentLength);
    const float R = collisionData.mesh.GetBoundingRadius();
    const Vector3 m = start - collisionData.position;
    const float b = Vector3::Dot(m, u);
    const float c = Vector3::Dot(m, m) - R * R;
    if (c > 0.0f && b > 0.0f) {
        return false;
    }
    const float discriminant = b * b - c;
    if (discriminant < 0.0f) {
        return false;
    }
    const float root = std::sqrt(discriminant);
    const float t = std::max(0.0f, -b - root);
    // A segment test, not a ray: a sphere beyond the end is missed.
    if (t > segmentLength) {
        return false;
    }
    point = start + u * t;
    tEnter = t / segmentLength;
    tExit = std::min(1.0f, (-b + root) / segmentLength);
    return true;
}
