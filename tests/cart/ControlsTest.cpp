// The cart's controller step (easing, drive split, brake threshold, steering
// angles) and a wheel's spin update, each over a table of cases.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/PhysicsWorld.h"
#include "objects/MineCart.h"

namespace {

void Update(MineCart& cart, int steps, float h = 0.01f)
{
    for (int i = 0; i < steps; ++i) {
        cart.Update(h);
    }
}

} // namespace

TEST(CartControls, ThrottleAndSteeringEaseTowardsTheirTargetsAtFourPerSecond)
{
    struct Case
    {
        bool steer;
        float from, target, h;
        int steps; // sub-steps until the target is reached
    };
    const Case cases[] = {{false, 0.0f, 1.0f, 0.01f, 25},
                          {false, 1.0f, -1.0f, 0.01f, 50},
                          {false, 0.0f, 1.0f, 0.02f, 13},
                          {true, 0.3f, -0.3f, 0.01f, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.steer << ": " << c.from << " -> " << c.target << " at " << c.h);
        PhysicsWorld world;
        MineCart cart(&world, true, false);
        auto set = [&](float v) { c.steer ? cart.SetSteering(v) : cart.SetThrottle(v); };
        auto get = [&] { return c.steer ? cart.GetSteering() : cart.GetThrottle(); };
        set(c.from);
        Update(cart, 100);
        set(c.target);
        Update(cart, c.steps - 1, c.h);
        const float left = std::fabs(get() - c.target);
        EXPECT_TRUE(left > 1e-4f && left <= 4.0f * c.h + 1e-5f) << "one sub-step short: " << left;
        Update(cart, 1, c.h);
        EXPECT_FLOAT_EQ(get(), c.target);
        Update(cart, 5, c.h);
        EXPECT_FLOAT_EQ(get(), c.target) << "overshoot";
    }
}

TEST(CartControls, DriveSplitBrakeThresholdAndSteeringAngles)
{
    // Drive torque per unit of throttle on wheels 0 to 3 by driven axles.
    const struct
    {
        bool front, rear;
        float perWheel[4];
    } drives[] = {{true, false, {0, 0, 400, 400}}, {false, true, {400, 400, 0, 0}}, {true, true, {200, 200, 200, 200}}};
    for (const auto& d : drives) {
        PhysicsWorld world;
        MineCart cart(&world, d.front, d.rear);
        cart.SetThrottle(-1.0f);
        Update(cart, 30); // each step's drive waits in the wheel for the next spin update
        for (int i = 0; i < MineCart::kWheelCount; ++i) {
            EXPECT_FLOAT_EQ(cart.GetWheel(i)->driveTorque, -d.perWheel[i]) << d.front << d.rear << " wheel " << i;
        }
    }

    for (float brake : {0.5f, 0.51f}) {
        PhysicsWorld world;
        MineCart cart(&world, true, false);
        for (int i = 0; i < MineCart::kWheelCount; ++i) {
            cart.GetWheel(i)->spinRate = 5.0f;
        }
        cart.SetBrake(brake);
        Update(cart, 2);
        const bool locks = brake > 0.5f;
        for (int i = 0; i < MineCart::kWheelCount; ++i) {
            const bool rear = i == MineCart::kRearLeft || i == MineCart::kRearRight;
            EXPECT_EQ(cart.GetWheel(i)->braked, rear && locks) << brake << " wheel " << i;
            EXPECT_EQ(cart.GetWheel(i)->spinRate, rear && locks ? 0.0f : 5.0f) << brake << " wheel " << i;
        }
    }

    // The outer angle, atan2(8.64, 8.64 / tan(inner) + 7.2), worked out by hand.
    const struct
    {
        float steering, frontLeft, frontRight;
    } steers[] = {{0.0f, 0.0f, 0.0f}, {0.3f, 9.0f, 7.96496f}, {-0.3f, -7.96496f, -9.0f}, {1.0f, 30.0f, 21.29609f}};
    for (const auto& s : steers) {
        PhysicsWorld world;
        MineCart cart(&world, true, false);
        cart.SetSteering(s.steering);
        Update(cart, 30);
        EXPECT_NEAR(cart.GetWheel(MineCart::kFrontLeft)->steerAngle, s.frontLeft, 1e-4f) << s.steering;
        EXPECT_NEAR(cart.GetWheel(MineCart::kFrontRight)->steerAngle, s.frontRight, 1e-4f) << s.steering;
        EXPECT_EQ(cart.GetWheel(MineCart::kRearLeft)->steerAngle, 0.0f);
    }
}

TEST(WheelSpin, UpdateSpinBrakesLimitsDrivesAndClamps)
{
    struct Case
    {
        const char* name;
        bool braked;
        float spin, friction, drive, limit, h;
        float expectedSpin, expectedFriction, expectedDrive;
    };
    // Inertia 78.4 and h 0.01: a torque of 784 adds 0.1 rad/s.
    const Case cases[] = {
        {"braked: stopped, the pull dropped, the drive kept", true, 5, 784, 784, 0, 0.01f, 0, 0, 784},
        {"ground and drive both add", false, 1, 784, 784, 10, 0.01f, 1.2f, 0, 0},
        {"slowed across the limit: held at it", false, 1, -784, 0, 0.95f, 0.01f, 0.95f, 0, 0},
        {"sped up across a negative limit", false, -1, 784, 0, -0.95f, 0.01f, -0.95f, 0, 0},
        {"short of the limit: untouched", false, 1, -784, 0, 0.5f, 0.01f, 0.9f, 0, 0},
        {"the drive comes after the limit", false, 1, -784, 784, 0.95f, 0.01f, 1.05f, 0, 0},
        {"clamped at +100", false, 99.95f, 0, 784, 0, 0.01f, 100, 0, 0},
        {"clamped at -100", false, -99.95f, 0, -784, 0, 0.01f, -100, 0, 0},
        {"no time at h 0", false, 3, 784, 784, 0, 0.0f, 3, 784, 784},
        {"nor at a negative h", true, 3, 784, 784, 0, -0.01f, 3, 784, 784},
    };
    RigidBody body;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wheel wheel(&body, nullptr, Vector3(), Vector3(0, 0, 1), 3750.0f, 1.6f, 78.4f, 1.6f, 0.5f, 100.0f);
        wheel.braked = c.braked;
        wheel.spinRate = c.spin;
        wheel.frictionTorque = c.friction;
        wheel.driveTorque = c.drive;
        wheel.spinLimit = c.limit;
        wheel.compression = 0.5f;
        wheel.previousCompression = 0.4f;
        wheel.compressionRate = 7.0f;
        wheel.UpdateSpin(c.h);
        EXPECT_NEAR(wheel.spinRate, c.expectedSpin, 1e-4f);
        EXPECT_FLOAT_EQ(wheel.frictionTorque, c.expectedFriction);
        EXPECT_FLOAT_EQ(wheel.driveTorque, c.expectedDrive);
        const bool ran = c.h > 0.0f;
        EXPECT_NEAR(wheel.compressionRate, ran ? 10.0f : 7.0f, 1e-3f);
        EXPECT_NEAR(wheel.spinAngle, ran && !c.braked ? c.h * c.expectedSpin * 57.2957795f : 0.0f, 1e-3f);
        wheel.Reset();
        EXPECT_TRUE(wheel.spinRate == 0.0f && wheel.spinAngle == 0.0f && wheel.spinLimit == 0.0f);
    }
}
