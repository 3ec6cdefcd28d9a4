// Process-wide physics values that "Physics.cfg" sets once at start-up and that
// code outside the world reads: gravity for bodies and particles, and the
// collision-mesh switches of the detection code.
#pragma once

#include "core/Vector3.h"

struct PhysicsSettings
{
    Vector3 gravity = Vector3(0.0f, 0.0f, -9.81f);
    bool interpolateCollisionMesh = true;
    bool useOneEdgeCollisionForHeightmap = true;
    bool useOneEdgeCollisionForBody = false;
    // 0 tests all pairs; any other value selects the sorted sweep.
    unsigned int collisionSystem = 1;
};

extern PhysicsSettings gPhysicsSettings;

// The surface values a file may give a body or a ground ("Physics.cfg"'s
// material keys, a heightmap's ELASTIC and frictions). Contacts multiply the
// two elasticities, so above 1 a bounce would gain energy; a friction
// coefficient is at least 0, and well above any real surface's at 10.
const float kMaxElasticity = 1.0f;
const float kMaxFriction = 10.0f;
