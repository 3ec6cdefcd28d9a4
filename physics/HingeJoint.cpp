#include "physics/HingeJoint.h"

#include <cmath>

#include "core/MathConstants.h"
#include "core/Matrix3.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

const float kPointSlack = 0.005f;
const float kPointRelaxation = -3.0f; // three sub-steps
const float kLargestLimitedAngle = 150.0f;
const float kArmEndFactor = 10.0f;

// A world offset expressed in the body's own frame.
Vector3 ToBodyFrame(const RigidBody& body, const Vector3& worldOffset)
{
    Vector3 out;
    return Vector3::TimesMatrix3(out, body.GetOrientationTranspose(), worldOffset);
}

Vector3 ToWorldAxes(const RigidBody& body, const Vector3& bodyVector)
{
    Vector3 out;
    return Vector3::TimesMatrix3(out, body.GetOrientation(), bodyVector);
}

} // namespace

HingeJoint::HingeJoint() : active(true), bodyA(nullptr), bodyB(nullptr), damping(0.0f), angleLimitUsed(false) {}

// The anchors are converted from world offsets into each body's frame, so the
// hinge is right whatever the bodies' orientations are when it is set up (for
// bodies set up unrotated this is the plain offset).
void HingeJoint::Setup(PhysicsWorld* world, RigidBody* a, RigidBody* b, const Vector3& axis_,
                       const Vector3& hingeOffset_, float maxAngle, float minAngle, float armLength,
                       float armSlackFactor, float damping_)
{
    if (a == nullptr || b == nullptr) {
        return;
    }
    bodyA = a;
    bodyB = b;
    axis = axis_;
    axis.Normalize();
    damping = damping_;
    hingeOffset = hingeOffset_;

    const Vector3 hingePoint = a->position + hingeOffset;
    const Vector3 worldAxis = ToWorldAxes(*a, axis);
    const Vector3 anchorA = ToBodyFrame(*a, hingeOffset);
    const Vector3 anchorB = ToBodyFrame(*b, hingePoint - b->position);

    pointJoint.Set(a, anchorA, b, anchorB, kPointSlack, kPointRelaxation);

    const float sides[2] = {armLength, -armLength};
    for (int i = 0; i < 2; ++i) {
        axisLinks[i].Set(a, anchorA + axis * sides[i], b, anchorB + ToBodyFrame(*b, worldAxis * sides[i]),
                         armLength * armSlackFactor);
    }

    angleLimitUsed = !(maxAngle > kLargestLimitedAngle);
    if (angleLimitUsed) {
        const Vector3 reference = worldAxis.z > 0.1f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(0.0f, 0.0f, 1.0f);
        Vector3 across, perp;
        Vector3::Cross(across, worldAxis, reference);
        Vector3::Cross(perp, across, worldAxis);
        perp.Normalize();
        const float R = kArmEndFactor * armLength;
        const Vector3 armEndA = hingePoint + perp * R;
        Matrix3 turn;
        Matrix3::FromAxisAngle(turn, -(maxAngle - minAngle) / 2.0f, worldAxis);
        Vector3 turned;
        Vector3::TimesMatrix3(turned, turn, perp * R);
        const Vector3 armEndB = hingePoint + turned;
        const float halfSpanRadians = DegreesToRadians((maxAngle + minAngle) / 4.0f);
        angleLimit.Set(a, ToBodyFrame(*a, armEndA - a->position), b, ToBodyFrame(*b, armEndB - b->position),
                       2.0f * R * std::sin(halfSpanRadians));
    }

    if (world != nullptr) {
        world->AddConstraint(&pointJoint);
        world->AddConstraint(&axisLinks[0]);
        world->AddConstraint(&axisLinks[1]);
        if (angleLimitUsed) {
            world->AddConstraint(&angleLimit);
        }
        world->AddController(this);
    }
}

void HingeJoint::Update(float)
{
    if (!active || bodyA == nullptr || bodyB == nullptr) {
        return;
    }
    const Vector3 a = ToWorldAxes(*bodyA, axis);
    Vector3 LA, LB;
    Vector3::TimesMatrix3(LA, bodyA->GetWorldInertia(), bodyA->angularVelocity);
    Vector3::TimesMatrix3(LB, bodyB->GetWorldInertia(), bodyB->angularVelocity);
    const Vector3 T = a * (damping * (Vector3::Dot(LB, a) - Vector3::Dot(LA, a)));
    if (IsVectorValid(T)) {
        bodyA->torque += T;
        bodyB->torque -= T;
    }
}

void HingeJoint::Enable()
{
    SetAllActive(true);
}

void HingeJoint::Disable()
{
    SetAllActive(false);
}

void HingeJoint::SetAllActive(bool flag)
{
    active = flag;
    pointJoint.active = flag;
    axisLinks[0].active = flag;
    axisLinks[1].active = flag;
    angleLimit.active = flag;
}
