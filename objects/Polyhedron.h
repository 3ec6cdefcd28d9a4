// The flat-faced bodies: a wedge (Prism), a square pyramid (Pyramid) and a
// Tetrahedron. They have no exact point query: their grids are built from
// their hulls by ray parity, and their segment test clips against every face.
#pragma once

#include "objects/ShapeObject.h"

class PhysicsWorld;

// Told about every segment that hits a prism, with the normal of the face it
// entered through: ramps are climbable because the player's downward probe
// reports the slope it stands on this way. A segment that starts inside the
// prism enters through no face and reports a zero normal.
typedef void (*RampContactFunction)(const Vector3& faceNormal);
void SetRampContactListener(RampContactFunction listener);

class PolyhedronObject : public ShapeObject
{
public:
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;

    const std::vector<Vector3>& GetCorners() const { return corners; }

protected:
    PolyhedronObject() = default;
    explicit PolyhedronObject(int typeId_) : ShapeObject(typeId_) {}

    struct HullKeys
    {
        const char* meshSize;
        int meshSizeDefault;
        const char* edgeSamples;
        const char* faceSamples; // null: the corners are the sample points
    };

    // Builds the hull from corner-index triples and edge pairs, takes the
    // inertia from it when asked, samples it and builds the grid.
    void BuildHull(const HullKeys& keys, const int (*triangleIndices)[3], int triangleCount,
                   const int (*edgeIndices)[2], int edgeCount, bool inertiaFromHull);

    std::vector<Vector3> corners;
};

class Prism : public PolyhedronObject
{
public:
    static constexpr int kType = kPrismBodyType;

    // Full extents along body x, y and z; the slope runs from the top of the
    // face y = +E1/2 down to the bottom edge at y = -E1/2.
    Prism(PhysicsWorld* world, float e0, float e1, float e2, float mass);

    void UpdateBounds() override;
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;

    const Vector3& GetExtents() const { return extents; }

private:
    Vector3 extents;
};

class Pyramid : public PolyhedronObject
{
public:
    static constexpr int kType = kPyramidBodyType;

    // Square base of side e0, height e1; the origin is the centroid, a quarter
    // of the height above the base.
    Pyramid(PhysicsWorld* world, float e0, float e1, float mass);

    void UpdateBounds() override;

    float GetBaseSide() const { return baseSide; }
    float GetHeight() const { return height; }

private:
    float baseSide;
    float height;
};

class Tetrahedron : public PolyhedronObject
{
public:
    // size is the distance from the centre to each corner.
    Tetrahedron(PhysicsWorld* world, float size, float mass);

    void UpdateBounds() override;

    float GetSize() const { return size; }

private:
    float size;
};
