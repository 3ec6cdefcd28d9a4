#include "physics/PhysicsWorld.h"

#include <algorithm>
#include <string>

#include "core/ConfigFile.h"
#include "core/DebugPrint.h"
#include "core/ErrorReport.h"
#include "core/Resources.h"
#include "physics/BodyCollisionData.h"
#include "physics/Constraint.h"
#include "physics/PhysicsConfigReader.h"
#include "physics/PhysicsController.h"
#include "physics/PhysicsSettings.h"
#include "physics/RigidBody.h"

PhysicsWorld* gPhysicsWorld = nullptr;

namespace {

const float kMaxFrameSeconds = 0.1f;
// Below this a frame is not worth a sub-step. It also keeps a frame time of 0
// (the replay holding the world still) from running a zero-length step, whose
// bias and constraint corrections divide by the step length.
const float kMinSimulatedSeconds = 1e-5f;

} // namespace

PhysicsWorld::PhysicsWorld()
    : timeScale(1.0f), step(0.02f), leftover(0.0f), simulatedTime(0.0f), useSmallerTimestep(true), sweepForward(0),
      collisionIterations(5), contactIterations(10), penetrationIterations(10), reuseCollisions(false),
      penetrationResolveFraction(0.008f), freezingEnabled(true), collisionSystem(nullptr), singleBodyCollision(nullptr),
      pushStrength(15.0f), lastSubStepCount(0)
{}

void PhysicsWorld::Update(float frameSeconds)
{
    float acc = frameSeconds * timeScale + leftover;
    if (acc > kMaxFrameSeconds) {
        DebugPrint("dt > 0.1f\n");
        acc = kMaxFrameSeconds;
    }
    lastSubStepCount = 0;
    if (!(acc >= kMinSimulatedSeconds)) {
        // Keep a small positive remainder for later frames; drop anything
        // negative or not a number.
        leftover = acc > 0.0f ? acc : 0.0f;
        return;
    }

    int n = static_cast<int>(acc / step);
    float h = step;
    if (useSmallerTimestep) {
        n = std::max(n, 1);
        h = acc / static_cast<float>(n);
    }
    leftover = acc - static_cast<float>(n) * h;

    for (int i = 0; i < n; ++i) {
        simulatedTime += h;
        Step(h);
    }
    lastSubStepCount = n;
}

void PhysicsWorld::Step(float h)
{
    if (!(h > 0.0f)) {
        return;
    }
    ApplyForces(h);
    CollisionStage(h);
    for (RigidBody* body : bodies) {
        body->IntegrateVelocity(h);
    }
    for (RigidBody* body : bodies) {
        body->ClearForces();
    }
    ContactStage(h);
    if (freezingEnabled) {
        UpdateRestTimers(h);
        FreezeStage();
    }
    for (RigidBody* body : bodies) {
        body->IntegratePosition(h);
    }
}

void PhysicsWorld::ApplyForces(float h)
{
    for (RigidBody* body : bodies) {
        body->ApplyForces(h);
    }
    // By index: a controller may register another while it runs.
    for (size_t i = 0; i < controllers.size(); ++i) {
        controllers[i]->Update(h);
    }
}

void PhysicsWorld::AddBody(RigidBody* body)
{
    bodies.push_back(body);
}

void PhysicsWorld::AddHeightmap(Heightmap* heightmap)
{
    heightmaps.push_back(heightmap);
}

void PhysicsWorld::AddController(PhysicsController* controller)
{
    controllers.push_back(controller);
}

void PhysicsWorld::AddConstraint(Constraint* constraint)
{
    constraints.push_back(constraint);
}

void PhysicsWorld::RemoveBody(RigidBody* body)
{
    auto found = std::find(bodies.begin(), bodies.end(), body);
    if (found == bodies.end()) {
        return;
    }
    bodies.erase(found);
    // Only bodies with collision data are ever touched (particles are not).
    if (body->GetCollisionData() != nullptr) {
        ForgetCollidingBodies(&body, 1);
    }
}

// One pass over the list however many go: a frame in which hundreds of
// particles die would otherwise shift the whole list once per death. Each
// listed entry takes the first world entry it meets, as one RemoveBody after
// another would, and the bodies that stay keep their order, so the simulation
// is the same either way.
void PhysicsWorld::RemoveBodies(const std::vector<RigidBody*>& gone)
{
    if (gone.empty() || bodies.empty()) {
        return;
    }
    std::vector<RigidBody*> sorted(gone);
    std::sort(sorted.begin(), sorted.end());
    std::vector<char> taken(sorted.size(), 0);
    std::vector<RigidBody*> colliding;
    size_t kept = 0;
    for (RigidBody* body : bodies) {
        size_t k = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), body) - sorted.begin());
        while (k < sorted.size() && sorted[k] == body && taken[k]) {
            ++k;
        }
        if (k < sorted.size() && sorted[k] == body) {
            taken[k] = 1;
            if (body->GetCollisionData() != nullptr) {
                colliding.push_back(body);
            }
            continue;
        }
        bodies[kept++] = body;
    }
    bodies.resize(kept);
    if (!colliding.empty()) {
        ForgetCollidingBodies(colliding.data(), colliding.size());
    }
}

