#include "game/LevelLoader.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>

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
#include "game/ShadowObj.h"
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
// The player's shadow (fShadowObj::kType), made by every load after the file's records.
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

// A value as the level files write it: "%f", six decimals. A value that
// "%f" would write as zero although it is not (below 0.0000005 either way)
// gets the nine significant digits that read back as the same float: a tiny
// size written as 0.000000 would read back as a size of zero, which the
// reader refuses. Every other value reads back within the reader's bounds
// and on the same side of zero, since rounding to six decimals never carries
// a value past a bound that is itself a float.
std::string LevelNumber(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    if (value != 0.0f && std::strtof(text, nullptr) == 0.0f) std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// The key and its values, each after a blank, then end.
void LogNumbers(const char* key, std::initializer_list<float> values, const char* end)
{
    std::string line = key;
    for (float value : values) line += " " + LevelNumber(value);
    StageLog("%s%s", line.c_str(), end);
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
    gWorld->CreateNPObject(fShadowObj::kType, &origin, &Matrix3::Identity(), 1.0f, 1.0f, 1.0f, kShadowTexture);
    if (stageValid && IsStageNumber(CurrentStage())) SetupStage();
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
    // Until the file has been read whole, the running stage holds less than
    // the stage file a save would write over.
    notReadWhole = name + " was not read";
    std::ifstream in(ResolveGamePath(LevelsDirectory + name));
    if (!in) {
        // An empty stage: no terrain, nothing built, the stage number kept.
        REPORT_ERROR("Could not open level file " + (LevelsDirectory + name));
        notReadWhole = name + " could not be opened";
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
    if (!headerRead) {
        notReadWhole = "the reading of " + name + " stopped in its header";
    } else if (header.stageRejected) {
        notReadWhole = "the stage number of " + name + " was refused";
    } else if (reader.StopLine() > 0) {
        notReadWhole = "the reading of " + name + " stopped at its record on line " + std::to_string(reader.StopLine());
    } else if (gWorld != nullptr) {
        notReadWhole.clear();
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

void LevelLoader::RefuseSave(const std::string& why) const
{
    REPORT_ERROR("Level not saved: " + why + "; " +
                 (levelName.empty() ? std::string("nothing is written") : levelName + " is left as it was"));
}

bool LevelLoader::SavedTextReadsBack() const
{
    std::istringstream text(StageLogText());
    LevelReader reader(text, levelName, LevelReader::kQuiet);
    LevelHeader header;
    LevelRecord record;
    bool more = reader.ReadHeader(header);
    while (more) more = reader.NextRecord(record);
    if (!reader.Failed()) return true;
    std::string where = "its header";
    if (reader.StopLine() > 0) where = "its record on line " + std::to_string(reader.StopLine());
    RefuseSave("the text written for " + levelName + " would not read back (" + reader.Problem() + ", in " + where +
               ")");
    return false;
}

void LevelLoader::SaveLevel()
{
    if (gInGameLevelEditor == nullptr || !gInGameLevelEditor->IsEnabled() || gWorld == nullptr) return;
    SetStageFiles();
    if (!notReadWhole.empty()) {
        // A save writes the running stage over its file: what the load did
        // not read would be gone from disk.
        RefuseSave(notReadWhole);
        return;
    }
    counter = 0;
    StageLog("levelname: %s\n", levelName.c_str());
    StageLog("%s\n\n", kSeparator);
    StageLog("stagenumber: %d\n", CurrentStage());
    StageLog("heightmap: %s\n", meshFile.c_str());
    StageLog("hmapconfig: %s\n\n", heightmapFile.c_str());
    StageLog("%s\n", kSeparator);
    // The camera as it stands now: the editor's view is saved with the stage.
    const Camera* camera = GameCamera();
    LogNumbers("camera_orientation:",
               {camera ? camera->GetClampedAngle() : 0.0f, camera ? camera->GetAngle() : 0.0f,
                camera ? camera->GetDistance() : Camera::kStartDistance},
               "\n\n");
    StageLog("%s\n", kSeparator);
    SaveObjects();
    SaveSceneObjects();
    SaveTriggers();
    // What would not load whole is not written: the file keeps what it holds.
    if (!SavedTextReadsBack()) {
        DiscardStageLog();
        return;
    }
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
    LogNumbers("position:", {position.x, position.y, position.z}, "\n");
    LogNumbers("scale:", {scale.x, scale.y, scale.z}, "\n");
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
        LogNumbers("orientation:", {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]}, " \n");
        LogNumbers("mass:", {object->creationMass}, "\n");
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
        LogNumbers("spawnposition:", {spawn.x, spawn.y, spawn.z}, "\n\n");
    }
}
