#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"

namespace {

// A record on the test ground with the contact point at the ball's centre, so
// the arm is zero and only the linear response is involved.
CollisionRecord GroundRecord(TestBall& ball, float depth)
{
    CollisionRecord record;
    record.dataA = &ball.data;
    record.heightmap = &gTestGround;
    record.normal = Vector3(0.0f, 0.0f, 1.0f);
    record.point = ball.position;
    record.depth = depth;
    return record;
}

// Two balls side by side along x, A on the right: the normal points at A.
CollisionRecord PairRecord(TestBall& a, TestBall& b)
{
    CollisionRecord record;
    record.dataA = &a.data;
    record.dataB = &b.data;
    record.normal = Vector3(1.0f, 0.0f, 0.0f);
    record.point = (a.position + b.position) * 0.5f;
    record.depth = 0.0f;
    return record;
}

void SetGround(float elasticity, float staticFriction, float dynamicFriction)
{
    gTestGround.elasticity = elasticity;
    gTestGround.staticFriction = staticFriction;
    gTestGround.dynamicFriction = dynamicFriction;
}

} // namespace

TEST(Contact, PreparationCombinesMaterialsAndCapsTheBias)
{
    PhysicsWorld world;
    SetGround(0.5f, 0.2f, 0.1f);
    TestBall ball(0.5f, 2.0f, Vector3(0.0f, 0.0f, 0.49f));
    ball.elasticity = 0.4f;
    ball.staticFriction = 0.6f;
    ball.dynamicFriction = 0.3f;

    CollisionRecord record = GroundRecord(ball, 0.01f);
    world.PrepareCollision(record, 0.01f);
    EXPECT_FLOAT_EQ(record.biasVelocity, 0.2f);
    EXPECT_FLOAT_EQ(record.elasticity, 0.2f);
    EXPECT_FLOAT_EQ(record.staticFriction, 0.4f);
    EXPECT_FLOAT_EQ(record.dynamicFriction, 0.2f);
    EXPECT_FLOAT_EQ(record.normalMass, 0.5f);

    record.depth = 1.0f;
    world.PrepareCollision(record, 0.01f);
    EXPECT_FLOAT_EQ(record.biasVelocity, 20.0f);
    record.depth = 2.0f;
    world.PrepareCollision(record, 0.01f);
    EXPECT_EQ(record.biasVelocity, 30.0f);

    // Off-centre contact: the rotational term n.((I (r x n)) x r) adds r^2 / I.
    TestBall other(0.5f, 1.0f, Vector3(-1.0f, 0.0f, 0.0f));
    TestBall a(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.0f));
    CollisionRecord pair = PairRecord(a, other);
    pair.point = Vector3(-0.5f, 0.5f, 0.0f);
    world.PrepareCollision(pair, 0.01f);
    const float I = 0.4f * 0.25f;
    EXPECT_FLOAT_EQ(pair.normalMass, 2.0f + 0.25f / I + 0.25f / I);
    EXPECT_EQ(pair.armA, Vector3(-0.5f, 0.5f, 0.0f));
    EXPECT_EQ(pair.armB, Vector3(0.5f, 0.5f, 0.0f));
}

TEST(Contact, CollisionModeBouncesWithTheCombinedRestitution)
{
    PhysicsWorld world;
    SetGround(0.5f, 0.0f, 0.0f);
    TestBall ball(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f));
    ball.elasticity = 1.0f;
    ball.linearVelocity = Vector3(0.0f, 0.0f, -2.0f);

    CollisionRecord record = GroundRecord(ball, 0.0f);
    world.PrepareCollision(record, 0.01f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_FLOAT_EQ(ball.linearVelocity.z, 1.0f);

    // Separating already: no impulse, no friction.
    ball.linearVelocity = Vector3(0.3f, 0.0f, 1.0f);
    EXPECT_FALSE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_EQ(ball.linearVelocity, Vector3(0.3f, 0.0f, 1.0f));

    // Contact mode: no bounce, but the penetration asks for its bias speed.
    ball.linearVelocity = Vector3(0.0f, 0.0f, -2.0f);
    record.depth = 0.01f;
    world.PrepareCollision(record, 0.01f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, true, 0.0f));
    EXPECT_FLOAT_EQ(ball.linearVelocity.z, 0.2f);
    EXPECT_FALSE(world.ResolveContact(record, 0.01f, true, 0.0f));
}

