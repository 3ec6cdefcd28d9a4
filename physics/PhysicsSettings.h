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
