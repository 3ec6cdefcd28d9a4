#include "physics/shapes/CollisionBodyMesh.h"

#include <algorithm>
#include <cmath>

#include "core/DebugPrint.h"
#include "physics/PhysicsSettings.h"
#include "physics/shapes/CollisionMeshObject.h"

namespace {

const float kUnbuiltBound = 1e8f;
// A flat or empty hull still gets a grid a millimetre thick, so no cell size
// is ever zero.
const float kMinimumExtent = 1e-3f;
const float kShapeSurfaceDistance = 1e-5f;
const float kTriangleSurfaceDistance = 1e-4f;
const int kRayCount = 10;

// The grid's own random source: 15-bit values like the game's, but a separate
// sequence, so building a grid never moves the game's rand() stream and does
// not depend on the platform's RAND_MAX.
class GridRandom
{
public:
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }

private:
    unsigned int state = 1u;
};

int ClampCount(int n)
{
    return std::max(CollisionBodyMesh::kMinNodes, std::min(CollisionBodyMesh::kMaxNodes, n));
}

int ClampIndex(int i, int n)
{
    return std::max(0, std::min(n - 1, i));
}

bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

CollisionBodyMesh::CollisionBodyMesh()
{
    Clear();
}

CollisionBodyMesh::~CollisionBodyMesh() = default;

CollisionBodyMesh::CollisionBodyMesh(CollisionBodyMesh&& other) noexcept : CollisionBodyMesh(other)
{
    other.Clear();
}

CollisionBodyMesh& CollisionBodyMesh::operator=(CollisionBodyMesh&& other) noexcept
{
    if (this != &other) {
        *this = other;
        other.Clear();
    }
    return *this;
}

CollisionBodyMesh CollisionBodyMesh::Share() const
{
    return CollisionBodyMesh(*this);
}

void CollisionBodyMesh::Clear()
{
    cells.reset();
    nx = ny = nz = 0;
    requestedX = requestedY = requestedZ = 0;
    cellSize = Vector3();
    // Reversed, so every bounds test of an unbuilt mesh fails.
    minimum = Vector3(kUnbuiltBound, kUnbuiltBound, kUnbuiltBound);
    maximum = -minimum;
    boundingRadius = 0.0f;
}

void CollisionBodyMesh::Build(int countX, int countY, int countZ, float margin, const TriangleList& triangles,
                              const CollisionMeshObject* shape)
{
    Clear();
    if (triangles.empty()) {
        return;
    }
    requestedX = ClampCount(countX);
    requestedY = ClampCount(countY);
    requestedZ = ClampCount(countZ);
    SetBounds(margin, triangles);

    // Counts are published only with a filled array, so no lookup can index
    // past it.
    nx = requestedX;
    ny = requestedY;
    nz = requestedZ;
    auto filled = std::make_shared<CellArray>(static_cast<size_t>(nx) * ny * nz);
    if (shape) {
        FillFromShape(*filled, *shape);
    } else {
        FillFromTriangles(*filled, triangles);
    }
    cells = std::move(filled);
}

void CollisionBodyMesh::SetBounds(float margin, const TriangleList& triangles)
{
    Vector3 lo(kUnbuiltBound, kUnbuiltBound, kUnbuiltBound);
    Vector3 hi = -lo;
    for (const SurfaceTriangle& t : triangles) {
        for (const Vector3* p : {&t.a, &t.b, &t.c}) {
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = std::min(lo[axis], (*p)[axis]);
                hi[axis] = std::max(hi[axis], (*p)[axis]);
            }
        }
    }
    const Vector3 centre = (lo + hi) * 0.5f;
    minimum = centre + (lo - centre) * margin;
    maximum = centre + (hi - centre) * margin;
    const int counts[3] = {requestedX, requestedY, requestedZ};
    for (int axis = 0; axis < 3; ++axis) {
        if (!(maximum[axis] - minimum[axis] >= kMinimumExtent)) {
            minimum[axis] = centre[axis] - 0.5f * kMinimumExtent;
            maximum[axis] = centre[axis] + 0.5f * kMinimumExtent;
        }
        cellSize[axis] = (maximum[axis] - minimum[axis]) / static_cast<float>(counts[axis] - 1);
    }

    boundingRadius = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 c((corner & 1) ? maximum.x : minimum.x, (corner & 2) ? maximum.y : minimum.y,
                        (corner & 4) ? maximum.z : minimum.z);
        boundingRadius = std::max(boundingRadius, c.Length());
    }
}

