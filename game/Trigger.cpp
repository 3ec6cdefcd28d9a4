#include "game/Trigger.h"

#include <string>

#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/ObjectFactory.h"
#include "game/Player.h"
#include "game/PlayerProbes.h"
#include "game/World.h"
#include "objects/BoxChain.h"
#include "objects/Capsule.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Object.h"
#include "objects/SwingingLog.h"
#include "objects/Vehicle.h"
#include "particles/fPartManager.h"
#include "render/MeshInstance.h"

const Vector3 Trigger::kDefaultSpawnPosition(14.0f, 13.0f, 15.0f);

namespace {

// The stage exit's sign.
const float kPulseStep = 0.1f;
const float kPulseLargest = 10.0f;
const float kPulseSmallest = 5.0f;

const float kCoinDegreesPerSecond = 100.0f;
const float kFullTurn = 360.0f;

// A collected coin or mask is put far out of sight rather than removed.
const float kPutAwayHeight = 5000.0f;

// The boulder a spawn trigger drops: heavy, and four times larger among the
// cart stage's wide spaces.
const float kBoulderMass = 1000.0f;
const int kBoulderTexture = 5;
const float kBoulderSize = 5.0f;
const float kCartStageBoulderSize = 25.0f;

// The bridge creaks for two seconds of standing on it, then gives way.
const float kCreakInterval = 0.025f;
const float kBridgeStandSeconds = 2.0f;
const float kCreakSpread = 3.0f;

const float kHazardPushPerUnit = 10000.0f;
const float kBoostForce = 500000.0f;

// The falling blocks let go one after the other.
const size_t kFallingBlockCount = 4;
const float kBlockReleaseTimes[kFallingBlockCount] = {1.5f, 3.0f, 4.5f, 6.0f};

// Shared by every bridge trigger of the run, as the creaking is one sound of
// the one bridge.
float sCreakCountdown = kCreakInterval;
// The speed boost's explosion shows once in a run.
bool sBoostExploded = false;

} // namespace

Trigger::Trigger() : spawnPosition(kDefaultSpawnPosition) {}

void Trigger::Update()
{
    const Object* character = gWorld != nullptr ? gWorld->GetObject(0) : nullptr;
    if (character != nullptr && (!fired || kind == kFallingBlocks)) {
        const Vector3 d = character->position - position;
        const float reach = radius + kReach;
        if (d.LengthSquared() <= reach * reach) Fire();
    }
    if (fired && kind != kFallingBlocks) return;
    switch (kind) {
    case kStageExit:
        PulseScale();
        break;
    case kCoin:
        SpinCoin();
        break;
    case kFallingBlocks:
        ReleaseGBlocks();
        break;
    default:
        break;
    }
}

void Trigger::Fire()
{
    switch (kind) {
    case kSpawnBoulder:
        SpawnObject();
        break;
    case kStageExit:
        GoToNextStage();
        break;
    case kBreakBridge:
        // Sets fired itself, once the bridge has given way.
        BreakBridge();
        return;
    case kCoin:
        CollectCoin();
        break;
    case kHazard:
        KillPlayer();
        break;
    case kMask:
        PickUpMask();
        break;
    case kChainWhips:
        StartChainWhips();
        break;
    case kSwingingLog:
        ReleaseSwingingLogs();
        break;
    case kSpeedBoost:
        SpeedBoost();
        break;
    case kFallingBlocks:
        // The blocks' clock runs in ReleaseGBlocks from now on.
        break;
    default:
        // Kinds without an action never count as fired.
        return;
    }
    fired = true;
}

void Trigger::PulseScale()
{
    if (!animated) return;
    pulseScale += static_cast<float>(pulseDirection) * kPulseStep;
    if (pulseScale > kPulseLargest) pulseDirection = -1;
    if (pulseScale < kPulseSmallest) pulseDirection = 1;
    if (!models.empty() && models.front() != nullptr) {
        D3DXMatrixScaling(&models.front()->world, pulseScale, pulseScale, pulseScale);
    }
}

void Trigger::SpinCoin()
{
    spinAngle += Clock::GetFrameTime(false) * kCoinDegreesPerSecond / 1000.0f;
    Matrix3::FromAxisAngle(orientation, spinAngle, Vector3(0.0f, 0.0f, 1.0f));
    orientation.Orthonormalize();
    if (spinAngle > kFullTurn) spinAngle = 0.0f;
}

void Trigger::SpawnObject()
{
    if (gWorld == nullptr) return;
    const float size = CurrentStage() == kCartStage ? kCartStageBoulderSize : kBoulderSize;
    gWorld->CreateObject(kBoulderType, &spawnPosition, &Matrix3::Identity(), size, size, size, kBoulderMass, false,
                         false, kBoulderTexture);
}

