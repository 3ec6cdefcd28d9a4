#include "objects/ChainWhip.h"

#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "physics/BodyTypes.h"
#include "physics/ConstraintPoint.h"
#include "physics/ConstraintWorldPoint.h"

namespace {

// The handle: a heavy bar of marble turning about its centre.
const float kHandleRadius = 2.0f;
const float kHandleLength = 6.0f;
const int kHandleSlices = 16;
const int kHandleStacks = 10;
const float kHandleMass = 200.0f;
const float kHandleHeight = 3.0f;
const float kHandleElasticity = 0.0f;
const float kHandleStaticFriction = 0.2f;
const float kHandleDynamicFriction = 0.1f;
const char* const kHandleTechnique = "Phong1Opaque";
const Vector3 kHandleDrawScale(3.0f, 4.0f, 4.0f);
// The column stands upright whichever way the bar turns.
const Matrix3 kUpright(0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f);
const Vector3 kStartingWhip(0.0f, 0.0f, 10.0f);

// The links: balls two across, built two units apart and two above where
// the joints will hold them, so they drop into place.
const float kLinkSize = 2.0f;
const int kLinkBands = 16;
const int kLinkSectors = 10;
const float kLinkElasticity = 0.0f;
const float kLinkStaticFriction = 1.0f;
const float kLinkDynamicFriction = 0.7f;
const char* const kLinkTechnique = "MotionTexOpaqueDull";
const float kLinkDrawScale = 1.0f;
const float kFirstLinkDistance = 3.0f;
const float kLinkSpacing = 2.0f;
const float kLinkStartHeight = 5.0f;
const Vector3 kChainVisualScale(MachineryLook::kRopeWidth, 0.6f, MachineryLook::kRopeWidth);

} // namespace

ChainWhip::ChainWhip(PhysicsWorld* world, const Vector3& position, float linkMass)
    : parts(world), handle(nullptr), active(false), handleOrientation(kUpright), whipVector(kStartingWhip)
{
    const Vector3 handleCentre = position + Vector3(0.0f, 0.0f, kHandleHeight);
    handle = new Cylinder(world, kHandleRadius, kHandleLength, kHandleSlices, kHandleStacks, kHandleMass);
    SetSurface(handle, kHandleElasticity, kHandleStaticFriction, kHandleDynamicFriction);
    handle->typeId = kChainWhipHandleBodyType;
    parts.AddDrawable(
        handle,
        DrawableLook{MachineryLook::kColumnMesh, kHandleTechnique, MachineryLook::kHandleTexture, kHandleDrawScale},
        &handleOrientation);
    parts.AddStageBody(handle, handleCentre);
    bodies.push_back(handle);
    parts.AddConstraint(new ConstraintWorldPoint(handle, Vector3(), handleCentre));

    AddChain(position, 1.0f, linkMass);
    AddChain(position, -1.0f, linkMass);

    // Each joint holds a link two units further out along y than the one
    // before it; the two chains measure that step from opposite links.
    LinkChain(1, Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, -2.0f, 0.0f), Vector3(0.0f, -2.0f, 0.0f), Vector3());
    LinkChain(1 + kLinksPerChain, Vector3(0.0f, -2.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f), Vector3(),
              Vector3(0.0f, -2.0f, 0.0f));
    parts.AddController(this);
}

ChainWhip::~ChainWhip() = default;

// Six links out along y on the given side of the handle, each with its
// chain visual back to the body before it.
void ChainWhip::AddChain(const Vector3& position, float side, float linkMass)
{
    const DrawableLook look{MachineryLook::kLinkMesh, kLinkTechnique, MachineryLook::kLinkTexture,
                            Vector3(kLinkDrawScale, kLinkDrawScale, kLinkDrawScale)};
    for (int i = 0; i < kLinksPerChain; ++i) {
        Ellipsoid* link =
            new Ellipsoid(parts.GetWorld(), kLinkSize, kLinkSize, kLinkSize, kLinkBands, kLinkSectors, linkMass);
        SetSurface(link, kLinkElasticity, kLinkStaticFriction, kLinkDynamicFriction);
        link->typeId = kChainWhipLinkBodyType;
        // The handle spins through its links: the two never collide.
        IgnoreEachOther(handle, link);
        const float along = side * (kFirstLinkDistance + kLinkSpacing * static_cast<float>(i));
        parts.AddDrawable(link, look);
        parts.AddStageBody(link, position + Vector3(0.0f, along, kLinkStartHeight));
        const Object* previous = bodies.back();
        if (i == 0) {
            parts.AddChain(&handle->position, &link->position, MachineryLook::kChainTexture, kChainVisualScale);
        } else {
            parts.AddChain(&link->position, &previous->position, MachineryLook::kChainTexture, kChainVisualScale);
        }
        bodies.push_back(link);
    }
}

// Joins the handle to link first, then each link to the next; neighbours
// never collide. outerAnchor is on the link further from the handle.
void ChainWhip::LinkChain(int first, const Vector3& handleAnchor, const Vector3& firstAnchor,
                          const Vector3& outerAnchor, const Vector3& innerAnchor)
{
    parts.AddConstraint(
        new ConstraintPoint(handle, handleAnchor, bodies[first], firstAnchor, kBallLinkSlack, kBallLinkRelaxation));
    for (int i = first; i < first + kLinksPerChain - 1; ++i) {
        IgnoreEachOther(bodies[i], bodies[i + 1]);
        parts.AddConstraint(new ConstraintPoint(bodies[i], innerAnchor, bodies[i + 1], outerAnchor, kBallLinkSlack,
                                                kBallLinkRelaxation));
    }
}

void ChainWhip::Update(float)
{
    if (active) handle->angularVelocity = whipVector;
}
