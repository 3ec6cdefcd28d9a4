// Collision detection: which bodies are tested against each other and the
// terrain, in which order. Every contact becomes one CollisionRecord appended
// to the pass's list, its index filed with the collision data of its bodies.
// The record order feeds the resolver's alternating sweeps, so the loop orders
// here are part of the simulation and must not change.
#pragma once

#include <vector>

struct BodyCollisionData;
struct CollisionRecord;
class Heightmap;
class PhysicsWorld;

// Installs the detection below into the world: the system selected by
// gPhysicsSettings.collisionSystem at each pass, and the single-body pass for
// the wake walk.
void InstallCollisionDetection(PhysicsWorld& world);

// All pairs (setting 0) or the sorted sweep (anything else).
void CollideSelectedSystem(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                           std::vector<CollisionRecord>& records);
void CollideAllPairs(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                     std::vector<CollisionRecord>& records);
// Sorts bodies (stably) by their bounding-box minimum on the sweep axis and
// tests every later body against every earlier one; nothing is pruned.
void CollideSweepAndPrune(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                          std::vector<CollisionRecord>& records);
// Contacts of one body with the terrain and every other body.
void CollideOneBody(BodyCollisionData* data, std::vector<BodyCollisionData*>& bodies,
                    const std::vector<Heightmap*>& heightmaps, std::vector<CollisionRecord>& records);

// Brings every body's collision pose and world points up to date: always for
// awake movable bodies, for frozen and immovable ones only when their pose
// changed since the last refresh.
void RefreshCollisionPoints(const std::vector<BodyCollisionData*>& bodies);

bool IsNotIgnored(const BodyCollisionData* other, const std::vector<BodyCollisionData*>& ignoreList);
// -1, 0 or +1 by the bounding-box minimum on the sweep axis; a NaN minimum
// sorts after every number, so a blown-up body cannot break the sort.
int CompareBoundsMinimum(const BodyCollisionData* a, const BodyCollisionData* b);
int GetSweepAxis();
void SetSweepAxis(int axis);

// Narrowphase (CollisionNarrowphase.cpp).
void CollideBodyHeightmap(BodyCollisionData* data, Heightmap* heightmap, std::vector<CollisionRecord>& records);
// The sample points and edges of sampleOwner against the grid of gridOwner.
void CollideBodies(BodyCollisionData* gridOwner, BodyCollisionData* sampleOwner, std::vector<CollisionRecord>& records);
// Appends the record and files its index with A (and B).
void AppendCollisionRecord(const CollisionRecord& record, std::vector<CollisionRecord>& records);
// Tells the player listener about a pair that passed the cheap tests.
void NotifyPlayerContact(BodyCollisionData* a, BodyCollisionData* b);
