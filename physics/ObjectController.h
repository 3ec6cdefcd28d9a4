// The player's push on its body: the player controller sets the body, enables
// it and adds directions; each sub-step turns them into a force proportional to
// the body's mass, then forgets them.
#pragma once

#include "core/Vector3.h"
#include "physics/PhysicsController.h"

class PhysicsWorld;
class RigidBody;

class ObjectController : public PhysicsController
{
public:
    explicit ObjectController(PhysicsWorld* world);

    void Update(float h) override;
    // The stage's bodies are being deleted: drop the body and switch off.
    void OnWorldClear() override;

    void SetObject(RigidBody* body);
    void SetEnabled(bool enabled);
    void AddDirection(const Vector3& direction);
    // "physics_force_per_vel_per_mass": force = direction * strength * mass.
    void SetStrength(float strength);

    RigidBody* GetObject() const { return body; }
    bool IsEnabled() const { return enabled; }
    float GetStrength() const { return strength; }
    const Vector3& GetDirection() const { return direction; }

private:
    PhysicsWorld* world;
    RigidBody* body;
    Vector3 direction;
    float strength;
    bool enabled;
};

extern ObjectController* gObjectController;
