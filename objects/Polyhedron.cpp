#include "objects/Polyhedron.h"

#include <algorithm>

#include "core/DebugPrint.h"
#include "objects/ShapeSettings.h"
#include "physics/shapes/PolyhedronMass.h"

namespace {

const float kMargin = 1.1f;
const int kDefaultEdgeSamples = 6;
const int kDefaultFaceSamples = 5;

RampContactFunction rampContactListener = nullptr;

const int kPrismTriangles[8][3] = {{0, 5, 2}, {1, 3, 4}, {5, 4, 2}, {3, 2, 4},
                                   {0, 2, 1}, {3, 1, 2}, {1, 4, 0}, {5, 0, 4}};
const int kPrismEdges[9][2] = {{0, 1}, {0, 2}, {0, 5}, {1, 3}, {1, 4}, {2, 3}, {3, 4}, {4, 5}, {5, 2}};
const int kPyramidTriangles[6][3] = {{0, 4, 1}, {0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {4, 3, 1}, {2, 1, 3}};
const int kPyramidEdges[8][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {2, 3}, {3, 4}, {4, 1}};
const int kTetrahedronTriangles[4][3] = {{0, 1, 3}, {0, 3, 2}, {0, 2, 1}, {1, 2, 3}};
const int kTetrahedronEdges[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {2, 3}, {3, 1}};

// Barycentric lattice of step 1/n over the triangle, shared edges included.
// Integer steps, so no row is lost to rounding at larger n.
void AddLatticePoints(const SurfaceTriangle& t, int n, std::vector<Vector3>& points)
{
    const Vector3 ab = t.b - t.a;
    const Vector3 ac = t.c - t.a;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; i + j <= n; ++j) {
            const float s = static_cast<float>(i) / static_cast<float>(n);
            const float u = static_cast<float>(j) / static_cast<float>(n);
            points.push_back(t.a + ab * s + ac * u);
        }
    }
}

template <int N>
constexpr int CountOf(const int (&)[N][3])
{
    return N;
}

template <int N>
constexpr int CountOf(const int (&)[N][2])
{
    return N;
}

} // namespace

void SetRampContactListener(RampContactFunction listener)
{
    rampContactListener = listener;
}

void PolyhedronObject::BuildHull(const HullKeys& keys, const int (*triangleIndices)[3], int triangleCount,
                                 const int (*edgeIndices)[2], int edgeCount, bool inertiaFromHull)
{
    const int meshSize = ReadMeshSizeKey(keys.meshSize, keys.meshSizeDefault);
    const int edgeSamples = ReadShapeKey(keys.edgeSamples, kDefaultEdgeSamples, 2, kMaxEdgeSamples);

    triangles.clear();
    for (int i = 0; i < triangleCount; ++i) {
        const int* t = triangleIndices[i];
        triangles.push_back(SurfaceTriangle{corners[t[0]], corners[t[1]], corners[t[2]]});
    }
    std::vector<SampledEdge> edges;
    for (int i = 0; i < edgeCount; ++i) {
        edges.push_back(SampledEdge{edgeIndices[i][0], edgeIndices[i][1], edgeSamples});
    }

    if (inertiaFromHull) {
        // Density 1: the inertia does not follow the mass.
        float volume = 0.0f;
        Vector3 centre;
        Matrix3 tensor;
        PolyhedronMassProperties(triangles, true, volume, centre, tensor);
        SetInertia(tensor(0, 0), tensor(1, 1), tensor(2, 2));
    }

    std::vector<Vector3> samplePoints;
    if (keys.faceSamples) {
        const int n = ReadShapeKey(keys.faceSamples, kDefaultFaceSamples, kMinFaceSamples, kMaxFaceSamples);
        for (const SurfaceTriangle& t : triangles) {
            AddLatticePoints(t, n, samplePoints);
        }
    } else {
        samplePoints = corners;
    }
    collisionData.Build(meshSize, meshSize, meshSize, kMargin, triangles, samplePoints, corners, edges, nullptr);
    SetOrientation(Matrix3::Identity());
}

bool PolyhedronObject::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                                        Vector3& point)
{
    return ClipSegmentByFaces(triangles, 1, *this, start, end, tEnter, tExit, point, nullptr);
}

