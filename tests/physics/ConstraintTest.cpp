#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/ConstraintPoint.h"
#include "physics/ConstraintWorldPoint.h"
#include "physics/HingeJoint.h"

namespace {

const float kDegrees = 57.29578f;

void Freeze(RigidBody& body)
{
    body.restTimer = 2.0f;
    body.SetFreezeState(1, 1.0f);
}

} // namespace

TEST(Constraint, RegisteredObjectsCannotBeCopiedOrMoved)
{
    static_assert(!std::is_copy_constructible<ConstraintMaxDistance>::value, "");
    static_assert(!std::is_move_constructible<ConstraintPoint>::value, "");
    static_assert(!std::is_copy_assignable<ConstraintWorldPoint>::value, "");
    static_assert(!std::is_copy_constructible<HingeJoint>::value, "");
    static_assert(!std::is_move_assignable<HingeJoint>::value, "");

    // The world pin keeps its point in a field of its own and has no body B.
    TestBall ball(0.5f, 1.0f, Vector3());
    ConstraintWorldPoint pin(&ball, Vector3(0.0f, 0.0f, 1.0f), Vector3(3.0f, 4.0f, 5.0f));
    EXPECT_EQ(pin.worldPoint, Vector3(3.0f, 4.0f, 5.0f));
    EXPECT_EQ(pin.bodyB, nullptr);
    EXPECT_TRUE(pin.active);
}

TEST(Constraint, MaxDistanceLinkOnlyActsWhenStretched)
{
    TestBall a(0.1f, 1.0f, Vector3(1.5f, 0.0f, 0.0f));
    TestBall b(0.1f, 1.0f, Vector3(0.0f, 0.0f, 0.0f));
    ConstraintMaxDistance link(&a, Vector3(), &b, Vector3(), 2.0f);

    a.linearVelocity = Vector3(-1.0f, 0.0f, 0.0f);
    link.Prepare(0.01f);
    EXPECT_FALSE(link.Solve(0.01f));
    EXPECT_EQ(a.linearVelocity, Vector3(-1.0f, 0.0f, 0.0f));

    // At full length and parting at 1 unit/s: the parting speed is removed,
    // shared by the equal masses.
    a.position = Vector3(2.0f, 0.0f, 0.0f);
    a.linearVelocity = Vector3(1.0f, 0.0f, 0.0f);
    link.Prepare(0.01f);
    EXPECT_TRUE(link.Solve(0.01f));
    EXPECT_NEAR(a.linearVelocity.x - b.linearVelocity.x, 0.0f, 1e-5f);
    EXPECT_NEAR(a.linearVelocity.x, 0.5f, 1e-5f);

    // A zero-length step gives no correction and no NaN.
    a.linearVelocity = Vector3(1.0f, 0.0f, 0.0f);
    EXPECT_FALSE(link.Solve(0.0f));
    EXPECT_EQ(a.linearVelocity, Vector3(1.0f, 0.0f, 0.0f));
}

TEST(Constraint, PointJointClosesTheGapOverThreeSubSteps)
{
    TestBall a(0.1f, 1.0f, Vector3(0.0f, 0.0f, 0.0f));
    TestBall b(0.1f, 1.0f, Vector3(0.105f, 0.0f, 0.0f));
    ConstraintPoint joint(&a, Vector3(), &b, Vector3(), 0.005f, -3.0f);
    joint.Prepare(0.01f);
    EXPECT_NEAR(joint.correctionVelocity.x, -0.1f / 0.03f, 1e-3f);
    EXPECT_TRUE(joint.Solve(0.01f));
    // Closing at (gap - slack) / (3 h).
    EXPECT_NEAR(a.linearVelocity.x - b.linearVelocity.x, 0.1f / 0.03f, 1e-3f);
    // Within the slack and at rest it does nothing.
    a.linearVelocity = b.linearVelocity = Vector3();
    b.position = Vector3(0.004f, 0.0f, 0.0f);
    joint.Prepare(0.01f);
    EXPECT_FALSE(joint.Solve(0.01f));

    // Two frozen bodies are left alone.
    b.position = Vector3(1.0f, 0.0f, 0.0f);
    Freeze(a);
    Freeze(b);
    joint.Prepare(0.01f);
    EXPECT_FALSE(joint.Solve(0.01f));
    EXPECT_EQ(a.linearVelocity, Vector3());
    EXPECT_EQ(b.linearVelocity, Vector3());

    // One frozen body that the correction would not set moving keeps still;
    // the awake partner keeps its share.
    b.SetFreezeState(0, 1.0f);
    b.position = Vector3(0.01f, 0.0f, 0.0f);
    joint.Prepare(0.01f);
    EXPECT_TRUE(joint.Solve(0.01f));
    EXPECT_EQ(a.linearVelocity, Vector3());
    EXPECT_LT(b.linearVelocity.x, 0.0f);
}

