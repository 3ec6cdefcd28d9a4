// A wheel on the ground: the probe's compression, spring and damper, tire
// friction in the wheel's and the ground's frames, torques about the centre of
// mass; wheels that find no ground; the slip function.
#include <gtest/gtest.h>

#include "CartTestSupport.h"

TEST(WheelGround, SpringDamperAndTireFrictionOverFlatGround)
{
    struct Case
    {
        const char* name;
        float height; // of the attachment point above the ground
        float yaw;    // of the body, degrees
        Vector3 velocity, angularVelocity;
        float spinRate, steerAngle, compressionRate;
        bool onGround;
        float compression;
        Vector3 force;
        float frictionTorque, spinLimit;
    };
    // Compression = radius 1.6 - height; load = 3750 compression + 100 rate.
    // g(2) = 0.7 * 2 / 3, g(1) = 0.7 / 3, g beyond 3 is 0.7; grip 0.5.
    const float lon2 = 0.5f * 0.7f * 2.0f / 3.0f * 1500.0f; // 350
    const float lat1 = 0.5f * 0.7f / 3.0f * 1500.0f;        // 175
    const Vector3 none;
    const Case cases[] = {
        {"spring and damper", 1.2f, 0, none, none, 0, 0, 2, true, 0.4f, Vector3(0, 0, 1700), 0, 0},
        {"a damper pulling harder than the spring", 1.2f, 0, none, none, 0, 0, -20, true, 0.4f, none, 0, 0},
        {"rolling on a still wheel", 1.2f, 0, Vector3(2, 0, 0), none, 0, 0, 0, true, 0.4f, Vector3(-lon2, 0, 1500),
         1.6f * lon2, 1.25f},
        {"rolling at the wheel's own speed", 1.2f, 0, Vector3(8, 0, 0), none, 5, 0, 0, true, 0.4f, Vector3(0, 0, 1500),
         0, 0},
        {"sliding sideways", 1.2f, 0, Vector3(0, 1, 0), none, 0, 0, 0, true, 0.4f, Vector3(0, -lat1, 1500), 0, 0},
        {"steered a quarter turn", 1.2f, 0, Vector3(0, 2, 0), none, 0, 90, 0, true, 0.4f, Vector3(0, -lon2, 1500),
         1.6f * lon2, 1.25f},
        {"on a body turned a quarter turn", 1.2f, 90, Vector3(0, 2, 0), none, 0, 0, 0, true, 0.4f,
         Vector3(0, -lon2, 1500), 1.6f * lon2, 1.25f},
        {"turning moves the attachment point", 1.2f, 0, none, Vector3(0, 0, 1), 0, 0, 0, true, 0.4f,
         Vector3(525, 525, 1500), -1.6f * 525.0f, -4.32f / 1.6f},
        {"ground above the travel", -2.0f, 0, none, none, 0, 0, 0, true, 1.6f, Vector3(0, 0, 6000), 0, 0},
        {"ground above the probe's start", -3.5f, 0, none, none, 0, 0, 0, false, 0, none, 0, 0},
        {"ground beyond the probe's reach", 1.7f, 0, none, none, 0, 0, 0, false, 0, none, 0, 0},
    };
    const Vector3 offset(-4.0f, 4.32f, -0.8f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsWorld world;
        auto ground = MakeFlatTerrain(0.0f);
        world.AddHeightmap(ground.get());
        RigidBody body;
        Matrix3 yaw;
        body.SetOrientation(Matrix3::RotationZ(yaw, c.yaw));
        body.SetPosition(Vector3(1.0f, 2.0f, c.height - offset.z));
        body.linearVelocity = c.velocity;
        body.angularVelocity = c.angularVelocity;
        Wheel wheel(&body, &world, offset, Vector3(0, 0, 1), 3750.0f, 1.6f, 78.4f, 1.6f, 0.5f, 100.0f);
        wheel.spinRate = c.spinRate;
        wheel.steerAngle = c.steerAngle;
        wheel.compressionRate = c.compressionRate;
        wheel.compression = 0.25f;

        EXPECT_EQ(wheel.ApplyGroundForces(0.01f), c.onGround);
        EXPECT_EQ(wheel.onGround, c.onGround);
        EXPECT_FLOAT_EQ(wheel.previousCompression, 0.25f);
        EXPECT_NEAR(wheel.compression, c.compression, 1e-4f);
        ExpectNear(body.force, c.force, 0.5f);
        EXPECT_NEAR(wheel.frictionTorque, c.frictionTorque, 0.5f);
        EXPECT_NEAR(wheel.spinLimit, c.spinLimit, 1e-4f);
        // Every force acts at the attachment point.
        Vector3 lever;
        Vector3 leverTorque;
        Vector3::TimesMatrix3(lever, yaw, offset);
        ExpectNear(body.torque, Vector3::Cross(leverTorque, lever, body.force), 2.0f);
    }
}

TEST(WheelGround, NoWheelTouchesWithoutTerrainOrOnItsRoof)
{
    const struct
    {
        const char* name;
        bool terrain, onRoof;
        int wheelsOnGround;
    } cases[] = {{"upright", true, false, 4}, {"no terrain", false, false, 0}, {"on its roof", true, true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsWorld world;
        auto ground = MakeFlatTerrain(0.0f);
        if (c.terrain) {
            world.AddHeightmap(ground.get());
        }
        MineCart cart(&world, true, false);
        Matrix3 pose = Matrix3::Identity();
        cart.SetOrientation(c.onRoof ? Matrix3::FromAxisAngle(pose, 180.0f, Vector3(1, 0, 0)) : pose);
        // Upright at its rest height, or lying on its top.
        cart.SetPosition(Vector3(0.0f, 0.0f, c.onRoof ? 1.6f : 2.0f));
        cart.ApplyForces(0.01f);
        EXPECT_EQ(cart.CountWheelsOnGround(), c.wheelsOnGround);
        const float gravity = -9.81f * MineCart::kMass;
        EXPECT_EQ(cart.force.z == gravity, c.wheelsOnGround == 0) << cart.force.z;
    }
}

TEST(WheelGround, SlipFunctionRisesToAPeakThenSlides)
{
    const float cases[][2] = {{0.0f, 0.0f},         {0.1f, 0.1f / 3},        {0.2f, 0.2f / 3},
                              {0.3f, 0.85f * 0.1f}, {-0.3f, -0.085f},        {0.4f, 0.7f * 0.4f / 3},
                              {-1.0f, -0.7f / 3},   {2.9f, 0.7f * 2.9f / 3}, {3.0f, 0.7f},
                              {5.0f, 0.7f},         {-1e6f, -0.7f}};
    for (const auto& c : cases) {
        EXPECT_NEAR(SlipFriction(c[0]), c[1], 1e-6f) << "s = " << c[0];
    }
}