Prism::Prism(PhysicsWorld*, float e0, float e1, float e2, float mass) : PolyhedronObject(kType), extents(e0, e1, e2)
{
    DebugPrint("Creating a prism\n");
    SetMass(mass);
    const Vector3 h = extents * 0.5f;
    corners = {Vector3(h.x, h.y, h.z),   Vector3(-h.x, h.y, h.z),   Vector3(h.x, h.y, -h.z),
               Vector3(-h.x, h.y, -h.z), Vector3(-h.x, -h.y, -h.z), Vector3(h.x, -h.y, -h.z)};
    const HullKeys keys{"prism_mesh_size", 16, "prism_edge_sampes", "prism_face_sample_points"};
    BuildHull(keys, kPrismTriangles, CountOf(kPrismTriangles), kPrismEdges, CountOf(kPrismEdges), true);
}

void Prism::UpdateBounds()
{
    GetPrismBounds(ResetBounds(), position, GetOrientation(), extents);
}

bool Prism::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    int enterFace = -1;
    if (!ClipSegmentByFaces(triangles, 1, *this, start, end, tEnter, tExit, point, &enterFace)) {
        return false;
    }
    // Whoever asked: the player's shadow probe is what makes ramps walkable.
    if (rampContactListener) {
        const Vector3 normal = enterFace >= 0 ? TriangleWorldNormal(triangles[enterFace], *this) : Vector3();
        rampContactListener(normal);
    }
    return true;
}

Pyramid::Pyramid(PhysicsWorld*, float e0, float e1, float mass) : PolyhedronObject(kType), baseSide(e0), height(e1)
{
    DebugPrint("Creating a pyramid\n");
    SetMass(mass);
    const float h = 0.5f * baseSide;
    const float base = -0.25f * height;
    corners = {Vector3(0.0f, 0.0f, 0.75f * height), Vector3(h, h, base), Vector3(-h, h, base), Vector3(-h, -h, base),
               Vector3(h, -h, base)};
    const HullKeys keys{"pyramid_mesh_size", 16, "pyramid_edge_sampes", "pyramid_face_sample_points"};
    BuildHull(keys, kPyramidTriangles, CountOf(kPyramidTriangles), kPyramidEdges, CountOf(kPyramidEdges), true);
}

void Pyramid::UpdateBounds()
{
    GetPyramidBounds(ResetBounds(), position, GetOrientation(), Vector3(baseSide, height, 0.0f));
}

Tetrahedron::Tetrahedron(PhysicsWorld*, float size_, float mass) : size(size_)
{
    DebugPrint("Creating a tetrahedron\n");
    SetMass(mass);
    // A solid sphere's inertia with the size as radius: the hull is not
    // integrated, and the tetrahedron turns alike about every axis.
    SetInertia(0.4f * mass * size * size, 0.4f * mass * size * size, 0.4f * mass * size * size);

    const Vector3 top(0.0f, 0.0f, size);
    Matrix3 tilt;
    Matrix3 turnLeft;
    Matrix3 turnRight;
    Matrix3::RotationY(tilt, 109.5f);
    Matrix3::RotationZ(turnLeft, -120.0f);
    Matrix3::RotationZ(turnRight, 120.0f);
    Vector3 c1;
    Vector3 c2;
    Vector3 c3;
    Vector3::TimesMatrix3(c1, tilt, top);
    Vector3::TimesMatrix3(c2, turnLeft, c1);
    Vector3::TimesMatrix3(c3, turnRight, c1);
    corners = {top, c1, c2, c3};
    const HullKeys keys{"tetrahedron_mesh_size", 10, "tetrahedron_edge_sampes", nullptr};
    BuildHull(keys, kTetrahedronTriangles, CountOf(kTetrahedronTriangles), kTetrahedronEdges,
              CountOf(kTetrahedronEdges), false);
}

void Tetrahedron::UpdateBounds()
{
    Bounds& box = ResetBounds();
    for (const Vector3& v : GetTetrahedronVertexList(position, GetOrientation(), size)) {
        GrowBounds(box, v);
    }
}
