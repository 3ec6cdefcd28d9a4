#include "core/Vector3.h"

#include <cmath>

#include "core/DebugPrint.h"
#include "core/Matrix3.h"

float& Vector3::operator[](int i)
{
    return i == 0 ? x : (i == 1 ? y : z);
}

float Vector3::operator[](int i) const
{
    return i == 0 ? x : (i == 1 ? y : z);
}

Vector3& Vector3::operator*=(float s)
{
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

Vector3& Vector3::operator+=(const Vector3& b)
{
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
}

Vector3& Vector3::operator-=(const Vector3& b)
{
    x -= b.x;
    y -= b.y;
    z -= b.z;
    return *this;
}

Vector3& Vector3::Add(Vector3& out, const Vector3& b) const
{
    out = *this + b;
    return out;
}

Vector3& Vector3::Subtract(Vector3& out, const Vector3& b) const
{
    out = *this - b;
    return out;
}

Vector3& Vector3::Negate(Vector3& out) const
{
    out = -*this;
    return out;
}

Vector3& Vector3::Normalize()
{
    const float lengthSquared = x * x + y * y + z * z;
    if (lengthSquared > 0.0f) {
        *this *= 1.0f / std::sqrt(lengthSquared);
    } else {
        DebugPrint("Magnitude = %f in Normalize()\n", static_cast<double>(std::sqrt(lengthSquared)));
        *this = Vector3(1.0f, 0.0f, 0.0f);
    }
    return *this;
}

float Vector3::Length() const
{
    return std::sqrt(LengthSquared());
}

Vector3& Vector3::MultiplyScalar(Vector3& out, const Vector3& v, float s)
{
    out = Vector3(v.x * s, v.y * s, v.z * s);
    return out;
}

Vector3& Vector3::DivideScalar(Vector3& out, const Vector3& v, float s)
{
    const float reciprocal = 1.0f / s;
    return MultiplyScalar(out, v, reciprocal);
}

float Vector3::Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3& Vector3::Cross(Vector3& out, const Vector3& a, const Vector3& b)
{
    out = Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return out;
}

Vector3& Vector3::TimesMatrix3(Vector3& out, const Matrix3& m, const Vector3& v)
{
    out = Vector3(v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                  v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                  v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]);
    return out;
}

Vector3& MultiplyScalarVector3(Vector3& out, float s, const Vector3& v)
{
    out = Vector3(s * v.x, s * v.y, s * v.z);
    return out;
}
