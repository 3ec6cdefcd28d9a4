#include "objects/ChainPlatform.h"

#include "core/Matrix3.h"
#include "objects/Box.h"
#include "objects/Ellipsoid.h"
#include "physics/BodyTypes.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/ConstraintWorldPoint.h"

namespace {

const float kPlatformThickness = 1.0f;
const float kPlatformElasticity = 0.0f;
const float kPlatformStaticFriction = 0.8f;
const float kPlatformDynamicFriction = 0.6f;
const char* const kPlatformTechnique = "Phong1Opaque";

// The links: unit balls of steel, pinned by their tops.
const float kLinkSize = 1.0f;
const int kLinkBands = 16;
const int kLinkSectors = 10;
const float kLinkMass = 20.0f;
const float kLinkElasticity = 0.0f;
const float kLinkStaticFriction = 1.0f;
const float kLinkDynamicFriction = 0.7f;
const char* const kLinkTechnique = "MotionTexOpaqueDull";
const float kLinkDrawScale = 0.5f;

// How far the platform may hang below its links. The ropes start slack, so a
// new platform first falls this far.
const float kChainLength = 30.0f;

} // namespace

ChainPlatform* ChainPlatform::Build(PhysicsWorld* world, const Vector3& position, float sizeX, float sizeY, float mass)
{
    return new ChainPlatform(world, position, sizeX, sizeY, mass);
}

ChainPlatform::ChainPlatform(PhysicsWorld* world, const Vector3& position, float sx, float sy, float mass)
    : parts(world), platform(nullptr)
{
    const float halfThickness = kPlatformThickness / 2.0f;
    platform = new Box(world, sx, sy, kPlatformThickness, mass);
    SetSurface(platform, kPlatformElasticity, kPlatformStaticFriction, kPlatformDynamicFriction);
    platform->typeId = kChainPlatformBodyType;
    parts.AddDrawable(platform, DrawableLook{MachineryLook::kCubeMesh, kPlatformTechnique, MachineryLook::kPlankTexture,
                                             Vector3(sx, sy, kPlatformThickness)});
    parts.AddStageBody(platform, position + Vector3(0.0f, 0.0f, halfThickness));
    bodies.push_back(platform);

    // Corner order: +x-y, -x-y, +x+y, -x+y.
    cornerOffsets[0] = Vector3(sx / 2.0f, -sy / 2.0f, kPlatformThickness);
    cornerOffsets[1] = Vector3(-sx / 2.0f, -sy / 2.0f, kPlatformThickness);
    cornerOffsets[2] = Vector3(sx / 2.0f, sy / 2.0f, kPlatformThickness);
    cornerOffsets[3] = Vector3(-sx / 2.0f, sy / 2.0f, kPlatformThickness);
    RefreshCorners();

    const float linkRadius = kLinkSize / 2.0f;
    const DrawableLook linkLook{MachineryLook::kLinkMesh, kLinkTechnique, MachineryLook::kLinkTexture,
                                Vector3(kLinkDrawScale, kLinkDrawScale, kLinkDrawScale)};
    for (int k = 0; k < kCornerCount; ++k) {
        Ellipsoid* link = new Ellipsoid(world, kLinkSize, kLinkSize, kLinkSize, kLinkBands, kLinkSectors, kLinkMass);
        SetSurface(link, kLinkElasticity, kLinkStaticFriction, kLinkDynamicFriction);
        link->typeId = kChainPlatformLinkBodyType;
        const Vector3 linkCentre = position + cornerOffsets[k] + Vector3(0.0f, 0.0f, linkRadius);
        parts.AddDrawable(link, linkLook);
        parts.AddStageBody(link, linkCentre);
        bodies.push_back(link);
        parts.AddChain(&cornerPoints[k], &link->position, MachineryLook::kRopeTexture,
                       Vector3(MachineryLook::kRopeWidth, 1.0f, MachineryLook::kRopeWidth));
        // The link hangs by its top, right where it was built.
        parts.AddConstraint(new ConstraintWorldPoint(link, Vector3(0.0f, 0.0f, linkRadius),
                                                     linkCentre + Vector3(0.0f, 0.0f, linkRadius)));
    }
    for (int k = 0; k < kCornerCount; ++k) {
        Object* link = bodies[1 + k];
        // From the platform's top corner to the link's bottom.
        parts.AddConstraint(new ConstraintMaxDistance(platform, cornerOffsets[k] - Vector3(0.0f, 0.0f, halfThickness),
                                                      link, Vector3(0.0f, 0.0f, -linkRadius), kChainLength));
        IgnoreEachOther(platform, link);
    }
    parts.AddController(this);
}

ChainPlatform::~ChainPlatform() = default;

void ChainPlatform::Update(float)
{
    RefreshCorners();
}

void ChainPlatform::RefreshCorners()
{
    for (int k = 0; k < kCornerCount; ++k) {
        Vector3 turned;
        Vector3::TimesMatrix3(turned, platform->GetOrientation(), cornerOffsets[k]);
        cornerPoints[k] = platform->position + turned;
    }
}
