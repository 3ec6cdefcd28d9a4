// Turning the contacts of a detection pass into velocity changes (sequential
// impulses, alternating sweep order) and position corrections.
#include <algorithm>

#include "physics/BodyCollisionData.h"
#include "physics/BodyTypes.h"
#include "physics/Constraint.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

const float kBiasStepFactor = 5.0f;
const float kMaxBiasVelocity = 30.0f;
const float kMinNormalMass = 1e-4f;
const float kMinPenetration = 1e-4f;

RigidBody* BodyA(const CollisionRecord& record)
{
    return record.dataA->owner;
}

RigidBody* BodyB(const CollisionRecord& record)
{
    return record.dataB != nullptr ? record.dataB->owner : nullptr;
}

bool IsStill(const RigidBody* body)
{
    return body == nullptr || body->immovable || body->IsFrozen();
}

Vector3 ContactRelativeVelocity(const CollisionRecord& record)
{
    const Vector3 velocityA = PointVelocity(*BodyA(record), record.armA);
    const RigidBody* b = BodyB(record);
    if (b == nullptr) {
        return velocityA;
    }
    return velocityA - PointVelocity(*b, record.armB);
}

float ContactEffectiveMass(const CollisionRecord& record, const Vector3& direction)
{
    const RigidBody* a = BodyA(record);
    float K = a->GetInverseMass() + AngularEffectiveMass(*a, record.armA, direction);
    if (const RigidBody* b = BodyB(record)) {
        K += b->GetInverseMass() + AngularEffectiveMass(*b, record.armB, direction);
    }
    return K;
}

// Impulse on A at the contact point, and its opposite on B when there is one.
void ApplyContactImpulse(const CollisionRecord& record, const Vector3& impulse)
{
    BodyA(record)->ApplyImpulseAtPoint(impulse, record.point);
    if (RigidBody* b = BodyB(record)) {
        b->ApplyImpulseAtPoint(-impulse, record.point);
    }
}

// A frozen body that the impulse does not set moving stays put, and the body
// that hit it takes the impulse twice, as from an immovable partner; the
// player's walking body never takes the second one.
void TakeBackFromFrozen(const CollisionRecord& record, const Vector3& impulse, bool aFrozen, bool bFrozen)
{
    RigidBody* a = BodyA(record);
    RigidBody* b = BodyB(record);
    if (aFrozen) {
        if (!a->IsMoving()) {
            a->ApplyImpulseAtPoint(-impulse, record.point);
            if (b != nullptr && b->GetType() != kPlayerBodyType) {
                b->ApplyImpulseAtPoint(-impulse, record.point);
            }
        }
    } else if (bFrozen) {
        if (!b->IsMoving()) {
            if (a->GetType() != kPlayerBodyType) {
                a->ApplyImpulseAtPoint(impulse, record.point);
            }
            b->ApplyImpulseAtPoint(impulse, record.point);
        }
    }
}

void ApplyFriction(const CollisionRecord& record, float normalImpulse)
{
    const Vector3 vrel = ContactRelativeVelocity(record);
    const float vn = Vector3::Dot(vrel, record.normal);
    const Vector3 vt = vrel - record.normal * vn;
    const float s = vt.Length();
    if (!(s > 0.0f)) {
        return;
    }
    const Vector3 t = -vt * (1.0f / s);
    const float Kt = ContactEffectiveMass(record, t);
    if (!(Kt > 0.0f)) {
        return;
    }
    const float stopping = s / Kt;
    const float f =
        record.staticFriction * normalImpulse > stopping ? stopping : record.dynamicFriction * normalImpulse;
    ApplyContactImpulse(record, t * f);
}

} // namespace

void PhysicsWorld::PrepareCollision(CollisionRecord& record, float h)
{
    const RigidBody* a = BodyA(record);
    record.armA = record.point - a->position;
    record.biasVelocity = 0.0f;
    if (record.depth > 0.0f && h > 0.0f) {
        record.biasVelocity = std::min(record.depth / (kBiasStepFactor * h), kMaxBiasVelocity);
    }

    float elasticityB = 0.0f;
    float staticB = 0.0f;
    float dynamicB = 0.0f;
    if (const RigidBody* b = BodyB(record)) {
        record.armB = record.point - b->position;
        elasticityB = b->elasticity;
        staticB = b->staticFriction;
        dynamicB = b->dynamicFriction;
    } else if (record.heightmap != nullptr) {
        elasticityB = record.heightmap->elasticity;
        staticB = record.heightmap->staticFriction;
        dynamicB = record.heightmap->dynamicFriction;
    }
    record.elasticity = a->elasticity * elasticityB;
    record.staticFriction = (a->staticFriction + staticB) * 0.5f;
    record.dynamicFriction = (a->dynamicFriction + dynamicB) * 0.5f;
    record.normalMass = ContactEffectiveMass(record, record.normal);
}

