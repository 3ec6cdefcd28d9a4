// A solid cylinder of radius r and length L along the body x axis, centred on
// the body origin.
#pragma once

#include "objects/ShapeObject.h"
#include "physics/shapes/CollisionMeshObject.h"

class PhysicsWorld;

// Parameters along a line at which it enters and leaves a finite cylinder
// (radius r, x in [-h, h]) in the cylinder's frame: 0, 1 or 2 of them.
int IntersectLineCylinder(const Vector3& origin, const Vector3& direction, float radius, float halfLength, float t[2]);

class Cylinder : public ShapeObject, public CollisionMeshObject
{
public:
    Cylinder(PhysicsWorld* world, float radius, float length, int slices, int stacks, float mass);

    void UpdateBounds() override;
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;
    bool GetMeshInfo(const Vector3& point, bool& inside, Vector3& toSurface) const override;

    float GetRadius() const { return radius; }
    float GetLength() const { return length; }

private:
    void BuildHull(int slices, int stacks, std::vector<Vector3>& samplePoints);

    float radius;
    float length;
};
