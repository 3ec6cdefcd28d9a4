#include <memory>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"

namespace {

void Freeze(RigidBody& body)
{
    body.restTimer = 2.0f;
    body.SetFreezeState(1, 1.0f);
}

// Balls of radius 0.5 stacked on the ground, each sinking 0.05 into the one below.
std::vector<std::unique_ptr<TestBall>> Tower(PhysicsWorld& world, int count)
{
    std::vector<std::unique_ptr<TestBall>> balls;
    for (int i = 0; i < count; ++i) {
        balls.push_back(std::make_unique<TestBall>(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f + 0.95f * i)));
        world.AddBody(balls.back().get());
    }
    return balls;
}

int FrameOfFreezing(PhysicsWorld& world, const RigidBody& body, int frames)
{
    for (int frame = 1; frame <= frames; ++frame) {
        world.Update(0.01f);
        if (body.IsFrozen()) {
            return frame;
        }
    }
    return -1;
}

} // namespace

TEST(Freezing, RestingBodiesFreezeAfterTheDelayExceptObjectZero)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    gTestGroundEnabled = true;
    gTestGround = Heightmap();
    TestBall box(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f));
    TestBall player(0.5f, 1.0f, Vector3(5.0f, 0.0f, 0.5f), 0);
    TestBall restless(0.5f, 1.0f, Vector3(10.0f, 0.0f, 0.5f));
    restless.mayFreeze = false;
    RigidBody particle; // no object id of its own: the id slot is -1
    world.AddBody(&box);
    world.AddBody(&player);
    world.AddBody(&restless);
    world.AddBody(&particle);

    const int frame = FrameOfFreezing(world, box, 200);
    EXPECT_GE(frame, 100);
    EXPECT_LE(frame, 102);
    EXPECT_TRUE(particle.IsFrozen());
    EXPECT_EQ(box.linearVelocity, Vector3());

    const Vector3 frozenAt = box.position;
    for (int i = 0; i < 200; ++i) {
        world.Update(0.01f);
    }
    EXPECT_EQ(box.position, frozenAt);
    EXPECT_TRUE(box.IsFrozen());
    EXPECT_FALSE(player.IsFrozen());
    EXPECT_FALSE(restless.IsFrozen());
    EXPECT_NEAR(player.position.z, 0.5f, 0.05f); // held up by the ground all along
}

TEST(Freezing, WakingABodyWakesWhatRestsOnItButNotWhatItRestsOn)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    std::vector<std::unique_ptr<TestBall>> tower = Tower(world, 4);
    TestBall beside(0.5f, 1.0f, Vector3(5.0f, 0.0f, 0.5f));
    world.AddBody(&beside);
    for (const auto& ball : tower) {
        Freeze(*ball);
    }
    Freeze(beside);

    world.DetectCollisions();
    const size_t dataBefore = world.GetCollisionDataList().size();
    world.WakeBody(tower[1].get());
    EXPECT_TRUE(tower[0]->IsFrozen());
    EXPECT_FALSE(tower[1]->IsFrozen());
    EXPECT_FALSE(tower[2]->IsFrozen());
    EXPECT_FALSE(tower[3]->IsFrozen());
    EXPECT_TRUE(beside.IsFrozen());
    // Each woken body joins the detection list and brings its contacts.
    EXPECT_EQ(world.GetCollisionDataList().size(), dataBefore + 3);
    EXPECT_FALSE(world.GetRecords().empty());

    // Waking an awake or an immovable body does nothing.
    beside.SetImmovable(true);
    world.WakeBody(&beside);
    EXPECT_TRUE(beside.IsFrozen());
}

TEST(Freezing, LongWakeChainsSurviveTheRecordListGrowing)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    std::vector<std::unique_ptr<TestBall>> tower = Tower(world, 40);
    for (const auto& ball : tower) {
        Freeze(*ball);
    }
    world.DetectCollisions();
    // No spare room: every wake below reallocates the list being walked.
    world.GetRecordsForTest().shrink_to_fit();
    world.WakeBody(tower[0].get());
    for (const auto& ball : tower) {
        EXPECT_FALSE(ball->IsFrozen());
    }
    EXPECT_GE(world.GetRecords().size(), 39u);
}