bool PhysicsWorld::ResolveContact(CollisionRecord& record, float h, bool contactMode, float contactElasticity)
{
    if (record.normalMass < kMinNormalMass) {
        return false;
    }
    const float vn = Vector3::Dot(ContactRelativeVelocity(record), record.normal);
    const float e = contactMode ? contactElasticity : record.elasticity;
    float target = -e * vn;
    if (contactMode) {
        target = std::max(target, record.biasVelocity);
    }
    const float dv = target - vn;
    if (!(dv > 0.0f)) {
        return false;
    }
    const float j = dv / record.normalMass;
    const RigidBody* b = BodyB(record);
    const bool aFrozen = BodyA(record)->IsFrozen();
    const bool bFrozen = b != nullptr && b->IsFrozen();

    const Vector3 impulse = record.normal * j;
    ApplyContactImpulse(record, impulse);
    TakeBackFromFrozen(record, impulse, aFrozen, bFrozen);
    ApplyFriction(record, j);
    return true;
}

void PhysicsWorld::ResolvePenetration(CollisionRecord& record, float fraction)
{
    RigidBody* a = BodyA(record);
    if (a->immovable || a->IsFrozen() || !IsStill(BodyB(record))) {
        return;
    }
    const Vector3 d = record.normal * (record.depth * fraction);
    a->SetPosition(a->position + d);
    // The shift changes every contact of A, this one included. By index: the
    // record handed in lives in the same vector.
    const std::vector<int>& indices = record.dataA->recordIndices;
    for (size_t i = 0; i < indices.size(); ++i) {
        const int index = indices[i];
        if (index >= 0 && static_cast<size_t>(index) < records.size()) {
            CollisionRecord& other = records[index];
            other.depth -= Vector3::Dot(other.normal, d);
        }
    }
}

bool PhysicsWorld::ResolvePass(float h, bool contactMode)
{
    bool changed = false;
    const size_t count = records.size();
    if (sweepForward == 0) {
        sweepForward = 1;
        for (size_t i = 0; i < count; ++i) {
            changed = ResolveContact(records[i], h, contactMode, 0.0f) || changed;
        }
    } else {
        sweepForward = 0;
        for (size_t i = count; i-- > 0;) {
            changed = ResolveContact(records[i], h, contactMode, 0.0f) || changed;
        }
    }
    return changed;
}

void PhysicsWorld::CollisionStage(float h)
{
    snapshots.resize(bodies.size());
    for (size_t i = 0; i < bodies.size(); ++i) {
        const RigidBody* body = bodies[i];
        snapshots[i] = {body->position, body->GetOrientation(), body->linearVelocity, body->angularVelocity};
    }

    for (RigidBody* body : bodies) {
        body->IntegrateVelocity(h);
    }
    for (RigidBody* body : bodies) {
        body->IntegratePosition(h);
    }
    DetectCollisions();

    for (size_t i = 0; i < bodies.size(); ++i) {
        bodies[i]->linearVelocity = snapshots[i].linearVelocity;
        bodies[i]->angularVelocity = snapshots[i].angularVelocity;
    }

    for (CollisionRecord& record : records) {
        PrepareCollision(record, h);
    }
    size_t prepared = records.size();
    PrepareActiveConstraints(h);

    for (int pass = 0; pass < collisionIterations; ++pass) {
        bool changed = ResolvePass(h, false);
        if (SolveActiveConstraints(h)) {
            changed = true;
        }
        if (freezingEnabled) {
            UpdateFrozenBodies();
        }
        for (size_t i = prepared; i < records.size(); ++i) {
            PrepareCollision(records[i], h);
        }
        prepared = records.size();
        if (!changed) {
            break;
        }
    }

    for (size_t i = 0; i < bodies.size(); ++i) {
        bodies[i]->SetPosition(snapshots[i].position);
        bodies[i]->SetOrientation(snapshots[i].orientation);
    }
}

void PhysicsWorld::ContactStage(float h)
{
    if (!reuseCollisions) {
        DetectCollisions();
    }
    PrepareActiveConstraints(h);
    for (CollisionRecord& record : records) {
        PrepareCollision(record, h);
    }

    for (int pass = 0; pass < contactIterations; ++pass) {
        bool changed = ResolvePass(h, true);
        if (SolveActiveConstraints(h)) {
            changed = true;
        }
        if (!changed) {
            break;
        }
    }

    for (int pass = 0; pass < penetrationIterations; ++pass) {
        bool anyDeep = false;
        for (size_t i = 0; i < records.size(); ++i) {
            if (records[i].depth > kMinPenetration) {
                anyDeep = true;
                ResolvePenetration(records[i], penetrationResolveFraction);
            }
        }
        if (!anyDeep) {
            break;
        }
    }
}
