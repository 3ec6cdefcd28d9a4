// A solid ellipsoid with semi-axes (a, b, c) along body x, y, z.
#pragma once

#include "objects/ShapeObject.h"
#include "physics/shapes/CollisionMeshObject.h"

class PhysicsWorld;

class Ellipsoid : public ShapeObject, public CollisionMeshObject
{
public:
    // Sizes are full diameters.
    Ellipsoid(PhysicsWorld* world, float sizeX, float sizeY, float sizeZ, int bands, int sectors, float mass);

    void UpdateBounds() override;
    // Against the bounding sphere of the grid, up to the segment's end.
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;
    bool GetMeshInfo(const Vector3& point, bool& inside, Vector3& toSurface) const override;

    const Vector3& GetSemiAxes() const { return semiAxes; }

private:
    void BuildHull(int bands, int sectors, std::vector<Vector3>& samplePoints);
    Vector3 FallbackSurfacePoint(const Vector3& p) const;

    Vector3 semiAxes;
};
