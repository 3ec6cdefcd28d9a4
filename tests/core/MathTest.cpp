#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/Angle.h"
#include "core/Matrix3.h"
#include "core/Vector3.h"

namespace {
void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-6f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

const Matrix3 kA(1, 2, 3, 4, 5, 6, 7, 8, 10);
const Matrix3 kB(0, 1, 0, -1, 0, 2, 3, 0, 1);
} // namespace

TEST(Vector3Math, NormalizeIncludingZeroVector)
{
    Vector3 zero;
    EXPECT_EQ(&zero.Normalize(), &zero);
    EXPECT_EQ(zero, Vector3(1, 0, 0));

    Vector3 v(0, 3, 4);
    v.Normalize();
    ExpectNear(v, Vector3(0, 0.6f, 0.8f));
}

TEST(Vector3Math, OutFormsAllowAliasing)
{
    Vector3 a(1, 2, 3);
    const Vector3 b(-4, 5, 0.5f);
    Vector3 expected;
    Vector3::Cross(expected, Vector3(1, 2, 3), b);
    EXPECT_EQ(expected, Vector3(2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4));
    Vector3::Cross(a, a, b);
    EXPECT_EQ(a, expected);

    Vector3 c(1, 2, 3);
    EXPECT_EQ(c.Add(c, b), Vector3(-3, 7, 3.5f));
    EXPECT_EQ(c.Subtract(c, b), Vector3(1, 2, 3));
    Vector3 n;
    EXPECT_EQ(c.Negate(n), Vector3(-1, -2, -3));
    EXPECT_EQ(Vector3::Dot(c, b), 1 * -4 + 2 * 5 + 3 * 0.5f);

    // The reciprocal is formed once: the same bits as multiplying by 1/s.
    Vector3 divided;
    Vector3::DivideScalar(divided, Vector3(1, 2, 7), 3.0f);
    const float reciprocal = 1.0f / 3.0f;
    EXPECT_EQ(divided, Vector3(1 * reciprocal, 2 * reciprocal, 7 * reciprocal));

    Vector3 scaled;
    EXPECT_EQ(MultiplyScalarVector3(scaled, 2.0f, c), Vector3(2, 4, 6));
    EXPECT_EQ(Vector3::MultiplyScalar(scaled, c, -1.0f), Vector3(-1, -2, -3));
    c *= 0.5f;
    EXPECT_EQ(c, Vector3(0.5f, 1, 1.5f));
}

TEST(Matrix3Math, RowVectorConventionAndRotations)
{
    Matrix3 rz;
    Matrix3::RotationZ(rz, 90.0f);
    Vector3 out;
    ExpectNear(Vector3::TimesMatrix3(out, rz, Vector3(1, 0, 0)), Vector3(0, 1, 0));

    Matrix3 ry;
    Matrix3::RotationY(ry, 90.0f);
    ExpectNear(Vector3::TimesMatrix3(out, ry, Vector3(1, 0, 0)), Vector3(0, 0, -1));

    // TimesMatrix3 sums down the columns.
    Vector3::TimesMatrix3(out, kA, Vector3(1, 10, 100));
    EXPECT_EQ(out, Vector3(1 + 40 + 700, 2 + 50 + 800, 3 + 60 + 1000));

    // About the z axis the general builder gives the same bits.
    Matrix3 axis;
    Matrix3::FromAxisAngle(axis, 37.0f, Vector3(0, 0, 1));
    Matrix3::RotationZ(rz, 37.0f);
    EXPECT_EQ(axis, rz);

    // Any unit axis: orthonormal, and the axis itself is left fixed.
    Vector3 u(1, -2, 0.5f);
    u.Normalize();
    Matrix3::FromAxisAngle(axis, 123.0f, u);
    Matrix3 t;
    Matrix3 product;
    Matrix3::MultiplyStatic(product, axis, Matrix3::Transpose(t, axis));
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(product[i], Matrix3::Identity()[i], 1e-6f);
    }
    ExpectNear(Vector3::TimesMatrix3(out, axis, u), u);
}

TEST(Matrix3Math, MultiplyStaticPutsTheThirdArgumentOnTheLeft)
{
    Matrix3 out;
    Matrix3::MultiplyStatic(out, kA, kB);
    // b * a, worked by hand for row 1: (-1, 0, 2) * A.
    EXPECT_EQ(out.m[1][0], -1 * 1 + 0 * 4 + 2 * 7);
    EXPECT_EQ(out.m[1][1], -1 * 2 + 0 * 5 + 2 * 8);
    EXPECT_EQ(out.m[1][2], -1 * 3 + 0 * 6 + 2 * 10);
    const Matrix3 expected = out;

    Matrix3 a = kA;
    Matrix3::MultiplyStatic(a, a, kB);
    EXPECT_EQ(a, expected);
    Matrix3 b = kB;
    Matrix3::MultiplyStatic(b, kA, b);
    EXPECT_EQ(b, expected);
}

