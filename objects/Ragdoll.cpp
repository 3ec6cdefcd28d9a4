#include "objects/Ragdoll.h"

#include <d3dx9.h>

#include <algorithm>
#include <iterator>

#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "objects/Capsule.h"
#include "objects/CharacterAnimation.h"
#include "objects/Ellipsoid.h"
#include "objects/StageHooks.h"
#include "physics/BodyCollisionData.h"
#include "physics/BodyTypes.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/PointLight.h"
#include "render/Renderer.h"
#include "render/SceneDrawer.h"

namespace {

const char* const kLimbTechnique = "PhongNoSpecOpaque";
const int kLimbMaterial = 2;

// Limb 0 rides this far above the walking body's centre.
const Vector3 kSpineAboveWalkingBody(0.0f, 0.0f, 1.0f);
const int kWalkingBodyAxis = 2; // upright

// Surfaces and rest tuning: limbs are a little bouncy and slide, the walking
// body grips and never rests (rest scale 0).
const BodySurface kLimbSurface = {0.1f, 0.5f, 0.2f, 3.0f};
const BodySurface kWalkingBodySurface = {0.0f, 0.9f, 0.7f, 0.0f};
const float kRestSpeed = 0.7f;
const float kRestDegrees = 30.0f;

// The first stage is lit by a sun far off; elsewhere the character carries a torch.
const Vector3 kSunPosition(300.0f, -300.0f, 800.0f);
const int kSunTexture = 5;
const float kTorchColour[4] = {1.0f, 0.8f, 0.2f, 1.0f};
const float kTorchRange = 10.0f;
const float kTorchPositionFlicker = 0.2f;
const float kTorchAttenuationFlicker = 0.15f;
// The light sits at the torch's head, along the hand's long axis.
const float kTorchLightOffset[4] = {0.0f, 2.0f, 0.0f, 0.0f};
const char* const kTorchEmitter = "TorchEmitter";
const Vector3 kTorchFlameOffset(0.0f, 1.5f, 0.0f);
const float kTorchFlameScale = 1.0f;

Object* MakeLimbShape(PhysicsWorld* world, const LimbSpec& spec)
{
    if (spec.shape == LimbShape::Capsule)
        return new Capsule(world, spec.size[0], spec.size[1], spec.mass, spec.capsuleAxis);
    const int bands = 10;
    const int sectors = 9;
    return new Ellipsoid(world, spec.size[0], spec.size[1], spec.size[2], bands, sectors, spec.mass);
}

Vector3 FrameOrigin(const D3DXFRAME* frame)
{
    const D3DXMATRIX& m = frame->TransformationMatrix;
    return Vector3(m._41, m._42, m._43);
}

} // namespace

Ragdoll::Ragdoll(PhysicsWorld* world, float damping_) : damping(damping_)
{
    StageHooks& stage = StageHookSlot::Get();
    stage.ResetPlayerForNewLevel();
    limbs.reserve(kRagdollLimbCount);
    bones.reserve(kRagdollLimbCount);
    boneEnds.reserve(kRagdollLimbCount);
    limbInstances.reserve(kRagdollLimbCount);
    drawableSpecs.reserve(kRagdollLimbCount);

    BuildLimbs(world);
    for (const LimbDrawableSpec& spec : kLimbDrawables) AddDrawable(spec);
    BuildLeftHand(CurrentStage());

    for (int i = 0; i < kRagdollLimbCount; ++i) limbs[i]->SetPosition(kLimbTable[i].start);
    mainBody->SetPosition(Vector3());

    SetUpJoints(world);
    EnterNoCollisionPairs();
    RegisterBodies(world);
    if (world) world->AddController(this);
}

Ragdoll::~Ragdoll()
{
    // The World may have deleted the limbs already: the drawables are only
    // handed back, never read through.
    for (MeshInstance* instance : limbInstances) ReleaseMeshInstance(instance);
    for (Object* body : ownedBodies) delete body;
}

void Ragdoll::BuildLimbs(PhysicsWorld* world)
{
    for (const LimbSpec& spec : kLimbTable) {
        limbs.push_back(MakeLimbShape(world, spec));
        D3DXFRAME* bone = FindCharacterBone(spec.bone);
        bones.push_back(bone);
        boneEnds.push_back(bone ? bone->pFrameFirstChild : nullptr);
    }
    mainBody = new Capsule(world, kWalkingBodyRadius, kWalkingBodyLength, kWalkingBodyMass, kWalkingBodyAxis);
}

