// Bodies and a stand-in detection pass for the physics tests: spheres against
// a ground plane at z = 0 and against each other, with records filed the way
// the game's collision code files them.
#pragma once

#include <map>
#include <string>

#include "physics/BodyCollisionData.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

class TestBall : public RigidBody
{
public:
    TestBall(float radius, float mass, const Vector3& position, int objectId = 1, int type = 0);

    void ApplyForces(float h) override { ApplyGravity(); }
    BodyCollisionData* GetCollisionData() override { return hasCollisionData ? &data : nullptr; }
    void UpdateBounds() override { ++boundsUpdates; }
    int* GetObjectId() override { return &objectId; }
    int GetType() const override { return type; }

    float radius;
    BodyCollisionData data;
    bool hasCollisionData = true;
    int objectId;
    int type;
    int boundsUpdates = 0;
};

// The ground of the stand-in detection: the plane z = 0 with this material.
extern Heightmap gTestGround;
// When false the stand-in detects no ground contacts.
extern bool gTestGroundEnabled;

void TestCollideAll(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                    std::vector<CollisionRecord>& records);
void TestCollideOne(BodyCollisionData* data, std::vector<BodyCollisionData*>& bodies,
                    const std::vector<Heightmap*>& heightmaps, std::vector<CollisionRecord>& records);

void InstallTestCollision(PhysicsWorld& world);

// Every key of the world at its usual value, with some replaced; "" as a value
// drops the key from the file.
std::string WriteTestConfig(const std::map<std::string, std::string>& overrides);
// Loads a config built by WriteTestConfig into the world.
void LoadTestConfig(PhysicsWorld& world, const std::map<std::string, std::string>& overrides = {});

bool IsFinite(const Vector3& v);
bool IsFinite(const Matrix3& m);
