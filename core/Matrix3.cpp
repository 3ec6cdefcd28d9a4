#include "core/Matrix3.h"

#include <cmath>

#include "core/MathConstants.h"

namespace {

// The projection of a on the direction of onto.
Vector3 Project(const Vector3& a, const Vector3& onto)
{
    return onto * (Vector3::Dot(a, onto) / Vector3::Dot(onto, onto));
}

} // namespace

Vector3& Matrix3::GetRow(Vector3& out, int i) const
{
    out = Vector3(m[i][0], m[i][1], m[i][2]);
    return out;
}

void Matrix3::SetRow(int i, const Vector3& row)
{
    m[i][0] = row.x;
    m[i][1] = row.y;
    m[i][2] = row.z;
}

Matrix3& Matrix3::operator+=(const Matrix3& b)
{
    for (int i = 0; i < 9; ++i) {
        (*this)[i] += b[i];
    }
    return *this;
}

Matrix3 Matrix3::operator+(const Matrix3& b) const
{
    Matrix3 out;
    return Add(out, b);
}

Matrix3 Matrix3::operator-(const Matrix3& b) const
{
    Matrix3 out;
    return Subtract(out, b);
}

bool Matrix3::operator==(const Matrix3& b) const
{
    for (int i = 0; i < 9; ++i) {
        if ((*this)[i] != b[i]) {
            return false;
        }
    }
    return true;
}

Matrix3& Matrix3::Add(Matrix3& out, const Matrix3& b) const
{
    Matrix3 sum = *this; // copied first: out may be either operand
    sum += b;
    out = sum;
    return out;
}

Matrix3& Matrix3::Subtract(Matrix3& out, const Matrix3& b) const
{
    Matrix3 difference = *this;
    for (int i = 0; i < 9; ++i) {
        difference[i] -= b[i];
    }
    out = difference;
    return out;
}

Matrix3& Matrix3::MultiplyScalar(Matrix3& out, const Matrix3& a, float s)
{
    for (int i = 0; i < 9; ++i) {
        out[i] = a[i] * s;
    }
    return out;
}

Matrix3& MultiplyScalarMatrix3(Matrix3& out, float s, const Matrix3& a)
{
    for (int i = 0; i < 9; ++i) {
        out[i] = s * a[i];
    }
    return out;
}

Matrix3& Matrix3::Transpose(Matrix3& out, const Matrix3& a)
{
    const Matrix3 source = a;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out.m[i][j] = source.m[j][i];
        }
    }
    return out;
}

Matrix3& Matrix3::MultiplyStatic(Matrix3& out, const Matrix3& a, const Matrix3& b)
{
    // A local product keeps this reentrant and lets out alias either operand.
    Matrix3 product;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            product.m[i][j] = b.m[i][0] * a.m[0][j] + b.m[i][1] * a.m[1][j] + b.m[i][2] * a.m[2][j];
        }
    }
    out = product;
    return out;
}

const Matrix3& Matrix3::Identity()
{
    static const Matrix3 identity(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    return identity;
}

Matrix3& Matrix3::RotationY(Matrix3& out, float degrees)
{
    const float radians = DegreesToRadians(degrees);
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    out = Matrix3(c, 0.0f, -s, 0.0f, 1.0f, 0.0f, s, 0.0f, c);
    return out;
}

Matrix3& Matrix3::RotationZ(Matrix3& out, float degrees)
{
    const float radians = DegreesToRadians(degrees);
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    out = Matrix3(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

Matrix3& Matrix3::FromAxisAngle(Matrix3& out, float degrees, const Vector3& axis)
{
    const float radians = DegreesToRadians(degrees);
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float x = axis.x;
    const float y = axis.y;
    const float z = axis.z;

    const Matrix3 u(x * x, x * y, x * z, x * y, y * y, y * z, x * z, y * z, z * z);
    const Matrix3 k(0.0f, z, -y, -z, 0.0f, x, y, -x, 0.0f);
    Matrix3 result;
    for (int i = 0; i < 9; ++i) {
        result[i] = u[i] + c * (Identity()[i] - u[i]) + s * k[i];
    }
    out = result;
    return out;
}

Matrix3& Matrix3::Orthonormalize()
{
    Vector3 row0, row1, row2;
    GetRow(row0, 0);
    GetRow(row1, 1);
    GetRow(row2, 2);

    Vector3 r0 = row0;
    r0.Normalize();
    Vector3 r1 = row1 - Project(row1, r0);
    r1.Normalize();
    Vector3 r2 = row2 - Project(row2, r0) - Project(row2, r1);
    r2.Normalize();

    SetRow(0, r0);
    SetRow(1, r1);
    SetRow(2, r2);
    return *this;
}
