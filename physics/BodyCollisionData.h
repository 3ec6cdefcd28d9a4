// A body's collision record: a copy of its pose, the surface points tested
// against other bodies and the terrain (body space, and world space as last
// refreshed), the sampled edges, the signed-distance grid, this pass's record
// indices, the bodies it ignores and its world bounding box.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "physics/BodyBounds.h"
#include "physics/shapes/CollisionBodyMesh.h"
#include "physics/shapes/SurfaceTriangle.h"

class RigidBody;
class CollisionMeshObject;

// An edge between two vertex points, tested at count points along it (the far
// end is not sampled).
struct SampledEdge
{
    int first = 0;
    int second = 0;
    int count = 2;
};

struct BodyCollisionData
{
    explicit BodyCollisionData(RigidBody* owner_);

    BodyCollisionData(const BodyCollisionData&) = delete;
    BodyCollisionData& operator=(const BodyCollisionData&) = delete;

    // Builds the grid (from shape's point query when given, else from the
    // triangles), takes the point and edge lists, puts the record at the
    // origin and refreshes the world points.
    void Build(int nx, int ny, int nz, float margin, const TriangleList& triangles,
               const std::vector<Vector3>& samplePoints, const std::vector<Vector3>& vertexPoints,
               const std::vector<SampledEdge>& edges, const CollisionMeshObject* shape);
    // The same with a grid built elsewhere (pass a moved or shared mesh).
    void Build(CollisionBodyMesh prepared, const std::vector<Vector3>& samplePoints,
               const std::vector<Vector3>& vertexPoints, const std::vector<SampledEdge>& edges);

    // World point = body point times orientation (row vector) + position.
    void UpdateWorldPoints();
    void SetOrientation(const Matrix3& R);

    RigidBody* owner;
    Vector3 position;
    Matrix3 orientation;
    Matrix3 orientationTranspose;
    std::vector<Vector3> samplePoints;
    std::vector<Vector3> vertexPoints;
    std::vector<SampledEdge> edges;
    std::vector<Vector3> worldSamplePoints;
    std::vector<Vector3> worldVertexPoints;
    CollisionBodyMesh mesh;
    std::vector<int> recordIndices;
    std::vector<BodyCollisionData*> ignoreList;
    // World box of the body, from RigidBody::UpdateBounds. The sweep sorts by
    // it; the grid box of the mesh is a different (body-space) box.
    Bounds bounds;

private:
    void TakeLists(const std::vector<Vector3>& samples, const std::vector<Vector3>& vertices,
                   const std::vector<SampledEdge>& edgeList);
};
