#include <cmath>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/PhysicsSettings.h"

namespace {

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Vector3 Row(const Matrix3& m, int i)
{
    Vector3 row;
    return m.GetRow(row, i);
}

} // namespace

TEST(RigidBody, ConstructionLeavesAnInertBodyWithDefinedState)
{
    RigidBody body;
    EXPECT_EQ(body.GetMass(), 1e-30f);
    EXPECT_EQ(body.GetInverseMass(), 0.0f);
    EXPECT_EQ(body.GetInertia()(0, 0), 1e-30f);
    EXPECT_EQ(body.GetInertia()(2, 2), 1e-30f);
    EXPECT_EQ(body.GetWorldInverseInertia(), Matrix3());
    EXPECT_EQ(body.linearRestThreshold, 0.09f);
    EXPECT_EQ(body.angularRestThreshold, 0.12184696f);
    EXPECT_EQ(body.freezeDelay, 1.0f);
    EXPECT_TRUE(body.mayFreeze);
    EXPECT_TRUE(body.gravityEnabled);
    // The id slot is read by the rest timers for bodies that are not objects.
    EXPECT_EQ(*body.GetObjectId(), -1);
    EXPECT_EQ(body.GetType(), 0);

    // A body never given a mass does not respond to forces or impulses.
    body.force = Vector3(100.0f, 0.0f, 0.0f);
    body.torque = Vector3(0.0f, 100.0f, 0.0f);
    body.IntegrateVelocity(0.01f);
    body.ApplyImpulseAtPoint(Vector3(5.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(body.linearVelocity, Vector3());
    EXPECT_EQ(body.angularVelocity, Vector3());
}

TEST(RigidBody, ReciprocalsNeverDivideByZero)
{
    RigidBody body;
    body.SetMass(0.0f);
    EXPECT_EQ(body.GetMass(), 0.0f);
    EXPECT_EQ(body.GetInverseMass(), 1e-30f);
    body.SetMass(4.0f);
    EXPECT_EQ(body.GetInverseMass(), 0.25f);
    body.SetInverseMass(0.0f);
    EXPECT_EQ(body.GetMass(), 1e-30f);

    body.SetInertia(1.0f, 0.0f, 2.0f);
    EXPECT_EQ(body.GetInverseInertia(), Matrix3(1.0f, 0, 0, 0, 1e-30f, 0, 0, 0, 0.5f));
    body.SetInverseInertia(0.5f, -1.0f, 4.0f);
    EXPECT_EQ(body.GetInertia(), Matrix3(2.0f, 0, 0, 0, 1e-30f, 0, 0, 0, 0.25f));
}

TEST(RigidBody, ImmovableBodiesIgnoreImpulsesAndGetTheirMassBack)
{
    RigidBody body;
    body.SetMass(2.0f);
    body.SetInertia(1.0f, 2.0f, 4.0f);
    Matrix3 turned;
    Matrix3::RotationZ(turned, 30.0f);
    body.SetOrientation(turned);
    const Matrix3 movableWorldInverse = body.GetWorldInverseInertia();

    body.SetImmovable(true);
    body.SetImmovable(true); // twice must not forget the real mass
    EXPECT_EQ(body.GetInverseMass(), 0.0f);
    EXPECT_EQ(body.GetMass(), 1e-30f);
    EXPECT_EQ(body.GetInverseInertia(), Matrix3());
    // Contacts push on immovable walls at an offset: they must not spin up.
    EXPECT_EQ(body.GetWorldInverseInertia(), Matrix3());
    body.ApplyImpulseAtPoint(Vector3(3.0f, 1.0f, 0.0f), Vector3(0.0f, 2.0f, 1.0f));
    EXPECT_EQ(body.linearVelocity, Vector3());
    EXPECT_EQ(body.angularVelocity, Vector3());

    // The editor's "movable" toggle.
    body.SetImmovable(false);
    EXPECT_FALSE(body.immovable);
    EXPECT_EQ(body.GetMass(), 2.0f);
    EXPECT_EQ(body.GetInverseMass(), 0.5f);
    EXPECT_EQ(body.GetInverseInertia(), Matrix3(1.0f, 0, 0, 0, 0.5f, 0, 0, 0, 0.25f));
    EXPECT_EQ(body.GetWorldInverseInertia(), movableWorldInverse);
    body.ApplyLinearImpulse(Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(body.linearVelocity, Vector3(0.5f, 0.0f, 0.0f));
}

TEST(RigidBody, FreeBodyMatchesTheExactSemiImplicitEulerSequence)
{
    TestBall ball(0.5f, 3.0f, Vector3(1.0f, 2.0f, 100.0f));
    ball.linearVelocity = Vector3(2.0f, -1.0f, 5.0f);
    const float h = 0.01f;
    const int steps = 200;
    for (int i = 0; i < steps; ++i) {
        ball.ApplyForces(h);
        ball.IntegrateVelocity(h);
        ball.ClearForces();
        ball.IntegratePosition(h);
    }
    // v_n = v0 + n h g, p_n = p0 + n h v0 + h^2 g n (n + 1) / 2.
    const double g = -9.81, n = steps, hd = h;
    EXPECT_NEAR(ball.linearVelocity.z, 5.0 + n * hd * g, 1e-3);
    EXPECT_NEAR(ball.position.z, 100.0 + n * hd * 5.0 + hd * hd * g * n * (n + 1) / 2, 1e-3);
    EXPECT_NEAR(ball.position.x, 1.0 + n * hd * 2.0, 1e-4);
    EXPECT_EQ(ball.linearVelocity.x, 2.0f);
    // The pose copy for detection follows every move.
    EXPECT_EQ(ball.data.position, ball.position);
    EXPECT_EQ(ball.boundsUpdates, steps);
}

TEST(RigidBody, TorqueFreeRotationStaysOrthonormal)
{
    RigidBody body;
    body.SetMass(1.0f);
    body.SetInertia(1.0f, 1.0f, 1.0f);
    body.SetOrientation(Matrix3::Identity());

    // One step about z turns the x row towards (1, 0.01, 0), then rescales it.
    body.angularVelocity = Vector3(0.0f, 0.0f, 1.0f);
    body.IntegratePosition(0.01f);
    const float length = std::sqrt(1.0f + 0.0001f);
    ExpectNear(Row(body.GetOrientation(), 0), Vector3(1.0f / length, 0.01f / length, 0.0f), 1e-7f);

    body.angularVelocity = Vector3(0.3f, 1.2f, -2.0f);
    for (int i = 0; i < 5000; ++i) {
        body.IntegratePosition(0.01f);
    }
    Matrix3 product;
    Matrix3::MultiplyStatic(product, body.GetOrientationTranspose(), body.GetOrientation());
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(product(r, c), r == c ? 1.0f : 0.0f, 1e-5f);
        }
    }
    Vector3 cross;
    Vector3::Cross(cross, Row(body.GetOrientation(), 0), Row(body.GetOrientation(), 1));
    EXPECT_GT(Vector3::Dot(cross, Row(body.GetOrientation(), 2)), 0.9999f); // still right-handed
    EXPECT_EQ(body.angularVelocity, Vector3(0.3f, 1.2f, -2.0f));
}

TEST(RigidBody, BrokenStatesAreContained)
{
    RigidBody body;
    Matrix3 broken = Matrix3::Identity();
    broken.SetRow(0, Vector3(INFINITY, 0.0f, 0.0f));
    body.SetOrientation(broken);
    body.Orthonormalize();
    EXPECT_EQ(body.GetOrientation(), Matrix3::Identity());

    // A velocity that is not finite must not turn into a NaN position.
    TestBall ball(0.5f, 1.0f, Vector3(1.0f, 2.0f, 3.0f));
    ball.linearVelocity = Vector3(NAN, 0.0f, 0.0f);
    ball.angularVelocity = Vector3(0.0f, 1.0f, 0.0f);
    ball.IntegratePosition(0.01f);
    EXPECT_EQ(ball.position, Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(ball.linearVelocity, Vector3());
    EXPECT_EQ(ball.angularVelocity, Vector3());
    EXPECT_TRUE(IsFinite(ball.data.position));

    ball.linearVelocity = Vector3(0.0f, 0.0f, 1e30f);
    ball.IntegratePosition(0.01f);
    EXPECT_EQ(ball.position, Vector3(1.0f, 2.0f, 3.0f));
}

TEST(RigidBody, RestThresholdsAreStrict)
{
    RigidBody body;
    body.SetFreezeThresholds(0.5f, 90.0f);
    EXPECT_EQ(body.linearRestThreshold, 0.25f);
    EXPECT_FLOAT_EQ(body.angularRestThreshold, 1.5707964f * 1.5707964f);
    body.linearVelocity = Vector3(0.5f, 0.0f, 0.0f);
    EXPECT_FALSE(body.IsMoving());
    body.linearVelocity = Vector3(0.5001f, 0.0f, 0.0f);
    EXPECT_TRUE(body.IsMoving());
    body.SetRestScale(2.0f); // thresholds times 4
    body.linearVelocity = Vector3(0.0f, 0.99f, 0.0f);
    EXPECT_FALSE(body.IsMoving());
    body.linearVelocity = Vector3();
    body.angularVelocity = Vector3(0.0f, 0.0f, 3.2f);
    EXPECT_TRUE(body.IsMoving());
}

TEST(RigidBody, FreezingStopsAndWakingKeepsVelocities)
{
    TestBall ball(0.5f, 1.0f, Vector3());
    ball.linearVelocity = Vector3(0.1f, 0.0f, 0.0f);
    ball.angularVelocity = Vector3(0.0f, 0.1f, 0.0f);
    ball.restTimer = 1.01f;
    ball.SetFreezeState(1, 1.0f);
    EXPECT_TRUE(ball.IsFrozen());
    EXPECT_EQ(ball.linearVelocity, Vector3());
    EXPECT_EQ(ball.angularVelocity, Vector3());

    // Frozen: gravity and integration skip it, but detection still sees its pose.
    ball.ApplyForces(0.01f);
    EXPECT_EQ(ball.force, Vector3());
    ball.position = Vector3(5.0f, 0.0f, 0.0f);
    ball.linearVelocity = Vector3(1.0f, 0.0f, 0.0f);
    ball.IntegratePosition(0.01f);
    EXPECT_EQ(ball.position, Vector3(5.0f, 0.0f, 0.0f));
    EXPECT_EQ(ball.data.position, Vector3(5.0f, 0.0f, 0.0f));
    EXPECT_EQ(ball.boundsUpdates, 0);

    ball.SetFreezeState(0, 1.0f);
    EXPECT_FALSE(ball.IsFrozen());
    EXPECT_EQ(ball.restTimer, 0.0f);
    EXPECT_EQ(ball.linearVelocity, Vector3(1.0f, 0.0f, 0.0f));

    TestBall restless(0.5f, 1.0f, Vector3());
    restless.mayFreeze = false;
    restless.linearVelocity = Vector3(0.2f, 0.0f, 0.0f);
    restless.restTimer = 2.0f;
    restless.SetFreezeState(1, 1.0f);
    EXPECT_FALSE(restless.IsFrozen());
    EXPECT_EQ(restless.linearVelocity, Vector3(0.2f, 0.0f, 0.0f));
}

TEST(RigidBody, ImpulsesFollowTheMassProperties)
{
    RigidBody body;
    body.SetMass(2.0f);
    body.SetInertia(4.0f, 4.0f, 4.0f);
    body.SetOrientation(Matrix3::Identity());
    body.position = Vector3(1.0f, 0.0f, 0.0f);
    // J = (0, 2, 0) at one unit along x from the centre: v += J/m, w += (r x J)/I.
    body.ApplyImpulseAtPoint(Vector3(0.0f, 2.0f, 0.0f), Vector3(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(body.linearVelocity, Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(body.angularVelocity, Vector3(0.0f, 0.0f, 0.5f));

    gPhysicsSettings.gravity = Vector3(0.0f, 0.0f, -9.81f);
    body.ApplyGravity();
    EXPECT_EQ(body.force, Vector3(0.0f, 0.0f, -19.62f));
    body.gravityEnabled = false;
    body.ApplyGravity();
    EXPECT_EQ(body.force, Vector3(0.0f, 0.0f, -19.62f));
}

TEST(RigidBody, MovingAStillBodyRefreshesItsSamplePointsOnce)
{
    // Placed after its collision data was built at the origin, as the factory does.
    TestBall wall(0.5f, 1.0f, Vector3());
    wall.data.samplePoints = {Vector3(0.0f, 0.0f, -0.5f)};
    wall.data.UpdateWorldPoints();
    wall.SetImmovable(true);
    wall.SetPosition(Vector3(1.0f, 2.0f, 3.0f));
    wall.IntegratePosition(0.01f);
    ASSERT_EQ(wall.data.worldSamplePoints.size(), 1u);
    EXPECT_EQ(wall.data.worldSamplePoints[0], Vector3(1.0f, 2.0f, 2.5f));

    // A frozen body moved by the replay: turned a quarter about x.
    TestBall box(0.5f, 1.0f, Vector3());
    box.data.samplePoints = {Vector3(0.0f, 0.0f, -0.5f)};
    box.data.UpdateWorldPoints();
    box.restTimer = 2.0f;
    box.SetFreezeState(1, 1.0f);
    Matrix3 quarter;
    Matrix3::FromAxisAngle(quarter, 90.0f, Vector3(1.0f, 0.0f, 0.0f));
    box.SetOrientation(quarter);
    box.IntegratePosition(0.01f);
    EXPECT_NEAR(box.data.worldSamplePoints[0].y, 0.5f, 1e-6f);
    EXPECT_NEAR(box.data.worldSamplePoints[0].z, 0.0f, 1e-6f);
    EXPECT_EQ(box.boundsUpdates, 0);
}
