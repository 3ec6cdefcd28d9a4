#include "game/SceneFactory.h"

#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Tire.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

namespace {

const int kTextureFromRecord = -1;

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
    {53, 53, false, 15, "PhongTransNoTex", 13, 10, false},
};

// The vertical plane stands its unit square up in the x-z plane; on stage 1
// its face turns the other way.
const int kVerticalPlaneType = 53;
const int kStageOne = 1;

// The tire drawn on each cart wheel.
const int kTireMesh = 7;
const char* const kTireTechnique = "Phong1Opaque";
const int kTireMaterial = 2;
const int kTireTexture = 9;

const SceneryType* FindSceneryType(int id)
{
    for (const SceneryType& type : kSceneryTypes) {
        if (type.id == id) return &type;
    }
    return nullptr;
}

int CurrentStage()
{
    return gLevelLoader != nullptr ? gLevelLoader->GetStage() : -1;
}

// The object's one drawable, following the object and scaled by the record.
void AddModel(NPObj* object, bool transparent, int mesh, const char* technique, int material, int texture,
              bool faceCamera, const Vector3& scale)
{
    MeshInstance* model =
        new MeshInstance(transparent, false, mesh, technique, material, texture, faceCamera, false, false);
    D3DXMatrixScaling(&model->world, scale.x, scale.y, scale.z);
    model->position = &object->position;
    model->orientation = &object->orientation;
    object->models.push_back(model);
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
        pose.SetRow(1, Vector3(0.0f, 0.0f, CurrentStage() == kStageOne ? 1.0f : -1.0f));
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

} // namespace

NPObj* BuildSceneObject(World& world, int type, const Vector3& position, const Matrix3& orientation,
                        const Vector3& scale, int texture)
{
    if (const SceneryType* scenery = FindSceneryType(type)) {
        return BuildScenery(world, *scenery, position, orientation, scale, texture);
    }
    switch (type) {
    case Tire::kType:
        return BuildTire(world, position, orientation, scale);
    case 11: // stage exit
    case 13: // spawn boulder
    case 27: // break bridge
    case 37: // coin
    case 38: // mask
    case 40: // waterfall
    case 46: // chain whips
    case 49: // swinging log
    case 50: // speed boost
    case 52: // falling blocks
    case 14: // the player's shadow
    case 43: // the sun
        // The triggers, the shadow and the sun are the player's side of the
        // stage; their records are read and build nothing until it exists.
        return nullptr;
    default:
        return nullptr;
    }
}
