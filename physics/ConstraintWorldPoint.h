// Pins an anchor of one body to a fixed world point (log ends, chain tops).
#pragma once

#include "physics/Constraint.h"

class ConstraintWorldPoint : public Constraint
{
public:
    ConstraintWorldPoint(RigidBody* bodyA, const Vector3& anchorA, const Vector3& worldPoint);

    bool Solve(float h) override;

    Vector3 worldPoint;
};
