// A body's signed-distance grid: nx*ny*nz nodes over the widened hull box in
// body space. Each node holds the way out of the body and the distance,
// positive inside (the penetration depth) and negative outside.
//
// The cells never change once built, so they are held immutably and shared:
// moving a mesh hands them over (the source is left empty), and Share() gives
// a second mesh over the same cells (bodies of one template). A plain copy is
// not allowed, so no two meshes can free one array.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/Vector3.h"
#include "physics/PhysicsSettings.h"
#include "physics/shapes/SurfaceTriangle.h"

class CollisionMeshObject;

struct GridCell
{
    Vector3 direction; // unit, out of the body
    float distance = 0.0f;
};

class CollisionBodyMesh
{
public:
    // Node counts per axis are clamped to this range: below 2 the cell size
    // divides by zero, far above it a grid costs more memory than a stage has.
    static constexpr int kMinNodes = 2;
    static constexpr int kMaxNodes = 64;

    CollisionBodyMesh();
    virtual ~CollisionBodyMesh();

    // A plain copy would share the cells unnoticed: Share says so, and a
    // move leaves the source empty.
    CollisionBodyMesh(CollisionBodyMesh&& other) noexcept;
    CollisionBodyMesh& operator=(CollisionBodyMesh&& other) noexcept;

    // A mesh over the same cells, bounds and counts.
    CollisionBodyMesh Share() const;

    // Fills from shape->GetMeshInfo when shape is given, else from the
    // triangles by ray parity. An empty triangle list leaves the mesh empty.
    void Build(int nx, int ny, int nz, float margin, const TriangleList& triangles, const CollisionMeshObject* shape);

    // Depth and outward normal at a body-space point; false when there is no
    // overlap (the depth then reads as the distance outside and the normal is
    // not to be read) or the point lies outside the grid box. An empty mesh never
    // reports contact.
    bool GetContact(const Vector3& localPoint, Vector3& normal, float& depth, bool skipBoundsTest) const;

    // Squared distance from a body-space point to the grid box; 0 inside.
    float GetBoxDistanceSquared(const Vector3& localPoint) const;

    bool IsEmpty() const { return nx == 0; }
    int GetCountX() const { return nx; }
    int GetCountY() const { return ny; }
    int GetCountZ() const { return nz; }
    const Vector3& GetCellSize() const { return cellSize; }
    const Vector3& GetMinimum() const { return minimum; }
    const Vector3& GetMaximum() const { return maximum; }
    float GetBoundingRadius() const { return boundingRadius; }
    Vector3 GetNodePosition(int i, int j, int k) const;
    const GridCell& GetCell(int i, int j, int k) const;
    // How many meshes hold these cells (0 for an empty mesh).
    long GetShareCount() const { return cells.use_count(); }

private:
    typedef std::vector<GridCell> CellArray;

    // Everything, the cells held by both afterwards.
    CollisionBodyMesh(const CollisionBodyMesh&) = default;
    CollisionBodyMesh& operator=(const CollisionBodyMesh&) = default;

    void Clear();
    void SetBounds(float margin, const TriangleList& triangles);
    void FillFromShape(CellArray& out, const CollisionMeshObject& shape) const;
    void FillFromTriangles(CellArray& out, const TriangleList& triangles) const;
    int Index(int i, int j, int k) const { return (k * ny + j) * nx + i; }
    bool GetNearestContact(const Vector3& u, Vector3& normal, float& depth, const Vector3& p) const;
    bool GetInterpolatedContact(const Vector3& u, Vector3& normal, float& depth) const;

    std::shared_ptr<const CellArray> cells;
    int nx;
    int ny;
    int nz;
    int requestedX;
    int requestedY;
    int requestedZ;
    Vector3 cellSize;
    Vector3 minimum;
    Vector3 maximum;
    float boundingRadius;
};

// The lookup runs for every sample point near another body, twice per
// sub-step, so it is inline.
inline bool CollisionBodyMesh::GetContact(const Vector3& p, Vector3& normal, float& depth, bool skipBoundsTest) const
{
    if (IsEmpty()) {
        return false;
    }
    Vector3 u;
    for (int axis = 0; axis < 3; ++axis) {
        // Written so that NaN fails as well.
        if (!skipBoundsTest && !(p[axis] >= minimum[axis] && p[axis] <= maximum[axis])) {
            return false;
        }
        u[axis] = (p[axis] - minimum[axis]) / cellSize[axis];
        if (!std::isfinite(u[axis])) {
            return false;
        }
    }
    if (!gPhysicsSettings.interpolateCollisionMesh) {
        return GetNearestContact(u, normal, depth, p);
    }
    return GetInterpolatedContact(u, normal, depth);
}

inline bool CollisionBodyMesh::GetInterpolatedContact(const Vector3& u, Vector3& normal, float& depth) const
{
    const int counts[3] = {nx, ny, nz};
    int node[3][2];
    float weights[3][2];
    for (int axis = 0; axis < 3; ++axis) {
        const float lower = std::floor(u[axis]);
        // The fraction is taken before clamping, as the blend weights expect.
        const float f = u[axis] - lower;
        const float limit = static_cast<float>(counts[axis] - 1);
        node[axis][0] = static_cast<int>(std::max(0.0f, std::min(limit, lower)));
        node[axis][1] = static_cast<int>(std::max(0.0f, std::min(limit, lower + 1.0f)));
        weights[axis][0] = 1.0f - f;
        weights[axis][1] = f;
    }
    // The eight corners in the order x fastest, then y, then z; the nodes are
    // clamped already, so they index the cells directly.
    const GridCell* data = cells->data();
    const GridCell* corners[8];
    float cornerWeights[8];
    int corner = 0;
    for (int bz = 0; bz < 2; ++bz) {
        for (int by = 0; by < 2; ++by) {
            const float weightYZ = weights[1][by];
            for (int bx = 0; bx < 2; ++bx) {
                cornerWeights[corner] = weights[0][bx] * weightYZ * weights[2][bz];
                corners[corner] = &data[Index(node[0][bx], node[1][by], node[2][bz])];
                ++corner;
            }
        }
    }
    depth = 0.0f;
    for (int c = 0; c < 8; ++c) {
        depth += corners[c]->distance * cornerWeights[c];
    }
    if (!(depth > 0.0f)) {
        // Most points a body tests lie outside the other one: their normal is
        // never read, so it is not blended.
        depth = -depth;
        return false;
    }
    normal = Vector3();
    for (int c = 0; c < 8; ++c) {
        normal += corners[c]->direction * cornerWeights[c];
    }
    normal.Normalize();
    return true;
}