void Trigger::GoToNextStage()
{
    if (gPlayer != nullptr) gPlayer->BankStageScore();
    // The ring's next stage; none from a stage outside it.
    const std::string next = StageFileName(NextStage(CurrentStage()));
    // Inside the World's update the loader only takes note: the stage (this
    // trigger with it) goes once the loop is over.
    if (!next.empty() && gLevelLoader != nullptr) gLevelLoader->LoadLevel(next);
}

void Trigger::BreakBridge()
{
    if (CurrentStage() != kFirstStage) return;
    const float dt = GameFrameSeconds();
    sCreakCountdown -= dt;
    if (sCreakCountdown <= 0.0f) {
        const float dx = RandomBetween(-kCreakSpread, kCreakSpread);
        const float dy = RandomBetween(-kCreakSpread, kCreakSpread);
        const Vector3 where = position + Vector3(dx, dy, 0.0f);
        const Vector3 still;
        const float scale = 1.0f;
        if (gEventDispatcher != nullptr) {
            gEventDispatcher->PostMessage(kMsgCreateSystem, new fCreateSystem("BridgeBreak", &where, &still, &scale));
        }
        sCreakCountdown = kCreakInterval;
    }
    timer += dt;
    if (timer >= kBridgeStandSeconds) {
        fired = true;
        if (BoxChain* bridge = gWorld != nullptr ? gWorld->GetStageOneObject() : nullptr) bridge->Break();
    } else {
        sCreakCountdown = kCreakInterval;
    }
}

void Trigger::CollectCoin()
{
    if (gPlayer != nullptr) gPlayer->AddToStageScore(1);
    PutAway();
}

void Trigger::KillPlayer()
{
    if (gPlayer == nullptr || !gPlayer->IsUpright()) return;
    Capsule* walking = gPlayer->GetWalkingBody();
    Object* firstLimb = gPlayer->GetFirstLimb();
    if (walking != nullptr && firstLimb != nullptr) {
        const Vector3 push = (firstLimb->position - position) * kHazardPushPerUnit;
        walking->force += push;
        firstLimb->force += push;
    }
    gPlayer->KnockOut();
}

void Trigger::PickUpMask()
{
    if (gPlayer != nullptr) {
        gPlayer->WearMask(true);
        gPlayer->AddToStageScore(1);
    }
    PutAway();
}

void Trigger::PutAway()
{
    position.z += kPutAwayHeight;
    putAwayLift += kPutAwayHeight;
}

Vector3 Trigger::RecordPosition() const
{
    return position - Vector3(0.0f, 0.0f, putAwayLift);
}

void Trigger::StartChainWhips()
{
    if (gWorld == nullptr || CurrentStage() != kWhipStage) return;
    for (ChainWhip* whip : gWorld->GetChainWhips()) whip->SetActive(true);
}

void Trigger::ReleaseSwingingLogs()
{
    if (gWorld == nullptr) return;
    // The trigger counter runs on across stage clears, so an index may point
    // past the stage's logs.
    const std::vector<SwingingLog*>& logs = gWorld->GetSwingingLogs();
    if (logIndex < 0 || logIndex >= static_cast<int>(logs.size())) return;
    if (Cylinder* log = logs[static_cast<size_t>(logIndex)]->GetLog()) log->SetFreezeState(0, 1.0f);
}

void Trigger::SpeedBoost()
{
    if (gWorld == nullptr || CurrentStage() != kCartStage || gWorld->GetVehicles().empty()) return;
    if (!sBoostExploded) {
        sBoostExploded = true;
        CreateEffectNow("Explosion", position);
    }
    Vehicle* cart = gWorld->GetVehicles().front();
    Vector3 forward;
    cart->GetOrientation().GetRow0(forward);
    cart->force += forward * kBoostForce;
}

void Trigger::ReleaseGBlocks()
{
    if (gWorld == nullptr || !fired) return;
    const std::vector<Object*>& blocks = gWorld->GetGBlocks();
    if (blocks.size() != kFallingBlockCount) return;
    timer += GameFrameSeconds();
    for (size_t i = 0; i < kFallingBlockCount; ++i) {
        if (timer < kBlockReleaseTimes[i]) {
            if (blocks[i]->IsFrozen()) blocks[i]->SetFreezeState(0, 1.0f);
            return;
        }
    }
}

void Trigger::ResetRunForTest()
{
    sBoostExploded = false;
    sCreakCountdown = kCreakInterval;
}
