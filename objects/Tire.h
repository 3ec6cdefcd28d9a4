// A tire drawn on a mine cart: a scene object that copies, once a frame, the
// world pose of the cart wheel it is given (spin, steering and the cart's own
// pose), so its model turns and steers with the wheel.
//
// Ownership: the World's updatable list owns the tire; the wheel belongs to
// its cart, which the World's object list owns. Both go at the same stage
// clear, and no update runs between the two deletions.
#pragma once

#include "objects/NPObj.h"

struct Wheel;

class Tire : public NPObj
{
public:
    static constexpr int kType = 9;

    void Update() override;

    // Null until the cart's builder hands one over; the tire then stays where
    // it was made.
    const Wheel* wheel = nullptr;
};
