#include "physics/RigidBody.h"

#include "core/DebugPrint.h"
#include "core/MathConstants.h"
#include "physics/BodyCollisionData.h"
#include "physics/PhysicsSettings.h"

namespace {

const float kNoReciprocal = 1e-30f;

float SafeReciprocal(float x)
{
    return x > 0.0f ? 1.0f / x : kNoReciprocal;
}

Matrix3 Diagonal(float a, float b, float c)
{
    return Matrix3(a, 0.0f, 0.0f, 0.0f, b, 0.0f, 0.0f, 0.0f, c);
}

// R^T * tensor * R: a body-space tensor seen from world axes.
Matrix3 TensorToWorld(const Matrix3& tensor, const Matrix3& R, const Matrix3& RT)
{
    Matrix3 tensorR;
    Matrix3::MultiplyStatic(tensorR, R, tensor);
    Matrix3 world;
    Matrix3::MultiplyStatic(world, tensorR, RT);
    return world;
}

bool IsInside(float v)
{
    return v > -kPositionLimit && v < kPositionLimit;
}

} // namespace

bool IsVectorValid(const Vector3& v)
{
    return IsInside(v.x) && IsInside(v.y) && IsInside(v.z);
}

bool IsMatrixValid(const Matrix3& m)
{
    for (int i = 0; i < 9; ++i) {
        if (!IsInside(m[i])) {
            return false;
        }
    }
    return true;
}

RigidBody::RigidBody()
    : orientation(Matrix3::Identity()), orientationTranspose(Matrix3::Identity()), mass(kNoReciprocal),
      inverseMass(0.0f), elasticity(0.0f), staticFriction(0.0f), dynamicFriction(0.0f),
      inertia(Diagonal(kNoReciprocal, kNoReciprocal, kNoReciprocal)), freezeState(0), immovable(false), restScale(1.0f),
      linearRestThreshold(0.09f), angularRestThreshold(0.12184696f), mayFreeze(true), restTimer(0.0f),
      freezeDelay(1.0f), gravityEnabled(true), id(-1), movableMass(kNoReciprocal), movableInverseMass(0.0f),
      movableInertia(inertia)
{
    DeriveWorldTensors();
}

RigidBody::~RigidBody() = default;

void RigidBody::SetMass(float m)
{
    mass = m;
    inverseMass = SafeReciprocal(m);
}

BodyCollisionData* RigidBody::GetCollisionData()
{
    return nullptr;
}

void RigidBody::ApplyForces(float) {}

void RigidBody::ClearForces()
{
    force = Vector3();
    torque = Vector3();
}

void RigidBody::IntegrateVelocity(float h)
{
    if (immovable || freezeState == 1) {
        return;
    }
    linearVelocity += force * (h * inverseMass);
    Vector3 angularStep;
    Vector3::TimesMatrix3(angularStep, worldInverseInertia, torque * h);
    angularVelocity += angularStep;
}

void RigidBody::IntegratePosition(float h)
{
    if (immovable || freezeState == 1) {
        CopyPoseToCollisionData(true);
        return;
    }

    const Vector3 moved = position + linearVelocity * h;
    if (!IsVectorValid(moved) || !IsVectorValid(linearVelocity) || !IsVectorValid(angularVelocity)) {
        // A body that blew up stops where it was instead of spreading NaN
        // into the collision sort.
        DebugPrint("IntegratePosition() stopped a body with an invalid state\n");
        linearVelocity = Vector3();
        angularVelocity = Vector3();
        CopyPoseToCollisionData(false);
        UpdateBounds();
        return;
    }
    position = moved;

    const Matrix3 before = orientation;
    for (int i = 0; i < 3; ++i) {
        Vector3 row;
        before.GetRow(row, i);
        Vector3 turn;
        Vector3::Cross(turn, angularVelocity, row);
        orientation.SetRow(i, row + turn * h);
    }
    Orthonormalize();

    Matrix3::Transpose(orientationTranspose, orientation);
    worldInverseInertia = TensorToWorld(inverseInertia, orientation, orientationTranspose);
    CopyPoseToCollisionData(false);
    UpdateBounds();
}

void RigidBody::UpdateBounds() {}

int* RigidBody::GetObjectId()
{
    return &id;
}

int RigidBody::GetType() const
{
    return 0;
}

bool RigidBody::IntersectSegment(const Vector3&, const Vector3&, float&, float&, Vector3&)
{
    return false;
}

void RigidBody::SetPosition(const Vector3& p)
{
    position = p;
}

void RigidBody::SetOrientation(const Matrix3& R)
{
    orientation = R;
    Matrix3::Transpose(orientationTranspose, R);
    DeriveWorldTensors();
}

