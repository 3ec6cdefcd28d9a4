// A box platform hung on four short chains: four links pinned in space above
// its corners, each holding a corner on a rope of fixed length. Built where
// the platform is to start, it drops until the ropes catch it.
//
// Ownership: the platform and links belong to the World (kept and deleted
// here when there is none); the constraints belong to the platform
// controller. See MachineryParts.
#pragma once

#include <vector>

#include "core/Vector3.h"
#include "objects/MachineryParts.h"
#include "physics/PhysicsController.h"

class Box;
class Ellipsoid;
class Object;
class PhysicsWorld;

class ChainPlatform : public PhysicsController
{
public:
    static constexpr int kCornerCount = 4;

    // A new platform of sizeX by sizeY whose top starts one unit above
    // position, registered with the world; the caller owns the controller.
    static ChainPlatform* Build(PhysicsWorld* world, const Vector3& position, float sizeX, float sizeY, float mass);
    ~ChainPlatform() override;

    // Keeps the corner points the chain visuals hang from.
    void Update(float h) override;

    Box* GetPlatform() const { return platform; }
    // The platform first, then the links in corner order.
    const std::vector<Object*>& GetBodies() const { return bodies; }
    const std::vector<Constraint*>& GetConstraints() const { return parts.GetConstraints(); }
    const std::vector<MeshInstance*>& GetDrawables() const { return parts.GetDrawables(); }
    // The chain corners in the platform's own frame and in the world.
    const Vector3& GetCornerOffset(int k) const { return cornerOffsets[k]; }
    const Vector3& GetCornerPoint(int k) const { return cornerPoints[k]; }

private:
    ChainPlatform(PhysicsWorld* world, const Vector3& position, float sizeX, float sizeY, float mass);
    void RefreshCorners();

    MachineryParts parts;
    Box* platform;
    std::vector<Object*> bodies;
    Vector3 cornerOffsets[kCornerCount];
    Vector3 cornerPoints[kCornerCount];
};
