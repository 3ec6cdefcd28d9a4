// One wheel of a cart: a ray-cast spring and damper under an attachment point,
// a slip-speed tire friction model, and a spinning wheel of its own whose
// angle the tire model draws. A plain record owned by its cart.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"

class PhysicsWorld;
class RigidBody;

// The tire's friction coefficient scale for a slip speed s: linear up to a
// full grip at 3 units per second, with a peak that falls from 1 to 0.7 as the
// slip grows from 0.2 to 0.4. Odd in s.
float SlipFriction(float s);

struct Wheel
{
    // The spin rate is held within this many radians per second either way.
    static constexpr float kMaxSpinRate = 100.0f;

    Wheel(RigidBody* body, PhysicsWorld* world, const Vector3& offset, const Vector3& axis, float stiffness,
          float maxCompression, float inertia, float radius, float grip, float damping);

    // Probes the terrain under the wheel and adds the spring, damper and tire
    // friction forces (and their torques about the centre of mass) to the
    // body. Returns whether the wheel touched the ground.
    bool ApplyGroundForces(float h);
    // Turns the torques gathered since the last call into spin.
    void UpdateSpin(float h);
    // The world pose of the tire: spun about the axle, steered, then carried
    // by the body.
    void ComputeTransform(Vector3* outPosition, Matrix3* outOrientation) const;
    // Stops the wheel: no spin, no angle, no limit.
    void Reset();

    RigidBody* body;     // the cart
    PhysicsWorld* world; // whose heightmaps the probe tests
    Vector3 offset;      // attachment point (wheel centre at rest), body space
    Vector3 axis;        // suspension axis, body space, pointing up
    bool braked;
    float radius;
    float grip;
    float inertia;
    float maxCompression;
    float stiffness;
    float damping;
    float spinRate;        // radians per second about the axle
    float compressionRate; // per second
    float steerAngle;      // degrees about the suspension axis
    float spinAngle;       // degrees, accumulated without wrapping
    float compression;
    float previousCompression;
    float driveTorque;    // gathered by the cart's update, spent by the next spin update
    float frictionTorque; // gathered from the ground, spent by the next spin update
    float spinLimit;
    bool onGround;
};