// The bodies are about to be deleted: no list kept between sub-steps may
// name them.
void PhysicsWorld::ForgetCollidingBodies(RigidBody* const* gone, size_t count)
{
    // A wake between sub-steps walks the last detection's list and records:
    // neither may keep the body. The next detection rebuilds both.
    bool listed = false;
    for (size_t i = 0; i < count; ++i) {
        auto entry = std::find(collisionDataList.begin(), collisionDataList.end(), gone[i]->GetCollisionData());
        if (entry != collisionDataList.end()) {
            collisionDataList.erase(entry);
            listed = true;
        }
    }
    if (listed) {
        records.clear();
    }
    const auto isGone = [gone, count](const RigidBody* body) {
        return std::find(gone, gone + count, body) != gone + count;
    };
    for (RigidBody* other : bodies) {
        std::vector<RigidBody*>& touched = other->touchedFrozen;
        touched.erase(std::remove_if(touched.begin(), touched.end(), isGone), touched.end());
    }
}

void PhysicsWorld::RemoveConstraint(Constraint* constraint)
{
    constraints.erase(std::remove(constraints.begin(), constraints.end(), constraint), constraints.end());
}

void PhysicsWorld::RemoveController(PhysicsController* controller)
{
    controllers.erase(std::remove(controllers.begin(), controllers.end(), controller), controllers.end());
}

void PhysicsWorld::Clear()
{
    collisionDataList.clear();
    bodies.clear();
    constraints.clear();
    // Records and snapshots point at the bodies being deleted.
    records.clear();
    snapshots.clear();
    if (!controllers.empty()) {
        controllers.resize(1);
        controllers[0]->OnWorldClear();
    }
}

void PhysicsWorld::ClearHeightmaps()
{
    heightmaps.clear();
}

void PhysicsWorld::SetFreezing(bool enabled)
{
    freezingEnabled = enabled;
    if (!enabled) {
        for (RigidBody* body : bodies) {
            body->SetFreezeState(0, 1.0f);
        }
    }
}

void PhysicsWorld::SetCollisionSystem(CollisionSystemFunction system, SingleBodyCollisionFunction singleBody)
{
    collisionSystem = system;
    singleBodyCollision = singleBody;
}

void PhysicsWorld::DetectCollisions()
{
    collisionDataList.clear();
    records.clear();
    for (RigidBody* body : bodies) {
        BodyCollisionData* data = body->GetCollisionData();
        if (data != nullptr) {
            data->recordIndices.clear();
            collisionDataList.push_back(data);
        }
    }
    if (collisionSystem != nullptr) {
        collisionSystem(collisionDataList, heightmaps, records);
    }
}

void PhysicsWorld::PrepareActiveConstraints(float h)
{
    for (Constraint* constraint : constraints) {
        if (constraint->active) {
            constraint->Prepare(h);
        }
    }
}

bool PhysicsWorld::SolveActiveConstraints(float h)
{
    bool changed = false;
    for (Constraint* constraint : constraints) {
        if (constraint->active && constraint->Solve(h)) {
            changed = true;
        }
    }
    return changed;
}

bool PhysicsWorld::LoadConfig()
{
    const std::string path = ConfigDirectory + "Physics.cfg";
    bool opened = false;
    ConfigFile config(path, &opened);
    if (!opened) {
        REPORT_ERROR("Could not open " + path + "; physics runs with its default tuning");
    }
    ReadConfig(config, opened);
    return opened;
}

bool PhysicsWorld::LoadConfig(ConfigFile& config)
{
    ReadConfig(config, true);
    return true;
}

void PhysicsWorld::ReadConfig(ConfigFile& config, bool reportMissing)
{
    PhysicsConfigReader reader(config, reportMissing);

    const float gravity = reader.Float("physics_gravity", 9.81f, 0.0f, 1000.0f, true);
    gPhysicsSettings.gravity = Vector3(0.0f, 0.0f, -gravity);
    step = 1.0f / reader.Float("physics_freq", 100.0f, 10.0f, 1000.0f, true);
    timeScale = reader.Float("physics_time_scale", 1.0f, 0.0f, 100.0f, false);
    useSmallerTimestep = reader.Bool("use_smaller_timestep", true);
    gPhysicsSettings.useOneEdgeCollisionForHeightmap = reader.Bool("use_one_edge_collision_for_heightmap", true);
    gPhysicsSettings.useOneEdgeCollisionForBody = reader.Bool("use_one_edge_collision_for_body", false);
    gPhysicsSettings.collisionSystem = reader.Unsigned("physics_collision_system", 1u);
    collisionIterations = reader.Int("physics_collision_iterations", 5, 1, 100);
    reuseCollisions = reader.Bool("physics_reuse_collisions", false);
    contactIterations = reader.Int("physics_contact_iterations", 10, 1, 100);
    penetrationIterations = reader.Int("physics_penetration_iterations", 10, 1, 100);
    penetrationResolveFraction = reader.Float("physics_penetration_resolve_fraction", 0.008f, 0.0f, 1.0f, false);
    gPhysicsSettings.interpolateCollisionMesh = reader.Bool("interpolate_collision_mesh", true);
    SetFreezing(reader.Bool("physics_enable_freezing", true));
    pushStrength = reader.Float("physics_force_per_vel_per_mass", 15.0f, 0.0f, 1000.0f, false);

    simulatedTime = 0.0f;
}

// Freezing: bodies that rest long enough stop being integrated; contacts and
// the player's push wake them again, together with what rests on them.

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
        const Vector3 load = gPhysicsSettings.gravity * other->GetMass() + other->force;
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
