#include "game/ObjectFactory.h"

#include "core/ConfigFile.h"
#include "core/Messages.h"
#include "game/FactoryCounters.h"
#include "game/Player.h"
#include "game/SceneFactory.h"
#include "game/World.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/MineCart.h"
#include "objects/Polyhedron.h"
#include "objects/Ragdoll.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "objects/Tire.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

namespace {

// Material defaults of every family; a key "Physics.cfg" lacks keeps its own.
const SurfaceMaterial kDefaultMaterial = {0.2f, 0.1f, 0.1f};

const char* const kPhong1 = "Phong1Opaque";
// Every body's drawable faces the camera's way when the frame asks it to.
const bool kBodyFaceCamera = true;
const int kTextureFromRecord = -1;

enum class Shape { Box, Ellipsoid, Cylinder, Tetrahedron, Prism, Pyramid };
// How the record's sizes scale the drawn mesh.
enum class ModelScale { Sizes, Fixed, BaseSideSquare };

// Freeze thresholds (speed, degrees per second) and the rest scale; the
// bodies without a row keep the rigid body's own.
struct RestTuning
{
    bool tuned;
    float linear;
    float angularDegrees;
    float scale;
};
const RestTuning kDefaultRest = {false, 0.0f, 0.0f, 0.0f};
const RestTuning kHeavyRest = {true, 1.0f, 30.0f, 3.0f};
const RestTuning kRampRest = {true, 0.3f, 10.0f, 2.0f};

// A type built by the common recipe.
struct StandardType
{
    int id;
    Shape shape;
    const char* family;
    RestTuning rest;
    int mesh;
    int material;
    int texture; // kTextureFromRecord: the record's texture
    ModelScale scale;
    bool immovableApplies; // the record's immovable flag is honoured
    bool alwaysFrozen;     // frozen whatever the record says
    bool boundsAfterAdd;   // the wedge's box is refreshed once it is in the world
    bool fallingBlock;     // one of the stage's falling blocks
};

// Ids 1 ("box") reads the player's materials; 7 ignores the record's size and
// mass; 51 are the falling blocks a trigger lets go of.
const StandardType kStandardTypes[] = {
    {1, Shape::Box, "player", kDefaultRest, 1, 0, 1, ModelScale::Sizes, true, false, false, false},
    {kBoulderType, Shape::Ellipsoid, "ellipsoid", kDefaultRest, 2, 0, 42, ModelScale::Sizes, false, false, false,
     false},
    {3, Shape::Box, "box", kDefaultRest, 1, 0, kTextureFromRecord, ModelScale::Sizes, true, false, false, false},
    {5, Shape::Cylinder, "cylinder", kHeavyRest, 4, 0, kTextureFromRecord, ModelScale::Sizes, true, false, false,
     false},
    {6, Shape::Box, "box", kHeavyRest, 1, 0, kTextureFromRecord, ModelScale::Sizes, true, false, false, false},
    {7, Shape::Tetrahedron, "tetrahedron", kDefaultRest, 5, 0, 7, ModelScale::Fixed, false, false, false, false},
    {16, Shape::Box, "box", kHeavyRest, 1, 1, kTextureFromRecord, ModelScale::Sizes, true, false, false, false},
    {31, Shape::Prism, "box", kRampRest, 17, 0, kTextureFromRecord, ModelScale::Sizes, true, false, true, false},
    {36, Shape::Box, "box", kDefaultRest, 18, 0, 70, ModelScale::Sizes, true, false, false, false},
    {kSpikeType, Shape::Pyramid, "box", kHeavyRest, 21, 0, 60, ModelScale::BaseSideSquare, true, false, false, false},
    {kFallingBlockType, Shape::Box, "box", kHeavyRest, 1, 0, kTextureFromRecord, ModelScale::Sizes, true, true, false,
     true},
};

// The tetrahedron is always the same: 2.5 from centre to corner, 100 kg,
// drawn from the half-size mesh at five times its size.
const float kTetrahedronSize = 2.5f;
const float kTetrahedronMass = 100.0f;
const float kTetrahedronModelScale = 5.0f;
// Ellipsoids are sampled on 8 bands of 8 sectors; cylinders on 32 x 16.
const int kEllipsoidBands = 8;
const int kEllipsoidSectors = 8;
const int kCylinderSlices = 32;
const int kCylinderStacks = 16;

// The torch (kTorchType): a 7-long pole of radius 1 along its body x, 15 kg,
// with a warm flickering light just past its tip and a flame above its centre.
const float kTorchRadius = 1.0f;
const float kTorchLength = 7.0f;
const int kTorchSlices = 16;
const int kTorchStacks = 2;
const float kTorchMass = 15.0f;
const int kTorchMesh = 12;
const char* const kTorchTechnique = "PhongNoSpecOpaque";
const int kTorchMaterial = 2;
const int kTorchTexture = 44;
const float kTorchColour[4] = {1.0f, 0.8f, 0.2f, 1.0f};
const float kTorchAttenuation = 12.0f;
const float kTorchPositionFlicker = 0.2f;
const float kTorchAttenuationFlicker = 0.15f;
const Vector3 kTorchFlameOffset(0.0f, 0.0f, 3.5f);

// The mine cart's drawable is the unit cube stretched over its hull; its four
// tires are drawn at this scale with the wheels' poses.
const int kCartMesh = 1;
const int kCartTexture = 8;
const Vector3 kCartModelScale(8.0f, 8.0f, 4.0f);
const Vector3 kTireScale(1.0f, 0.4f, 1.0f);
const int kTireTexture = 5;

const StandardType* FindStandardType(int id)
{
    for (const StandardType& type : kStandardTypes) {
        if (type.id == id) return &type;
    }
    return nullptr;
}

void ApplyMaterial(Object* body, const SurfaceMaterial& material)
{
    body->staticFriction = material.staticFriction;
    body->dynamicFriction = material.dynamicFriction;
    body->elasticity = material.elasticity;
}

// One drawable following the body, scaled, appended to its models.
MeshInstance* AddBodyModel(Object* body, int mesh, const char* technique, int material, int texture,
                           const Vector3& scale)
{
    MeshInstance* model =
        new MeshInstance(false, false, mesh, technique, material, texture, kBodyFaceCamera, false, false);
    body->meshes.push_back(model);
    D3DXMatrixScaling(&model->world, scale.x, scale.y, scale.z);
    return model;
}

void Follow(MeshInstance* model, const Object* body)
{
    model->position = &body->position;
    model->orientation = &body->GetOrientation();
    model->offset = Vector3();
}

// Steps 8 to 10 of every body: into the physics world, the drawables ride on
// the body, and the renderer draws them.
void Register(Object* body)
{
    if (gPhysicsWorld != nullptr) gPhysicsWorld->AddBody(body);
    for (MeshInstance* model : body->meshes) Follow(model, body);
    if (gRenderer != nullptr) gRenderer->QueueWorldInstances(&body->meshes);
}

Object* MakeShape(const StandardType& type, const ObjectRequest& r, float& mass)
{
    const Vector3& s = r.size;
    mass = r.mass;
    switch (type.shape) {
    case Shape::Box:
        return new Box(gPhysicsWorld, s.x, s.y, s.z, r.mass);
    case Shape::Ellipsoid:
        return new Ellipsoid(gPhysicsWorld, s.x, s.y, s.z, kEllipsoidBands, kEllipsoidSectors, r.mass);
    case Shape::Cylinder:
        return new Cylinder(gPhysicsWorld, 0.5f * s.z, 2.0f * s.x, kCylinderSlices, kCylinderStacks, r.mass);
    case Shape::Tetrahedron:
        mass = kTetrahedronMass;
        return new Tetrahedron(gPhysicsWorld, kTetrahedronSize, kTetrahedronMass);
    case Shape::Prism:
        return new Prism(gPhysicsWorld, s.x, s.y, s.z, r.mass);
    case Shape::Pyramid:
        return new Pyramid(gPhysicsWorld, s.x, s.z, r.mass);
    }
    return nullptr;
}

Vector3 ModelScaleOf(const StandardType& type, const Vector3& size)
{
    switch (type.scale) {
    case ModelScale::Fixed:
        return Vector3(kTetrahedronModelScale, kTetrahedronModelScale, kTetrahedronModelScale);
    case ModelScale::BaseSideSquare:
        return Vector3(size.x, size.x, size.z);
    case ModelScale::Sizes:
        break;
    }
    return size;
}

void BuildStandard(World& world, const StandardType& type, const ObjectRequest& r)
{
    const SurfaceMaterial material = ReadSurfaceMaterial(world.GetPhysicsConfig(), type.family);
    float mass = 0.0f;
    Object* body = MakeShape(type, r, mass);
    world.AddObject(body);
    body->SetPosition(r.position);
    body->SetOrientation(r.orientation);
    ApplyMaterial(body, material);
    if (type.rest.tuned) {
        body->SetFreezeThresholds(type.rest.linear, type.rest.angularDegrees);
        body->SetRestScale(type.rest.scale);
    }
    body->typeId = type.id;
    body->creationMass = mass;
    const int texture = type.texture == kTextureFromRecord ? r.texture : type.texture;
    AddBodyModel(body, type.mesh, kPhong1, type.material, texture, ModelScaleOf(type, r.size));
    body->SetFreezeState(type.alwaysFrozen || r.frozen ? 1 : 0, 1.0f);
    if (type.immovableApplies && r.immovable) body->SetImmovable(true);
    Register(body);
    if (type.boundsAfterAdd) body->UpdateBounds();
    if (type.fallingBlock) world.AddGBlock(body);
}

void BuildTorch(World& world, const ObjectRequest& r)
{
    Cylinder* torch = new Cylinder(gPhysicsWorld, kTorchRadius, kTorchLength, kTorchSlices, kTorchStacks, kTorchMass);
    torch->SetPosition(r.position);
    torch->SetOrientation(r.orientation);
    world.AddObject(torch);
    if (gPhysicsWorld != nullptr) gPhysicsWorld->AddBody(torch);
    torch->typeId = kTorchType;
    torch->creationMass = kTorchMass;
    // The tiki mesh is modelled at its own size: no scale.
    MeshInstance* model =
        AddBodyModel(torch, kTorchMesh, kTorchTechnique, kTorchMaterial, kTorchTexture, Vector3(1.0f, 1.0f, 1.0f));
    Follow(model, torch);
    if (gRenderer != nullptr) gRenderer->QueueInstance(model);
    world.AddLight(&torch->position, &torch->GetOrientation(), kTorchColour, kTorchAttenuation, kTorchPositionFlicker,
                   kTorchAttenuationFlicker);
    const float scale = 1.0f;
    SendToParticles(kMsgAttachSystem, new fAttachSystem("TorchEmitter", &kTorchFlameOffset, &torch->position,
                                                        &torch->GetOrientation(), nullptr, &scale));
}

// The cart: a body and a controller at once. The World's object list is its
// only owner; the physics world drops both references at a stage clear.
void BuildMineCart(World& world, const ObjectRequest& r)
{
    MineCart* cart = new MineCart(gPhysicsWorld, true, false);
    world.AddVehicle(cart);
    world.AddObject(cart);
    cart->SetMass(MineCart::kMass);
    cart->SetPosition(r.position);
    cart->SetOrientation(r.orientation);
    cart->SetInertia(MineCart::kInertia, MineCart::kInertia, MineCart::kInertia);
    // Again, so the world tensors are made from the inertia just set.
    cart->SetOrientation(r.orientation);
    ApplyMaterial(cart, ReadSurfaceMaterial(world.GetPhysicsConfig(), "vehicle"));
    cart->typeId = MineCart::kType;
    cart->creationMass = MineCart::kMass;
    for (int i = 0; i < MineCart::kWheelCount; ++i) {
        NPObj* made = BuildSceneObject(world, Tire::kType, Vector3(), Matrix3::Identity(), kTireScale, kTireTexture);
        if (Tire* tire = dynamic_cast<Tire*>(made)) tire->wheel = cart->GetWheel(i);
    }
    AddBodyModel(cart, kCartMesh, kPhong1, 0, kCartTexture, kCartModelScale);
    Register(cart);
}

// The stage's machinery. The bridge: 20 planks of the record's size, 50 kg
// each, joined by hinges. The whips' links weigh 10 kg; every second whip
// turns the other way. Logs spin at their counter's speed; the third and
// fourth stand on end as drums. Swinging logs hang on 30-unit ropes.
const unsigned kBridgePlanks = 20;
const float kBridgePlankMass = 50.0f;
const int kBridgeHingeMode = 0;
const float kWhipLinkMass = 10.0f;
const Vector3 kReversedWhip(0.0f, 0.0f, -10.0f);
const float kUprightDegrees = 90.0f;
const float kSwingingRopeLength = 30.0f;
const float kSwingDegrees = 60.0f;
const float kTurnedSwingDegrees = -80.0f;

// The character: its limbs' damping unless "limb_damping" says otherwise, and
// the skinned model, hung from the spine limb down to the record's height.
const float kDefaultLimbDamping = 0.5f;
// Each step a hinge brings two limbs' spins closer by this times the step
// length, for each limb (of like inertia): above 5, one step of the slowest
// physics rate (0.1 s) would turn their relative spin around, not damp it.
const ConfigRange<float> kLimbDampings{0.0f, 5.0f};
const int kCharacterAnimatedMesh = 0;
const char* const kCharacterTechnique = "SkinnedNoLight";
const int kCharacterMaterial = 0;
const int kCharacterTexture = 0;

// The ragdoll adds its limbs and walking body to the World itself; the World
// owns the ragdoll among its controllers and deletes it after the physics
// world has let go of its hinges. The spine limb (the stage's object 0 when
// the character is the first record) carries the skinned model and starts
// frozen; the walking body is put where the spine limb is, and its first
// animated step lifts the spine limb 1.0 above it.
void BuildCharacter(World& world, const ObjectRequest& r)
{
    // The "player" material keys are read and not applied: the ragdoll sets
    // its own surfaces.
    ReadSurfaceMaterial(world.GetPhysicsConfig(), "player");
    float damping = kDefaultLimbDamping;
    if (ConfigFile* config = world.GetPhysicsConfig()) config->GetChecked("limb_damping", damping, kLimbDampings);
    Ragdoll* ragdoll = new Ragdoll(gPhysicsWorld, damping);
    Object* spine = ragdoll->GetLimb(kSpineLimb);
    spine->linearVelocity = Vector3();
    spine->angularVelocity = Vector3();
    ragdoll->Disable();
    ragdoll->MoveTo(r.position + kCharacterAboveRecord);
    MeshInstance* model = new MeshInstance(false, true, kCharacterAnimatedMesh, kCharacterTechnique, kCharacterMaterial,
                                           kCharacterTexture, kBodyFaceCamera, false, false);
    spine->meshes.push_back(model);
    if (gRenderer != nullptr) gRenderer->QueueWorldInstances(&spine->meshes);
    Follow(model, spine);
    model->offset = -kCharacterAboveRecord;
    spine->SetFreezeState(1, 1.0f);
    if (gPlayer != nullptr) {
        gPlayer->SetBody(ragdoll);
        gPlayer->Recover();
    }
    Capsule* walking = ragdoll->GetMainBody();
    walking->SetPosition(spine->position);
    // Riding a cart (built before the character, as on the cart stage), the
    // character is posed inside its hull: none of its bodies may push it.
    for (Vehicle* vehicle : world.GetVehicles()) {
        for (int i = 0; i < ragdoll->GetLimbCount(); ++i) ragdoll->IgnoreCollisionPair(ragdoll->GetLimb(i), vehicle);
        ragdoll->IgnoreCollisionPair(walking, vehicle);
    }
    // The record's mass means nothing to the character but is saved back.
    walking->creationMass = r.mass;
    world.AddController(ragdoll);
}

void BuildMachine(World& world, const ObjectRequest& r)
{
    const Vector3& s = r.size;
    switch (r.type) {
    case kBridgeType:
        world.SetBridge(new BoxChain(gPhysicsWorld, kBridgePlanks, r.position, s, kBridgePlankMass, kBridgeHingeMode));
        break;
    case kChainWhipType: {
        ChainWhip* whip = new ChainWhip(gPhysicsWorld, r.position, kWhipLinkMass);
        world.AddController(whip);
        world.AddChainWhip(whip);
        if (NextChainWhipReversed()) whip->SetWhipVector(kReversedWhip);
        break;
    }
    case kChainPlatformType:
        world.SetChainPlatform(ChainPlatform::Build(gPhysicsWorld, r.position, s.x, s.y, r.mass));
        break;
    case kSpinningLogType: {
        const SpinningLogSetup setup = NextSpinningLogSetup();
        SpinningLog* log = new SpinningLog(gPhysicsWorld, r.position, s.x, s.z, setup.speed, r.mass);
        world.AddController(log);
        if (setup.upright) {
            log->SetHazard(false);
            Matrix3 upright;
            log->PlaceEnds(Matrix3::RotationY(upright, kUprightDegrees));
        }
        log->SetActive(true);
        break;
    }
    case kSwingingLogType: {
        SwingingLog* log = new SwingingLog(gPhysicsWorld, r.position, s.x, s.z, r.mass, kSwingingRopeLength);
        log->SetActive(false);
        world.AddController(log);
        world.AddSwingingLog(log);
        switch (NextSwingingLogPose()) {
        case SwingingLogPose::SwungForward:
            log->SwingTo(kSwingDegrees);
            break;
        case SwingingLogPose::SwungBack:
            log->SwingTo(-kSwingDegrees);
            break;
        case SwingingLogPose::TurnedAndBack: {
            Matrix3 turn;
            log->Rotate(Matrix3::RotationZ(turn, kUprightDegrees));
            log->SwingBy(kTurnedSwingDegrees);
            break;
        }
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

SurfaceMaterial ReadSurfaceMaterial(ConfigFile* config, const char* family)
{
    SurfaceMaterial material = kDefaultMaterial;
    if (family == nullptr || config == nullptr) return material;
    const std::string prefix(family);
    // A missing key keeps its default; a word that is no number in range is
    // reported (once) and keeps it too.
    const ConfigRange<float> frictions{0.0f, kMaxFriction};
    config->GetChecked(prefix + "_static_friction", material.staticFriction, frictions);
    config->GetChecked(prefix + "_dynamic_friction", material.dynamicFriction, frictions);
    config->GetChecked(prefix + "_elasticity", material.elasticity, ConfigRange<float>{0.0f, kMaxElasticity});
    return material;
}

void BuildWorldObject(World& world, const ObjectRequest& request)
{
    if (const StandardType* type = FindStandardType(request.type)) {
        BuildStandard(world, *type, request);
        return;
    }
    switch (request.type) {
    case MineCart::kType:
        BuildMineCart(world, request);
        break;
    case kTorchType:
        BuildTorch(world, request);
        break;
    case kBridgeType:
    case kChainWhipType:
    case kChainPlatformType:
    case kSpinningLogType:
    case kSwingingLogType:
        BuildMachine(world, request);
        break;
    case kCharacterType:
        BuildCharacter(world, request);
        break;
    default:
        break;
    }
}
