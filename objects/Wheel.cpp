#include "objects/Wheel.h"

#include <algorithm>

#include "core/Geometry.h"
#include "core/MathConstants.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

// The tire's grip peaks at small slip and falls back to 70 % once it slides.
const float kPeakSlipEnd = 0.2f;
const float kSlideSlipStart = 0.4f;
const float kSlidingGrip = 0.7f;
// Slip speed at which the friction reaches its full share of the load.
const float kFullGripSlip = 3.0f;

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    Vector3 out;
    return Vector3::Cross(out, a, b);
}

Vector3 Times(const Vector3& v, const Matrix3& m)
{
    Vector3 out;
    return Vector3::TimesMatrix3(out, m, v);
}

Vector3 Normalized(Vector3 v)
{
    return v.Normalize();
}

} // namespace

float SlipFriction(float s)
{
    const float sign = s < 0.0f ? -1.0f : 1.0f;
    const float x = s < 0.0f ? -s : s;
    float peak = kSlidingGrip;
    if (x <= kPeakSlipEnd) {
        peak = 1.0f;
    } else if (x <= kSlideSlipStart) {
        peak = 1.0f - (x - kPeakSlipEnd) * (1.0f - kSlidingGrip) / (kSlideSlipStart - kPeakSlipEnd);
    }
    const float share = x < kFullGripSlip ? x / kFullGripSlip : 1.0f;
    return sign * peak * share;
}

Wheel::Wheel(RigidBody* body_, PhysicsWorld* world_, const Vector3& offset_, const Vector3& axis_, float stiffness_,
             float maxCompression_, float inertia_, float radius_, float grip_, float damping_)
    : body(body_), world(world_), offset(offset_), axis(axis_), braked(false), radius(radius_), grip(grip_),
      inertia(inertia_), maxCompression(maxCompression_), stiffness(stiffness_), damping(damping_), spinRate(0.0f),
      compressionRate(0.0f), steerAngle(0.0f), spinAngle(0.0f), compression(0.0f), previousCompression(0.0f),
      driveTorque(0.0f), frictionTorque(0.0f), spinLimit(0.0f), onGround(false)
{}

bool Wheel::ApplyGroundForces(float)
{
    previousCompression = compression;
    compression = 0.0f;

    const Matrix3& R = body->GetOrientation();
    const Vector3 lever = Times(offset, R);
    const Vector3 attachment = body->position + lever;
    const Vector3 up = Times(axis, R);

    // The probe starts a full travel plus a radius above the attachment point
    // and ends one radius below it; each terrain may shorten it.
    const float probeLength = 2.0f * radius + maxCompression;
    Segment probe{attachment + up * (radius + maxCompression), up * -probeLength};
    Vector3 groundNormal;
    bool hit = false;
    if (world != nullptr) {
        for (const Heightmap* heightmap : world->GetHeightmaps()) {
            float t = 1.0f;
            Vector3 point;
            Vector3 normal;
            if (heightmap->IntersectSegment(probe, t, point, normal)) {
                probe.direction = probe.direction * t;
                groundNormal = normal;
                hit = true;
            }
        }
    }
    if (!hit) {
        onGround = false;
        return false;
    }
    onGround = true;
    compression = std::min(probeLength - probe.direction.Length(), maxCompression);

    float load = stiffness * compression * Vector3::Dot(up, groundNormal) + damping * compressionRate;
    if (load < 0.0f) {
        load = 0.0f;
    }
    // The ground pushes along its own normal. Along the suspension axis, as
    // the spring itself lies, the nose-down pitch of the cart's uneven load
    // would leave a forward push that rolls a parked cart away on level ground.
    const Vector3 spring = Normalized(groundNormal) * load;
    Vector3 torque = Cross(lever, spring);
    Vector3 total = spring;

    // The wheel's own frame (steered about the suspension axis) and the
    // ground's frame under it.
    Matrix3 steer;
    Matrix3::FromAxisAngle(steer, steerAngle, up);
    Vector3 bodyForward;
    const Vector3 forward = Times(R.GetRow0(bodyForward), steer);
    const Vector3 side = Normalized(Cross(up, forward));
    const Vector3 wheelUp = Cross(forward, side);
    const Vector3 lateral = Normalized(Cross(groundNormal, forward));
    const Vector3 longitudinal = Cross(lateral, groundNormal);

    // Velocity of the contact patch: the body's point under the wheel, less
    // what the wheel's own spin carries it.
    const Vector3 pointVelocity = body->linearVelocity + Cross(body->angularVelocity, lever);
    const Vector3 contactVelocity = pointVelocity - Cross(side, wheelUp * radius) * spinRate;

    const float lateralSlip = Vector3::Dot(lateral, contactVelocity);
    const Vector3 lateralFriction = lateral * (-grip * SlipFriction(lateralSlip) * load);
    total += lateralFriction;
    torque += Cross(lever, lateralFriction);

    const float longitudinalSlip = Vector3::Dot(longitudinal, contactVelocity);
    const float longitudinalGrip = grip * SlipFriction(longitudinalSlip) * load;
    const Vector3 longitudinalFriction = longitudinal * -longitudinalGrip;
    total += longitudinalFriction;
    torque += Cross(lever, longitudinalFriction);

    spinLimit = longitudinalSlip / radius;
    frictionTorque += radius * longitudinalGrip;

    body->torque += torque;
    body->force += total;
    return true;
}

void Wheel::UpdateSpin(float h)
{
    if (!(h > 0.0f)) {
        return;
    }
    compressionRate = (compression - previousCompression) / h;
    if (braked) {
        // A locked wheel drops the ground's pull but keeps the drive for the
        // moment the brake lets go.
        spinRate = 0.0f;
        frictionTorque = 0.0f;
        return;
    }
    const float before = spinRate;
    spinRate += frictionTorque * h / inertia;
    frictionTorque = 0.0f;
    // The ground's pull may bring the spin to its limit but not carry it across.
    if ((before > spinLimit && spinLimit > spinRate) || (before < spinLimit && spinLimit < spinRate)) {
        spinRate = spinLimit;
    }
    spinRate += driveTorque * h / inertia;
    driveTorque = 0.0f;
    spinRate = std::max(-kMaxSpinRate, std::min(kMaxSpinRate, spinRate));
    spinAngle += static_cast<float>(h * spinRate * kDegreesPerRadian);
}

void Wheel::ComputeTransform(Vector3* outPosition, Matrix3* outOrientation) const
{
    if (outPosition) {
        *outPosition = Times(offset, body->GetOrientation()) + body->position;
    }
    if (outOrientation) {
        Matrix3 steer;
        Matrix3 spin;
        Matrix3 steered;
        Matrix3::RotationZ(steer, steerAngle);
        Matrix3::RotationY(spin, spinAngle);
        // Row vectors: spin first, then steer, then the body.
        Matrix3::MultiplyStatic(steered, body->GetOrientation(), steer);
        Matrix3::MultiplyStatic(*outOrientation, steered, spin);
    }
}

void Wheel::Reset()
{
    spinRate = 0.0f;
    spinAngle = 0.0f;
    spinLimit = 0.0f;
}
