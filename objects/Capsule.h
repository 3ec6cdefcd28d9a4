// A capsule: a cylinder of radius r with hemispherical caps, L long from end
// to end, along the body axis chosen at construction (0 x, 1 y, 2 z).
#pragma once

#include "core/Geometry.h"
#include "objects/ShapeObject.h"
#include "physics/shapes/CollisionMeshObject.h"

class PhysicsWorld;

class Capsule : public ShapeObject, public CollisionMeshObject
{
public:
    Capsule(PhysicsWorld* world, float radius, float length, float mass, int axis);

    void UpdateBounds() override;
    // Against the capsule's cylinder part, always along the body x axis.
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;
    bool GetMeshInfo(const Vector3& point, bool& inside, Vector3& toSurface) const override;

    float GetRadius() const { return radius; }
    float GetLength() const { return length; }
    int GetAxis() const { return axis; }
    // The body-space core segment between the cap centres.
    const Segment& GetCore() const { return core; }

private:
    void BuildHull(std::vector<Vector3>& samplePoints);

    float radius;
    float length;
    Segment core;
    int axis;
};
