#include <memory>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/ObjectController.h"

TEST(ObjectController, PushIsDirectionTimesStrengthTimesMassForOneStep)
{
    PhysicsWorld world;
    ObjectController controller(&world);
    EXPECT_EQ(controller.GetStrength(), 15.0f);
    EXPECT_FALSE(controller.IsEnabled());
    TestBall body(0.5f, 2.0f, Vector3());

    // Disabled: the request is dropped without a force.
    controller.SetObject(&body);
    controller.AddDirection(Vector3(1.0f, 0.0f, 0.0f));
    controller.Update(0.01f);
    EXPECT_EQ(body.force, Vector3());
    EXPECT_EQ(controller.GetDirection(), Vector3());

    controller.SetEnabled(true);
    controller.AddDirection(Vector3(0.5f, 0.0f, 0.0f));
    controller.AddDirection(Vector3(0.5f, 0.0f, 0.0f));
    controller.Update(0.01f);
    EXPECT_EQ(body.force, Vector3(30.0f, 0.0f, 0.0f));
    controller.Update(0.01f); // the direction lasts one update
    EXPECT_EQ(body.force, Vector3(30.0f, 0.0f, 0.0f));
}

TEST(ObjectController, PushingInTheWorldAcceleratesAndWakes)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    ObjectController controller(&world);
    world.AddController(&controller);
    TestBall pushed(0.5f, 2.0f, Vector3(0.0f, 0.0f, 5.0f));
    TestBall onTop(0.5f, 1.0f, Vector3(0.0f, 0.0f, 5.95f));
    world.AddBody(&pushed);
    world.AddBody(&onTop);
    for (RigidBody* body : {static_cast<RigidBody*>(&pushed), static_cast<RigidBody*>(&onTop)}) {
        body->restTimer = 2.0f;
        body->SetFreezeState(1, 1.0f);
    }
    world.DetectCollisions();

    controller.SetObject(&pushed);
    controller.SetEnabled(true);
    controller.AddDirection(Vector3(1.0f, 0.0f, 0.0f));
    world.Update(0.01f);
    EXPECT_FALSE(pushed.IsFrozen());
    // The ball resting on it is woken with it.
    EXPECT_FALSE(onTop.IsFrozen());
    // One step of force/mass = 15 units/s^2.
    EXPECT_NEAR(pushed.linearVelocity.x, 0.15f, 0.01f);
}

TEST(ObjectController, StageClearMakesItForgetItsBody)
{
    PhysicsWorld world;
    ObjectController controller(&world);
    world.AddController(&controller);
    auto body = std::make_unique<TestBall>(0.5f, 1.0f, Vector3());
    world.AddBody(body.get());
    controller.SetObject(body.get());
    controller.SetEnabled(true);

    world.Clear();
    body.reset(); // the World deletes the stage's objects
    EXPECT_EQ(controller.GetObject(), nullptr);
    EXPECT_FALSE(controller.IsEnabled());
    // Re-enabled without a new body, the next step writes nowhere.
    controller.SetEnabled(true);
    controller.AddDirection(Vector3(1.0f, 0.0f, 0.0f));
    world.Update(0.01f);
    ASSERT_EQ(world.GetControllers().size(), 1u);
}