TEST(Freezing, FrozenBodiesWakeWhenMovedAndStayPutOtherwise)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    TestBall nudged(0.5f, 1.0f, Vector3(0.0f, 0.0f, 3.0f));
    TestBall brushed(0.5f, 1.0f, Vector3(5.0f, 0.0f, 3.0f));
    world.AddBody(&nudged);
    world.AddBody(&brushed);
    Freeze(nudged);
    Freeze(brushed);
    nudged.linearVelocity = Vector3(1.0f, 0.0f, 0.0f);
    brushed.linearVelocity = Vector3(0.1f, 0.0f, 0.0f);
    world.UpdateFrozenBodies();
    EXPECT_FALSE(nudged.IsFrozen());
    EXPECT_EQ(nudged.linearVelocity, Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(brushed.IsFrozen());
    EXPECT_EQ(brushed.linearVelocity, Vector3());

    // Switching freezing off wakes everything and keeps the velocities.
    brushed.linearVelocity = Vector3(0.1f, 0.0f, 0.0f);
    world.SetFreezing(false);
    EXPECT_FALSE(brushed.IsFrozen());
    EXPECT_EQ(brushed.linearVelocity, Vector3(0.1f, 0.0f, 0.0f));
}

TEST(Freezing, TouchListWakesFrozenPartnersOnceTheBodyMovesAway)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    gTestGroundEnabled = false;
    TestBall mover(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.0f));
    TestBall resting(0.5f, 1.0f, Vector3(0.95f, 0.0f, 0.0f));
    world.AddBody(&mover);
    world.AddBody(&resting);
    Freeze(resting);

    world.DetectCollisions();
    ASSERT_EQ(world.GetRecords().size(), 1u);
    world.FreezeStage();
    ASSERT_EQ(mover.touchedFrozen.size(), 1u);
    EXPECT_EQ(mover.touchReference, Vector3());
    world.FreezeStage(); // no duplicates
    EXPECT_EQ(mover.touchedFrozen.size(), 1u);

    mover.position = Vector3(-0.2f, 0.0f, 0.0f); // 0.04 squared: not yet
    world.FreezeStage();
    EXPECT_TRUE(resting.IsFrozen());
    mover.position = Vector3(-0.23f, 0.0f, 0.0f);
    world.FreezeStage();
    EXPECT_FALSE(resting.IsFrozen());
    EXPECT_TRUE(mover.touchedFrozen.empty());

    // A body removed from the world leaves no touch list pointing at it.
    Freeze(resting);
    world.DetectCollisions();
    world.FreezeStage();
    ASSERT_EQ(mover.touchedFrozen.size(), 1u);
    world.RemoveBody(&resting);
    EXPECT_TRUE(mover.touchedFrozen.empty());
    gTestGroundEnabled = true;
}

TEST(Freezing, ABallDroppedOnAFrozenBodyWakesItAndBothSettleAgain)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    gTestGroundEnabled = true;
    gTestGround = Heightmap();
    TestBall base(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f));
    world.AddBody(&base);
    ASSERT_GT(FrameOfFreezing(world, base, 200), 0);

    TestBall dropped(0.5f, 1.0f, Vector3(0.0f, 0.0f, 3.0f));
    world.AddBody(&dropped);
    bool woken = false;
    for (int frame = 0; frame < 100 && !woken; ++frame) {
        world.Update(0.01f);
        woken = !base.IsFrozen();
    }
    EXPECT_TRUE(woken);

    for (int frame = 0; frame < 600; ++frame) {
        world.Update(0.01f);
    }
    EXPECT_TRUE(base.IsFrozen());
    EXPECT_TRUE(dropped.IsFrozen());
    EXPECT_NEAR(base.position.z, 0.5f, 0.05f);
    EXPECT_NEAR(dropped.position.z, 1.5f, 0.1f);
}