void Ragdoll::AddDrawable(const LimbDrawableSpec& spec)
{
    MeshInstance* instance =
        new MeshInstance(false, false, spec.mesh, kLimbTechnique, kLimbMaterial, spec.texture, true, false, false);
    const Object* limb = limbs[spec.limb];
    instance->position = &limb->position;
    instance->orientation = &limb->GetOrientation();
    limbInstances.push_back(instance);
    drawableSpecs.push_back(&spec);
    DrawOnLimb(limbInstances.size() - 1);
    if (gRenderer) gRenderer->QueueInstance(instance);
}

void Ragdoll::DrawOnLimb(size_t i)
{
    const Vector3& scale = drawableSpecs[i]->scale;
    D3DXMatrixScaling(&limbInstances[i]->world, scale.x, scale.y, scale.z);
    limbInstances[i]->worldOverride = nullptr;
}

void Ragdoll::BuildLeftHand(int stage)
{
    StageHooks& hooks = StageHookSlot::Get();
    const Object* hand = limbs[kLeftHandLimb];
    if (stage == kFirstStage) {
        hooks.CreateSceneObject(kSunSceneObjectType, &kSunPosition, &Matrix3::Identity(), 1.0f, 1.0f, 1.0f,
                                kSunTexture);
        AddDrawable(kLeftHandDrawable);
        return;
    }
    AddDrawable(kTorchDrawable);
    if (PointLight* light = hooks.AddLight(&hand->position, &hand->GetOrientation(), kTorchColour, kTorchRange,
                                           kTorchPositionFlicker, kTorchAttenuationFlicker))
        std::copy(std::begin(kTorchLightOffset), std::end(kTorchLightOffset), light->offset);
    EventDispatcher::SendMessage(hooks.GetParticleManager(), kMsgAttachSystem,
                                 new fAttachSystem(kTorchEmitter, &kTorchFlameOffset, &hand->position,
                                                   &hand->GetOrientation(), nullptr, &kTorchFlameScale));
}

void Ragdoll::SetUpJoints(PhysicsWorld* world)
{
    for (int j = 0; j < kRagdollJointCount; ++j) {
        const JointSpec& spec = kJointTable[j];
        joints[j].Setup(world, limbs[spec.bodyA], limbs[spec.bodyB], spec.axis, spec.hingeOffset, spec.maxAngle,
                        spec.minAngle, spec.armLength, spec.armSlackFactor, damping);
    }
}

void Ragdoll::EnterNoCollisionPairs()
{
    for (const LimbPair& pair : kNoCollisionPairs) IgnoreCollisionPair(limbs[pair.a], limbs[pair.b]);
    for (int limb : kWalkingBodyIgnoreOrder) IgnoreCollisionPair(mainBody, limbs[limb]);
}

void Ragdoll::IgnoreCollisionPair(RigidBody* a, RigidBody* b)
{
    if (!a || !b) return;
    BodyCollisionData* dataA = a->GetCollisionData();
    BodyCollisionData* dataB = b->GetCollisionData();
    if (!dataA || !dataB) return;
    dataA->ignoreList.push_back(dataB);
    dataB->ignoreList.push_back(dataA);
}

void Ragdoll::RegisterBodies(PhysicsWorld* world)
{
    for (Object* limb : limbs) Register(world, limb, kLimbSurface, kRagdollLimbBodyType);
    Register(world, mainBody, kWalkingBodySurface, kPlayerBodyType);
}

void Ragdoll::Register(PhysicsWorld* world, Object* body, const BodySurface& surface, int type)
{
    body->elasticity = surface.elasticity;
    body->staticFriction = surface.staticFriction;
    body->dynamicFriction = surface.dynamicFriction;
    body->SetFreezeThresholds(kRestSpeed, kRestDegrees);
    body->SetRestScale(surface.restScale);
    body->typeId = type;
    if (world) world->AddBody(body);
    if (!StageHookSlot::Get().AddObject(body)) ownedBodies.push_back(body);
}

Object* Ragdoll::GetLimb(int i) const
{
    return i >= 0 && i < kRagdollLimbCount ? limbs[i] : nullptr;
}

