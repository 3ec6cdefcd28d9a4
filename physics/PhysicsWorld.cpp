#include "physics/PhysicsWorld.h"

#include <algorithm>

#include "core/DebugPrint.h"
#include "physics/BodyCollisionData.h"
#include "physics/Constraint.h"
#include "physics/PhysicsController.h"
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
    : timeScale(1.0f),
      step(0.02f),
      leftover(0.0f),
      simulatedTime(0.0f),
      useSmallerTimestep(true),
      sweepForward(0),
      collisionIterations(5),
      contactIterations(10),
      penetrationIterations(10),
      reuseCollisions(false),
      penetrationResolveFraction(0.008f),
      freezingEnabled(true),
      collisionSystem(nullptr),
      singleBodyCollision(nullptr),
      pushStrength(15.0f),
      lastSubStepCount(0)
{
}

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
    if (body->GetCollisionData() == nullptr) {
        return;
    }
    // The body is about to be deleted: no touch list may keep it.
    for (RigidBody* other : bodies) {
        std::vector<RigidBody*>& touched = other->touchedFrozen;
        touched.erase(std::remove(touched.begin(), touched.end(), body), touched.end());
    }
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
