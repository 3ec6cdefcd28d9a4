#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "core/ConfigFile.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/ConstraintWorldPoint.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsController.h"
#include "physics/PhysicsSettings.h"

namespace {

class StepRecorder : public PhysicsController
{
public:
    void Update(float h) override { steps.push_back(h); }
    void OnWorldClear() override { ++clears; }

    std::vector<float> steps;
    int clears = 0;
};

} // namespace

TEST(WorldStepping, FixedStepsCarryTheLeftover)
{
    PhysicsWorld world;
    LoadTestConfig(world, {{"use_smaller_timestep", "false"}});
    StepRecorder recorder;
    world.AddController(&recorder);

    world.Update(0.035f);
    ASSERT_EQ(recorder.steps.size(), 3u);
    for (float h : recorder.steps) {
        EXPECT_EQ(h, 0.01f);
    }
    EXPECT_NEAR(world.GetLeftover(), 0.005f, 1e-6f);
    EXPECT_NEAR(world.GetSimulatedTime(), 0.03f, 1e-6f);

    // 0.006 + 0.005 carried: one more step, 0.001 left.
    world.Update(0.006f);
    EXPECT_EQ(recorder.steps.size(), 4u);
    EXPECT_NEAR(world.GetLeftover(), 0.001f, 1e-6f);

    // Too short for a step: everything is carried.
    world.Update(0.004f);
    EXPECT_EQ(recorder.steps.size(), 4u);
    EXPECT_NEAR(world.GetLeftover(), 0.005f, 1e-6f);
}

TEST(WorldStepping, SmallerTimestepStretchesTheStepsToTheFrame)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    StepRecorder recorder;
    world.AddController(&recorder);

    world.Update(0.005f);
    ASSERT_EQ(recorder.steps.size(), 1u);
    EXPECT_EQ(recorder.steps[0], 0.005f);
    EXPECT_EQ(world.GetLeftover(), 0.0f);

    recorder.steps.clear();
    world.Update(0.025f);
    ASSERT_EQ(recorder.steps.size(), 2u);
    EXPECT_EQ(recorder.steps[0], 0.0125f);

    // A long frame is cut to 0.1 s and the rest dropped, not carried.
    recorder.steps.clear();
    world.Update(0.5f);
    ASSERT_EQ(recorder.steps.size(), 10u);
    EXPECT_FLOAT_EQ(recorder.steps[0], 0.01f);
    EXPECT_LT(world.GetLeftover(), 1e-6f);

    // The time scale applies before the split.
    LoadTestConfig(world, {{"physics_time_scale", "0.5"}});
    recorder.steps.clear();
    world.Update(0.04f);
    ASSERT_EQ(recorder.steps.size(), 2u);
    EXPECT_FLOAT_EQ(recorder.steps[0], 0.01f);
}

TEST(WorldStepping, FreeBodyInTheWorldMatchesTheDiscreteSolution)
{
    PhysicsWorld world;
    LoadTestConfig(world, {{"physics_enable_freezing", "false"}});
    TestBall ball(0.5f, 2.0f, Vector3(0.0f, 0.0f, 50.0f));
    ball.linearVelocity = Vector3(1.0f, 0.0f, 3.0f);
    world.AddBody(&ball);
    const int frames = 150;
    for (int i = 0; i < frames; ++i) {
        world.Update(0.01f);
    }
    const double n = frames, h = 0.01, g = -9.81;
    EXPECT_NEAR(ball.linearVelocity.z, 3.0 + n * h * g, 1e-3);
    EXPECT_NEAR(ball.position.z, 50.0 + n * h * 3.0 + h * h * g * n * (n + 1) / 2, 1e-3);
    EXPECT_NEAR(ball.position.x, n * h, 1e-4);
}

TEST(WorldStepping, ZeroFrameTimeLeavesEverythingStill)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    gTestGroundEnabled = true;
    TestBall resting(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.45f)); // 0.05 into the ground
    TestBall hanging(0.1f, 1.0f, Vector3(3.0f, 0.0f, 4.0f));
    ConstraintWorldPoint pin(&hanging, Vector3(0.0f, 0.0f, 1.0f), Vector3(3.0f, 0.0f, 5.0f));
    ConstraintMaxDistance rope(&resting, Vector3(), &hanging, Vector3(), 5.0f);
    world.AddBody(&resting);
    world.AddBody(&hanging);
    world.AddConstraint(&pin);
    world.AddConstraint(&rope);
    StepRecorder recorder;
    world.AddController(&recorder);

    // The replay holds the world with a frame time of 0.
    for (int i = 0; i < 10; ++i) {
        world.Update(0.0f);
    }
    world.Step(0.0f);
    EXPECT_TRUE(recorder.steps.empty());
    EXPECT_EQ(resting.position, Vector3(0.0f, 0.0f, 0.45f));
    EXPECT_EQ(resting.linearVelocity, Vector3());
    EXPECT_EQ(hanging.linearVelocity, Vector3());
    EXPECT_EQ(world.GetSimulatedTime(), 0.0f);

    // Frame times that are not numbers or negative are dropped the same way.
    world.Update(NAN);
    world.Update(-0.02f);
    EXPECT_TRUE(recorder.steps.empty());
    EXPECT_EQ(world.GetLeftover(), 0.0f);
    world.Update(0.01f);
    EXPECT_EQ(recorder.steps.size(), 1u);
    EXPECT_TRUE(IsFinite(resting.position) && IsFinite(hanging.position));
}

