#include "physics/ConstraintPoint.h"

#include "core/DebugPrint.h"
#include "physics/RigidBody.h"

namespace {

const float kMinRelaxationTime = 1e-5f;
const float kMinCorrectionSquared = 1e-4f;
const float kMaxCorrection = 30.0f;
const float kMinEffectiveMass = 1e-4f;

} // namespace

ConstraintPoint::ConstraintPoint() : relaxation(0.0f) {}

ConstraintPoint::ConstraintPoint(RigidBody* a, const Vector3& anchorA_, RigidBody* b, const Vector3& anchorB_,
                                 float slack, float relaxation_)
    : Constraint(a, anchorA_, b, anchorB_, slack), relaxation(relaxation_)
{
    DebugPrint("Body-Body-Point constraint created\n");
}

void ConstraintPoint::Set(RigidBody* a, const Vector3& anchorA_, RigidBody* b, const Vector3& anchorB_, float slack,
                          float relaxation_)
{
    SetBodies(a, anchorA_, b, anchorB_, slack);
    relaxation = relaxation_;
}

void ConstraintPoint::Prepare(float h)
{
    if (bodyA == nullptr || bodyB == nullptr) {
        return;
    }
    const float slack = parameter;
    worldAnchorA = WorldAnchor(*bodyA, anchorA);
    worldAnchorB = WorldAnchor(*bodyB, anchorB);
    const Vector3 pointA = bodyA->position + worldAnchorA;
    const Vector3 pointB = bodyB->position + worldAnchorB;
    midpoint = (pointA + pointB) * 0.5f;
    const Vector3 gap = pointA - pointB;
    const float length = gap.Length();

    float T = relaxation > 0.0f ? relaxation : -relaxation * h;
    if (!(T >= kMinRelaxationTime)) {
        T = kMinRelaxationTime;
    }
    if (length > slack && length > 0.0f) {
        correctionVelocity = gap * (1.0f / length) * ((length - slack) / T);
    } else {
        correctionVelocity = Vector3();
    }
}

bool ConstraintPoint::Solve(float)
{
    if (!CanSolve()) {
        return false;
    }
    Vector3 d = correctionVelocity + RelativeVelocity(worldAnchorA, worldAnchorB);
    if (!(d.LengthSquared() > kMinCorrectionSquared)) {
        return false;
    }
    float m = d.Length();
    if (m > kMaxCorrection) {
        d *= kMaxCorrection / m;
        m = kMaxCorrection;
    }
    const Vector3 n = d * (1.0f / m);
    const float K = EffectiveMass(n, worldAnchorA, worldAnchorB);
    if (K < kMinEffectiveMass) {
        return false;
    }
    const Vector3 J = n * (-m / K);
    Vector3 angularA, angularB;
    Vector3::Cross(angularA, worldAnchorA, J);
    Vector3::Cross(angularB, worldAnchorB, -J);
    bodyA->ApplyLinearImpulse(J);
    bodyA->ApplyAngularImpulse(angularA);
    bodyB->ApplyLinearImpulse(-J);
    bodyB->ApplyAngularImpulse(angularB);

    RigidBody* frozen = nullptr;
    float sign = 0.0f;
    if (FrozenBodyToTakeBack(frozen, sign)) {
        const Vector3& arm = frozen == bodyA ? worldAnchorA : worldAnchorB;
        const Vector3 back = J * sign;
        Vector3 angularBack;
        Vector3::Cross(angularBack, arm, back);
        frozen->ApplyLinearImpulse(back);
        frozen->ApplyAngularImpulse(angularBack);
    }
    return true;
}
