#include "physics/ConstraintWorldPoint.h"

#include "core/DebugPrint.h"
#include "physics/RigidBody.h"

namespace {

const float kTolerance = 0.01f;
const float kMinCorrection = 0.01f;
const float kMinEffectiveMass = 1e-4f;

} // namespace

ConstraintWorldPoint::ConstraintWorldPoint(RigidBody* a, const Vector3& anchorA_, const Vector3& worldPoint_)
    : Constraint(a, anchorA_, nullptr, Vector3(), 0.0f), worldPoint(worldPoint_)
{
    DebugPrint("World point constraint created\n");
}

bool ConstraintWorldPoint::Solve(float h)
{
    if (!(h > 0.0f) || bodyA == nullptr) {
        return false;
    }
    const RigidBody& body = *bodyA;
    const Vector3 p = body.position + WorldAnchor(body, anchorA);
    const Vector3 r = p - body.position;
    const Vector3 v = PointVelocity(body, r);

    const Vector3 e = p - worldPoint;
    const float dist = e.Length();
    Vector3 correction;
    if (dist > kTolerance) {
        correction = -(e * (1.0f / dist)) * ((dist - kTolerance) / (4.0f * h));
    }
    const Vector3 d = v - correction;
    const float m = d.Length();
    if (m < kMinCorrection) {
        return false;
    }
    const Vector3 n = d * (1.0f / m);
    const float K = body.GetInverseMass() + AngularEffectiveMass(body, r, n);
    if (K < kMinEffectiveMass) {
        return false;
    }
    bodyA->ApplyImpulseAtPoint(n * (-m / K), p);
    return true;
}
