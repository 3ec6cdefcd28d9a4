#include "objects/Capsule.h"

#include <algorithm>
#include <cmath>

#include "core/DebugPrint.h"
#include "objects/ShapeSettings.h"
#include "physics/shapes/RoundHull.h"

namespace {

const float kMargin = 1.1f;
const int kBands = 10;     // 18 degrees each
const int kSectors = 16;   // 24-degree passes; the last repeats the first
const int kLowerBands = 5; // bands below the equator go to the lower cap
const float kParallel = 1e-6f;

float Latitude(int ring)
{
    return -90.0f + 18.0f * static_cast<float>(ring);
}

float Longitude(int sector)
{
    return 360.0f * static_cast<float>(sector) / 15.0f;
}

} // namespace

Capsule::Capsule(PhysicsWorld*, float radius_, float length_, float mass, int axis_)
    : radius(radius_), length(length_), axis(axis_ >= 0 && axis_ <= 2 ? axis_ : 2)
{
    DebugPrint("Creating a capsule\n");
    SetMass(mass);
    // The inertia of the box around the capsule: L along the axis, 2r across.
    Vector3 box(2.0f * radius, 2.0f * radius, 2.0f * radius);
    box[axis] = length;
    SetInertia(mass / 12.0f * (box.y * box.y + box.z * box.z), mass / 12.0f * (box.x * box.x + box.z * box.z),
               mass / 12.0f * (box.x * box.x + box.y * box.y));

    // A capsule shorter than its two caps is a sphere.
    const float s = std::max(0.0f, length - 2.0f * radius);
    core.origin = Vector3();
    core.origin[axis] = -0.5f * s;
    core.direction = Vector3();
    core.direction[axis] = s;

    const int meshSize = ReadMeshSizeKey("capsule_mesh_size", 10);
    std::vector<Vector3> samplePoints;
    BuildHull(samplePoints);
    collisionData.Build(meshSize, meshSize, meshSize, kMargin, triangles, samplePoints, {}, {}, this);
    SetOrientation(Matrix3::Identity());
}

void Capsule::BuildHull(std::vector<Vector3>& samplePoints)
{
    // Split at the equator: the wall then lies on the true surface, and so do
    // its sample points.
    const float s = core.direction[axis];
    Vector3 down;
    down[axis] = -0.5f * s;
    const Vector3 up = -down;
    auto point = [&](int ring, int sector, bool lower) {
        return SpherePoint(Latitude(ring), Longitude(sector), axis) * radius + (lower ? down : up);
    };

    for (int band = 0; band < kBands; ++band) {
        const bool lower = band < kLowerBands;
        for (int j = 0; j < kSectors; ++j) {
            AddBandQuad(triangles, point(band, j, lower), point(band, j + 1, lower), point(band + 1, j, lower),
                        point(band + 1, j + 1, lower), band == 0, band == kBands - 1);
        }
    }
    for (int j = 0; j < kSectors; ++j) {
        AddBandQuad(triangles, point(kLowerBands, j, true), point(kLowerBands, j + 1, true),
                    point(kLowerBands, j, false), point(kLowerBands, j + 1, false), false, false);
    }

    samplePoints.push_back(point(0, 0, true));
    for (int ring = 1; ring < kBands; ++ring) {
        for (int j = 0; j < kSectors; ++j) {
            samplePoints.push_back(point(ring, j, ring < kLowerBands));
        }
    }
    samplePoints.push_back(point(kBands, 0, false));
    for (int j = 0; j < kSectors; ++j) {
        const Vector3 rim = SpherePoint(0.0f, Longitude(j), axis) * radius;
        for (int quarter = 1; quarter <= 3; ++quarter) {
            samplePoints.push_back(rim + down + core.direction * (0.25f * quarter));
        }
    }
}

void Capsule::UpdateBounds()
{
    GetCapsuleBounds(ResetBounds(), position, GetOrientation(), radius, length, axis);
}

bool Capsule::GetMeshInfo(const Vector3& p, bool& inside, Vector3& toSurface) const
{
    float t = 0.0f;
    const float d2 = PointSegmentDistanceSquared(p, core, &t);
    if (d2 < 0.0f) {
        DebugPrint("Failed to get the distance to segment\n");
    }
    inside = d2 <= radius * radius;
    Vector3 q = core.origin;
    if (t >= 1.0f) {
        q = core.origin + core.direction;
    } else if (t > 0.0f) {
        q = core.origin + core.direction * t;
    }
    // On the core itself every direction is as near; Normalize picks x.
    Vector3 out = p - q;
    out.Normalize();
    toSurface = q + out * radius - p;
    return true;
}

bool Capsule::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    const Vector3 P = ToWorld(Vector3(-0.5f * length, 0.0f, 0.0f));
    const Vector3 Q = ToWorld(Vector3(0.5f * length, 0.0f, 0.0f));
    const Vector3 d = Q - P;
    const Vector3 m = start - P;
    const Vector3 n = end - start;
    const float nn = Vector3::Dot(n, n);
    if (nn < 1e-12f) {
        return false; // a point, not a segment
    }
    const float dd = Vector3::Dot(d, d);
    const float md = Vector3::Dot(m, d);
    const float nd = Vector3::Dot(n, d);
    if ((md < 0.0f && md + nd < 0.0f) || (md > dd && md + nd > dd)) {
        return false;
    }
    const float mn = Vector3::Dot(m, n);
    const float a = dd * nn - nd * nd;
    const float k = Vector3::Dot(m, m) - radius * radius;
    const float c = dd * k - md * md;
    float t = 0.0f;
    if (std::fabs(a) < kParallel) {
        if (c > 0.0f) {
            return false;
        }
        if (md < 0.0f) {
            t = -mn / nn;
        } else if (md > dd) {
            t = (nd - mn) / nn;
        }
    } else {
        const float b = dd * mn - nd * md;
        const float discriminant = b * b - a * c;
        if (discriminant < 0.0f) {
            return false;
        }
        t = (-b - std::sqrt(discriminant)) / a;
        if (t < 0.0f || t > 1.0f) {
            return false;
        }
        if (md + t * nd < 0.0f) {
            // Passed the end plane at P first.
            if (nd <= 0.0f) {
                return false;
            }
            t = -md / nd;
            if (k + 2.0f * t * (mn + t * nn) > 0.0f) {
                return false;
            }
        } else if (md + t * nd > dd) {
            if (nd >= 0.0f) {
                return false;
            }
            t = (dd - md) / nd;
            if (k + dd - 2.0f * md + t * (2.0f * (mn - nd) + t * nn) > 0.0f) {
                return false;
            }
        }
    }
    tEnter = t;
    tExit = t;
    point = start + n * t;
    return true;
}
