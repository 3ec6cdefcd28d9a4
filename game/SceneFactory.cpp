#include "game/SceneFactory.h"

#include "core/Messages.h"
#include "core/Stage.h"
#include "game/FactoryCounters.h"
#include "game/Player.h"
#include "game/ShadowObj.h"
#include "game/Sun.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Tire.h"
#include "particles/fPartManager.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

namespace {

const int kTextureFromRecord = -1;

// The vertical plane stands its unit square up in the x-z plane; on the first
// stage its face turns the other way.
const int kVerticalPlaneType = 53;
// Each swinging-log trigger takes the next swinging log of the stage.
const int kSwingingLogTriggerType = 49;

// A plain scene object: one drawable at the record's scale, riding on the
// object's own pose.
struct SceneryType
{
    int id;
    int storedId; // the sky box's two ids are one kind
    bool transparent;
    int mesh;
    const char* technique;
    int material;
    int texture; // kTextureFromRecord: the record's texture
    bool skyBox; // becomes the sky box the player keeps centred on the character
};

const SceneryType kSceneryTypes[] = {
    {18, 21, false, 11, "Phong1Opaque", 2, kTextureFromRecord, true},
    {21, 21, false, 11, "Phong1Opaque", 2, kTextureFromRecord, true},
    {25, 25, true, 14, "PhongNoSpecTrans", 2, 46, false},
    {28, 28, false, 15, "PhongNoSpecTrans", 8, 14, false},
    {32, 32, false, 16, "Phong1Opaque", 2, 61, false},
    {41, 41, false, 15, "PhongTransNoTex", 12, 10, false},
    {44, 44, false, 23, "Phong1Opaque", 2, kTextureFromRecord, false},
    {45, 45, false, 24, "Phong1Opaque", 2, kTextureFromRecord, true},
    {kVerticalPlaneType, kVerticalPlaneType, false, 15, "PhongTransNoTex", 13, 10, false},
};

// The tire drawn on each cart wheel.
const int kTireMesh = 7;
const char* const kTireTechnique = "Phong1Opaque";
const int kTireMaterial = 2;
const int kTireTexture = 9;

// What a trigger record's type id makes: the kind, the radius from the
// record's x size (or fixed), and what it shows. Markers are the hidden
// stage-exit mesh at the record's size, seen only with their techniques'
// transparency; the exit also has its sign, coins and the mask their own model.
enum class TriggerLook { Marker, ExitSign, Coin, Mask };

struct TriggerType
{
    int id;
    int kind;
    float radiusPerSize; // radius = this x sx, or fixedRadius when 0
    float fixedRadius;
    TriggerLook look;
    const char* markerTechnique;
    int markerMaterial;
    bool spawnAbove; // the spawn position starts 10 above the trigger
    bool animated;
};

const char* const kNoSpecTrans = "PhongNoSpecTrans";
const char* const kTransNoSpecNoTex = "PhongTransNoSpecNoTex";
const char* const kTransNoTex = "PhongTransNoTex";

const TriggerType kTriggerTypes[] = {
    {11, Trigger::kStageExit, 1.0f, 0.0f, TriggerLook::ExitSign, kNoSpecTrans, 7, false, true},
    {13, Trigger::kSpawnBoulder, 0.5f, 0.0f, TriggerLook::Marker, kTransNoSpecNoTex, 7, true, false},
    {27, Trigger::kBreakBridge, 0.5f, 0.0f, TriggerLook::Marker, kTransNoSpecNoTex, 7, true, false},
    {37, Trigger::kCoin, 0.0f, 4.0f, TriggerLook::Coin, nullptr, 0, false, true},
    {38, Trigger::kMask, 0.0f, 4.0f, TriggerLook::Mask, nullptr, 0, false, true},
    {40, Trigger::kHazard, 1.5f, 0.0f, TriggerLook::Marker, kTransNoTex, 3, false, true},
    {46, Trigger::kChainWhips, 1.0f, 0.0f, TriggerLook::Marker, kNoSpecTrans, 7, false, true},
    {kSwingingLogTriggerType, Trigger::kSwingingLog, 1.0f, 0.0f, TriggerLook::Marker, kNoSpecTrans, 7, false, true},
    {50, Trigger::kSpeedBoost, 1.0f, 0.0f, TriggerLook::Marker, kTransNoTex, 3, false, true},
    {52, Trigger::kFallingBlocks, 1.0f, 0.0f, TriggerLook::Marker, kNoSpecTrans, 7, false, true},
};

const int kMarkerMesh = 3;
const int kMarkerTexture = 10;
const Vector3 kSpawnLift(0.0f, 0.0f, 10.0f);
// The stage exit's sign: a textured quad that pulses (its scale is the pulse's).
const int kQuadMesh = 25;
const char* const kSignTechnique = "XFORMTest";
const int kSignMaterial = 2;
const int kSignTexture = 41;
// Coins and the mask: turned gold models with sparkles about them.
const int kCoinMesh = 19;
const int kMaskMesh = 20;
const int kTreasureMaterial = 11;
const int kCoinTexture = 71;
const int kMaskTexture = 72;
const Vector3 kCoinScale(0.2f, 1.5f, 1.5f);
const Vector3 kMaskScale(8.0f, 8.0f, 8.0f);
const char* const kPhong1 = "Phong1Opaque";
const Vector3 kUnitScale(1.0f, 1.0f, 1.0f);

// The character's shadow: two flattened boulders crossed.
const int kShadowMesh = 2;
const int kShadowMaterial = 2;
const int kShadowTexture = 10;
const Vector3 kShadowScales[] = {{1.0f, 4.0f, 0.1f}, {4.0f, 1.0f, 0.1f}};

const TriggerType* FindTriggerType(int id)
{
    for (const TriggerType& type : kTriggerTypes) {
        if (type.id == id) return &type;
    }
    return nullptr;
}

const SceneryType* FindSceneryType(int id)
{
    for (const SceneryType& type : kSceneryTypes) {
        if (type.id == id) return &type;
    }
    return nullptr;
}

// A drawable following the object and scaled.
MeshInstance* AddModel(NPObj* object, bool transparent, int mesh, const char* technique, int material, int texture,
                       bool faceCamera, const Vector3& scale)
{
    MeshInstance* model =
        new MeshInstance(transparent, false, mesh, technique, material, texture, faceCamera, false, false);
    D3DXMatrixScaling(&model->world, scale.x, scale.y, scale.z);
    model->position = &object->position;
    model->orientation = &object->orientation;
    object->models.push_back(model);
    return model;
}

// Common to every scene object: pose, type, record scale, into the World's
// updatables, drawn.
NPObj* Place(World& world, NPObj* object, int storedId, const Vector3& position, const Matrix3& orientation,
             const Vector3& scale)
{
    object->position = position;
    object->orientation = orientation;
    object->typeId = storedId;
    object->recordScale = scale;
    world.AddUpdatable(object);
    if (gRenderer != nullptr) gRenderer->QueueObjectInstances(&object->models);
    return object;
}

NPObj* BuildScenery(World& world, const SceneryType& type, const Vector3& position, const Matrix3& orientation,
                    const Vector3& scale, int texture)
{
    NPObj* object = new NPObj();
    Matrix3 pose = orientation;
    if (type.id == kVerticalPlaneType) {
        pose.SetRow(1, Vector3(0.0f, 0.0f, CurrentStage() == kFirstStage ? 1.0f : -1.0f));
        pose.SetRow(2, Vector3(0.0f, 1.0f, 0.0f));
    }
    AddModel(object, type.transparent, type.mesh, type.technique, type.material,
             type.texture == kTextureFromRecord ? texture : type.texture, false, scale);
    Place(world, object, type.storedId, position, pose, scale);
    world.AddScenery(object);
    if (type.skyBox) world.SetSkyBox(object);
    return object;
}

NPObj* BuildTire(World& world, const Vector3& position, const Matrix3& orientation, const Vector3& scale)
{
    Tire* tire = new Tire();
    AddModel(tire, false, kTireMesh, kTireTechnique, kTireMaterial, kTireTexture, true, scale);
    return Place(world, tire, Tire::kType, position, orientation, scale);
}

// Sparkles that ride on the object.
void AttachSparkles(NPObj* object)
{
    const Vector3 offset;
    const float scale = 1.0f;
    SendToParticles(kMsgAttachSystem, new fAttachSystem("SparkleEmitter", &offset, &object->position,
                                                        &object->orientation, nullptr, &scale));
}

NPObj* BuildTrigger(World& world, const TriggerType& type, const Vector3& position, const Matrix3& orientation,
                    const Vector3& scale)
{
    Trigger* trigger = new Trigger();
    // Placed first: the sparkles ride on the pose from their first frame.
    trigger->position = position;
    trigger->orientation = orientation;
    trigger->kind = type.kind;
    trigger->radius = type.radiusPerSize != 0.0f ? type.radiusPerSize * scale.x : type.fixedRadius;
    trigger->animated = type.animated;
    if (type.spawnAbove) trigger->spawnPosition = position + kSpawnLift;
    if (type.id == kSwingingLogTriggerType) trigger->logIndex = NextSwingingLogTriggerIndex();
    switch (type.look) {
    case TriggerLook::ExitSign: {
        AddModel(trigger, true, kQuadMesh, kSignTechnique, kSignMaterial, kSignTexture, true, kUnitScale);
        const Vector3 still;
        const float size = 1.0f;
        SendToParticles(kMsgCreateSystem, new fCreateSystem("AtomSparkleEmitter", &position, &still, &size));
        break;
    }
    case TriggerLook::Coin:
    case TriggerLook::Mask: {
        const bool coin = type.look == TriggerLook::Coin;
        AddModel(trigger, false, coin ? kCoinMesh : kMaskMesh, kPhong1, kTreasureMaterial,
                 coin ? kCoinTexture : kMaskTexture, false, coin ? kCoinScale : kMaskScale);
        AttachSparkles(trigger);
        break;
    }
    case TriggerLook::Marker:
        break;
    }
    if (type.markerTechnique != nullptr) {
        AddModel(trigger, true, kMarkerMesh, type.markerTechnique, type.markerMaterial, kMarkerTexture, false, scale);
    }
    Place(world, trigger, type.id, position, orientation, scale);
    world.AddTrigger(trigger);
    return trigger;
}

NPObj* BuildShadow(World& world, const Vector3& position, const Matrix3& orientation, const Vector3& scale)
{
    fShadowObj* shadow = new fShadowObj();
    for (const Vector3& cross : kShadowScales) {
        AddModel(shadow, false, kShadowMesh, kPhong1, kShadowMaterial, kShadowTexture, false, cross);
    }
    Place(world, shadow, fShadowObj::kType, position, orientation, scale);
    if (gPlayer != nullptr) gPlayer->SetShadow(shadow);
    return shadow;
}

// The sun draws nothing; its light is the World's.
NPObj* BuildSun(World& world, const Vector3& position, const Vector3& scale)
{
    Sun* sun = new Sun();
    sun->position = position;
    sun->typeId = Sun::kType;
    sun->recordScale = scale;
    world.AddUpdatable(sun);
    return sun;
}

} // namespace

NPObj* BuildSceneObject(World& world, int type, const Vector3& position, const Matrix3& orientation,
                        const Vector3& scale, int texture)
{
    if (const SceneryType* scenery = FindSceneryType(type)) {
        return BuildScenery(world, *scenery, position, orientation, scale, texture);
    }
    if (const TriggerType* trigger = FindTriggerType(type)) {
        return BuildTrigger(world, *trigger, position, orientation, scale);
    }
    switch (type) {
    case Tire::kType:
        return BuildTire(world, position, orientation, scale);
    case fShadowObj::kType:
        return BuildShadow(world, position, orientation, scale);
    case Sun::kType:
        return BuildSun(world, position, scale);
    default:
        return nullptr;
    }
}
