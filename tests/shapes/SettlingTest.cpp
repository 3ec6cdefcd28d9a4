// Whole-world behaviour with the detection installed: bodies come to rest on
// the terrain, friction holds or lets go on a slope, a stack stands.
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "objects/Box.h"
#include "objects/Ellipsoid.h"
#include "tests/collision/CollisionTestSupport.h"

namespace {

void Place(RigidBody& body, PhysicsWorld& world, const Vector3& position, float friction)
{
    body.SetPosition(position);
    body.staticFriction = friction;
    body.dynamicFriction = friction;
    body.UpdateBounds();
    world.AddBody(&body);
}

float UprightCosine(const RigidBody& body)
{
    // Row 2 of the orientation is the body's z axis in world space.
    return body.GetOrientation()(2, 2);
}

} // namespace

TEST(Settling, BoxAndSphereComeToRestUprightOnFlatGroundAndFreeze)
{
    CollisionTestWorld scene;
    auto ground = MakeFlatTerrain(0.0f);
    ground->staticFriction = ground->dynamicFriction = 0.6f;
    scene.world.AddHeightmap(ground.get());
    // Object 0 is the player's character, which never freezes: take that id.
    Object::ResetIdCounter();
    Object character;
    Box box(&scene.world, 2.0f, 2.0f, 2.0f, 10.0f);
    Ellipsoid sphere(&scene.world, 1.5f, 1.5f, 1.5f, 10, 9, 3.0f);
    Place(box, scene.world, Vector3(-5.0f, 0.0f, 3.0f), 0.6f);
    Place(sphere, scene.world, Vector3(5.0f, 0.0f, 3.0f), 0.6f);

    scene.Run(600);

    EXPECT_TRUE(box.IsFrozen());
    EXPECT_TRUE(sphere.IsFrozen());
    EXPECT_NEAR(box.position.z, 1.0f, 0.1f);
    EXPECT_NEAR(sphere.position.z, 0.75f, 0.1f);
    EXPECT_NEAR(box.position.x, -5.0f, 0.1f);
    EXPECT_NEAR(sphere.position.x, 5.0f, 0.1f);
    EXPECT_GT(UprightCosine(box), 0.999f);
    EXPECT_GT(UprightCosine(sphere), 0.99f);
}

namespace {

// A box released on a 30 degree slope along x; returns how far it went.
float SlideDistance(float friction)
{
    CollisionTestWorld scene;
    const float slope = std::tan(30.0f * 3.14159265f / 180.0f);
    const float diff = 4.0f;
    auto ground = MakeTerrain(33, 9, diff, -16.0f, -4.0f,
                              [slope, diff](int i, int) { return slope * (static_cast<float>(i) - 16.0f); });
    ground->staticFriction = ground->dynamicFriction = friction;
    scene.world.AddHeightmap(ground.get());
    Box box(&scene.world, 2.0f, 2.0f, 2.0f, 10.0f);
    Matrix3 tilt;
    Matrix3::RotationY(tilt, -30.0f);
    box.SetOrientation(tilt);
    // Centre one half-height (plus a hair) above the slope along its normal.
    const Vector3 start(0.0f, 0.0f, 1.0f / std::cos(30.0f * 3.14159265f / 180.0f) + 0.02f);
    Place(box, scene.world, start, friction);
    scene.Run(200);
    return (box.position - start).Length();
}

} // namespace

TEST(Settling, BoxSlidesOnASlopeOnlyWhenFrictionIsBelowIt)
{
    // tan 30 = 0.58: friction 0.2 cannot hold the box, 1.2 can.
    EXPECT_GT(SlideDistance(0.2f), 2.0f);
    EXPECT_LT(SlideDistance(1.2f), 0.15f);
}

TEST(Settling, StackOfBoxesStands)
{
    CollisionTestWorld scene;
    auto ground = MakeFlatTerrain(0.0f);
    ground->staticFriction = ground->dynamicFriction = 0.6f;
    scene.world.AddHeightmap(ground.get());
    std::vector<std::unique_ptr<Box>> stack;
    for (int k = 0; k < 4; ++k) {
        stack.push_back(std::make_unique<Box>(&scene.world, 2.0f, 2.0f, 2.0f, 10.0f));
        Place(*stack.back(), scene.world, Vector3(0.0f, 0.0f, 1.0f + 2.0f * static_cast<float>(k) + 0.01f), 0.6f);
    }
    scene.Run(500);
    for (size_t k = 0; k < stack.size(); ++k) {
        const Box& box = *stack[k];
        EXPECT_NEAR(box.position.x, 0.0f, 0.2f) << "box " << k;
        EXPECT_NEAR(box.position.y, 0.0f, 0.2f) << "box " << k;
        EXPECT_NEAR(box.position.z, 1.0f + 2.0f * static_cast<float>(k), 0.25f) << "box " << k;
        EXPECT_GT(UprightCosine(box), 0.99f) << "box " << k;
    }
}