TEST(WorldStepping, ABrokenBodyNeverReachesDetectionAsNaN)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world); // fails the test on a pose that is not finite
    TestBall ball(0.5f, 1.0f, Vector3(0.0f, 0.0f, 2.0f));
    TestBall other(0.5f, 1.0f, Vector3(3.0f, 0.0f, 2.0f));
    world.AddBody(&ball);
    world.AddBody(&other);
    ball.linearVelocity = Vector3(NAN, 0.0f, 0.0f);
    for (int i = 0; i < 5; ++i) {
        world.Update(0.01f);
    }
    EXPECT_TRUE(IsFinite(ball.position));
    EXPECT_TRUE(IsFinite(ball.linearVelocity));
    EXPECT_TRUE(IsFinite(ball.data.position));
}

TEST(WorldStepping, ListsAndStageClear)
{
    PhysicsWorld world;
    world.Clear(); // no controller yet: must not touch anything
    EXPECT_TRUE(world.GetControllers().empty());

    StepRecorder first, second;
    world.AddController(&first);
    world.AddController(&second);
    TestBall a(0.5f, 1.0f, Vector3()), b(0.5f, 1.0f, Vector3());
    world.AddBody(&a);
    world.AddBody(&b);
    world.AddBody(&a);
    ConstraintWorldPoint pin(&a, Vector3(), Vector3());
    world.AddConstraint(&pin);
    Heightmap ground;
    world.AddHeightmap(&ground);

    world.RemoveBody(&a); // the first entry only
    ASSERT_EQ(world.GetBodies().size(), 2u);
    EXPECT_EQ(world.GetBodies()[0], &b);
    EXPECT_EQ(world.GetBodies()[1], &a);
    world.RemoveBody(nullptr);
    EXPECT_EQ(world.GetBodies().size(), 2u);

    world.GetRecordsForTest().push_back(CollisionRecord());
    world.Clear();
    EXPECT_TRUE(world.GetBodies().empty());
    EXPECT_TRUE(world.GetConstraints().empty());
    EXPECT_TRUE(world.GetRecords().empty());
    ASSERT_EQ(world.GetControllers().size(), 1u);
    EXPECT_EQ(world.GetControllers()[0], &first);
    EXPECT_EQ(first.clears, 1);
    EXPECT_EQ(world.GetHeightmaps().size(), 1u);
    world.ClearHeightmaps();
    EXPECT_TRUE(world.GetHeightmaps().empty());
}

TEST(WorldStepping, SameInputsGiveBitIdenticalStates)
{
    auto run = [](std::vector<unsigned char>& state) {
        PhysicsWorld world;
        LoadTestConfig(world);
        InstallTestCollision(world);
        gTestGroundEnabled = true;
        gTestGround.elasticity = 0.3f;
        gTestGround.staticFriction = 0.5f;
        gTestGround.dynamicFriction = 0.3f;
        std::vector<std::unique_ptr<TestBall>> balls;
        for (int i = 0; i < 12; ++i) {
            const Vector3 p(0.37f * (i % 4), 0.41f * (i / 4), 0.6f + 0.9f * i);
            balls.push_back(std::make_unique<TestBall>(0.5f, 1.0f + 0.1f * i, p));
            balls.back()->elasticity = 0.2f;
            balls.back()->staticFriction = 0.5f;
            balls.back()->dynamicFriction = 0.3f;
            balls.back()->angularVelocity = Vector3(0.1f * i, 0.0f, 0.2f);
            world.AddBody(balls.back().get());
        }
        ConstraintMaxDistance rope(balls[0].get(), Vector3(0.0f, 0.0f, 0.5f), balls[5].get(), Vector3(), 3.0f);
        world.AddConstraint(&rope);
        for (int frame = 0; frame < 400; ++frame) {
            world.Update(frame % 3 == 0 ? 0.016f : 0.021f);
        }
        for (const auto& ball : balls) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&ball->position);
            state.insert(state.end(), bytes, bytes + sizeof(Vector3));
            bytes = reinterpret_cast<const unsigned char*>(&ball->GetOrientation());
            state.insert(state.end(), bytes, bytes + sizeof(Matrix3));
            bytes = reinterpret_cast<const unsigned char*>(&ball->linearVelocity);
            state.insert(state.end(), bytes, bytes + sizeof(Vector3));
            state.push_back(static_cast<unsigned char>(ball->freezeState));
        }
        return balls.back()->position;
    };
    std::vector<unsigned char> first, second;
    const Vector3 top = run(first);
    run(second);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size()), 0);
    // The stack really fell and came to rest on the ground.
    EXPECT_LT(top.z, 0.9f * 11 + 0.6f);
    EXPECT_GT(top.z, 0.0f);
}
