// The simulation world. It refers to (never owns) the bodies, heightmaps,
// controllers and constraints the game adds, and advances them once per frame
// in whole fixed sub-steps: forces and controllers, a predictive elastic
// collision stage, velocity integration, an inelastic contact stage with
// penetration correction, freezing of resting bodies, position integration.
#pragma once

#include <cstddef>
#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "physics/CollisionRecord.h"
#include "physics/CollisionSystem.h"

class ConfigFile;
class Constraint;
class Heightmap;
class PhysicsController;
class RigidBody;
struct BodyCollisionData;

struct BodyStateSnapshot
{
    Vector3 position;
    Matrix3 orientation;
    Vector3 linearVelocity;
    Vector3 angularVelocity;
};

class PhysicsWorld
{
public:
    PhysicsWorld();
    ~PhysicsWorld() = default;

    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Reads ConfigDirectory + "Physics.cfg". Values that are missing or out of
    // range keep their defaults and are reported on the error stream. Returns
    // false when the file could not be opened.
    bool LoadConfig();
    // The same through a reader the caller already holds (the World's).
    bool LoadConfig(ConfigFile& config);

    void Update(float frameSeconds);
    void Step(float h);

    void AddBody(RigidBody* body);
    void AddHeightmap(Heightmap* heightmap);
    void AddController(PhysicsController* controller);
    void AddConstraint(Constraint* constraint);
    // The world forgets the body, its collision data and the records naming
    // it; the owner deletes it.
    void RemoveBody(RigidBody* body);
    // The same for many bodies at once, in one pass over the list; the
    // bodies that stay keep their order.
    void RemoveBodies(const std::vector<RigidBody*>& gone);
    // A machine taken apart before the stage clear (or one built without a
    // World) takes its constraints and controllers back out; the owner
    // deletes them. Pointers the world does not hold are ignored.
    void RemoveConstraint(Constraint* constraint);
    void RemoveController(PhysicsController* controller);
    // Stage clear: bodies, constraints and records go; the first controller
    // (the player's push, registered at start-up) stays, every other goes.
    void Clear();
    void ClearHeightmaps();
    const std::vector<Heightmap*>& GetHeightmaps() const { return heightmaps; }

    void SetFreezing(bool enabled);
    void WakeBody(RigidBody* body);
    void DetectCollisions();

    // One record's resolution (ContactResolution.cpp), and the freezing
    // stages Step runs, open to the tests that drive them one at a time.
    void PrepareCollision(CollisionRecord& record, float h);
    bool ResolveContact(CollisionRecord& record, float h, bool contactMode, float contactElasticity);
    void ResolvePenetration(CollisionRecord& record, float fraction);
    void FreezeStage();
    void UpdateFrozenBodies();

    // The detection hook: nothing is detected until the collision code
    // installs its systems here (the single-body one serves the wake walk).
    void SetCollisionSystem(CollisionSystemFunction system, SingleBodyCollisionFunction singleBody);

    const std::vector<RigidBody*>& GetBodies() const { return bodies; }
    const std::vector<PhysicsController*>& GetControllers() const { return controllers; }
    const std::vector<Constraint*>& GetConstraints() const { return constraints; }
    const std::vector<CollisionRecord>& GetRecords() const { return records; }
    const std::vector<BodyCollisionData*>& GetCollisionDataList() const { return collisionDataList; }
    // Test seam: the resolver tests plant records by hand.
    std::vector<CollisionRecord>& GetRecordsForTest() { return records; }

    float GetTimeScale() const { return timeScale; }
    float GetStep() const { return step; }
    float GetLeftover() const { return leftover; }
    float GetSimulatedTime() const { return simulatedTime; }
    bool UsesSmallerTimestep() const { return useSmallerTimestep; }
    int GetCollisionIterations() const { return collisionIterations; }
    int GetContactIterations() const { return contactIterations; }
    int GetPenetrationIterations() const { return penetrationIterations; }
    bool ReusesCollisions() const { return reuseCollisions; }
    float GetPenetrationResolveFraction() const { return penetrationResolveFraction; }
    bool IsFreezingEnabled() const { return freezingEnabled; }
    // "physics_force_per_vel_per_mass", for the start-up to hand to the
    // player's ObjectController (15 when the key is absent).
    float GetPushStrength() const { return pushStrength; }
    // Sub-steps run by the last Update.
    int GetLastSubStepCount() const { return lastSubStepCount; }

private:
    void ReadConfig(ConfigFile& config, bool reportMissing);
    void ApplyForces(float h);
    void CollisionStage(float h);
    void ContactStage(float h);
    void UpdateRestTimers(float h);
    void UpdateRestTimer(RigidBody* body, float h);
    void PrepareActiveConstraints(float h);
    bool SolveActiveConstraints(float h);
    bool ResolvePass(float h, bool contactMode);
    void WakeTouchedBodies(RigidBody* body);
    void TouchFrozenPartners(RigidBody* body, BodyCollisionData* data);
    void ForgetCollidingBodies(RigidBody* const* gone, size_t count);

    float timeScale;
    float step;
    float leftover;
    float simulatedTime;
    std::vector<BodyCollisionData*> collisionDataList;
    std::vector<RigidBody*> bodies;
    std::vector<Heightmap*> heightmaps;
    std::vector<PhysicsController*> controllers;
    std::vector<Constraint*> constraints;
    bool useSmallerTimestep;
    std::vector<BodyStateSnapshot> snapshots;
    std::vector<CollisionRecord> records;
    int sweepForward;
    int collisionIterations;
    int contactIterations;
    int penetrationIterations;
    bool reuseCollisions;
    float penetrationResolveFraction;
    bool freezingEnabled;
    CollisionSystemFunction collisionSystem;
    SingleBodyCollisionFunction singleBodyCollision;
    float pushStrength;
    int lastSubStepCount;
};

extern PhysicsWorld* gPhysicsWorld;
