// The detection hooks the physics world calls. The world only fixes their
// arguments: the broadphase and narrowphase behind them live with the
// collision code, which installs them with PhysicsWorld::SetCollisionSystem.
// Until then the world detects nothing.
#pragma once

#include <vector>

struct BodyCollisionData;
struct CollisionRecord;
class Heightmap;

// Appends every contact of this pass to records and files each record's index
// with the collision data of its bodies.
using CollisionSystemFunction = void (*)(std::vector<BodyCollisionData*>& bodies,
                                         const std::vector<Heightmap*>& heightmaps,
                                         std::vector<CollisionRecord>& records);

// Contacts of one body with the terrain and every other body (the wake walk).
using SingleBodyCollisionFunction = void (*)(BodyCollisionData* data, std::vector<BodyCollisionData*>& bodies,
                                             const std::vector<Heightmap*>& heightmaps,
                                             std::vector<CollisionRecord>& records);
