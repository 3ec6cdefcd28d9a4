// What every collidable shape adds to an Object: its collision record, its
// body-space hull triangles and gravity. The primitive shapes add the exact
// point query (CollisionMeshObject); the polyhedra do without.
#pragma once

#include "objects/Object.h"
#include "physics/BodyCollisionData.h"
#include "physics/shapes/SurfaceTriangle.h"

class ShapeObject : public Object
{
public:
    BodyCollisionData* GetCollisionData() override { return &collisionData; }
    void ApplyForces(float h) override { ApplyGravity(); }

    const TriangleList& GetTriangles() const { return triangles; }

protected:
    ShapeObject();
    explicit ShapeObject(int typeId_);

    // The world box, reset and then grown by the shape's extent routine.
    Bounds& ResetBounds();
    // The row-vector transform of a body-space point by the current pose.
    Vector3 ToWorld(const Vector3& bodyPoint) const;
    Vector3 ToBody(const Vector3& worldPoint) const;

    BodyCollisionData collisionData;
    TriangleList triangles;
};

// Clips the segment start..end against the outward planes of every stride-th
// triangle of the hull (taken to world space by the body's pose). tEnter
// starts at 0 and tExit at 1; a plane parallel to the segment rejects it when
// the start lies outside and is skipped otherwise. On a hit, point is where
// the segment enters and enterFace the index of the plane that last raised
// tEnter (-1 when the start lies inside).
bool ClipSegmentByFaces(const TriangleList& triangles, int stride, const RigidBody& body, const Vector3& start,
                        const Vector3& end, float& tEnter, float& tExit, Vector3& point, int* enterFace);

// Unit outward normal of a hull triangle in world space.
Vector3 TriangleWorldNormal(const SurfaceTriangle& t, const RigidBody& body);
