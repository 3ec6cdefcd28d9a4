// What the cart tests share: the terrains and worlds of the collision tests,
// the scratch configuration of the shape tests, and a vector comparison.
#pragma once

#include "CollisionTestSupport.h"
#include "ShapeTestSupport.h"
#include "objects/MineCart.h"

// Component by component, within the tolerance.
void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance);