Vector3 CollisionBodyMesh::GetNodePosition(int i, int j, int k) const
{
    return minimum + Vector3(i * cellSize.x, j * cellSize.y, k * cellSize.z);
}

const GridCell& CollisionBodyMesh::GetCell(int i, int j, int k) const
{
    return (*cells)[Index(ClampIndex(i, nx), ClampIndex(j, ny), ClampIndex(k, nz))];
}

void CollisionBodyMesh::FillFromShape(CellArray& out, const CollisionMeshObject& shape) const
{
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            for (int k = 0; k < nz; ++k) {
                const Vector3 p = GetNodePosition(i, j, k);
                bool inside = false;
                Vector3 v;
                if (!shape.GetMeshInfo(p, inside, v) || !IsFinite(v)) {
                    DebugPrint("No implementation for CollisionMeshObject::GetMeshInfo\n");
                    continue;
                }
                GridCell& cell = out[Index(i, j, k)];
                const float d = v.Length();
                if (d <= kShapeSurfaceDistance) {
                    cell.direction = p;
                    cell.direction.Normalize();
                    cell.distance = kShapeSurfaceDistance;
                } else if (inside) {
                    cell.direction = v * (1.0f / d);
                    cell.distance = d;
                } else {
                    cell.direction = v * (-1.0f / d);
                    cell.distance = -d;
                }
            }
        }
    }
}

void CollisionBodyMesh::FillFromTriangles(CellArray& out, const TriangleList& triangles) const
{
    GridRandom random;
    Vector3 rays[kRayCount];
    for (Vector3& ray : rays) {
        for (int axis = 0; axis < 3; ++axis) {
            ray[axis] = random.Next() * 2.1f / 32767.0f - 1.0f;
        }
        ray.Normalize();
        ray *= 2.0f * boundingRadius;
    }

    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            for (int k = 0; k < nz; ++k) {
                const Vector3 p = GetNodePosition(i, j, k);
                GridCell& cell = out[Index(i, j, k)];
                int nearest = 0;
                Vector3 q;
                ClosestPointOnTriangles(p, triangles, nearest, q);
                const Vector3 v = q - p;
                const float d = v.Length();
                if (d < kTriangleSurfaceDistance) {
                    cell.direction = TriangleNormal(triangles[nearest]);
                    cell.distance = kTriangleSurfaceDistance;
                    continue;
                }
                int insideVotes = 0;
                for (const Vector3& ray : rays) {
                    insideVotes += CountSegmentCrossings(p, ray, triangles) & 1;
                }
                // A 5 to 5 tie stays inside.
                const bool inside = kRayCount - insideVotes <= insideVotes;
                cell.direction = v * ((inside ? 1.0f : -1.0f) / d);
                cell.distance = inside ? d : -d;
            }
        }
    }
}

bool CollisionBodyMesh::GetNearestContact(const Vector3& u, Vector3& normal, float& depth, const Vector3& p) const
{
    const int counts[3] = {nx, ny, nz};
    int node[3];
    for (int axis = 0; axis < 3; ++axis) {
        // Clamped in float first: a point far outside (bounds test skipped)
        // must not overflow the int conversion.
        const float f = std::floor(u[axis] + 0.5f);
        node[axis] = static_cast<int>(std::max(0.0f, std::min(static_cast<float>(counts[axis] - 1), f)));
    }
    const GridCell& cell = GetCell(node[0], node[1], node[2]);
    normal = cell.direction;
    depth = cell.distance - Vector3::Dot(p - GetNodePosition(node[0], node[1], node[2]), cell.direction);
    return depth > 0.0f;
}

float CollisionBodyMesh::GetBoxDistanceSquared(const Vector3& p) const
{
    if (IsEmpty()) {
        return 1e30f;
    }
    Vector3 clamped;
    for (int axis = 0; axis < 3; ++axis) {
        clamped[axis] = std::max(minimum[axis], std::min(maximum[axis], p[axis]));
    }
    return (p - clamped).LengthSquared();
}
