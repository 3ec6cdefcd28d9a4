// The simulated body: pose, velocities, force and torque accumulators, mass and
// inertia, surface material, and the rest bookkeeping that lets resting bodies
// freeze. The orientation's rows are the body's axes in world coordinates;
// vectors are rows, so a body-space vector times the orientation is world space.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"

struct BodyCollisionData;

// How far from the origin a body may stand on any axis. A step that would take
// a body to kPositionLimit or beyond stops it where it is, and a level file may
// place a body, a scene object or a trigger no farther, so whatever the game
// holds in play a save writes and a load reads back. Velocities and orientation
// entries at or beyond it count as a body that blew up.
constexpr float kPositionLimit = 1e8f;

// Every component strictly inside (-kPositionLimit, kPositionLimit); NaN fails.
bool IsVectorValid(const Vector3& v);
bool IsMatrixValid(const Matrix3& m);

class RigidBody
{
public:
    RigidBody();
    virtual ~RigidBody();

    virtual void SetMass(float m);
    virtual BodyCollisionData* GetCollisionData();
    virtual void ApplyForces(float h);
    virtual void ClearForces();
    virtual void IntegrateVelocity(float h);
    virtual void IntegratePosition(float h);
    virtual void UpdateBounds();
    virtual int* GetObjectId();
    virtual int GetType() const;
    // World-space segment test; t runs from 0 at start to 1 at end.
    virtual bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                                  Vector3& point);

    void SetPosition(const Vector3& p);
    // Stores R and its transpose and re-derives both world inertia tensors.
    void SetOrientation(const Matrix3& R);
    void SetInverseMass(float x);
    // Set the body-space tensor and its inverse; the world tensors follow at
    // the next SetOrientation.
    void SetInertia(float ix, float iy, float iz);
    void SetInverseInertia(float a, float b, float c);
    // Making a body immovable remembers its mass and inertia so that making it
    // movable again gives them back (the editor toggles this flag).
    void SetImmovable(bool flag);
    void SetRestScale(float s);
    void SetFreezeThresholds(float linearSpeed, float angularDegrees);
    void SetFreezeState(int state, float scale);
    bool IsMoving() const;
    void ApplyGravity();
    void ApplyImpulseAtPoint(const Vector3& impulse, const Vector3& point);
    void ApplyLinearImpulse(const Vector3& impulse);
    void ApplyAngularImpulse(const Vector3& angularImpulse);
    // The orientation made orthonormal (Matrix3::Orthonormalize); a result
    // that is not valid becomes the identity.
    void Orthonormalize();

    bool IsFrozen() const { return freezeState == 1; }

    const Matrix3& GetOrientation() const { return orientation; }
    const Matrix3& GetOrientationTranspose() const { return orientationTranspose; }
    float GetMass() const { return mass; }
    float GetInverseMass() const { return inverseMass; }
    const Matrix3& GetInertia() const { return inertia; }
    const Matrix3& GetInverseInertia() const { return inverseInertia; }
    const Matrix3& GetWorldInertia() const { return worldInertia; }
    const Matrix3& GetWorldInverseInertia() const { return worldInverseInertia; }

    // The fields keep the body record's order. The pairs that must agree
    // (orientation and its transpose with the world tensors derived from
    // them, mass and its reciprocal, each tensor and its inverse) are private:
    // they change only through the setters above and the integration.
    Vector3 position;

private:
    Matrix3 orientation;
    Matrix3 orientationTranspose;

public:
    Vector3 linearVelocity;
    Vector3 angularVelocity;

private:
    float mass;
    float inverseMass;

public:
    float elasticity;
    float staticFriction;
    float dynamicFriction;
    Vector3 force;
    Vector3 torque;

private:
    Matrix3 inertia;
    Matrix3 inverseInertia;
    Matrix3 worldInertia;
    Matrix3 worldInverseInertia;

public:
    int freezeState; // 0 awake, 1 frozen
    bool immovable;
    float restScale;            // stored squared
    float linearRestThreshold;  // squared speed
    float angularRestThreshold; // squared angular speed, radians
    bool mayFreeze;
    float restTimer;
    float freezeDelay;
    std::vector<RigidBody*> touchedFrozen; // frozen bodies this awake body has touched
    Vector3 touchReference;                // where this body was at the first touch
    bool gravityEnabled;
    // Bodies that are not game objects (particles) answer GetObjectId with
    // this. -1 keeps them out of the "object 0 never freezes" rule.
    int id;

private:
    void DeriveWorldTensors();
    void CopyPoseToCollisionData(bool refreshPointsOnChange);

    // Mass properties put aside by SetImmovable(true).
    float movableMass;
    float movableInverseMass;
    Matrix3 movableInertia;
    Matrix3 movableInverseInertia;
};
