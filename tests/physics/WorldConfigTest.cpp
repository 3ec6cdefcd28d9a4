#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "core/ConfigFile.h"
#include "physics/PhysicsSettings.h"

namespace {

// Loads the usual file with one key replaced; returns what went to the error stream.
std::string LoadWith(PhysicsWorld& world, const std::string& key, const std::string& value)
{
    testing::internal::CaptureStderr();
    LoadTestConfig(world, {{key, value}});
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(WorldConfig, TheShippedFileLoadsWithoutComplaint)
{
    const std::string path = std::string(LV_SOURCE_DIR) + "/data/Config/Physics.cfg";
    bool ok = false;
    ConfigFile config(path, &ok);
    ASSERT_TRUE(ok);
    PhysicsWorld world;
    testing::internal::CaptureStderr();
    world.LoadConfig(config);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(world.GetStep(), 0.01f);
    EXPECT_EQ(world.GetTimeScale(), 1.0f);
    EXPECT_TRUE(world.UsesSmallerTimestep());
    EXPECT_EQ(world.GetCollisionIterations(), 5);
    EXPECT_EQ(world.GetContactIterations(), 10);
    EXPECT_EQ(world.GetPenetrationIterations(), 10);
    EXPECT_EQ(world.GetPenetrationResolveFraction(), 0.008f);
    EXPECT_FALSE(world.ReusesCollisions());
    EXPECT_TRUE(world.IsFreezingEnabled());
    EXPECT_EQ(world.GetPushStrength(), 15.0f);
    EXPECT_EQ(gPhysicsSettings.gravity, Vector3(0.0f, 0.0f, -9.81f));
    EXPECT_EQ(gPhysicsSettings.collisionSystem, 1u);
    EXPECT_TRUE(gPhysicsSettings.interpolateCollisionMesh);
    EXPECT_TRUE(gPhysicsSettings.useOneEdgeCollisionForHeightmap);
    EXPECT_FALSE(gPhysicsSettings.useOneEdgeCollisionForBody);

    // The shape keys keep the game's own spelling.
    int samples = 0;
    EXPECT_TRUE(config.GetValue<int>("prism_edge_sampes", samples));
    EXPECT_EQ(samples, 6);
}

TEST(WorldConfig, UnusableValuesKeepTheDefaultsAndAreReported)
{
    PhysicsWorld world;
    for (const char* frequency : {"0", "-50", "abc", "1e9", "nan", "5"}) {
        const std::string errors = LoadWith(world, "physics_freq", frequency);
        EXPECT_EQ(world.GetStep(), 0.01f) << frequency;
        EXPECT_NE(errors.find("physics_freq"), std::string::npos) << frequency;
        EXPECT_NE(errors.find("Failed in file: "), std::string::npos);
        EXPECT_NE(errors.find("On line: "), std::string::npos);
    }
    EXPECT_NE(LoadWith(world, "physics_time_scale", "-1").find("physics_time_scale"), std::string::npos);
    EXPECT_EQ(world.GetTimeScale(), 1.0f);
    LoadWith(world, "physics_time_scale", "0");
    EXPECT_EQ(world.GetTimeScale(), 1.0f);
    LoadWith(world, "physics_collision_iterations", "-5");
    EXPECT_EQ(world.GetCollisionIterations(), 5);
    LoadWith(world, "physics_contact_iterations", "100000");
    EXPECT_EQ(world.GetContactIterations(), 10);
    LoadWith(world, "physics_penetration_iterations", "0");
    EXPECT_EQ(world.GetPenetrationIterations(), 10);
    LoadWith(world, "physics_penetration_resolve_fraction", "2");
    EXPECT_EQ(world.GetPenetrationResolveFraction(), 0.008f);
    // A word that is no finite number, or more than a number, is no gravity.
    for (const char* gravity : {"-9.81", "nan", "1e99", "9.81abc"}) {
        const std::string errors = LoadWith(world, "physics_gravity", gravity);
        EXPECT_EQ(gPhysicsSettings.gravity, Vector3(0.0f, 0.0f, -9.81f)) << gravity;
        EXPECT_NE(errors.find("\"" + std::string(gravity) + "\" for \"physics_gravity\""), std::string::npos)
            << gravity << errors;
    }
    EXPECT_NE(LoadWith(world, "use_smaller_timestep", "maybe").find("use_smaller_timestep"), std::string::npos);
    EXPECT_TRUE(world.UsesSmallerTimestep());
    LoadWith(world, "physics_force_per_vel_per_mass", "-3");
    EXPECT_EQ(world.GetPushStrength(), 15.0f);

    // A missing key is named too.
    const std::string errors = LoadWith(world, "physics_contact_iterations", "");
    EXPECT_NE(errors.find("physics_contact_iterations"), std::string::npos);
    EXPECT_EQ(world.GetContactIterations(), 10);

    // Good values are taken as they are.
    EXPECT_EQ(LoadWith(world, "physics_freq", "50"), "");
    EXPECT_EQ(world.GetStep(), 0.02f);
    LoadWith(world, "physics_collision_system", "7");
    EXPECT_EQ(gPhysicsSettings.collisionSystem, 7u);
    LoadWith(world, "physics_enable_freezing", "false");
    EXPECT_FALSE(world.IsFreezingEnabled());
}

TEST(WorldConfig, AMissingFileLeavesTheDefaults)
{
    char folder[] = "/tmp/physics_cfg_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(folder), 0);

    PhysicsWorld world;
    testing::internal::CaptureStderr();
    const bool loaded = world.LoadConfig();
    const std::string errors = testing::internal::GetCapturedStderr();

    ASSERT_EQ(chdir(previous), 0);
    rmdir(folder);
    EXPECT_FALSE(loaded);
    EXPECT_NE(errors.find("Could not open ../Config/Physics.cfg"), std::string::npos);
    EXPECT_EQ(errors.find("has no value"), std::string::npos); // one line, not one per key
    EXPECT_EQ(world.GetStep(), 0.01f);
    EXPECT_EQ(world.GetSimulatedTime(), 0.0f);
}