void RigidBody::SetInverseMass(float x)
{
    inverseMass = x;
    mass = SafeReciprocal(x);
}

void RigidBody::SetInertia(float ix, float iy, float iz)
{
    inertia = Diagonal(ix, iy, iz);
    inverseInertia = Diagonal(SafeReciprocal(ix), SafeReciprocal(iy), SafeReciprocal(iz));
}

void RigidBody::SetInverseInertia(float a, float b, float c)
{
    inverseInertia = Diagonal(a, b, c);
    inertia = Diagonal(SafeReciprocal(a), SafeReciprocal(b), SafeReciprocal(c));
}

void RigidBody::SetImmovable(bool flag)
{
    if (flag) {
        if (!immovable) {
            movableMass = mass;
            movableInverseMass = inverseMass;
            movableInertia = inertia;
            movableInverseInertia = inverseInertia;
        }
        immovable = true;
        SetInverseMass(0.0f);
        SetInverseInertia(0.0f, 0.0f, 0.0f);
    } else {
        if (immovable) {
            mass = movableMass;
            inverseMass = movableInverseMass;
            inertia = movableInertia;
            inverseInertia = movableInverseInertia;
        }
        immovable = false;
    }
    // Without this an immovable body keeps its old world inverse inertia and
    // picks up spin from every contact impulse, which then skews the relative
    // velocity of everything touching it.
    DeriveWorldTensors();
}

void RigidBody::SetRestScale(float s)
{
    restScale = s * s;
}

void RigidBody::SetFreezeThresholds(float linearSpeed, float angularDegrees)
{
    linearRestThreshold = linearSpeed * linearSpeed;
    const float radians = DegreesToRadians(angularDegrees);
    angularRestThreshold = radians * radians;
}

void RigidBody::SetFreezeState(int state, float scale)
{
    freezeState = mayFreeze ? state : 0;
    if (freezeState == 0) {
        restTimer = (1.0f - scale) * freezeDelay;
    }
    float factor = freezeState == 0 ? 1.0f : 0.0f;
    if (freezeDelay > 0.0f) {
        factor = 1.0f - 2.0f * restTimer / freezeDelay;
        if (factor < 0.0f) {
            factor = 0.0f;
        } else if (factor > 1.0f) {
            factor = 1.0f;
        }
    }
    linearVelocity *= factor;
    angularVelocity *= factor;
}

bool RigidBody::IsMoving() const
{
    return linearVelocity.LengthSquared() > restScale * linearRestThreshold ||
           angularVelocity.LengthSquared() > restScale * angularRestThreshold;
}

void RigidBody::ApplyGravity()
{
    if (!immovable && freezeState == 0 && gravityEnabled) {
        force += gPhysicsSettings.gravity * mass;
    }
}

void RigidBody::ApplyImpulseAtPoint(const Vector3& impulse, const Vector3& point)
{
    linearVelocity += impulse * inverseMass;
    Vector3 momentArm = point - position;
    Vector3 angularImpulse;
    Vector3::Cross(angularImpulse, momentArm, impulse);
    ApplyAngularImpulse(angularImpulse);
}

void RigidBody::ApplyLinearImpulse(const Vector3& impulse)
{
    linearVelocity += impulse * inverseMass;
}

void RigidBody::ApplyAngularImpulse(const Vector3& angularImpulse)
{
    Vector3 change;
    Vector3::TimesMatrix3(change, worldInverseInertia, angularImpulse);
    angularVelocity += change;
}

void RigidBody::Orthonormalize()
{
    orientation.Orthonormalize();
    if (!IsMatrixValid(orientation)) {
        DebugPrint("Orthonormalize() resulted in a bad matrix\n");
        orientation = Matrix3::Identity();
    }
}

void RigidBody::DeriveWorldTensors()
{
    worldInertia = TensorToWorld(inertia, orientation, orientationTranspose);
    worldInverseInertia = TensorToWorld(inverseInertia, orientation, orientationTranspose);
}

// Detection refreshes the world points of awake bodies itself. Frozen and
// immovable ones are skipped there, so when something outside the simulation
// moved one (the factory placing it, the editor, the replay) its points are
// refreshed here, once, instead of staying where they were built.
void RigidBody::CopyPoseToCollisionData(bool refreshPointsOnChange)
{
    BodyCollisionData* data = GetCollisionData();
    if (data == nullptr) {
        return;
    }
    const bool moved = data->position != position || data->orientation != orientation;
    data->position = position;
    data->orientation = orientation;
    data->orientationTranspose = orientationTranspose;
    if (refreshPointsOnChange && moved) {
        data->UpdateWorldPoints();
    }
}