bool Ragdoll::FollowsBone(int i) const
{
    return i >= 0 && i < kRagdollLimbCount && bones[i] && boneEnds[i];
}

void Ragdoll::Enable()
{
    limp = true;
    for (HingeJoint& joint : joints) joint.Enable();
    if (CurrentStage() != kFirstStage) joints[kTorchWristJoint].Disable();
    for (Object* limb : limbs) limb->gravityEnabled = true;
    ShowDrawables();
}

void Ragdoll::Disable()
{
    limp = false;
    for (HingeJoint& joint : joints) joint.Disable();
    for (Object* limb : limbs) limb->gravityEnabled = false;
    ShowDrawables();
}

void Ragdoll::MoveTo(const Vector3& p)
{
    const Vector3 shift = p - limbs[kSpineLimb]->position;
    for (Object* limb : limbs) limb->SetPosition(limb->position + shift);
}

void Ragdoll::SetLimbState(bool on)
{
    limbInstances[kHeadLimb]->textureId = on ? kMaskedHeadTexture : kBareHeadTexture;
    maskOn = on;
    ShowDrawables();
}

void Ragdoll::ShowDrawables()
{
    for (size_t i = 0; i < limbInstances.size(); ++i) {
        const UprightLook look = drawableSpecs[i]->upright;
        const bool shown = limp || look == UprightLook::Shown || (look == UprightLook::MaskOnly && maskOn);
        limbInstances[i]->hidden = !shown;
        DrawOnLimb(i);
    }
}

void Ragdoll::DrawShownOnBones(bool posed)
{
    D3DXMATRIX noFacing, laid, fromBone;
    D3DXMatrixIdentity(&noFacing);
    // Only what shows of the standing character (the torch, a worn mask);
    // the hidden drawables stay as ShowDrawables left them.
    for (size_t i = 0; i < limbInstances.size(); ++i) {
        MeshInstance* drawable = limbInstances[i];
        const int limb = drawableSpecs[i]->limb;
        if (drawable->hidden || !FollowsBone(limb)) continue;
        DrawOnLimb(i);
        if (!posed) continue;
        const D3DXMATRIX& bone = bones[limb]->TransformationMatrix;
        if (!D3DXMatrixInverse(&fromBone, nullptr, &bone)) continue;
        SceneDrawer::InstanceWorld(*drawable, noFacing, &laid);
        D3DXMatrixMultiply(&drawable->world, &laid, &fromBone);
        drawable->worldOverride = &bone;
    }
}

void Ragdoll::Update(float h)
{
    if (limp) {
        limbs[kSpineLimb]->gravityEnabled = true;
        return;
    }
    FollowAnimation(h);
}

void Ragdoll::FollowAnimation(float h)
{
    Object* spine = limbs[kSpineLimb];
    spine->SetPosition(mainBody->position + kSpineAboveWalkingBody);
    for (int i = 0; i < kRagdollLimbCount; ++i) {
        limbs[i]->linearVelocity = mainBody->linearVelocity;
        if (i != kSpineLimb) limbs[i]->angularVelocity = mainBody->angularVelocity;
    }
    // The walking body never tips over, whatever the contacts did.
    mainBody->SetOrientation(Matrix3::Identity());
    mainBody->angularVelocity = Vector3();

    const bool posed = AdvanceCharacterAnimation(h);
    for (int i = 0; i < kRagdollLimbCount; ++i) {
        if (!posed || !FollowsBone(i)) {
            HoldAtPlace(i);
            continue;
        }
        const Vector3 a = FrameOrigin(bones[i]);
        const Vector3 span = FrameOrigin(boneEnds[i]) - a;
        Vector3 u = span;
        u.Normalize();
        if (i != kSpineLimb) limbs[i]->SetPosition(a + span * 0.5f);
        limbs[i]->SetOrientation(LimbFrameAlong(i, u));
    }
    DrawShownOnBones(posed);
}

void Ragdoll::HoldAtPlace(int limb)
{
    Object* spine = limbs[kSpineLimb];
    if (limb != kSpineLimb) limbs[limb]->SetPosition(spine->position + kLimbTable[limb].start);
    limbs[limb]->SetOrientation(Matrix3::Identity());
}
