#include "physics/BodyCollisionData.h"

#include <utility>

BodyCollisionData::BodyCollisionData(RigidBody* owner_)
    : owner(owner_), orientation(Matrix3::Identity()), orientationTranspose(Matrix3::Identity())
{}

void BodyCollisionData::Build(int nx, int ny, int nz, float margin, const TriangleList& triangles,
                              const std::vector<Vector3>& samples, const std::vector<Vector3>& vertices,
                              const std::vector<SampledEdge>& edgeList, const CollisionMeshObject* shape)
{
    mesh.Build(nx, ny, nz, margin, triangles, shape);
    TakeLists(samples, vertices, edgeList);
}

void BodyCollisionData::Build(CollisionBodyMesh prepared, const std::vector<Vector3>& samples,
                              const std::vector<Vector3>& vertices, const std::vector<SampledEdge>& edgeList)
{
    mesh = std::move(prepared);
    TakeLists(samples, vertices, edgeList);
}

void BodyCollisionData::TakeLists(const std::vector<Vector3>& samples, const std::vector<Vector3>& vertices,
                                  const std::vector<SampledEdge>& edgeList)
{
    samplePoints = samples;
    vertexPoints = vertices;
    edges = edgeList;
    position = Vector3();
    SetOrientation(Matrix3::Identity());
    UpdateWorldPoints();
}

void BodyCollisionData::SetOrientation(const Matrix3& R)
{
    orientation = R;
    Matrix3::Transpose(orientationTranspose, R);
}

namespace {

void ToWorld(const std::vector<Vector3>& body, std::vector<Vector3>& world, const Matrix3& R, const Vector3& p)
{
    world.resize(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        Vector3::TimesMatrix3(world[i], R, body[i]);
        world[i] += p;
    }
}

} // namespace

void BodyCollisionData::UpdateWorldPoints()
{
    ToWorld(samplePoints, worldSamplePoints, orientation, position);
    ToWorld(vertexPoints, worldVertexPoints, orientation, position);
}
