// A drivable body: a game object that the player steers through five control
// operations. The mine cart is the one kind there is.
#pragma once

#include "objects/Object.h"

class Vehicle : public Object
{
public:
    ~Vehicle() override;

    // Targets and values in [-1, 1]; the vehicle moves towards them at its
    // own pace.
    virtual void SetThrottle(float target) = 0;
    virtual void SetSteering(float target) = 0;
    virtual void SetBrake(float value) = 0;
    // Stops every wheel's spin (a reloaded stage starts with still wheels).
    virtual void ResetWheels() = 0;
    virtual int CountWheelsOnGround() = 0;

protected:
    Vehicle() = default;
};
