// A ball joint with slack: the two anchor points are pulled together whenever
// they are further apart than the slack. A negative relaxation counts
// sub-steps: the gap closes over -relaxation steps.
#pragma once

#include "physics/Constraint.h"

class ConstraintPoint : public Constraint
{
public:
    ConstraintPoint();
    ConstraintPoint(RigidBody* bodyA, const Vector3& anchorA, RigidBody* bodyB, const Vector3& anchorB, float slack,
                    float relaxation);

    void Set(RigidBody* bodyA, const Vector3& anchorA, RigidBody* bodyB, const Vector3& anchorB, float slack,
             float relaxation);

    void Prepare(float h) override;
    bool Solve(float h) override;

    float relaxation;
    Vector3 worldAnchorA;
    Vector3 worldAnchorB;
    Vector3 midpoint;
    Vector3 correctionVelocity;
};
