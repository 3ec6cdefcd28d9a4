#include "physics/ObjectController.h"

#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

ObjectController* gObjectController = nullptr;

ObjectController::ObjectController(PhysicsWorld* world_) : world(world_), body(nullptr), strength(15.0f), enabled(false)
{}

void ObjectController::Update(float)
{
    if (enabled && body != nullptr) {
        if (world != nullptr) {
            world->WakeBody(body);
        }
        body->force += direction * strength * body->GetMass();
    }
    direction = Vector3();
}

void ObjectController::OnWorldClear()
{
    body = nullptr;
    enabled = false;
    direction = Vector3();
}

void ObjectController::SetObject(RigidBody* body_)
{
    body = body_;
}

void ObjectController::SetEnabled(bool enabled_)
{
    enabled = enabled_;
}

void ObjectController::AddDirection(const Vector3& d)
{
    direction += d;
}

void ObjectController::SetStrength(float strength_)
{
    strength = strength_;
}
