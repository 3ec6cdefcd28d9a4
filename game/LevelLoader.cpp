#include "game/LevelLoader.h"

#include <fstream>
#include <set>

#include "core/DebugPrint.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/GameFiles.h"
#include "core/Messages.h"
#include "core/Resources.h"
#include "core/Stage.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelFile.h"
#include "game/ObjectFactory.h"
#include "game/Player.h"
#include "game/StageLog.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "particles/fPartManager.h"
#include "physics/BodyTypes.h"
#include "render/Camera.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

LevelLoader* gLevelLoader = nullptr;

namespace {

// Every trigger record is built with this texture; the triggers draw their own.
const int kTriggerTexture = 5;
// The player's shadow, made by every load after the file's records.
const int kShadowType = 14;
const int kShadowTexture = 5;

// The fixed content of the stages, in the order it is built: the factories'
// counters give the logs their speeds and poses by this order.
struct StageObject
{
    int stage;
    int type;
    Vector3 position;
    Vector3 size;
    float mass;
};

const StageObject kStageObjects[] = {
    {kFirstStage, kBridgeType, {-36.0f, -42.0f, -1.8f}, {8.0f, 5.0f, 2.0f}, 100.0f}, // the breaking bridge
    {kWhipStage, kChainWhipType, {-6.0f, -20.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 10.0f},  // chain whips
    {kWhipStage, kChainWhipType, {-6.0f, 13.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 10.0f},
    {kWhipStage, kSpinningLogType, {16.0f, 160.0f, 25.0f}, {80.0f, 15.0f, 15.0f}, 200.0f}, // spinning logs over the pit
    {kWhipStage, kSpinningLogType, {16.0f, 129.0f, 25.0f}, {80.0f, 15.0f, 15.0f}, 200.0f},
    {kWhipStage, kSpinningLogType, {125.0f, 80.0f, 16.0f}, {30.0f, 20.0f, 20.0f}, 200.0f}, // and the two drums
    {kWhipStage, kSpinningLogType, {135.0f, 150.0f, 18.0f}, {35.0f, 30.0f, 30.0f}, 200.0f},
    {kWhipStage, kSwingingLogType, {-75.0f, -127.0f, 15.0f}, {30.0f, 3.0f, 3.0f}, 200.0f}, // swinging logs
    {kWhipStage, kSwingingLogType, {-95.0f, -127.0f, 15.0f}, {30.0f, 3.0f, 3.0f}, 200.0f},
    {kWhipStage, kSwingingLogType, {125.0f, 80.0f, 35.5f}, {30.0f, 3.0f, 3.0f}, 200.0f},
    {kLavaStage, kChainPlatformType, {-35.0f, 40.0f, 75.0f}, {20.0f, 15.0f, 1.0f}, 70.0f}, // the hanging platform
};
const int kStageObjectTexture = 5;

// Particle systems a stage starts with.
struct StageEffect
{
    int stage;
    const char* name;
    Vector3 position;
};

const StageEffect kStageEffects[] = {
    {kFirstStage, "MistEmitter", {-115.0f, -34.0f, 100.0f}},
    {kFirstStage, "WaterSpout", {-227.0f, -44.0f, 190.0f}},
};

// Kicked up under the character's feet on every stage.
const char* const kDustName = "DustKickup";
const Vector3 kDustOffset(0.0f, 0.0f, -4.0f);

// Types the stage set-up or another object builds: the writer leaves them
// out, since loading the file builds them again.
const std::set<int> kBuiltTypes = {kBareBodyType,
                                   kRagdollLimbBodyType,
                                   kObjectBodyType,
                                   kBridgeType,
                                   kBridgeBoxBodyType,
                                   kChainWhipHandleBodyType,
                                   kChainWhipLinkBodyType,
                                   kChainPlatformBodyType,
                                   kChainPlatformLinkBodyType,
                                   kSpinningLogBodyType,
                                   kSwingingLogBodyType,
                                   kSwingingLogAnchorBodyType};
// An object without drawables is written with these.
const int kNoModelTexture = 1;

const char* const kSeparator = "/* ---------------------------------------------------------------- */";

Camera* GameCamera()
{
    return gRenderer != nullptr ? gRenderer->GetCamera() : nullptr;
}

bool IsStage(int stage)
{
    return stage >= kFirstStage && stage <= kLastStage;
}

// The scale a drawable was given (its world matrix holds only that until the
// renderer takes it over).
Vector3 ModelScale(const MeshInstance* model)
{
    return Vector3(model->world._11, model->world._22, model->world._33);
}

} // namespace

// The loader is the stage's one writer: a new loader has loaded none yet, and
// without one there is none.
LevelLoader::LevelLoader()
{
    SetCurrentStage(kNoStage);
    SubscribeMessages();
}

LevelLoader::~LevelLoader()
{
    SetCurrentStage(kNoStage);
}

void LevelLoader::SubscribeMessages()
{
    if (gEventDispatcher != nullptr) gEventDispatcher->Subscribe(kMsgRetryStage, this);
}

void LevelLoader::HandleMessage(int id, fMessage* msg)
{
    if (id != kMsgRetryStage || gMenuMan == nullptr || gMenuMan->GetCurrentMenuId() != kMenuReplay) return;
    gMenuMan->CloseMenu();
    if (Camera* camera = GameCamera()) camera->SetMouseLookEnabled(true);
    LoadLevel(levelFile);
}

void LevelLoader::LoadLevel(const std::string& name)
{
    if (gWorld != nullptr && gWorld->IsUpdatingUpdatables()) {
        pendingLevel = name;
        return;
    }
    pendingLevel.clear();
    if (gWorld != nullptr) gWorld->Clear(false);
    if (gReplaySystem != nullptr) gReplaySystem->Clear();

    bool stageValid = true;
    ReadLevelFile(name, stageValid);

    if (Camera* camera = GameCamera()) camera->ResetTarget();
    if (gWorld == nullptr) return;
    const Vector3 origin;
    gWorld->CreateNPObject(kShadowType, &origin, &Matrix3::Identity(), 1.0f, 1.0f, 1.0f, kShadowTexture);
    if (stageValid && IsStage(CurrentStage())) SetupStage();
    for (Object* object : gWorld->GetObjects()) object->UpdateBounds();
    if (gReplaySystem != nullptr) {
        gReplaySystem->Reset(gWorld->GetObjects());
        gReplaySystem->Stop();
    }
}

void LevelLoader::RunPendingLoad()
{
    if (pendingLevel.empty()) return;
    const std::string name = pendingLevel;
    LoadLevel(name);
}

void LevelLoader::ReadLevelFile(const std::string& name, bool& stageValid)
{
    DebugPrint("Loading Level %s", name.c_str());
    std::ifstream in(ResolveGamePath(LevelsDirectory + name));
    if (!in) {
        // An empty stage: no terrain, nothing built, the stage number kept.
        REPORT_ERROR("Could not open level file " + (LevelsDirectory + name));
        return;
    }
    LevelReader reader(in, name);
    LevelHeader header;
    const bool headerRead = reader.ReadHeader(header);
    if (header.stageRejected) {
        stageValid = false;
    } else if (header.stage != kNoStage) {
        SetCurrentStage(header.stage);
        SetStageFiles();
    }
    if (header.hasTerrain && gWorld != nullptr) {
        gWorld->AddHeightmapFromFile(MapsDirectory + header.meshFile, MapsDirectory + header.hmpFile);
    }
    if (header.hasCamera) PlaceCamera(header);

    const Matrix3& identity = Matrix3::Identity();
    LevelRecord r;
    while (headerRead && gWorld != nullptr && reader.NextRecord(r)) {
        const Vector3& s = r.scale;
        switch (r.kind) {
        case LevelRecordKind::Object:
            // Every body from a file starts frozen, whatever it was when saved.
            gWorld->CreateObject(r.type, &r.position, &r.orientation, s.x, s.y, s.z, r.mass, true, r.immovable,
                                 r.texture);
            break;
        case LevelRecordKind::SceneObject:
            gWorld->CreateNPObject(r.type, &r.position, &identity, s.x, s.y, s.z, r.texture);
            break;
        case LevelRecordKind::Trigger: {
            // The record's spawn position belongs to the trigger it made, when
            // it made one (the trigger list grew): a record of a type that is
            // no trigger must not move the last trigger's boulder.
            const size_t before = gWorld->GetTriggers().size();
            gWorld->CreateNPObject(r.type, &r.position, &identity, s.x, s.y, s.z, kTriggerTexture);
            if (gWorld->GetTriggers().size() > before) gWorld->GetTriggers().back()->spawnPosition = r.spawnPosition;
            break;
        }
        }
    }
    DebugPrint("Loaded Level %s", name.c_str());
}

void LevelLoader::PlaceCamera(const LevelHeader& header)
{
    if (Camera* camera = GameCamera()) {
        camera->SetClampedAngle(header.cameraPitch);
        camera->SetAngle(header.cameraYaw);
        camera->SetDistance(header.cameraDistance);
    }
    if (gHUDManager != nullptr) {
        gHUDManager->savedYaw = header.cameraYaw;
        gHUDManager->savedPitch = header.cameraPitch;
    }
}

void LevelLoader::SetStageFiles()
{
    const int stage = CurrentStage();
    if (!IsStageNumber(stage)) return;
    levelName = StageFileName(stage);
    levelFile = levelName;
    meshFile = StageFileName(stage, StageFile::Mesh);
    heightmapFile = StageFileName(stage, StageFile::Heightmap);
}

void LevelLoader::SetupStage()
{
    const int stage = CurrentStage();
    // The renderer's chain of draw lists for the stage.
    if (gRenderer) gRenderer->SelectLevelDrawList(stage);
    const Matrix3& identity = Matrix3::Identity();
    for (const StageObject& o : kStageObjects) {
        if (o.stage != stage) continue;
        gWorld->CreateObject(o.type, &o.position, &identity, o.size.x, o.size.y, o.size.z, o.mass, false, false,
                             kStageObjectTexture);
    }
    const Vector3 still;
    const float scale = 1.0f;
    for (const StageEffect& e : kStageEffects) {
        if (e.stage != stage) continue;
        SendToParticles(kMsgCreateSystem, new fCreateSystem(e.name, &e.position, &still, &scale));
    }
    // Without a character there is nothing to kick dust up under.
    if (Object* character = gWorld->GetObject(0)) {
        SendToParticles(kMsgAttachSystem, new fAttachSystem(kDustName, &kDustOffset, &character->position,
                                                            &character->GetOrientation(), nullptr, &scale));
    }
    // A mask found on an earlier stage is still worn on this one.
    if (gPlayer != nullptr && gPlayer->HasMask()) gPlayer->WearMask(true);
}

bool LevelLoader::SavesType(int type)
{
    return kBuiltTypes.count(type) == 0;
}

void LevelLoader::WriteObjectTypeName(int type)
{
    StageLog("%s%d\n", LevelTypeName(type), counter);
    ++counter;
}

void LevelLoader::SaveLevel()
{
    if (gInGameLevelEditor == nullptr || !gInGameLevelEditor->IsEnabled() || gWorld == nullptr) return;
    SetStageFiles();
    counter = 0;
    StageLog("levelname: %s\n", levelName.c_str());
    StageLog("%s\n\n", kSeparator);
    StageLog("stagenumber: %d\n", CurrentStage());
    StageLog("heightmap: %s\n", meshFile.c_str());
    StageLog("hmapconfig: %s\n\n", heightmapFile.c_str());
    StageLog("%s\n", kSeparator);
    // The camera as it stands now: the editor's view is saved with the stage.
    const Camera* camera = GameCamera();
    StageLog("camera_orientation: %f %f %f\n\n", camera ? camera->GetClampedAngle() : 0.0f,
             camera ? camera->GetAngle() : 0.0f, camera ? camera->GetDistance() : Camera::kStartDistance);
    StageLog("%s\n", kSeparator);
    SaveObjects();
    SaveSceneObjects();
    SaveTriggers();
    DebugPrint("Saved Level %s", levelName.c_str());
    CloseStageLog();
}

void LevelLoader::WriteRecordStart(const char* kind, int type, const int* texture, const Vector3& position,
                                   const Vector3& scale)
{
    StageLog("__TAG %s\n", kind);
    WriteObjectTypeName(type);
    StageLog("objectID: %d\n", type);
    if (texture != nullptr) StageLog("texture: %d\n", *texture);
    StageLog("position: %f %f %f\n", position.x, position.y, position.z);
    StageLog("scale: %f %f %f\n", scale.x, scale.y, scale.z);
}

void LevelLoader::SaveObjects()
{
    for (Object* object : gWorld->GetObjects()) {
        int type = object->GetType();
        if (!SavesType(type)) continue;
        Vector3 position = object->position;
        if (type == kPlayerBodyType) {
            // The walking body stands above its record: written back where
            // the record was.
            type = kCharacterType;
            position -= kCharacterAboveRecord;
        }
        Vector3 scale(1.0f, 1.0f, 1.0f);
        int texture = kNoModelTexture;
        if (!object->meshes.empty() && object->meshes.back() != nullptr) {
            scale = ModelScale(object->meshes.back());
            texture = object->meshes.back()->textureId;
        }
        const Matrix3& m = object->GetOrientation();
        WriteRecordStart("object", type, &texture, position, scale);
        StageLog("orientation: %f %f %f %f %f %f %f %f %f \n", m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
        StageLog("mass: %f\n", object->creationMass);
        StageLog("immovable: %d\n\n", object->immovable ? 1 : 0);
    }
    StageLog("%s\n", kSeparator);
}

void LevelLoader::SaveSceneObjects()
{
    for (NPObj* object : gWorld->GetNPObjects()) {
        const int type = object->GetType();
        const int texture = object->models.empty() || object->models.front() == nullptr
                                ? kNoModelTexture
                                : object->models.front()->textureId;
        WriteRecordStart("npo", type, &texture, object->position, object->recordScale);
        StageLog("\n");
    }
    StageLog("%s\n", kSeparator);
}

void LevelLoader::SaveTriggers()
{
    for (const Trigger* trigger : gWorld->GetTriggers()) {
        // The record's own size: the exit's sign pulses, and a coin's model
        // is drawn at its fixed size whatever the record said.
        WriteRecordStart("trigger", trigger->GetType(), nullptr, trigger->RecordPosition(), trigger->recordScale);
        const Vector3& spawn = trigger->spawnPosition;
        StageLog("spawnposition: %f %f %f\n\n", spawn.x, spawn.y, spawn.z);
    }
}
