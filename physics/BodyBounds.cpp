#include "physics/BodyBounds.h"

#include <cstddef>

namespace {

const float kMargin = 1e-6f;

Vector3 Row(const Matrix3& R, int i)
{
    Vector3 row;
    return R.GetRow(row, i);
}

Vector3 Turned(const Vector3& v, float degrees, const Vector3& axis)
{
    Matrix3 rotation;
    Matrix3::FromAxisAngle(rotation, degrees, axis);
    Vector3 out;
    return Vector3::TimesMatrix3(out, rotation, v);
}

template <std::size_t N>
void GrowByAll(Bounds& box, const Vector3 (&points)[N])
{
    for (const Vector3& q : points) {
        GrowBounds(box, q);
    }
}

} // namespace

void GrowBounds(Bounds& box, const Vector3& q)
{
    for (int k = 0; k < 3; ++k) {
        if (box.minimum[k] > q[k]) {
            box.minimum[k] = q[k] - kMargin;
        }
        if (box.maximum[k] < q[k]) {
            box.maximum[k] = q[k] + kMargin;
        }
    }
}

void GrowBoundsBySphere(Bounds& box, const Vector3& centre, float radius)
{
    for (int k = 0; k < 3; ++k) {
        if (box.minimum[k] > centre[k] - radius) {
            box.minimum[k] = centre[k] - radius - kMargin;
        }
        if (box.maximum[k] < centre[k] + radius) {
            box.maximum[k] = centre[k] + radius + kMargin;
        }
    }
}

float GetLargestRadius(const Vector3& radii)
{
    float largest = radii.x;
    if (radii.y > largest) {
        largest = radii.y;
    }
    if (radii.z > largest) {
        largest = radii.z;
    }
    return largest;
}

void GetBoxCorners(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 corners[8])
{
    const Vector3 X = Row(R, 0) * extents.x;
    const Vector3 Y = Row(R, 1) * extents.y;
    const Vector3 Z = Row(R, 2) * extents.z;
    const Vector3 c0 =
        p - (Row(R, 0) * (extents.x * 0.5f) + Row(R, 1) * (extents.y * 0.5f) + Row(R, 2) * (extents.z * 0.5f));
    corners[0] = c0;
    corners[1] = c0 + Z;
    corners[2] = c0 + Y;
    corners[3] = c0 + Y + Z;
    corners[4] = c0 + X;
    corners[5] = c0 + X + Z;
    corners[6] = c0 + X + Y;
    corners[7] = c0 + X + Y + Z;
}

void GetBoxBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents)
{
    Vector3 corners[8];
    GetBoxCorners(p, R, extents, corners);
    GrowByAll(box, corners);
}

void GetPyramidVertices(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 vertices[5])
{
    const float side = extents.x;
    const float height = extents.y;
    const Vector3 b0 = p - (Row(R, 0) * (0.5f * side) + Row(R, 1) * (0.5f * side) + Row(R, 2) * (0.25f * height));
    vertices[0] = p + Row(R, 2) * (0.75f * height);
    vertices[1] = b0;
    vertices[2] = b0 + Row(R, 0) * side;
    vertices[3] = b0 + Row(R, 1) * side;
    vertices[4] = b0 + Row(R, 0) * side + Row(R, 1) * side;
}

void GetPyramidBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents)
{
    Vector3 vertices[5];
    GetPyramidVertices(p, R, extents, vertices);
    GrowByAll(box, vertices);
}

void GetPrismVertices(const Vector3& p, const Matrix3& R, const Vector3& extents, Vector3 vertices[6])
{
    const Vector3 along0 = Row(R, 0) * extents.y;
    const Vector3 along1 = Row(R, 1) * extents.x;
    const Vector3 along2 = Row(R, 2) * extents.z;
    vertices[0] = p - (along0 + along1 + along2);
    vertices[1] = vertices[0] + along0 * 2.0f;
    vertices[2] = vertices[0] + along1 * 2.0f;
    vertices[3] = vertices[1] + along1 * 2.0f;
    vertices[4] = vertices[3] + along2 * 2.0f;
    vertices[5] = vertices[2] + along2 * 2.0f;
}

void GetPrismBounds(Bounds& box, const Vector3& p, const Matrix3& R, const Vector3& extents)
{
    Vector3 vertices[6];
    GetPrismVertices(p, R, extents, vertices);
    GrowByAll(box, vertices);
}

void GetCapsuleBounds(Bounds& box, const Vector3& p, const Matrix3& R, float radius, float length, int axis)
{
    if (axis < 0 || axis > 2) {
        axis = 2;
    }
    const Vector3 a = Row(R, axis);
    const Vector3 e0 = p - a * (0.5f * length);
    const Vector3 e1 = e0 + a * length;
    GrowBoundsBySphere(box, e0, radius);
    GrowBoundsBySphere(box, e1, radius);
}

void GetCylinderBounds(Bounds& box, const Vector3& p, const Matrix3& R, float radius, float length)
{
    GetCapsuleBounds(box, p, R, radius, length, 0);
}

std::array<Vector3, 4> GetTetrahedronVertices(const Vector3& p, const Matrix3& R, float size)
{
    const Vector3 t0 = Row(R, 2) * size;
    const Vector3 t1 = Turned(t0, 109.5f, Row(R, 1));
    const Vector3 t2 = Turned(t1, -120.0f, Row(R, 2));
    const Vector3 t3 = Turned(t1, 120.0f, Row(R, 2));
    return {t0 + p, t1 + p, t2 + p, t3 + p};
}

std::vector<Vector3> GetTetrahedronVertexList(const Vector3& p, const Matrix3& R, float size)
{
    const std::array<Vector3, 4> vertices = GetTetrahedronVertices(p, R, size);
    return std::vector<Vector3>(vertices.begin(), vertices.end());
}
