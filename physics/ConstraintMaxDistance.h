// A rope: the anchor points may come closer than maxDistance but never part
// further. Works on the separation predicted one sub-step ahead.
#pragma once

#include "physics/Constraint.h"

class ConstraintMaxDistance : public Constraint
{
public:
    ConstraintMaxDistance();
    ConstraintMaxDistance(RigidBody* bodyA, const Vector3& anchorA, RigidBody* bodyB, const Vector3& anchorB,
                          float maxDistance);

    void Set(RigidBody* bodyA, const Vector3& anchorA, RigidBody* bodyB, const Vector3& anchorB, float maxDistance);

    void Prepare(float h) override;
    bool Solve(float h) override;

    Vector3 worldAnchorA;
    Vector3 worldAnchorB;
    Vector3 midpoint;
    Vector3 separation; // anchor point A minus anchor point B
};