TEST(Constraint, WorldPinPullsItsAnchorBack)
{
    TestBall ball(0.1f, 1.0f, Vector3());
    ConstraintWorldPoint close(&ball, Vector3(), Vector3(0.0f, 0.0f, 0.005f));
    EXPECT_FALSE(close.Solve(0.01f));

    ConstraintWorldPoint far(&ball, Vector3(), Vector3(0.0f, 0.0f, 1.0f));
    EXPECT_FALSE(far.Solve(0.0f));
    EXPECT_EQ(ball.linearVelocity, Vector3());
    EXPECT_TRUE(far.Solve(0.01f));
    // (dist - 0.01) / (4 h), with no cap.
    EXPECT_NEAR(ball.linearVelocity.z, 0.99f / 0.04f, 1e-3f);
}

TEST(Constraint, PendulumOnARopeSwingsWithItsPeriod)
{
    PhysicsWorld world;
    LoadTestConfig(world, {{"physics_enable_freezing", "false"}});
    const float L = 1.0f;
    TestBall pivot(0.05f, 1.0f, Vector3(0.0f, 0.0f, 10.0f));
    pivot.SetImmovable(true);
    const float start = 5.0f / kDegrees;
    TestBall bob(0.05f, 1.0f, Vector3(L * std::sin(start), 0.0f, 10.0f - L * std::cos(start)));
    ConstraintMaxDistance rope(&pivot, Vector3(), &bob, Vector3(), L);
    world.AddBody(&pivot);
    world.AddBody(&bob);
    world.AddConstraint(&rope);

    const float h = 0.01f;
    std::vector<double> upCrossings;
    float longest = 0.0f;
    float previousX = bob.position.x;
    for (int i = 1; i <= 800; ++i) {
        world.Update(h);
        const float x = bob.position.x;
        if (previousX < 0.0f && x >= 0.0f) {
            upCrossings.push_back((i - 1 + previousX / (previousX - x)) * h);
        }
        previousX = x;
        longest = std::max(longest, (bob.position - pivot.position).Length());
    }
    ASSERT_GE(upCrossings.size(), 3u);
    const double period = (upCrossings.back() - upCrossings.front()) / (upCrossings.size() - 1);
    const double expected = 2.0 * M_PI * std::sqrt(L / 9.81) * (1.0 + start * start / 16.0);
    EXPECT_NEAR(period, expected, 0.002 * expected);
    EXPECT_LT(longest, L * 1.001f);
}

TEST(Constraint, HangingChainKeepsItsLinksTogether)
{
    PhysicsWorld world;
    LoadTestConfig(world, {{"physics_enable_freezing", "false"}});
    const int links = 6;
    std::vector<std::unique_ptr<TestBall>> bodies;
    std::vector<std::unique_ptr<ConstraintPoint>> joints;
    // Laid out flat, one unit per link, then dropped from the pin at x = 0.
    for (int i = 0; i < links; ++i) {
        bodies.push_back(std::make_unique<TestBall>(0.2f, 1.0f, Vector3(0.5f + i, 0.0f, 10.0f)));
        world.AddBody(bodies.back().get());
    }
    ConstraintWorldPoint pin(bodies[0].get(), Vector3(-0.5f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 10.0f));
    world.AddConstraint(&pin);
    for (int i = 0; i + 1 < links; ++i) {
        joints.push_back(std::make_unique<ConstraintPoint>(bodies[i].get(), Vector3(0.5f, 0.0f, 0.0f),
                                                           bodies[i + 1].get(), Vector3(-0.5f, 0.0f, 0.0f), 0.005f,
                                                           -3.0f));
        world.AddConstraint(joints.back().get());
    }

    float worstGap = 0.0f;
    for (int frame = 0; frame < 400; ++frame) {
        world.Update(0.01f);
        for (const auto& joint : joints) {
            const Vector3 pa = joint->bodyA->position + WorldAnchor(*joint->bodyA, joint->anchorA);
            const Vector3 pb = joint->bodyB->position + WorldAnchor(*joint->bodyB, joint->anchorB);
            worstGap = std::max(worstGap, (pa - pb).Length());
        }
    }
    EXPECT_LT(worstGap, 0.08f);
    for (const auto& joint : joints) {
        const Vector3 pa = joint->bodyA->position + WorldAnchor(*joint->bodyA, joint->anchorA);
        const Vector3 pb = joint->bodyB->position + WorldAnchor(*joint->bodyB, joint->anchorB);
        EXPECT_LT((pa - pb).Length(), 0.05f);
    }
    // It swung down from the pin and never stretched beyond its length.
    const RigidBody& last = *bodies.back();
    const Vector3 freeEnd = last.position + WorldAnchor(last, Vector3(0.5f, 0.0f, 0.0f));
    EXPECT_LT(last.position.z, 9.0f);
    EXPECT_LT((freeEnd - Vector3(0.0f, 0.0f, 10.0f)).Length(), links + 0.2f);
}

