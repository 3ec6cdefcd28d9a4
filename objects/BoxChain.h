// The breaking bridge: a row of boxes along y joined by hinges (or ball
// joints), fixed at both ends, that a trigger breaks open around its middle.
//
// Ownership: the boxes belong to the World (kept and deleted here when there
// is none); the joints and ball links belong to the bridge. See
// MachineryParts for the order the World takes a stage apart in.
#pragma once

#include <vector>

#include "core/Vector3.h"
#include "objects/MachineryParts.h"
#include "physics/PhysicsController.h"

class Box;
class ConstraintPoint;
class HingeJoint;
class PhysicsWorld;

class BoxChain : public PhysicsController
{
public:
    // Mode 1 joins the boxes with ball links; any other mode with hinges.
    static constexpr int kBallLinkMode = 1;

    // count boxes of size each, side by side along y, centred on start and
    // resting on it; the first and the last never move.
    BoxChain(PhysicsWorld* world, unsigned count, const Vector3& start, const Vector3& size, float mass, int mode);
    ~BoxChain() override;

    void Update(float h) override {}

    // Opens the bridge around its middle joint over one to three joints on
    // each side, drawn from the game's random sequence, and wakes the boxes.
    void Break();

    const std::vector<Box*>& GetBoxes() const { return boxes; }
    // Joint i joins box i and box i + 1.
    const std::vector<HingeJoint*>& GetJoints() const { return joints; }
    const std::vector<ConstraintPoint*>& GetPointLinks() const { return pointLinks; }
    const std::vector<MeshInstance*>& GetDrawables() const { return parts.GetDrawables(); }

private:
    void Join(Box* a, Box* b, const Vector3& size, int mode);

    MachineryParts parts;
    std::vector<Box*> boxes;
    std::vector<HingeJoint*> joints;
    std::vector<ConstraintPoint*> pointLinks;
};
