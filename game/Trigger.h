// A trigger: a scene object that watches the player character (World object
// 0) and acts when it comes within reach: spawns a boulder, ends the stage,
// breaks the bridge, collects a coin, kills, gives the mask, starts the chain
// whips, lets a swinging log go, boosts the cart or drops the falling blocks.
// The scene factory builds one per trigger record and sets its kind from the
// record's type id; the World owns it among its updatables.
#pragma once

#include "core/Vector3.h"
#include "objects/NPObj.h"

class Trigger : public NPObj
{
public:
    enum Kind : int {
        kSpawnBoulder = 0,
        kNoAction = 1, // kinds 1 to 3 never do anything
        kStageExit = 4,
        kBreakBridge = 5,
        kCoin = 6,
        kHazard = 7,
        kMask = 8,
        kChainWhips = 9,
        kSwingingLog = 10,
        kSpeedBoost = 11,
        kFallingBlocks = 12
    };

    // The character fires a trigger from this far outside its radius.
    static constexpr float kReach = 1.5f;
    // Where a spawn boulder falls from when its record gives no place.
    static const Vector3 kDefaultSpawnPosition;

    Trigger();

    // Every frame: fires when the character is within reach (once, but for
    // the falling blocks and the bridge, which keep going), then the kind's
    // own animation or timer.
    void Update() override;
    // The kind's action; sets fired where the kind says.
    void Fire();

    // The stage exit's sign swells and shrinks by a tenth a frame between 5 and 10.
    void PulseScale();
    // A coin turns 100 degrees a second of game time about z.
    void SpinCoin();

    void SpawnObject();
    // Adds the stage score to the total and asks for the next stage of the
    // ring 1, 2, 3, 4, 1; the load runs after the World's update loop.
    void GoToNextStage();
    void BreakBridge();
    void CollectCoin();
    void KillPlayer();
    void PickUpMask();
    void StartChainWhips();
    void ReleaseSwingingLogs();
    void SpeedBoost();
    void ReleaseGBlocks();

    // The speed boost's explosion comes once a run; tests start a new run.
    static void ResetRunForTest();

    // Where its level record puts it: where it stands, less the lift out of
    // sight of a collected coin or mask, so a save keeps it at its place and
    // a move the editor made since.
    Vector3 RecordPosition() const;

    bool animated = false;
    float pulseScale = 5.0f;
    int kind = kNoAction;
    Vector3 spawnPosition;
    bool fired = false;
    float radius = 1.0f;
    float timer = 0.0f; // seconds: the bridge's stand, the falling blocks' clock
    int logIndex = 0;   // the swinging log a kind-10 trigger lets go
    int pulseDirection = 1;
    float spinAngle = 0.0f; // degrees

private:
    // A collected coin or mask is lifted out of sight rather than removed.
    void PutAway();

    float putAwayLift = 0.0f; // how far PutAway lifted it
};