TEST(Matrix3Math, ElementwiseOperationsAndRows)
{
    Matrix3 m = kA;
    EXPECT_EQ(m.Add(m, kB), kA + kB);
    EXPECT_EQ(m.Subtract(m, kB), kA);
    m += kB;
    EXPECT_EQ(m, kA + kB);
    EXPECT_EQ(kA - kA, Matrix3());

    Matrix3 scaled;
    Matrix3::MultiplyScalar(scaled, kA, 2.0f);
    EXPECT_EQ(scaled(2, 2), 20.0f);
    EXPECT_EQ(MultiplyScalarMatrix3(scaled, 0.5f, kA)[5], 3.0f);

    Matrix3 t = kA;
    Matrix3::Transpose(t, t);
    EXPECT_EQ(t.m[0][2], 7.0f);
    EXPECT_EQ(t.m[2][0], 3.0f);

    Vector3 row;
    EXPECT_EQ(kA.GetRow(row, 2), Vector3(7, 8, 10));
    EXPECT_EQ(kA.GetRow0(row), Vector3(1, 2, 3));
    EXPECT_EQ(kA.GetRow1(row), Vector3(4, 5, 6));
    EXPECT_EQ(kA.GetRow2(row), Vector3(7, 8, 10));
    EXPECT_EQ(Matrix3::Identity(), Matrix3(1, 0, 0, 0, 1, 0, 0, 0, 1));
}

TEST(AngleMath, WrapsByWholeTurns)
{
    Angle a;
    EXPECT_EQ(a.Get(), 0.0f);
    a = 4.0f;
    EXPECT_EQ(a.Get(), 4.0f - 6.2831855f);
    a = 10.0f;
    EXPECT_EQ(a.Get(), (10.0f - 6.2831855f) - 6.2831855f);
    a = 3.1415927f;
    EXPECT_EQ(a.Get(), 3.1415927f);
    a = -3.1415927f;
    EXPECT_EQ(a.Get(), -3.1415927f);
    a = 3.0f;
    a += 1.0f;
    EXPECT_EQ(a.Get(), 4.0f - 6.2831855f);
    a = -10.0f;
    EXPECT_EQ(a.Get(), (-10.0f + 6.2831855f) + 6.2831855f);

    float first = 0.0f;
    float second = 0.0f;
    a = 0.5f;
    a.SinCos(first, second);
    EXPECT_EQ(first, std::cos(0.5f));
    EXPECT_EQ(second, std::sin(0.5f));
}

TEST(AngleMath, HugeAndNonFiniteValuesDoNotHang)
{
    Angle a;
    // Whole turns of the game's 2 pi, whatever the size.
    const double turn = static_cast<double>(6.2831855f);
    for (float v : {2.0e4f, -2.0e4f, 1.0e8f, -1.0e8f, 3.0e38f, -3.0e38f}) {
        a = v;
        EXPECT_GE(a.Get(), -3.1415927f) << v;
        EXPECT_LE(a.Get(), 3.1415927f) << v;
        EXPECT_NEAR(std::remainder(static_cast<double>(v), turn), a.Get(), 1e-3) << v;
    }
    a = std::numeric_limits<float>::infinity();
    EXPECT_EQ(a.Get(), 0.0f);
    a = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(a.Get(), 0.0f);
    a = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(a.Get(), 0.0f);
    a = 1.0f;
    a += std::numeric_limits<float>::infinity();
    EXPECT_EQ(a.Get(), 0.0f);
}

TEST(AngleMath, ClampedAngleLimits)
{
    ClampedAngle c;
    EXPECT_EQ(c.Get(), 0.0f);
    EXPECT_EQ(c.GetMax(), 3.1415927f);
    EXPECT_EQ(c.GetMin(), -3.1415927f);
    c = 10.0f;
    EXPECT_EQ(c.Get(), 3.1415927f);

    c.SetLimits(1.0f, -1.0f);
    EXPECT_EQ(c.GetMin(), -1.0f);
    EXPECT_EQ(c.GetMax(), 1.0f);
    EXPECT_EQ(c.Get(), 1.0f); // clamped when the limits change
    c = 2.0f;
    EXPECT_EQ(c.Get(), 1.0f);
    c += -5.0f;
    EXPECT_EQ(c.Get(), -1.0f);
    c += 0.25f;
    EXPECT_EQ(c.Get(), -0.75f);
}
