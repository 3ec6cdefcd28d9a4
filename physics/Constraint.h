// Impulse constraints between two bodies, or a body and a fixed world point.
// The world prepares every active constraint once per stage and solves it once
// per pass; a Solve that applied an impulse returns true and keeps the pass
// loop going. Anchors are in the bodies' own frames.
#pragma once

#include "core/Vector3.h"

class RigidBody;

class Constraint
{
public:
    Constraint();
    Constraint(RigidBody* bodyA, const Vector3& anchorA, RigidBody* bodyB, const Vector3& anchorB, float parameter);
    virtual ~Constraint() = default;

    // The world holds constraints by pointer: copying or moving one after it
    // is registered would leave the world with a dangling entry.
    Constraint(const Constraint&) = delete;
    Constraint& operator=(const Constraint&) = delete;

    virtual void Prepare(float h);
    virtual bool Solve(float h) = 0;

    bool active;
    RigidBody* bodyA;
    Vector3 anchorA;
    RigidBody* bodyB;
    Vector3 anchorB;
    float parameter;

protected:
    void SetBodies(RigidBody* a, const Vector3& anchorA, RigidBody* b, const Vector3& anchorB, float parameter);

    // Shared by the two-body kinds.
    bool CanSolve() const;
    Vector3 RelativeVelocity(const Vector3& worldAnchorA, const Vector3& worldAnchorB) const;
    float EffectiveMass(const Vector3& n, const Vector3& worldAnchorA, const Vector3& worldAnchorB) const;
    // A frozen body that the impulse did not set moving gives its share back:
    // A is checked when it is frozen, otherwise B.
    bool FrozenBodyToTakeBack(RigidBody*& body, float& sign) const;
};

// A body-frame anchor turned into world axes.
Vector3 WorldAnchor(const RigidBody& body, const Vector3& anchor);
// n . ((I (r x n)) x r): the rotational part of an effective mass.
float AngularEffectiveMass(const RigidBody& body, const Vector3& r, const Vector3& n);
// Velocity of the body's point at world offset r from its centre.
Vector3 PointVelocity(const RigidBody& body, const Vector3& r);
