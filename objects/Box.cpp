#include "objects/Box.h"

#include <algorithm>
#include <cmath>

#include "core/DebugPrint.h"
#include "objects/ShapeSettings.h"

namespace {

const float kMargin = 1.1f;

// Corner index pairs of the twelve edges: top ring, bottom ring, uprights.
const int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                           {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// Two triangles per face, each wound outward: top, bottom, +y, -y, +x, -x.
const int kTriangles[12][3] = {{0, 1, 2}, {0, 2, 3}, {4, 6, 5}, {4, 7, 6}, {4, 5, 1}, {4, 1, 0},
                               {7, 3, 2}, {7, 2, 6}, {0, 7, 4}, {0, 3, 7}, {1, 6, 2}, {1, 5, 6}};

bool IsFaceInterior(int i, int j, int k, int n)
{
    const int extremes = (i == 0 || i == n - 1) + (j == 0 || j == n - 1) + (k == 0 || k == n - 1);
    return extremes == 1;
}

} // namespace

Box::Box(PhysicsWorld*, float sizeX, float sizeY, float sizeZ, float mass)
    : ShapeObject(kType), size(sizeX, sizeY, sizeZ)
{
    DebugPrint("Creating a box\n");
    SetMass(mass);

    const int meshSize = ReadMeshSizeKey("box_mesh_size", 16);
    std::vector<Vector3> corners;
    std::vector<SampledEdge> edges;
    std::vector<Vector3> facePoints;
    BuildHull(corners, edges, facePoints);
    collisionData.Build(meshSize, meshSize, meshSize, kMargin, triangles, facePoints, corners, edges, this);
    SetOrientation(Matrix3::Identity());
}

void Box::BuildHull(std::vector<Vector3>& corners, std::vector<SampledEdge>& edges, std::vector<Vector3>& facePoints)
{
    const Vector3 h = size * 0.5f;
    corners = {Vector3(h.x, h.y, h.z),  Vector3(-h.x, h.y, h.z),  Vector3(-h.x, -h.y, h.z),  Vector3(h.x, -h.y, h.z),
               Vector3(h.x, h.y, -h.z), Vector3(-h.x, h.y, -h.z), Vector3(-h.x, -h.y, -h.z), Vector3(h.x, -h.y, -h.z)};

    int edgeSamples = ReadShapeKey("box_edge_samples", 6, 0, kMaxEdgeSamples);
    if (edgeSamples < 3) {
        edgeSamples = 2;
    }
    for (const int* e : kEdges) {
        edges.push_back(SampledEdge{e[0], e[1], edgeSamples});
    }

    triangles.clear();
    for (const int* t : kTriangles) {
        triangles.push_back(SurfaceTriangle{corners[t[0]], corners[t[1]], corners[t[2]]});
    }

    const int n = ReadShapeKey("box_face_sample_points", 5, kMinFaceSamples, kMaxFaceSamples);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < n; ++k) {
                // Only taken points divide by n - 1, which is then at least 2.
                if (IsFaceInterior(i, j, k, n)) {
                    const float step = 1.0f / static_cast<float>(n - 1);
                    facePoints.push_back(
                        Vector3(i * size.x * step - h.x, j * size.y * step - h.y, k * size.z * step - h.z));
                }
            }
        }
    }
}

void Box::SetMass(float m)
{
    RigidBody::SetMass(m);
    const float x2 = size.x * size.x;
    const float y2 = size.y * size.y;
    const float z2 = size.z * size.z;
    SetInertia(m / 12.0f * (y2 + z2), m / 12.0f * (x2 + z2), m / 12.0f * (x2 + y2));
}

void Box::UpdateBounds()
{
    GetBoxBounds(ResetBounds(), position, GetOrientation(), size);
}

bool Box::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    // The first triangle of each face pair carries that face's plane.
    return ClipSegmentByFaces(triangles, 2, *this, start, end, tEnter, tExit, point, nullptr);
}

bool Box::GetMeshInfo(const Vector3& p, bool& inside, Vector3& toSurface) const
{
    const Vector3 h = size * 0.5f;
    inside = std::fabs(p.x) <= h.x && std::fabs(p.y) <= h.y && std::fabs(p.z) <= h.z;
    Vector3 surface;
    if (inside) {
        // Out through the nearest face; ties go to the lower axis.
        int nearest = 0;
        float best = 0.0f;
        for (int axis = 0; axis < 3; ++axis) {
            const float face = p[axis] > 0.0f ? h[axis] : -h[axis];
            const float d = std::fabs(face - p[axis]);
            if (axis == 0 || d < best) {
                best = d;
                nearest = axis;
            }
        }
        surface = p;
        surface[nearest] = p[nearest] > 0.0f ? h[nearest] : -h[nearest];
    } else {
        // The true nearest point of an outside point is the point clamped to
        // the box on every axis (a face, edge or corner point).
        for (int axis = 0; axis < 3; ++axis) {
            surface[axis] = std::max(-h[axis], std::min(h[axis], p[axis]));
        }
    }
    toSurface = surface - p;
    return true;
}
