// A hinge between two bodies: a point joint at the hinge, two rope links at
// +-armLength along the axis that keep the bodies turning about it, and an
// optional rope between two long arm ends that limits the angle. Each sub-step
// it also damps the relative spin about the axis.
#pragma once

#include "core/Vector3.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/ConstraintPoint.h"
#include "physics/Joint.h"

class PhysicsWorld;
class RigidBody;

class HingeJoint : public Joint
{
public:
    HingeJoint();

    // axis: unit hinge axis in A's frame; hingeOffset: the hinge point minus
    // A's position, in world axes. Angles in degrees; the angle limit exists
    // only when maxAngle is at most 150. Registers the constraints and the
    // joint itself with the world.
    void Setup(PhysicsWorld* world, RigidBody* bodyA, RigidBody* bodyB, const Vector3& axis, const Vector3& hingeOffset,
               float maxAngle, float minAngle, float armLength, float armSlackFactor, float damping);

    void Update(float h) override;

    void Enable();
    void Disable();

    bool HasAngleLimit() const { return angleLimitUsed; }

    bool active;
    RigidBody* bodyA;
    RigidBody* bodyB;
    Vector3 axis;
    float damping;
    Vector3 hingeOffset;
    ConstraintPoint pointJoint;
    ConstraintMaxDistance axisLinks[2];
    ConstraintMaxDistance angleLimit;

private:
    void SetAllActive(bool flag);

    bool angleLimitUsed;
};
