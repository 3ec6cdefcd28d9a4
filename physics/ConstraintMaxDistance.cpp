#include "physics/ConstraintMaxDistance.h"

#include "core/DebugPrint.h"
#include "physics/RigidBody.h"

namespace {

const float kMaxCorrection = 30.0f;
const float kMinCorrection = 0.001f;
const float kMinEffectiveMass = 1e-4f;

} // namespace

ConstraintMaxDistance::ConstraintMaxDistance() = default;

ConstraintMaxDistance::ConstraintMaxDistance(RigidBody* a, const Vector3& anchorA_, RigidBody* b,
                                             const Vector3& anchorB_, float maxDistance)
    : Constraint(a, anchorA_, b, anchorB_, maxDistance)
{
    DebugPrint("Body-Body-Max-Distance constraint created\n");
}

void ConstraintMaxDistance::Set(RigidBody* a, const Vector3& anchorA_, RigidBody* b, const Vector3& anchorB_,
                                float maxDistance)
{
    SetBodies(a, anchorA_, b, anchorB_, maxDistance);
}

void ConstraintMaxDistance::Prepare(float)
{
    if (bodyA == nullptr || bodyB == nullptr) {
        return;
    }
    worldAnchorA = WorldAnchor(*bodyA, anchorA);
    worldAnchorB = WorldAnchor(*bodyB, anchorB);
    const Vector3 pointA = bodyA->position + worldAnchorA;
    const Vector3 pointB = bodyB->position + worldAnchorB;
    midpoint = (pointA + pointB) * 0.5f;
    separation = pointA - pointB;
}

bool ConstraintMaxDistance::Solve(float h)
{
    // A zero-length step has no velocity that would keep the link.
    if (!(h > 0.0f) || !CanSolve()) {
        return false;
    }
    const float maxDistance = parameter;
    const Vector3 vrel = RelativeVelocity(worldAnchorA, worldAnchorB);
    const Vector3 predicted = separation + vrel * h;
    const float length = predicted.Length();
    if (!(length > 0.0f)) {
        return false;
    }
    const Vector3 target = length > maxDistance ? predicted * (maxDistance / length) : predicted;
    const Vector3 desired = (target - separation) * (1.0f / h);
    Vector3 d = vrel - desired;
    float m = d.Length();
    if (m > kMaxCorrection) {
        d *= kMaxCorrection / m;
        m = kMaxCorrection;
    } else if (!(m > kMinCorrection)) {
        return false;
    }
    const Vector3 n = d * (1.0f / m);
    const float K = EffectiveMass(n, worldAnchorA, worldAnchorB);
    if (K < kMinEffectiveMass) {
        return false;
    }
    const Vector3 impulse = n * (-m / K);
    bodyA->ApplyImpulseAtPoint(impulse, midpoint);
    bodyB->ApplyImpulseAtPoint(-impulse, midpoint);

    RigidBody* frozen = nullptr;
    float sign = 0.0f;
    if (FrozenBodyToTakeBack(frozen, sign)) {
        frozen->ApplyImpulseAtPoint(impulse * sign, midpoint);
    }
    return true;
}
