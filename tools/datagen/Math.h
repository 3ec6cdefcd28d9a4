// Small vector, matrix and quaternion helpers for the data generator.
// Matrices follow the game's row-vector convention: v' = v * M, translation in row 3.
#pragma once

#include <cmath>

namespace gen {

constexpr float kPi = 3.14159265358979323846f;

struct Vec3
{
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3& operator+=(const Vec3& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
};

inline float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(const Vec3& a)
{
    const float l = Length(a);
    return l > 0 ? a * (1.0f / l) : Vec3(0, 0, 1);
}
inline Vec3 Lerp(const Vec3& a, const Vec3& b, float t)
{
    return a + (b - a) * t;
}

struct Quat
{ // (x, y, z, w), rotation of angle a about unit axis n: (n sin(a/2), cos(a/2))
    float x = 0, y = 0, z = 0, w = 1;
};

inline Quat AxisAngle(const Vec3& axis, float radians)
{
    const Vec3 n = Normalize(axis);
    const float s = std::sin(radians * 0.5f);
    return {n.x * s, n.y * s, n.z * s, std::cos(radians * 0.5f)};
}

// Same composition order as the row-vector matrices: rotate by a, then by b.
inline Quat Then(const Quat& a, const Quat& b)
{
    // The row-vector matrix of a then b equals the matrix of the quaternion product b * a.
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

struct Mat4
{
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    static Mat4 Identity() { return Mat4(); }
    static Mat4 Translation(const Vec3& t)
    {
        Mat4 r;
        r.m[3][0] = t.x;
        r.m[3][1] = t.y;
        r.m[3][2] = t.z;
        return r;
    }
    // The matrix a vector is multiplied by (as a row) to be rotated by q.
    static Mat4 Rotation(const Quat& q)
    {
        Mat4 r;
        const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
        const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
        const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
        r.m[0][0] = 1 - 2 * (yy + zz);
        r.m[0][1] = 2 * (xy + wz);
        r.m[0][2] = 2 * (xz - wy);
        r.m[1][0] = 2 * (xy - wz);
        r.m[1][1] = 1 - 2 * (xx + zz);
        r.m[1][2] = 2 * (yz + wx);
        r.m[2][0] = 2 * (xz + wy);
        r.m[2][1] = 2 * (yz - wx);
        r.m[2][2] = 1 - 2 * (xx + yy);
        return r;
    }
    Mat4 operator*(const Mat4& o) const
    {
        Mat4 r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                float s = 0;
                for (int k = 0; k < 4; ++k) s += m[i][k] * o.m[k][j];
                r.m[i][j] = s;
            }
        return r;
    }
    Vec3 TransformPoint(const Vec3& v) const
    {
        return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0],
                v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1],
                v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2]};
    }
    Vec3 TransformDir(const Vec3& v) const
    {
        return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
                v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
    }
    Vec3 GetTranslation() const { return {m[3][0], m[3][1], m[3][2]}; }
};

} // namespace gen
