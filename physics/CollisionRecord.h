// One contact point found by collision detection and resolved by the world.
// Detection fills dataA .. depth; PhysicsWorld::PrepareCollision the rest.
#pragma once

#include "core/Vector3.h"

struct BodyCollisionData;
class Heightmap;

struct CollisionRecord
{
    BodyCollisionData* dataA = nullptr; // its owner is body A
    BodyCollisionData* dataB = nullptr; // null for a terrain contact
    Heightmap* heightmap = nullptr;     // the terrain of a terrain contact
    Vector3 normal;                     // unit, from B (or the terrain) towards A
    Vector3 point;                      // world contact point
    float depth = 0.0f;                 // > 0 when the shapes overlap

    Vector3 armA; // point - A.position
    Vector3 armB; // point - B.position, two-body records only
    float biasVelocity = 0.0f;
    float elasticity = 0.0f;
    float staticFriction = 0.0f;
    float dynamicFriction = 0.0f;
    float normalMass = 0.0f; // effective mass term K along the normal
};
