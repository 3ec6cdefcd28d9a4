// The mine cart: a box hull on four ray-cast wheels, at once a body of the
// physics world and a controller of it. Its forces (gravity and the wheels'
// ground forces) come with the other bodies' forces in a sub-step; its
// controller step then spins the wheels, eases throttle and steering towards
// their targets, drives, brakes and steers.
//
// Body axes: x forward, y to the left, z up.
//
// Ownership: the World's object list owns a cart and deletes it as an object;
// the physics world only refers to its body and to its controller part, and a
// stage clear drops both references before the objects are deleted. The cart
// owns its wheels.
#pragma once

#include <memory>

#include "physics/BodyCollisionData.h"
#include "physics/PhysicsController.h"
#include "physics/shapes/SurfaceTriangle.h"
#include "objects/Vehicle.h"
#include "objects/Wheel.h"

class PhysicsWorld;

class MineCart : public Vehicle, public PhysicsController
{
public:
    // The object factory's type id, and the body the cart was tuned with.
    static constexpr int kType = 8;
    static constexpr float kMass = 600.0f;
    static constexpr float kInertia = 300.0f;

    static constexpr int kWheelCount = 4;
    // Wheel indices: rear left and right are braked, front left and right steer.
    static constexpr int kRearLeft = 0;
    static constexpr int kRearRight = 1;
    static constexpr int kFrontLeft = 2;
    static constexpr int kFrontRight = 3;

    // Registers the controller part with the world (which may be null for a
    // cart that is only looked at, never stepped). The cart starts with its
    // tuned mass and inertia, so its world tensors are right whatever order
    // the caller then sets its pose in.
    MineCart(PhysicsWorld* world, bool driveFrontAxle, bool driveRearAxle);
    ~MineCart() override;

    BodyCollisionData* GetCollisionData() override { return &collisionData; }
    void ApplyForces(float h) override;
    // The player's mask ray: the segment clipped against the hull's faces.
    bool IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit,
                          Vector3& point) override;

    void SetThrottle(float target) override { throttleTarget = target; }
    void SetSteering(float target) override { steeringTarget = target; }
    void SetBrake(float value) override { brake = value; }
    void ResetWheels() override;
    int CountWheelsOnGround() override;

    void Update(float h) override;

    // The wheel a tire model follows; null outside [0, kWheelCount).
    Wheel* GetWheel(int index);
    const Wheel* GetWheel(int index) const;

    float GetThrottle() const { return throttle; }
    float GetSteering() const { return steering; }
    float GetBrake() const { return brake; }
    bool DrivesFrontAxle() const { return driveFrontAxle; }
    bool DrivesRearAxle() const { return driveRearAxle; }
    const TriangleList& GetTriangles() const { return triangles; }

    // The cart whose grid later carts share: the first built while there was
    // none. Null again once that cart is gone.
    static const MineCart* GetMeshTemplate() { return meshTemplate; }

private:
    void BuildCollisionData();
    void SteerFrontWheels();

    float steeringTarget;
    float throttleTarget;
    float steering;
    float throttle;
    float brake;
    std::unique_ptr<Wheel> wheels[kWheelCount];
    BodyCollisionData collisionData;
    bool driveFrontAxle;
    bool driveRearAxle;
    TriangleList triangles;
    PhysicsWorld* world;

    static MineCart* meshTemplate;
};
