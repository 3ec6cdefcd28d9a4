// World bounds and corner sets of the shapes, computed from a plain pose
// (position p, orientation rows = body axes) and the shape's dimensions.
// Vertex orders here are the bounds' own; the hull and edge code of the
// shapes numbers its corners differently, so never share the arrays.
#pragma once

#include <array>
#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"

struct Bounds
{
    Vector3 minimum = Vector3(1000000.0f, 1000000.0f, 1000000.0f);
    Vector3 maximum = Vector3(-1000000.0f, -1000000.0f, -1000000.0f);

    // Back to the empty box every bounds update starts from.
    void Reset() { *this = Bounds(); }
};

// Grows the box to hold q; a 1e-6 margin is added only on axes that grow.
void GrowBounds(Bounds& box, const Vector3& q);
void GrowBoundsBySphere(Bounds& box, const Vector3& centre, float radius);
float GetLargestRadius(const Vector3& radii);

// extents = full side lengths (E0, E1, E2). Order: c0, c0+Z, c0+Y, c0+Y+Z,
// c0+X, c0+X+Z, c0+X+Y, c0+X+Y+Z.
void GetBoxCorners(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 corners[8]);
void GetBoxBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents);

// E0 = base side, E1 = height; the body centre is a quarter of the height above
// the base. Order: apex, then the base corners b0, b0+X, b0+Y, b0+X+Y.
void GetPyramidVertices(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 vertices[5]);
void GetPyramidBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents);

// Deliberately generous: spans p +- E1 along row 0 and p +- E0 along row 1.
void GetPrismVertices(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 vertices[6]);
void GetPrismBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents);

// length is the capsule's total length; axis picks the orientation row (0..2).
void GetCapsuleBounds(Bounds& box, const Vector3& p, const Matrix3& R, float radius, float length, int axis);
// The cylinder's axis is its x axis.
void GetCylinderBounds(Bounds& box, const Vector3& p, const Matrix3& R, float radius, float length);

// Returned by value, so two results can be held at once.
std::array<Vector3, 4> GetTetrahedronVertices(const Vector3& p, const Matrix3& R, float size);
std::vector<Vector3> GetTetrahedronVertexList(const Vector3& p, const Matrix3& R, float size);
