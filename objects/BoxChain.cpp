#include "objects/BoxChain.h"

#include <cstdlib>

#include "objects/Box.h"
#include "physics/BodyTypes.h"
#include "physics/ConstraintPoint.h"
#include "physics/HingeJoint.h"
#include "physics/PhysicsWorld.h"

namespace {

const char* const kBoxTechnique = "PhongNoSpecOpaque";
const float kBoxElasticity = 0.0f;
const float kBoxStaticFriction = 1.0f;
const float kBoxDynamicFriction = 0.7f;
const float kBoxRestSpeed = 0.7f;
const float kBoxRestDegrees = 15.0f;
const float kBoxRestScale = 2.0f;

// Hinges turn about x, the bridge's width, a quarter turn either way.
const Vector3 kHingeAxis(1.0f, 0.0f, 0.0f);
const float kHingeMaxAngle = 90.0f;
const float kHingeMinAngle = 90.0f;
const float kHingeArmSlackFactor = 0.1f;
const float kHingeDamping = 0.0f;

// Break opens between one and this many joints on each side of the middle.
const int kMostJointsPerSide = 3;

// An index the bridge may not have (small bridges, ball links) ends on the
// nearest joint there is.
int ClampJoint(int index, int count)
{
    if (index < 0) return 0;
    return index < count ? index : count - 1;
}

} // namespace

BoxChain::BoxChain(PhysicsWorld* world, unsigned count, const Vector3& start, const Vector3& size, float mass, int mode)
    : parts(world)
{
    const DrawableLook look{MachineryLook::kCubeMesh, kBoxTechnique, MachineryLook::kPlankTexture, size};
    for (unsigned i = 0; i < count; ++i) {
        Box* box = new Box(world, size.x, size.y, size.z, mass);
        const float offset = static_cast<float>(i) * size.y - size.y * static_cast<float>(count) / 2.0f;
        const Vector3 centre(start.x, start.y + offset, start.z + size.z / 2.0f);
        if (i == 0 || i + 1 == count) {
            // Zeroes the inverse mass and inertia: the ends hold the bridge up.
            box->SetImmovable(true);
        }
        SetSurface(box, kBoxElasticity, kBoxStaticFriction, kBoxDynamicFriction);
        box->SetFreezeThresholds(kBoxRestSpeed, kBoxRestDegrees);
        box->SetRestScale(kBoxRestScale);
        box->typeId = kBridgeBoxBodyType;
        parts.AddDrawable(box, look);
        parts.AddStageBody(box, centre);
        boxes.push_back(box);
    }
    for (size_t i = 0; i + 1 < boxes.size(); ++i) Join(boxes[i], boxes[i + 1], size, mode);
    parts.AddController(this);
}

BoxChain::~BoxChain() = default;

void BoxChain::Join(Box* a, Box* b, const Vector3& size, int mode)
{
    IgnoreEachOther(a, b);
    const Vector3 halfStep(0.0f, size.y / 2.0f, 0.0f);
    if (mode == kBallLinkMode) {
        ConstraintPoint* link = new ConstraintPoint(a, halfStep, b, -halfStep, kBallLinkSlack, kBallLinkRelaxation);
        parts.AddConstraint(link);
        pointLinks.push_back(link);
        return;
    }
    HingeJoint* joint = new HingeJoint();
    joint->Setup(parts.GetWorld(), a, b, kHingeAxis, halfStep, kHingeMaxAngle, kHingeMinAngle, size.Length(),
                 kHingeArmSlackFactor, kHingeDamping);
    parts.AdoptJoint(joint);
    joints.push_back(joint);
}

void BoxChain::Break()
{
    // Both draws are taken even when there is nothing to open, so the game's
    // shared random sequence moves on the same way whatever the bridge.
    const int n = static_cast<int>(joints.size());
    const int before = std::rand() % kMostJointsPerSide + 1;
    for (int i = 1; i <= n - 2; ++i) boxes[i]->SetFreezeState(0, 1.0f);
    const int after = std::rand() % kMostJointsPerSide + 1;
    if (n == 0) return;
    const int middle = n / 2;
    for (int k = 0; k < before; ++k) joints[ClampJoint(middle - k, n)]->Disable();
    for (int k = 0; k < after; ++k) joints[ClampJoint(middle + k, n)]->Disable();
}
