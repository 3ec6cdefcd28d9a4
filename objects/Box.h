// A solid box of full side lengths (x, y, z) centred on the body origin.
#pragma once

#include "objects/ShapeObject.h"
#include "physics/shapes/CollisionMeshObject.h"

class PhysicsWorld;

class Box : public ShapeObject, public CollisionMeshObject
{
public:
    static constexpr int kType = kBoxBodyType;

    Box(PhysicsWorld* world, float sizeX, float sizeY, float sizeZ, float mass);

    // The inertia follows every mass change.
    void SetMass(float m) override;
    void UpdateBounds() override;
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;
    bool GetMeshInfo(const Vector3& point, bool& inside, Vector3& toSurface) const override;

    const Vector3& GetSize() const { return size; }

private:
    void BuildHull(std::vector<Vector3>& corners, std::vector<SampledEdge>& edges, std::vector<Vector3>& facePoints);

    Vector3 size;
};
