// What the machinery tests share: a stand-in for the World and the player
// behind the stage hooks, the World's order of taking a stage apart, and the
// checks every machine's bodies must pass.
#pragma once

#include <functional>
#include <vector>

#include "core/Vector3.h"
#include "objects/StageHooks.h"
#include "physics/PhysicsController.h"

class NPObj;
class Object;
class PhysicsWorld;
class RigidBody;

// Installed for its lifetime. Taking objects, it owns what the machines hand
// the World, as the World does; not taking them, it answers as no World does.
class TestStage : public StageHooks
{
public:
    explicit TestStage(bool takesObjects);
    ~TestStage() override;
    TestStage(const TestStage&) = delete;
    TestStage& operator=(const TestStage&) = delete;

    bool AddObject(Object* object) override;
    bool AddUpdatable(NPObj* sceneObject) override;
    void KnockOutPlayer() override { ++knockOuts; }
    const RigidBody* GetPlayerBody() const override { return player; }

    // The World's clear up to its machines: objects, the physics world's
    // lists, then the scene objects. The machines go after, as they do there.
    void ClearLikeWorld(PhysicsWorld& world);

    std::vector<Object*> objects;
    std::vector<NPObj*> updatables;
    const RigidBody* player = nullptr;
    int knockOuts = 0;

private:
    bool takesObjects;
};

// A controller that runs a check at its place in the world's controllers:
// registered first, it stands for the player's push that a stage clear
// keeps; registered after a machine, it sees what the machine just did.
class ProbeController : public PhysicsController
{
public:
    explicit ProbeController(std::function<void()> check = nullptr) : check(std::move(check)) {}
    void Update(float) override
    {
        if (check) check();
    }

private:
    std::function<void()> check;
};

// Every body's ignore list holds each entry once, and every entry names
// one of the bodies, which holds it back. Returns the number of pairs.
int CountSymmetricIgnorePairs(const std::vector<Object*>& bodies);

// Component by component, within the tolerance.
void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance);
