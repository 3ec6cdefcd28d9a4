#include "PhysicsTestSupport.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/ConfigFile.h"

Heightmap gTestGround;
bool gTestGroundEnabled = true;

TestBall::TestBall(float radius_, float mass, const Vector3& p, int objectId_, int type_)
    : radius(radius_), data(this), objectId(objectId_), type(type_)
{
    SetMass(mass);
    const float I = 0.4f * mass * radius * radius;
    SetInertia(I, I, I);
    SetOrientation(Matrix3::Identity());
    SetPosition(p);
    data.position = p;
}

namespace {

float Radius(const BodyCollisionData* data)
{
    return static_cast<const TestBall*>(data->owner)->radius;
}

void AddRecord(std::vector<CollisionRecord>& records, const CollisionRecord& record)
{
    const int index = static_cast<int>(records.size());
    records.push_back(record);
    record.dataA->recordIndices.push_back(index);
    if (record.dataB != nullptr) {
        record.dataB->recordIndices.push_back(index);
    }
}

void CollideGround(BodyCollisionData* data, std::vector<CollisionRecord>& records)
{
    const RigidBody* owner = data->owner;
    if (!gTestGroundEnabled || owner->immovable || owner->IsFrozen()) {
        return;
    }
    const float r = Radius(data);
    const float depth = r - data->position.z;
    if (depth > 0.0f) {
        CollisionRecord record;
        record.dataA = data;
        record.heightmap = &gTestGround;
        record.normal = Vector3(0.0f, 0.0f, 1.0f);
        record.point = data->position - Vector3(0.0f, 0.0f, r);
        record.depth = depth;
        AddRecord(records, record);
    }
}

void CollidePair(BodyCollisionData* a, BodyCollisionData* b, std::vector<CollisionRecord>& records)
{
    const Vector3 d = a->position - b->position;
    const float dist = d.Length();
    const float reach = Radius(a) + Radius(b);
    if (!(dist < reach) || !(dist > 0.0f)) {
        return;
    }
    CollisionRecord record;
    record.dataA = a;
    record.dataB = b;
    record.normal = d * (1.0f / dist);
    record.depth = reach - dist;
    record.point = b->position + record.normal * (Radius(b) - record.depth * 0.5f);
    AddRecord(records, record);
}

bool MayPair(const RigidBody* a, const RigidBody* b)
{
    if (a->immovable && b->immovable) {
        return false;
    }
    return !(a->IsFrozen() && b->IsFrozen());
}

} // namespace

void TestCollideAll(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>&,
                    std::vector<CollisionRecord>& records)
{
    for (BodyCollisionData* data : bodies) {
        // The game's sort needs finite keys; a NaN pose here is a fault.
        if (!IsFinite(data->position)) {
            ADD_FAILURE() << "a pose that is not finite reached collision detection";
        }
        CollideGround(data, records);
    }
    for (size_t i = 0; i < bodies.size(); ++i) {
        for (size_t j = i + 1; j < bodies.size(); ++j) {
            if (MayPair(bodies[i]->owner, bodies[j]->owner)) {
                CollidePair(bodies[i], bodies[j], records);
            }
        }
    }
}

void TestCollideOne(BodyCollisionData* data, std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>&,
                    std::vector<CollisionRecord>& records)
{
    if (data->owner->immovable) {
        return;
    }
    CollideGround(data, records);
    for (BodyCollisionData* other : bodies) {
        if (other->owner == data->owner || (!other->owner->IsFrozen() && other->owner->immovable)) {
            continue;
        }
        CollidePair(data, other, records);
    }
}

void InstallTestCollision(PhysicsWorld& world)
{
    world.SetCollisionSystem(TestCollideAll, TestCollideOne);
}

std::string WriteTestConfig(const std::map<std::string, std::string>& overrides)
{
    std::map<std::string, std::string> keys = {
        {"physics_gravity", "9.81"},
        {"physics_freq", "100"},
        {"physics_time_scale", "1.0"},
        {"use_smaller_timestep", "true"},
        {"physics_collision_system", "1"},
        {"physics_collision_iterations", "5"},
        {"physics_reuse_collisions", "false"},
        {"physics_contact_iterations", "10"},
        {"physics_penetration_iterations", "10"},
        {"physics_penetration_resolve_fraction", "0.008"},
        {"physics_enable_freezing", "true"},
        {"interpolate_collision_mesh", "true"},
        {"use_one_edge_collision_for_heightmap", "true"},
        {"use_one_edge_collision_for_body", "false"},
        {"physics_force_per_vel_per_mass", "15.0"},
    };
    for (const auto& entry : overrides) {
        keys[entry.first] = entry.second;
    }
    static int serial = 0;
    const std::string path = "physics_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++) + ".cfg";
    std::ofstream file(path);
    for (const auto& entry : keys) {
        if (!entry.second.empty()) {
            file << entry.first << " " << entry.second << "\n";
        }
    }
    return path;
}

void LoadTestConfig(PhysicsWorld& world, const std::map<std::string, std::string>& overrides)
{
    const std::string path = WriteTestConfig(overrides);
    bool ok = false;
    ConfigFile config(path, &ok);
    world.LoadConfig(config);
    std::remove(path.c_str());
}

bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool IsFinite(const Matrix3& m)
{
    for (int i = 0; i < 9; ++i) {
        if (!std::isfinite(m[i])) {
            return false;
        }
    }
    return true;
}
