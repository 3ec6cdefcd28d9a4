// Three-float vector of the simulation: positions, velocities, directions (z up).
//
// Naming of the out-parameter forms: the binary operations write their result
// into an out vector that they also return, so they can be chained without
// temporaries. C++ cannot give operator+ two explicit operands as a member, so
// the out forms of + and - are spelled Add(out, b) and Subtract(out, b); the
// value-returning operator+ / operator- are provided beside them for ordinary
// expressions. Every out form reads all of its inputs before writing, so out
// may alias any operand.
#pragma once

struct Matrix3;

struct Vector3
{
    float x;
    float y;
    float z;

    constexpr Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    // Component by index (0 = x, 1 = y, 2 = z); anything else reads z.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    Vector3& operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    Vector3& operator+=(const Vector3& b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    Vector3& operator-=(const Vector3& b)
    {
        x -= b.x;
        y -= b.y;
        z -= b.z;
        return *this;
    }

    Vector3 operator+(const Vector3& b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
    Vector3 operator-(const Vector3& b) const { return Vector3(x - b.x, y - b.y, z - b.z); }
    Vector3 operator-() const { return Vector3(-x, -y, -z); }
    Vector3 operator*(float s) const { return Vector3(x * s, y * s, z * s); }
    bool operator==(const Vector3& b) const { return x == b.x && y == b.y && z == b.z; }
    bool operator!=(const Vector3& b) const { return !(*this == b); }

    // out = this + b, out = this - b.
    Vector3& Add(Vector3& out, const Vector3& b) const { return out = *this + b; }
    Vector3& Subtract(Vector3& out, const Vector3& b) const { return out = *this - b; }
    // out = -this.
    Vector3& Negate(Vector3& out) const { return out = -*this; }

    // Scales in place to unit length. A zero vector becomes (1, 0, 0): the
    // ragdoll relies on always getting a usable direction back.
    Vector3& Normalize();

    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const;

    static Vector3& MultiplyScalar(Vector3& out, const Vector3& v, float s)
    {
        return out = Vector3(v.x * s, v.y * s, v.z * s);
    }
    // out = v * (1 / s); the reciprocal is formed once. s = 0 is not checked.
    static Vector3& DivideScalar(Vector3& out, const Vector3& v, float s) { return MultiplyScalar(out, v, 1.0f / s); }
    static float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
    static Vector3& Cross(Vector3& out, const Vector3& a, const Vector3& b)
    {
        return out = Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    }
    // Row vector times matrix: out_i = v.x*m[0][i] + v.y*m[1][i] + v.z*m[2][i].
    // Defined inline in Matrix3.h, which every caller includes for its matrix.
    static Vector3& TimesMatrix3(Vector3& out, const Matrix3& m, const Vector3& v);
};

inline Vector3 operator*(float s, const Vector3& v)
{
    return v * s;
}

// out = s * v.
Vector3& MultiplyScalarVector3(Vector3& out, float s, const Vector3& v);
