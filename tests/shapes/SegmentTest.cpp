// World-space segment tests of every shape against analytic intersections,
// including misses short of the body and past the segment's end.
#include <gtest/gtest.h>

#include <cmath>

#include "ShapeTestSupport.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/Polyhedron.h"

namespace {

struct Hit
{
    bool hit = false;
    float tEnter = -1.0f;
    float tExit = -1.0f;
    Vector3 point;
};

Hit Cast(RigidBody& body, const Vector3& start, const Vector3& end)
{
    Hit h;
    h.hit = body.IntersectSegment(start, end, h.tEnter, h.tExit, h.point);
    return h;
}

void Place(RigidBody& body, const Vector3& position, float degreesAboutZ)
{
    Matrix3 R;
    Matrix3::RotationZ(R, degreesAboutZ);
    body.SetPosition(position);
    body.SetOrientation(R);
}

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Vector3 lastRampNormal;
int rampContacts = 0;

void RecordRamp(const Vector3& normal)
{
    lastRampNormal = normal;
    ++rampContacts;
}

} // namespace

TEST(Segment, BoxClipsAgainstItsFaces)
{
    Box box(nullptr, 2.0f, 4.0f, 6.0f, 1.0f);
    Place(box, Vector3(10.0f, 0.0f, 0.0f), 90.0f); // body x now along world y
    // Straight down onto the top face at z = 3.
    Hit h = Cast(box, Vector3(10.0f, 0.5f, 10.0f), Vector3(10.0f, 0.5f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 7.0f / 20.0f, 1e-5f);
    EXPECT_NEAR(h.tExit, 13.0f / 20.0f, 1e-5f);
    ExpectNear(h.point, Vector3(10.0f, 0.5f, 3.0f), 1e-5f);
    // Along world x the rotated box is 4 wide (its y side).
    h = Cast(box, Vector3(0.0f, 0.0f, 0.0f), Vector3(20.0f, 0.0f, 0.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 8.0f / 20.0f, 1e-5f);
    // Short of the box, and beside it.
    EXPECT_FALSE(Cast(box, Vector3(10.0f, 0.0f, 10.0f), Vector3(10.0f, 0.0f, 3.5f)).hit);
    EXPECT_FALSE(Cast(box, Vector3(12.5f, 0.0f, 10.0f), Vector3(12.5f, 0.0f, -10.0f)).hit);
    // Parallel to a face and outside its plane: miss; inside it: decided by
    // the other faces.
    EXPECT_FALSE(Cast(box, Vector3(0.0f, 1.5f, 0.0f), Vector3(20.0f, 1.5f, 0.0f)).hit);
    EXPECT_TRUE(Cast(box, Vector3(0.0f, 0.5f, 2.9f), Vector3(20.0f, 0.5f, 2.9f)).hit);
    // Starting inside: tEnter 0 at the start.
    h = Cast(box, Vector3(10.2f, 0.1f, 0.0f), Vector3(10.2f, 0.1f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.tEnter, 0.0f);
    EXPECT_EQ(h.point, Vector3(10.2f, 0.1f, 0.0f));
}

TEST(Segment, CapsuleHitsItsCylinderPart)
{
    Capsule capsule(nullptr, 0.5f, 4.0f, 1.0f, 0);
    Place(capsule, Vector3(0.0f, 0.0f, 1.0f), 0.0f);
    // Down across the middle: enters at z = 1.5.
    Hit h = Cast(capsule, Vector3(0.3f, 0.0f, 5.0f), Vector3(0.3f, 0.0f, -5.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 3.5f / 10.0f, 1e-5f);
    ExpectNear(h.point, Vector3(0.3f, 0.0f, 1.5f), 1e-5f);
    // Off-centre in y: enters at z = 1 + sqrt(0.25 - 0.09).
    h = Cast(capsule, Vector3(-1.0f, 0.3f, 5.0f), Vector3(-1.0f, 0.3f, -5.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.z, 1.0f + 0.4f, 1e-5f);
    // Along the axis from outside: enters through the end plane at x = -2.
    h = Cast(capsule, Vector3(-6.0f, 0.1f, 1.0f), Vector3(6.0f, 0.1f, 1.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 4.0f / 12.0f, 1e-5f);
    // Stopping short, passing beside, beyond the end.
    EXPECT_FALSE(Cast(capsule, Vector3(0.0f, 0.0f, 5.0f), Vector3(0.0f, 0.0f, 1.6f)).hit);
    EXPECT_FALSE(Cast(capsule, Vector3(0.0f, 0.6f, 5.0f), Vector3(0.0f, 0.6f, -5.0f)).hit);
    EXPECT_FALSE(Cast(capsule, Vector3(2.2f, 0.0f, 5.0f), Vector3(2.2f, 0.0f, -5.0f)).hit);
    // A zero-length segment: no hit and nothing written.
    h = Cast(capsule, Vector3(0.0f, 0.0f, 1.0f), Vector3(0.0f, 0.0f, 1.0f));
    EXPECT_FALSE(h.hit);
    EXPECT_EQ(h.tEnter, -1.0f);
}

TEST(Segment, CylinderReportsHitsOnTheSegmentOnly)
{
    Cylinder log(nullptr, 1.0f, 6.0f, 16, 2, 1.0f);
    Place(log, Vector3(0.0f, 5.0f, 2.0f), 90.0f); // axis along world y
    // Down through the top: enters at z = 3, leaves at z = 1; the point sits
    // 4 units below the entry.
    Hit h = Cast(log, Vector3(0.0f, 5.0f, 10.0f), Vector3(0.0f, 5.0f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 7.0f / 20.0f, 1e-5f);
    EXPECT_NEAR(h.tExit, 9.0f / 20.0f, 1e-5f);
    ExpectNear(h.point, Vector3(0.0f, 5.0f, 3.0f - 4.0f), 1e-5f);
    // Along the axis: through both caps at y = 2 and y = 8.
    h = Cast(log, Vector3(0.0f, 0.0f, 2.5f), Vector3(0.0f, 10.0f, 2.5f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 0.2f, 1e-5f);
    EXPECT_NEAR(h.tExit, 0.8f, 1e-5f);
    // Starting inside: the first parameter on the segment is the exit.
    h = Cast(log, Vector3(0.0f, 5.0f, 2.0f), Vector3(0.0f, 5.0f, 12.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, 0.1f, 1e-5f);
    // Misses: short, past the end, beside.
    EXPECT_FALSE(Cast(log, Vector3(0.0f, 5.0f, 10.0f), Vector3(0.0f, 5.0f, 3.5f)).hit);
    EXPECT_FALSE(Cast(log, Vector3(0.0f, 8.5f, 10.0f), Vector3(0.0f, 8.5f, -10.0f)).hit);
    EXPECT_FALSE(Cast(log, Vector3(1.5f, 5.0f, 10.0f), Vector3(1.5f, 5.0f, -10.0f)).hit);
}

TEST(Segment, EllipsoidUsesItsGridSphereUpToTheSegmentsEnd)
{
    Ellipsoid boulder(nullptr, 2.0f, 2.0f, 2.0f, 8, 8, 1.0f);
    boulder.SetPosition(Vector3(300.0f, 0.0f, 0.0f));
    boulder.GetCollisionData()->position = boulder.position;
    const float R = boulder.GetCollisionData()->mesh.GetBoundingRadius();
    // The mask ray runs 5 to 200 units: a boulder at 300 is not marked.
    EXPECT_FALSE(Cast(boulder, Vector3(5.0f, 0.0f, 0.0f), Vector3(200.0f, 0.0f, 0.0f)).hit);
    Hit h = Cast(boulder, Vector3(5.0f, 0.0f, 0.0f), Vector3(405.0f, 0.0f, 0.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.tEnter, (295.0f - R) / 400.0f, 1e-5f);
    ExpectNear(h.point, Vector3(300.0f - R, 0.0f, 0.0f), 1e-3f);
    // Ending just short of the sphere misses; just past it hits.
    EXPECT_FALSE(Cast(boulder, Vector3(0.0f, 0.0f, 0.0f), Vector3(299.0f - R, 0.0f, 0.0f)).hit);
    EXPECT_TRUE(Cast(boulder, Vector3(0.0f, 0.0f, 0.0f), Vector3(301.0f - R, 0.0f, 0.0f)).hit);
    // Starting inside: t = 0.
    h = Cast(boulder, Vector3(300.0f, 0.0f, 0.5f), Vector3(300.0f, 0.0f, 10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.tEnter, 0.0f);
    // Pointing away, and a zero-length segment.
    EXPECT_FALSE(Cast(boulder, Vector3(290.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 0.0f)).hit);
    EXPECT_FALSE(Cast(boulder, Vector3(300.0f, 0.0f, 0.0f), Vector3(300.0f, 0.0f, 0.0f)).hit);
}

TEST(Segment, PolyhedraClipAgainstEveryFace)
{
    Pyramid pyramid(nullptr, 2.0f, 4.0f, 1.0f);
    // Down onto the apex column: enters at the apex height 3.
    Hit h = Cast(pyramid, Vector3(0.0f, 0.0f, 10.0f), Vector3(0.0f, 0.0f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.z, 3.0f, 1e-5f);
    EXPECT_NEAR(h.tExit, 11.0f / 20.0f, 1e-5f); // out through the base at -1
    // Halfway out towards a base corner the side is at half height.
    h = Cast(pyramid, Vector3(0.5f, 0.0f, 10.0f), Vector3(0.5f, 0.0f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.z, 1.0f, 1e-5f);
    EXPECT_FALSE(Cast(pyramid, Vector3(1.2f, 0.0f, 10.0f), Vector3(1.2f, 0.0f, -10.0f)).hit);
    EXPECT_FALSE(Cast(pyramid, Vector3(0.0f, 0.0f, 10.0f), Vector3(0.0f, 0.0f, 3.5f)).hit);
    h = Cast(pyramid, Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 0.1f));
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.tEnter, 0.0f);

    Tetrahedron tetrahedron(nullptr, 2.5f, 1.0f);
    h = Cast(tetrahedron, Vector3(0.0f, 0.0f, 10.0f), Vector3(0.0f, 0.0f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.z, 2.5f, 1e-4f);
}

TEST(Segment, PrismReportsTheRampFaceToTheListener)
{
    SetRampContactListener(RecordRamp);
    rampContacts = 0;
    Prism ramp(nullptr, 4.0f, 2.0f, 2.0f, 1.0f);
    // The slope rises from y = -1 (z = -1) to y = +1 (z = +1): straight down
    // at y = 0 it is hit at z = 0 with normal (0, -1, 1)/sqrt 2.
    Hit h = Cast(ramp, Vector3(0.5f, 0.0f, 10.0f), Vector3(0.5f, 0.0f, -10.0f));
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.z, 0.0f, 1e-5f);
    EXPECT_EQ(rampContacts, 1);
    ExpectNear(lastRampNormal, Vector3(0.0f, -0.70710678f, 0.70710678f), 1e-5f);
    // A miss tells nobody.
    EXPECT_FALSE(Cast(ramp, Vector3(3.0f, 0.0f, 10.0f), Vector3(3.0f, 0.0f, -10.0f)).hit);
    EXPECT_EQ(rampContacts, 1);
    SetRampContactListener(nullptr);
    EXPECT_TRUE(Cast(ramp, Vector3(0.5f, 0.0f, 10.0f), Vector3(0.5f, 0.0f, -10.0f)).hit);
    EXPECT_EQ(rampContacts, 1);
}
