// The cart's hull (triangles, corners, face points, sampled edges and the grid
// cast from them), its segment test, and where a tire is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "CartTestSupport.h"

TEST(CartHull, TwelveOutwardTrianglesSixFaceCentresAndTwelveSampledEdges)
{
    PhysicsWorld world;
    MineCart cart(&world, true, false);
    // Front, left, right, rear, bottom, top: outward axis and plane offset.
    const Vector3 normals[6] = {Vector3(1, 0, 0),  Vector3(0, 1, 0),  Vector3(0, -1, 0),
                                Vector3(-1, 0, 0), Vector3(0, 0, -1), Vector3(0, 0, 1)};
    const float offsets[6] = {7.2f, 4.0f, 4.0f, 8.0f, 0.8f, 1.6f};
    const TriangleList& triangles = cart.GetTriangles();
    ASSERT_EQ(triangles.size(), 12u);
    for (size_t i = 0; i < triangles.size(); ++i) {
        ExpectNear(TriangleNormal(triangles[i]), normals[i / 2], 1e-6f);
        for (const Vector3& corner : {triangles[i].a, triangles[i].b, triangles[i].c}) {
            EXPECT_FLOAT_EQ(Vector3::Dot(corner, normals[i / 2]), offsets[i / 2]) << "triangle " << i;
        }
    }

    const BodyCollisionData& data = *cart.GetCollisionData();
    const Vector3 facePoints[6] = {Vector3(7.2f, 0, 0.4f), Vector3(-0.4f, 4, 0.4f), Vector3(-0.4f, -4, 0.4f),
                                   Vector3(-8, 0, 0.4f),   Vector3(-0.4f, 0, 1.6f), Vector3(-0.4f, 0, -0.8f)};
    ASSERT_EQ(data.samplePoints.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        ExpectNear(data.samplePoints[i], facePoints[i], 1e-5f);
    }
    ASSERT_EQ(data.vertexPoints.size(), 8u);
    EXPECT_EQ(data.vertexPoints[0], Vector3(7.2f, 4, -0.8f));
    EXPECT_EQ(data.vertexPoints[7], Vector3(-8, -4, 1.6f));
    // Twelve distinct box edges: corners that differ along one axis only.
    ASSERT_EQ(data.edges.size(), 12u);
    std::set<std::pair<int, int>> seen;
    for (const SampledEdge& e : data.edges) {
        const Vector3 d = data.vertexPoints[e.second] - data.vertexPoints[e.first];
        EXPECT_EQ((d.x != 0) + (d.y != 0) + (d.z != 0), 1) << e.first << "-" << e.second;
        EXPECT_EQ(e.count, 6);
        seen.insert(std::make_pair(std::min(e.first, e.second), std::max(e.first, e.second)));
    }
    EXPECT_EQ(seen.size(), 12u);

    // The grid knows inside from outside, also within its margin around the hull.
    const std::pair<Vector3, bool> probes[] = {{Vector3(-0.4f, 0, 0.4f), true},      {Vector3(6.5f, 3.5f, 1.2f), true},
                                               {Vector3(-7.5f, -3.5f, -0.5f), true}, {Vector3(0, 0, 1.68f), false},
                                               {Vector3(7.6f, 0, 0.4f), false},      {Vector3(0, -4.3f, 0.4f), false}};
    for (const auto& p : probes) {
        Vector3 normal;
        float depth = 0.0f;
        EXPECT_EQ(data.mesh.GetContact(p.first, normal, depth, false), p.second) << p.first.x << " " << p.first.z;
    }
}

TEST(CartHull, SegmentTestClipsAgainstTheHullFaces)
{
    const struct
    {
        const char* name;
        Vector3 start, end; // body space
        bool hit;
        float tEnter;
        Vector3 point;
    } cases[] = {
        {"through the front", Vector3(20, 0, 0.4f), Vector3(0, 0, 0.4f), true, 0.64f, Vector3(7.2f, 0, 0.4f)},
        {"down through the top", Vector3(0, 0, 10), Vector3(0, 0, -10), true, 0.42f, Vector3(0, 0, 1.6f)},
        {"in through the rear", Vector3(-20, 0, 0.4f), Vector3(20, 0, 0.4f), true, 0.3f, Vector3(-8, 0, 0.4f)},
        {"beside it", Vector3(20, 10, 0.4f), Vector3(0, 10, 0.4f), false, 0, Vector3()},
        {"stopping short", Vector3(20, 0, 0.4f), Vector3(10, 0, 0.4f), false, 0, Vector3()},
        {"parallel above the top", Vector3(-20, 0, 3), Vector3(20, 0, 3), false, 0, Vector3()},
        {"from inside", Vector3(0, 0, 0), Vector3(20, 0, 0), true, 0.0f, Vector3(0, 0, 0)},
    };
    PhysicsWorld world;
    MineCart cart(&world, true, false);
    Matrix3 yaw;
    cart.SetOrientation(Matrix3::RotationZ(yaw, 90.0f));
    cart.SetPosition(Vector3(10.0f, -20.0f, 5.0f));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float tEnter = -1.0f;
        float tExit = -1.0f;
        Vector3 point;
        ASSERT_EQ(cart.IntersectSegment(BodyToWorld(cart, c.start), BodyToWorld(cart, c.end), tEnter, tExit, point),
                  c.hit);
        if (c.hit) {
            EXPECT_NEAR(tEnter, c.tEnter, 1e-5f);
            ExpectNear(point, BodyToWorld(cart, c.point), 1e-4f);
        }
    }
}

TEST(CartHull, TireIsSpunThenSteeredThenCarriedByTheBody)
{
    PhysicsWorld world;
    MineCart cart(&world, true, false);
    // A quarter roll about x: body y to world z, body z to world -y.
    Matrix3 roll;
    cart.SetOrientation(Matrix3::FromAxisAngle(roll, 90.0f, Vector3(1, 0, 0)));
    cart.SetPosition(Vector3(100.0f, 200.0f, 300.0f));
    Wheel& wheel = *cart.GetWheel(MineCart::kFrontLeft);
    wheel.spinAngle = 90.0f;
    wheel.steerAngle = 90.0f;
    Vector3 position;
    Matrix3 orientation;
    wheel.ComputeTransform(&position, &orientation);
    ExpectNear(position, Vector3(103.2f, 200.8f, 304.32f), 1e-4f);
    // Tire x: spun to -z, left there by the steering, rolled to +y. Steering
    // first would have turned it to y, and the roll to +z.
    Vector3 row;
    ExpectNear(orientation.GetRow0(row), Vector3(0, 1, 0), 1e-5f);
    // The axle: kept by the spin, steered to -x, kept by the roll.
    ExpectNear(orientation.GetRow1(row), Vector3(-1, 0, 0), 1e-5f);
    ExpectNear(orientation.GetRow2(row), Vector3(0, 0, 1), 1e-5f);
    EXPECT_EQ(cart.GetWheel(MineCart::kWheelCount), nullptr);
}
