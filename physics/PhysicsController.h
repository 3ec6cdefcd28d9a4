// Anything the physics world updates once per sub-step, after the bodies have
// added their forces and before contacts are handled. Owned elsewhere; the
// world only refers to it.
#pragma once

class PhysicsController
{
public:
    PhysicsController() = default;
    virtual ~PhysicsController() = default;

    // Registered by pointer: a copy would leave the world pointing at the old one.
    PhysicsController(const PhysicsController&) = delete;
    PhysicsController& operator=(const PhysicsController&) = delete;

    virtual void Update(float h) = 0;
    virtual void SetActive(bool) {}
    // Called on the controller that survives a stage clear: the bodies it may
    // point at are about to be deleted.
    virtual void OnWorldClear() {}
};
