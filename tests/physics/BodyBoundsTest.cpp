#include <cmath>

#include <gtest/gtest.h>

#include "physics/BodyBounds.h"

namespace {

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-6f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

const Vector3 kOrigin;

} // namespace

TEST(BodyBounds, GrowingAddsTheMarginOnlyWhenTheBoxGrows)
{
    Bounds box;
    const Vector3 q(0.25f, -0.5f, 1.0f);
    GrowBounds(box, q);
    EXPECT_EQ(box.minimum, Vector3(0.25f - 1e-6f, -0.5f - 1e-6f, 1.0f - 1e-6f));
    EXPECT_EQ(box.maximum, Vector3(0.25f + 1e-6f, -0.5f + 1e-6f, 1.0f + 1e-6f));

    const Bounds before = box;
    GrowBounds(box, q); // inside now: nothing changes
    EXPECT_EQ(box.minimum, before.minimum);
    EXPECT_EQ(box.maximum, before.maximum);

    GrowBoundsBySphere(box, Vector3(1.0f, 0.0f, 0.0f), 0.5f);
    EXPECT_EQ(box.maximum.x, 1.5f + 1e-6f);
    EXPECT_EQ(box.minimum.x, 0.25f - 1e-6f);
    EXPECT_EQ(GetLargestRadius(Vector3(0.5f, 2.0f, 1.0f)), 2.0f);

    box.Reset();
    EXPECT_EQ(box.minimum, Vector3(1e6f, 1e6f, 1e6f));
    EXPECT_EQ(box.maximum, Vector3(-1e6f, -1e6f, -1e6f));
}

TEST(BodyBounds, BoxCornersComeInTheirFixedOrder)
{
    Vector3 corners[8];
    GetBoxCorners(kOrigin, Matrix3::Identity(), Vector3(1.0f, 1.0f, 1.0f), corners);
    EXPECT_EQ(corners[0], Vector3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(corners[1], Vector3(-0.5f, -0.5f, 0.5f));
    EXPECT_EQ(corners[2], Vector3(-0.5f, 0.5f, -0.5f));
    EXPECT_EQ(corners[4], Vector3(0.5f, -0.5f, -0.5f));
    EXPECT_EQ(corners[7], Vector3(0.5f, 0.5f, 0.5f));

    // A 2 x 1 x 1 box turned a quarter about z lies along y.
    Matrix3 quarter;
    Matrix3::RotationZ(quarter, 90.0f);
    Bounds box;
    GetBoxBounds(box, Vector3(1.0f, 1.0f, 0.0f), quarter, Vector3(2.0f, 1.0f, 1.0f));
    ExpectNear(box.minimum, Vector3(0.5f, 0.0f, -0.5f), 1e-5f);
    ExpectNear(box.maximum, Vector3(1.5f, 2.0f, 0.5f), 1e-5f);
}

TEST(BodyBounds, CapsuleAndCylinderBoundsCoverTheEndSpheres)
{
    Bounds capsule;
    GetCapsuleBounds(capsule, kOrigin, Matrix3::Identity(), 0.5f, 2.0f, 2);
    EXPECT_EQ(capsule.minimum, Vector3(-0.5f - 1e-6f, -0.5f - 1e-6f, -1.5f - 1e-6f));
    EXPECT_EQ(capsule.maximum, Vector3(0.5f + 1e-6f, 0.5f + 1e-6f, 1.5f + 1e-6f));

    Bounds cylinder;
    GetCylinderBounds(cylinder, Vector3(0.0f, 0.0f, 1.0f), Matrix3::Identity(), 0.25f, 3.0f);
    ExpectNear(cylinder.minimum, Vector3(-1.75f, -0.25f, 0.75f), 1e-5f);
    ExpectNear(cylinder.maximum, Vector3(1.75f, 0.25f, 1.25f), 1e-5f);
}

TEST(BodyBounds, PyramidAndPrismVertices)
{
    Vector3 pyramid[5];
    GetPyramidVertices(kOrigin, Matrix3::Identity(), Vector3(2.0f, 4.0f, 0.0f), pyramid);
    EXPECT_EQ(pyramid[0], Vector3(0.0f, 0.0f, 3.0f));
    EXPECT_EQ(pyramid[1], Vector3(-1.0f, -1.0f, -1.0f));
    EXPECT_EQ(pyramid[2], Vector3(1.0f, -1.0f, -1.0f));
    EXPECT_EQ(pyramid[3], Vector3(-1.0f, 1.0f, -1.0f));
    EXPECT_EQ(pyramid[4], Vector3(1.0f, 1.0f, -1.0f));

    // The prism's bounds span +-E1 along x and +-E0 along y (generous on purpose).
    Vector3 prism[6];
    GetPrismVertices(kOrigin, Matrix3::Identity(), Vector3(1.0f, 2.0f, 3.0f), prism);
    EXPECT_EQ(prism[0], Vector3(-2.0f, -1.0f, -3.0f));
    EXPECT_EQ(prism[3], Vector3(2.0f, 1.0f, -3.0f));
    EXPECT_EQ(prism[4], Vector3(2.0f, 1.0f, 3.0f));
    EXPECT_EQ(prism[5], Vector3(-2.0f, 1.0f, 3.0f));
    Bounds box;
    GetPrismBounds(box, kOrigin, Matrix3::Identity(), Vector3(1.0f, 2.0f, 3.0f));
    ExpectNear(box.minimum, Vector3(-2.0f, -1.0f, -3.0f));
    ExpectNear(box.maximum, Vector3(2.0f, 1.0f, 3.0f));
}

TEST(BodyBounds, TetrahedronResultsAreIndependentValues)
{
    const Vector3 p(1.0f, 2.0f, 3.0f);
    const std::array<Vector3, 4> first = GetTetrahedronVertices(p, Matrix3::Identity(), 2.0f);
    const std::array<Vector3, 4> second = GetTetrahedronVertices(kOrigin, Matrix3::Identity(), 1.0f);
    EXPECT_EQ(first[0], Vector3(1.0f, 2.0f, 5.0f)); // the first call's points survive the second
    EXPECT_EQ(second[0], Vector3(0.0f, 0.0f, 1.0f));
    for (const Vector3& v : first) {
        EXPECT_NEAR((v - p).Length(), 2.0f, 1e-5f);
    }
    // Nearly regular: every edge about 2 * sqrt(8/3) * size / 2.
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            EXPECT_NEAR((first[i] - first[j]).Length(), 3.266f, 0.01f);
        }
    }
    const std::vector<Vector3> list = GetTetrahedronVertexList(p, Matrix3::Identity(), 2.0f);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2], first[2]);
}
