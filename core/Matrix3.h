// 3x3 matrix of orientations and inertia tensors, stored row by row. Vectors
// are row vectors (v * M), and the rotation builders follow that convention.
//
// As with Vector3, the out forms of + and - are Add(out, m) and Subtract(out, m)
// (out = this + m, out = this - m); value-returning operators sit beside them.
// Every out form reads its inputs before writing, so out may alias an operand.
#pragma once

#include "core/Vector3.h"

struct Matrix3
{
    float m[3][3]; // m[row][column]

    // All zero.
    constexpr Matrix3() : m{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}} {}
    constexpr Matrix3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22)
        : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}}
    {}

    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }
    // Element by flat index 0..8 (row 0 is elements 0 to 2).
    float& operator[](int i) { return m[i / 3][i % 3]; }
    float operator[](int i) const { return m[i / 3][i % 3]; }

    Vector3& GetRow(Vector3& out, int i) const;
    Vector3& GetRow0(Vector3& out) const { return GetRow(out, 0); }
    Vector3& GetRow1(Vector3& out) const { return GetRow(out, 1); }
    Vector3& GetRow2(Vector3& out) const { return GetRow(out, 2); }
    void SetRow(int i, const Vector3& row);

    Matrix3& operator+=(const Matrix3& b);
    Matrix3 operator+(const Matrix3& b) const;
    Matrix3 operator-(const Matrix3& b) const;
    bool operator==(const Matrix3& b) const;
    bool operator!=(const Matrix3& b) const { return !(*this == b); }

    // out = this + b, out = this - b (element-wise).
    Matrix3& Add(Matrix3& out, const Matrix3& b) const;
    Matrix3& Subtract(Matrix3& out, const Matrix3& b) const;

    static Matrix3& MultiplyScalar(Matrix3& out, const Matrix3& a, float s);
    static Matrix3& Transpose(Matrix3& out, const Matrix3& a);
    // out = b * a: note the third argument is the LEFT factor
    // (out[i][j] = sum over k of b[i][k] * a[k][j]).
    static Matrix3& MultiplyStatic(Matrix3& out, const Matrix3& a, const Matrix3& b);

    static const Matrix3& Identity();

    // Rotation builders take degrees.
    // RotationY rows: (c, 0, -s), (0, 1, 0), (s, 0, c).
    static Matrix3& RotationY(Matrix3& out, float degrees);
    // RotationZ rows: (c, s, 0), (-s, c, 0), (0, 0, 1).
    static Matrix3& RotationZ(Matrix3& out, float degrees);
    // out = U + c(I - U) + sK, U = axis axis^T, K rows (0, z, -y), (-z, 0, x), (y, -x, 0).
    // The axis is used as given; callers pass unit vectors.
    static Matrix3& FromAxisAngle(Matrix3& out, float degrees, const Vector3& axis);

    // Gram-Schmidt over the rows in order, in place: row 0 normalised, row 1
    // less its projection on the new row 0, normalised, row 2 less its
    // projections on both, normalised (a zero row becomes (1, 0, 0), as
    // Vector3::Normalize makes it).
    Matrix3& Orthonormalize();
};

inline Vector3& Vector3::TimesMatrix3(Vector3& out, const Matrix3& m, const Vector3& v)
{
    return out = Vector3(v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                         v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                         v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]);
}

// out = s * a (element-wise).
Matrix3& MultiplyScalarMatrix3(Matrix3& out, float s, const Matrix3& a);