namespace {

// Turns a limb hinged at its own centre about x and reports the furthest
// angle reached, in degrees (positive is right-handed about the axis).
float FurthestHingeAngle(float spin, float maxAngle, float minAngle, bool* limited)
{
    PhysicsWorld world;
    LoadTestConfig(world, {{"physics_enable_freezing", "false"}, {"physics_gravity", "0"}});
    TestBall torso(0.5f, 10.0f, Vector3(0.0f, 0.0f, 0.0f));
    torso.SetImmovable(true);
    TestBall limb(0.5f, 1.0f, Vector3(0.0f, 0.0f, -1.0f));
    world.AddBody(&torso);
    world.AddBody(&limb);
    HingeJoint hinge;
    hinge.Setup(&world, &torso, &limb, Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, -1.0f), maxAngle, minAngle, 4.0f,
                0.3f, 0.0f);
    *limited = hinge.HasAngleLimit();
    limb.angularVelocity = Vector3(spin, 0.0f, 0.0f);
    float furthest = 0.0f;
    for (int frame = 0; frame < 300; ++frame) {
        world.Update(0.01f);
        Vector3 row1;
        limb.GetOrientation().GetRow1(row1);
        const float angle = std::atan2(row1.z, row1.y) * kDegrees;
        if (std::fabs(angle) > std::fabs(furthest)) {
            furthest = angle;
        }
    }
    return furthest;
}

} // namespace

TEST(Constraint, HingeStopsAtItsTwoLimits)
{
    bool limited = false;
    const float forward = FurthestHingeAngle(1.5f, 50.0f, 20.0f, &limited);
    EXPECT_TRUE(limited);
    EXPECT_NEAR(forward, 50.0f, 1.0f);
    const float backward = FurthestHingeAngle(-1.5f, 50.0f, 20.0f, &limited);
    EXPECT_NEAR(backward, -20.0f, 1.0f);

    // 150 degrees still has a limit; above that the hinge turns freely.
    FurthestHingeAngle(1.5f, 150.0f, 20.0f, &limited);
    EXPECT_TRUE(limited);
    const float free = FurthestHingeAngle(1.5f, 160.0f, 20.0f, &limited);
    EXPECT_FALSE(limited);
    EXPECT_GT(std::fabs(free), 100.0f);
}

TEST(Constraint, HingeRegistersItselfAndSwitchesAsOne)
{
    PhysicsWorld world;
    TestBall a(0.5f, 1.0f, Vector3());
    TestBall b(0.5f, 1.0f, Vector3(0.0f, 0.0f, -1.0f));
    HingeJoint hinge;
    hinge.Setup(&world, &a, &b, Vector3(0.0f, 2.0f, 0.0f), Vector3(0.0f, 0.0f, -0.5f), 50.0f, 20.0f, 4.0f, 0.3f, 0.5f);
    ASSERT_EQ(world.GetConstraints().size(), 4u);
    ASSERT_EQ(world.GetControllers().size(), 1u);
    EXPECT_EQ(world.GetControllers()[0], &hinge);
    EXPECT_EQ(hinge.axis, Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(hinge.pointJoint.anchorB, Vector3(0.0f, 0.0f, 0.5f));

    // Damping: equal and opposite torques along the axis, against the spin.
    b.angularVelocity = Vector3(0.0f, 2.0f, 0.0f);
    hinge.Update(0.01f);
    const float I = 0.4f * 0.25f;
    EXPECT_FLOAT_EQ(a.torque.y, 0.5f * 2.0f * I);
    EXPECT_FLOAT_EQ(b.torque.y, -0.5f * 2.0f * I);

    hinge.Disable();
    for (const Constraint* c : world.GetConstraints()) {
        EXPECT_FALSE(c->active);
    }
    a.torque = b.torque = Vector3();
    hinge.Update(0.01f);
    EXPECT_EQ(a.torque, Vector3());
    hinge.Enable();
    EXPECT_TRUE(hinge.angleLimit.active);
}
