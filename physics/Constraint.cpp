#include "physics/Constraint.h"

#include "physics/RigidBody.h"

Vector3 WorldAnchor(const RigidBody& body, const Vector3& anchor)
{
    Vector3 out;
    return Vector3::TimesMatrix3(out, body.GetOrientation(), anchor);
}

float AngularEffectiveMass(const RigidBody& body, const Vector3& r, const Vector3& n)
{
    Vector3 rn;
    Vector3::Cross(rn, r, n);
    Vector3 turned;
    Vector3::TimesMatrix3(turned, body.GetWorldInverseInertia(), rn);
    Vector3 back;
    Vector3::Cross(back, turned, r);
    return Vector3::Dot(n, back);
}

Vector3 PointVelocity(const RigidBody& body, const Vector3& r)
{
    Vector3 spin;
    Vector3::Cross(spin, body.angularVelocity, r);
    return body.linearVelocity + spin;
}

Constraint::Constraint() : active(true), bodyA(nullptr), bodyB(nullptr), parameter(0.0f) {}

Constraint::Constraint(RigidBody* a, const Vector3& anchorA_, RigidBody* b, const Vector3& anchorB_, float parameter_)
    : active(true), bodyA(a), anchorA(anchorA_), bodyB(b), anchorB(anchorB_), parameter(parameter_)
{}

void Constraint::Prepare(float) {}

void Constraint::SetBodies(RigidBody* a, const Vector3& anchorA_, RigidBody* b, const Vector3& anchorB_,
                           float parameter_)
{
    bodyA = a;
    anchorA = anchorA_;
    bodyB = b;
    anchorB = anchorB_;
    parameter = parameter_;
}

bool Constraint::CanSolve() const
{
    if (bodyA == nullptr || bodyB == nullptr) {
        return false;
    }
    return !(bodyA->IsFrozen() && bodyB->IsFrozen());
}

Vector3 Constraint::RelativeVelocity(const Vector3& worldAnchorA, const Vector3& worldAnchorB) const
{
    return PointVelocity(*bodyA, worldAnchorA) - PointVelocity(*bodyB, worldAnchorB);
}

float Constraint::EffectiveMass(const Vector3& n, const Vector3& worldAnchorA, const Vector3& worldAnchorB) const
{
    return bodyA->GetInverseMass() + bodyB->GetInverseMass() + AngularEffectiveMass(*bodyA, worldAnchorA, n) +
           AngularEffectiveMass(*bodyB, worldAnchorB, n);
}

bool Constraint::FrozenBodyToTakeBack(RigidBody*& body, float& sign) const
{
    if (bodyA->IsFrozen()) {
        body = bodyA;
        sign = -1.0f;
    } else if (bodyB->IsFrozen()) {
        body = bodyB;
        sign = 1.0f;
    } else {
        return false;
    }
    return !body->IsMoving();
}
