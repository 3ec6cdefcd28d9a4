// Freezing: bodies that rest long enough stop being integrated; contacts and
// the player's push wake them again, together with what rests on them.
#include <algorithm>

#include "physics/BodyCollisionData.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

// Squared distance an awake body may move from where it first touched a
// frozen body before it wakes everything it touched.
const float kTouchWakeDistanceSquared = 0.05f;

RigidBody* OtherBody(const CollisionRecord& record, const BodyCollisionData* data)
{
    return record.dataA == data ? record.dataB->owner : record.dataA->owner;
}

} // namespace

void PhysicsWorld::UpdateRestTimers(float h)
{
    for (RigidBody* body : bodies) {
        // Object 0 is the player's character: it is never frozen this way.
        const int* id = body->GetObjectId();
        if (id == nullptr || *id != 0) {
            UpdateRestTimer(body, h);
        }
    }
}

void PhysicsWorld::UpdateRestTimer(RigidBody* body, float h)
{
    if (!body->mayFreeze || body->immovable) {
        return;
    }
    if (body->IsFrozen()) {
        body->restTimer += h;
        return;
    }
    if (body->IsMoving()) {
        body->restTimer = 0.0f;
        return;
    }
    body->restTimer += h;
    if (body->restTimer > body->freezeDelay) {
        body->SetFreezeState(1, 1.0f);
    }
}

void PhysicsWorld::FreezeStage()
{
    for (RigidBody* body : bodies) {
        if (body->IsFrozen()) {
            continue;
        }
        BodyCollisionData* data = body->GetCollisionData();
        if (data == nullptr) {
            continue;
        }
        WakeTouchedBodies(body);
        TouchFrozenPartners(body, data);
    }
}

void PhysicsWorld::WakeTouchedBodies(RigidBody* body)
{
    std::vector<RigidBody*>& touched = body->touchedFrozen;
    if (touched.empty()) {
        return;
    }
    const Vector3 moved = body->position - body->touchReference;
    if (!(moved.LengthSquared() > kTouchWakeDistanceSquared)) {
        return;
    }
    // WakeBody never edits a touch list, so walking this one is safe.
    for (size_t i = 0; i < touched.size(); ++i) {
        WakeBody(touched[i]);
    }
    touched.clear();
}

void PhysicsWorld::TouchFrozenPartners(RigidBody* body, BodyCollisionData* data)
{
    std::vector<RigidBody*>& touched = body->touchedFrozen;
    for (size_t i = 0; i < data->recordIndices.size(); ++i) {
        const int index = data->recordIndices[i];
        if (index < 0 || static_cast<size_t>(index) >= records.size()) {
            continue;
        }
        const CollisionRecord& record = records[index];
        if (record.dataB == nullptr) {
            continue;
        }
        RigidBody* other = OtherBody(record, data);
        if (!other->IsFrozen() || std::find(touched.begin(), touched.end(), other) != touched.end()) {
            continue;
        }
        if (touched.empty()) {
            body->touchReference = body->position;
        }
        touched.push_back(other);
    }
}

void PhysicsWorld::WakeBody(RigidBody* body)
{
    if (body == nullptr || !body->IsFrozen() || body->immovable) {
        return;
    }
    body->SetFreezeState(0, 1.0f);
    BodyCollisionData* data = body->GetCollisionData();
    if (data == nullptr) {
        return;
    }

    const size_t first = records.size();
    if (singleBodyCollision != nullptr) {
        singleBodyCollision(data, collisionDataList, heightmaps, records);
    }
    collisionDataList.push_back(data);
    const size_t end = records.size();

    // The recursion appends to records, so nothing may hold a reference into
    // it across the call: copy what the test needs first.
    for (size_t i = first; i < end; ++i) {
        const BodyCollisionData* dataA = records[i].dataA;
        const BodyCollisionData* dataB = records[i].dataB;
        if (dataB == nullptr) {
            continue;
        }
        const bool isFirst = dataA->owner == body;
        RigidBody* other = isFirst ? dataB->owner : dataA->owner;
        const Vector3 towardsOther = isFirst ? -records[i].normal : records[i].normal;
        if (!other->IsFrozen()) {
            continue;
        }
        // Wake what rests on this body (its weight presses towards it), not
        // what this body rests on.
        const Vector3 load = gPhysicsSettings.gravity * other->mass + other->force;
        if (!(Vector3::Dot(load, towardsOther) > 0.0f)) {
            WakeBody(other);
        }
    }
}

void PhysicsWorld::UpdateFrozenBodies()
{
    for (RigidBody* body : bodies) {
        if (!body->IsFrozen()) {
            continue;
        }
        if (body->IsMoving()) {
            WakeBody(body);
        } else {
            body->linearVelocity = Vector3();
            body->angularVelocity = Vector3();
        }
    }
}