TEST(Contact, FrictionSticksBelowTheStaticLimitAndSlidesAboveIt)
{
    PhysicsWorld world;
    SetGround(0.0f, 0.6f, 0.4f);
    TestBall ball(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f));
    ball.staticFriction = 0.6f;
    ball.dynamicFriction = 0.4f;
    CollisionRecord record = GroundRecord(ball, 0.0f);
    world.PrepareCollision(record, 0.01f);

    // Normal impulse 1; stopping the slide needs 0.5 < 0.6 * 1: it sticks.
    ball.linearVelocity = Vector3(0.5f, 0.0f, -1.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_FLOAT_EQ(ball.linearVelocity.x, 0.0f);
    EXPECT_FLOAT_EQ(ball.linearVelocity.z, 0.0f);

    // Needing 0.7 > 0.6: it slides, losing dynamic friction * 1.
    ball.linearVelocity = Vector3(0.7f, 0.0f, -1.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_FLOAT_EQ(ball.linearVelocity.x, 0.3f);
}

TEST(Contact, FrozenBodyHitGentlyStaysAndTheHitterTakesTwice)
{
    PhysicsWorld world;
    TestBall a(0.5f, 1.0f, Vector3(1.0f, 0.0f, 0.0f));
    TestBall b(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.0f));
    a.elasticity = 1.0f;
    b.elasticity = 0.5f;
    b.restTimer = 2.0f;
    b.SetFreezeState(1, 1.0f);
    CollisionRecord record = PairRecord(a, b);
    record.point = Vector3(0.5f, 0.0f, 0.0f);
    world.PrepareCollision(record, 0.01f);

    // A approaches at 0.2: the frozen B would only reach 0.15, under its rest
    // speed, so B stays and A leaves at e * 0.2 as from an immovable wall.
    a.linearVelocity = Vector3(-0.2f, 0.0f, 0.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_EQ(b.linearVelocity, Vector3());
    EXPECT_FLOAT_EQ(a.linearVelocity.x, 0.1f);

    // The player's body (type 22) gets no doubled impulse.
    TestBall player(0.5f, 1.0f, Vector3(1.0f, 0.0f, 0.0f), 0, 22);
    player.elasticity = 1.0f;
    record.dataA = &player.data;
    world.PrepareCollision(record, 0.01f);
    player.linearVelocity = Vector3(-0.2f, 0.0f, 0.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_EQ(b.linearVelocity, Vector3());
    EXPECT_FLOAT_EQ(player.linearVelocity.x, -0.05f);

    // A hard hit sets the frozen body moving, and everything stands.
    record.dataA = &a.data;
    a.linearVelocity = Vector3(-2.0f, 0.0f, 0.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_FLOAT_EQ(b.linearVelocity.x, -1.5f);
    EXPECT_FLOAT_EQ(a.linearVelocity.x, -0.5f);
}

TEST(Contact, PenetrationMovesOnlyAnAwakeBodyAgainstSomethingThatStays)
{
    PhysicsWorld world;
    TestBall a(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.3f));
    TestBall b(0.5f, 1.0f, Vector3(-0.9f, 0.0f, 0.3f));
    std::vector<CollisionRecord>& records = world.GetRecordsForTest();
    records.push_back(GroundRecord(a, 0.2f));
    records.push_back(PairRecord(a, b));
    records[1].depth = 0.1f;
    a.data.recordIndices = {0, 1};
    b.data.recordIndices = {1};

    // Against the terrain: A moves up by 0.8 % of the depth and both of its
    // records shrink by the part of the move along their normals.
    world.ResolvePenetration(records[0], 0.008f);
    EXPECT_FLOAT_EQ(a.position.z, 0.3f + 0.0016f);
    EXPECT_FLOAT_EQ(records[0].depth, 0.2f - 0.0016f);
    EXPECT_FLOAT_EQ(records[1].depth, 0.1f);

    // Two awake movable bodies are left to the impulses.
    const Vector3 before = a.position;
    world.ResolvePenetration(records[1], 0.008f);
    EXPECT_EQ(a.position, before);

    // Against a frozen (or immovable) partner A is pushed out.
    b.restTimer = 2.0f;
    b.SetFreezeState(1, 1.0f);
    world.ResolvePenetration(records[1], 0.5f);
    EXPECT_FLOAT_EQ(a.position.x, 0.05f);
    EXPECT_FLOAT_EQ(records[1].depth, 0.05f);
    EXPECT_EQ(b.position, Vector3(-0.9f, 0.0f, 0.3f));

    // A frozen or immovable A never moves.
    a.SetImmovable(true);
    world.ResolvePenetration(records[0], 0.5f);
    EXPECT_FLOAT_EQ(a.position.z, 0.3f + 0.0016f);
}

TEST(Contact, TerrainRecordWithoutHeightmapHasNoMaterialButWorks)
{
    PhysicsWorld world;
    TestBall ball(0.5f, 1.0f, Vector3(0.0f, 0.0f, 0.5f));
    ball.elasticity = 1.0f;
    CollisionRecord record = GroundRecord(ball, 0.0f);
    record.heightmap = nullptr;
    world.PrepareCollision(record, 0.01f);
    EXPECT_EQ(record.elasticity, 0.0f);
    ball.linearVelocity = Vector3(0.0f, 0.0f, -1.0f);
    EXPECT_TRUE(world.ResolveContact(record, 0.01f, false, 0.0f));
    EXPECT_FLOAT_EQ(ball.linearVelocity.z, 0.0f);
}
