// The triggers and the other scene objects of the player's side of a stage:
// reach, the coin's spin, the exits round the stage ring, every action with
// its guards, the falling blocks' clock, the shadow, the sun, and the trigger
// records surviving a save and a reload.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayerTestSupport.h"
#include "Win32Host.h"
#include "core/EventDispatcher.h"
#include "core/Clock.h"
#include "core/Stage.h"
#include "game/FactoryCounters.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/ShadowObj.h"
#include "game/Sun.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/BoxChain.h"
#include "objects/Capsule.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "objects/SwingingLog.h"
#include "objects/Vehicle.h"
#include "physics/HingeJoint.h"
#include "render/MeshInstance.h"
#include "render/PointLight.h"

namespace {

// A box standing in for the character where one is not needed: object 0.
const Vector3 kMarkerPlace(0.0f, 0.0f, 50.0f);

class TriggerTest : public ::testing::Test
{
protected:
    void SetUp() override { Trigger::ResetRunForTest(); }

    // A stage whose World object 0 is a box hanging in the air.
    LevelText MarkerStage(int stage)
    {
        LevelText level(stage);
        level.Object(1, kMarkerPlace, Vector3(1, 1, 1), 1.0f);
        return level;
    }
    static Object& ObjectZero() { return *gWorld->GetObject(0); }
    static Trigger& TriggerAt(size_t i) { return *gWorld->GetTriggers()[i]; }
    // The World's scene update alone, as the frame render runs it (a load it
    // asks for included), then the messages it posted.
    static void UpdateScene()
    {
        gWorld->Update(0.0f);
        gEventDispatcher->ProcessQueue();
    }
    // The game clock moves one frame of the given length (at most 66 ms).
    static void Tick(float seconds)
    {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(seconds * kWin32CounterFrequency));
        Clock::Tick();
    }
    // Frames of 50 ms, each with its scene update.
    static void Advance(float seconds)
    {
        for (int frame = 0; frame < static_cast<int>(seconds / 0.05f + 0.5f); ++frame) {
            Tick(0.05f);
            UpdateScene();
        }
    }

    PlayerRig rig;
};

TEST_F(TriggerTest, ATriggerFiresAtItsRadiusPlusOneAndAHalfAndNotBeyond)
{
    struct Case
    {
        int type;
        float size;
        float radius;
    };
    const Case cases[] = {{37, 1.0f, 4.0f}, {13, 6.0f, 3.0f}, {40, 2.0f, 3.0f}, {46, 5.0f, 5.0f}, {52, 2.5f, 2.5f}};
    for (const Case& k : cases) {
        SCOPED_TRACE("type " + std::to_string(k.type));
        const Vector3 at(20.0f, -10.0f, 50.0f);
        rig.Load(MarkerStage(2).Trigger(k.type, at, Vector3(k.size, k.size, k.size), Vector3(1, 2, 3)));
        Trigger& trigger = TriggerAt(0);
        EXPECT_EQ(trigger.radius, k.radius);
        const float reach = k.radius + Trigger::kReach;
        ObjectZero().position = at + Vector3(0.0f, std::nextafter(reach, 100.0f), 0.0f);
        UpdateScene();
        EXPECT_FALSE(trigger.fired);
        ObjectZero().position = at + Vector3(0.0f, reach, 0.0f);
        UpdateScene();
        EXPECT_TRUE(trigger.fired);
    }
}

TEST_F(TriggerTest, ACoinTurnsAHundredDegreesASecondOfGameTime)
{
    rig.Load(MarkerStage(1).Trigger(37, Vector3(-60, 60, 4), Vector3(1, 1, 1)));
    Trigger& coin = TriggerAt(0);
    for (float scale : {1.0f, 0.5f}) {
        SCOPED_TRACE("time scale " + std::to_string(scale));
        coin.spinAngle = 0.0f;
        Clock::SetTimeScale(scale);
        for (int frame = 0; frame < 30; ++frame) {
            Tick(0.02f);
            UpdateScene();
        }
        Clock::SetTimeScale(0.0f);
        EXPECT_NEAR(coin.spinAngle, 100.0f * 0.6f * scale, 1e-3f);
        const float radians = coin.spinAngle * 3.14159265f / 180.0f;
        EXPECT_NEAR(coin.orientation(0, 0), std::cos(radians), 1e-5f);
        EXPECT_NEAR(coin.orientation(0, 1), std::sin(radians), 1e-5f);
    }
    // Past a whole turn it starts again.
    coin.spinAngle = 359.0f;
    Tick(0.02f);
    UpdateScene();
    EXPECT_EQ(coin.spinAngle, 0.0f);
    // Collected: 5000 up, spinning no more.
    const Vector3 place = coin.position;
    ObjectZero().position = place;
    UpdateScene();
    EXPECT_EQ(gPlayer->GetStageScore(), 1);
    EXPECT_EQ(coin.position, place + Vector3(0, 0, 5000.0f));
    Tick(0.02f);
    UpdateScene();
    EXPECT_EQ(coin.spinAngle, 0.0f);
    EXPECT_EQ(gPlayer->GetStageScore(), 1);
}

TEST_F(TriggerTest, TheExitsTakeTheGameRoundTheStageRingAndBankEachStagesScore)
{
    gLevelLoader->LoadLevel("stage1.qvl");
    std::vector<int> stages;
    int total = 0;
    for (int step = 0; step < 5; ++step) {
        stages.push_back(CurrentStage());
        const Trigger* exit = nullptr;
        for (const Trigger* t : gWorld->GetTriggers()) {
            if (t->kind == Trigger::kStageExit) exit = t;
        }
        ASSERT_NE(exit, nullptr);
        gPlayer->AddToStageScore(step + 2);
        total += step + 2;
        // Object 0 (the character's spine, or the cart) reaches the exit.
        gWorld->GetObject(0)->SetPosition(exit->position);
        UpdateScene();
        EXPECT_EQ(gPlayer->GetTotalScore(), total);
        EXPECT_EQ(gPlayer->GetStageScore(), 0);
        EXPECT_FALSE(gLevelLoader->HasPendingLoad());
    }
    stages.push_back(CurrentStage());
    EXPECT_EQ(stages, (std::vector<int>{1, 2, 3, 4, 1, 2}));
}

TEST_F(TriggerTest, AHazardPushesTheCharacterAwayAndKnocksItOutOnce)
{
    const Vector3 at(4.0f, 0.0f, 4.5f);
    rig.Load(LevelText(2).Character(kStandingRecord).Trigger(40, at, Vector3(2, 2, 2)));
    Object* spine = gPlayer->GetFirstLimb();
    const Vector3 expected = (spine->position - at) * 10000.0f;
    const Vector3 walkingBefore = gPlayer->GetWalkingBody()->position;
    UpdateScene();
    EXPECT_FALSE(gPlayer->IsUpright());
    EXPECT_EQ(spine->force, expected);
    EXPECT_EQ(gPlayer->GetWalkingBody()->force, expected);
    EXPECT_EQ(gPlayer->GetWalkingBody()->position, walkingBefore + Vector3(100, 100, 100));
    EXPECT_TRUE(TriggerAt(0).fired);
}

TEST_F(TriggerTest, SpawnedBouldersFallFromTheRecordsPlaceTwiceAsLargeOnTheCartStage)
{
    for (int stage : {2, 4}) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        const Vector3 spawn(30.0f, 30.0f, 80.0f);
        rig.Load(MarkerStage(stage).Trigger(13, kMarkerPlace, Vector3(2, 2, 2), spawn));
        EXPECT_EQ(TriggerAt(0).spawnPosition, spawn);
        const int before = gWorld->GetNumObjects();
        UpdateScene();
        UpdateScene(); // fired once only
        ASSERT_EQ(gWorld->GetNumObjects(), before + 1);
        const Object* boulder = gWorld->GetObjects().back();
        EXPECT_EQ(boulder->GetType(), 2);
        EXPECT_EQ(boulder->position, spawn);
        EXPECT_EQ(boulder->creationMass, 1000.0f);
        EXPECT_FALSE(boulder->IsFrozen());
        const float size = stage == 4 ? 25.0f : 5.0f;
        EXPECT_EQ(boulder->meshes.front()->world._11, size);
    }
}

TEST_F(TriggerTest, TheSpeedBoostPushesTheCartEveryTimeAndExplodesOnceARun)
{
    // The cart is object 0; two boosts on its way.
    auto cartStage = [](int boosts) {
        LevelText level(4);
        level.Object(8, Vector3(0, 0, 2), Vector3(1, 1, 1), 600, false);
        for (int i = 0; i < boosts; ++i) level.Trigger(50, Vector3(0, 0, 2), Vector3(3, 3, 3));
        return level;
    };
    rig.Load(cartStage(2));
    Vehicle* cart = gWorld->GetVehicles().front();
    UpdateScene();
    Vector3 forward;
    cart->GetOrientation().GetRow0(forward);
    EXPECT_EQ(cart->force, forward * 1000000.0f);
    EXPECT_EQ(rig.particles->Count("Explosion"), 1);
    // The next stage load brings new boosts; the explosion has been seen.
    rig.Load(cartStage(1));
    UpdateScene();
    EXPECT_EQ(rig.particles->Count("Explosion"), 1);
    EXPECT_TRUE(TriggerAt(0).fired);
}

TEST_F(TriggerTest, TheFallingBlocksLetGoOneByOneOnTheTriggersClock)
{
    LevelText level = MarkerStage(3);
    for (int i = 0; i < 4; ++i) level.Object(51, Vector3(-60.0f + 10.0f * i, 60, 30), Vector3(4, 4, 1), 50);
    rig.Load(level.Trigger(52, Vector3(100, 100, 50), Vector3(2, 2, 2)));
    const std::vector<Object*>& blocks = gWorld->GetGBlocks();
    ASSERT_EQ(blocks.size(), 4u);
    Trigger& trigger = TriggerAt(0);
    // Not reached yet: the clock does not run.
    Advance(0.5f);
    EXPECT_EQ(trigger.timer, 0.0f);
    ObjectZero().position = trigger.position;
    const struct
    {
        float at; // seconds on the trigger's clock after this frame
        int awake;
    } windows[] = {{0.5f, 1}, {1.4f, 1}, {1.6f, 2}, {2.9f, 2}, {3.1f, 3}, {4.6f, 4}, {6.5f, 4}};
    float clock = 0.0f;
    for (const auto& w : windows) {
        SCOPED_TRACE("at " + std::to_string(w.at));
        Advance(w.at - clock);
        clock = w.at;
        EXPECT_NEAR(trigger.timer, w.at, 1e-4f);
        int awake = 0;
        for (const Object* block : blocks) awake += block->IsFrozen() ? 0 : 1;
        EXPECT_EQ(awake, w.awake);
    }
    // Refrozen after the last window, a block stays frozen.
    blocks[0]->SetFreezeState(1, 1.0f);
    Advance(0.5f);
    EXPECT_TRUE(blocks[0]->IsFrozen());
}

TEST_F(TriggerTest, ActionsWithoutWhatTheyNeedDoNothing)
{
    // The bridge trigger only counts on stage 1; the swinging-log index may
    // point past the stage's logs (its counter runs on across stages); the
    // boost needs the cart stage and a cart; the mask needs a character.
    ResetFactoryCountersForTest();
    LevelText level = MarkerStage(2);
    for (int type : {27, 49, 49, 49, 49, 50, 38}) level.Trigger(type, kMarkerPlace, Vector3(2, 2, 2));
    rig.Load(level);
    ASSERT_EQ(gWorld->GetSwingingLogs().size(), 3u);
    EXPECT_EQ(TriggerAt(4).logIndex, 0); // the counter came round
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(gWorld->GetSwingingLogs()[i]->GetLog()->IsFrozen());
    TriggerAt(4).logIndex = 7;
    Tick(0.5f);
    UpdateScene();
    EXPECT_FALSE(TriggerAt(0).fired);
    EXPECT_EQ(TriggerAt(0).timer, 0.0f);
    // Logs 0, 1 and 2 are let go; index 7 changes nothing.
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(gWorld->GetSwingingLogs()[i]->GetLog()->IsFrozen());
    EXPECT_TRUE(TriggerAt(4).fired);
    EXPECT_EQ(rig.particles->Count("Explosion"), 0);
    EXPECT_FALSE(gPlayer->HasMask());
    EXPECT_EQ(gPlayer->GetStageScore(), 1);
    // On the cart stage without a cart the boost does nothing either.
    rig.Load(MarkerStage(4).Trigger(50, kMarkerPlace, Vector3(2, 2, 2)));
    UpdateScene();
    EXPECT_TRUE(TriggerAt(0).fired);
    EXPECT_EQ(rig.particles->Count("Explosion"), 0);
}

TEST_F(TriggerTest, WithoutObjectZeroTheTriggersWaitAndTheCoinsStillTurn)
{
    // The cart stage builds no object of its own.
    rig.Load(
        LevelText(4).Trigger(37, Vector3(0, 0, 0), Vector3(1, 1, 1)).Trigger(50, Vector3(0, 0, 0), Vector3(9, 9, 9)));
    ASSERT_EQ(gWorld->GetObject(0), nullptr);
    Advance(0.5f);
    EXPECT_FALSE(TriggerAt(0).fired);
    EXPECT_FALSE(TriggerAt(1).fired);
    EXPECT_GT(TriggerAt(0).spinAngle, 40.0f);
}

TEST_F(TriggerTest, TheBridgeGivesWayAfterTwoSecondsInRangeOverSeveralVisits)
{
    rig.Load(MarkerStage(1).Trigger(27, Vector3(-36, -42, 10), Vector3(4, 4, 4)));
    BoxChain* bridge = gWorld->GetStageOneObject();
    ASSERT_NE(bridge, nullptr);
    auto openJoints = [bridge] {
        int open = 0;
        for (const HingeJoint* joint : bridge->GetJoints()) open += joint->active ? 0 : 1;
        return open;
    };
    EXPECT_EQ(openJoints(), 0);
    Trigger& trigger = TriggerAt(0);
    const Vector3 away = ObjectZero().position;
    float stood = 0.0f;
    for (int visit = 0; visit < 3; ++visit) {
        ObjectZero().position = trigger.position;
        for (int frame = 0; frame < 30; ++frame) {
            Tick(0.03f);
            UpdateScene();
            stood += 0.03f;
        }
        ObjectZero().position = away;
        Tick(0.5f);
        UpdateScene();
        EXPECT_EQ(trigger.fired, stood >= 2.0f - 1e-4f) << "after " << stood << " s";
    }
    EXPECT_NEAR(trigger.timer, 2.0f, 0.031f);
    // Frames longer than the creak interval send the creaks.
    EXPECT_GT(rig.particles->Count("BridgeBreak"), 60);
    EXPECT_GE(openJoints(), 1);
}

TEST_F(TriggerTest, TheShadowLiesOnTheNearestBodyBelowOrOnTheTerrain)
{
    rig.Load(MarkerStage(2)
                 .Object(1, Vector3(0, 0, 10), Vector3(6, 6, 2), 10)    // top at 11
                 .Object(1, Vector3(0, 0, 20), Vector3(6, 6, 2), 10)    // top at 21, nearer
                 .Object(1, Vector3(90, 0, 10), Vector3(6, 6, 2), 10)); // over the trench, away
    fShadowObj* shadow = dynamic_cast<fShadowObj*>(gPlayer->GetShadow());
    ASSERT_NE(shadow, nullptr);
    const struct
    {
        Vector3 character;
        int ignoredType; // the nearer box's type for this case
        float z;
    } cases[] = {
        {{0, 0, 50}, 1, 21.2f},  {{0, 0, 15}, 1, 11.2f},  {{0, 0, 50}, 22, 11.2f},   {{0, 0, 50}, 19, 11.2f},
        {{0, 0, 50}, 30, 11.2f}, {{40, 40, 50}, 1, 0.2f}, {{80, 40, 50}, 1, -59.8f},
    };
    Object* nearer = gWorld->GetObject(2);
    for (const auto& k : cases) {
        nearer->typeId = k.ignoredType;
        ObjectZero().position = k.character;
        UpdateScene();
        EXPECT_NEAR(shadow->position.z, k.z, 1e-4f) << "type " << k.ignoredType << " at x " << k.character.x;
        EXPECT_EQ(shadow->position.x, k.character.x);
        EXPECT_EQ(shadow->position.y, k.character.y);
    }
    // Without terrain and with nothing below the shadow stays put.
    gWorld->ClearHeightmaps();
    const Vector3 last = shadow->position;
    ObjectZero().position = Vector3(-50, -50, 50);
    UpdateScene();
    EXPECT_EQ(shadow->position, last);
}

TEST_F(TriggerTest, TheSunLightsTheStageInWhiteAndGoesWithIt)
{
    rig.Load(MarkerStage(2).SceneObject(43, Vector3(300, -300, 800), Vector3(1, 1, 1)));
    const Sun* sun = nullptr;
    for (NPObj* object : gWorld->GetUpdatables()) {
        if (object->GetType() == Sun::kType) sun = dynamic_cast<Sun*>(object);
    }
    ASSERT_NE(sun, nullptr);
    ASSERT_NE(sun->GetLight(), nullptr);
    const PointLight& light = *sun->GetLight();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(light.colour[i], 1.0f);
    EXPECT_EQ(light.baseAttenuation, Sun::kAttenuation);
    EXPECT_EQ(light.ownerPosition, &sun->position);
    EXPECT_EQ(sun->position, Vector3(300, -300, 800));
    EXPECT_TRUE(sun->models.empty());
}

TEST_F(TriggerTest, TriggerRecordsAndTheirSpawnPositionsSurviveASaveAndAReload)
{
    InGameLevelEditor editor;
    InGameLevelEditor* previous = gInGameLevelEditor;
    gInGameLevelEditor = &editor;
    editor.Toggle();
    // A "trigger" record of a type that makes no trigger must not move the
    // spawn position of the trigger before it.
    const Vector3 spawn(7.0f, 8.0f, 9.0f);
    rig.Load(MarkerStage(2)
                 .Trigger(13, Vector3(10, 0, 1), Vector3(6, 6, 6), spawn)
                 .Trigger(25, Vector3(0, 10, 1), Vector3(1, 1, 1), Vector3(-1, -1, -1))
                 .Trigger(11, Vector3(20, 0, 4), Vector3(4, 5, 6), Vector3(1, 1, 1))
                 .Trigger(37, Vector3(30, 0, 4), Vector3(1, 1, 1)));
    ASSERT_EQ(gWorld->GetTriggers().size(), 3u);
    EXPECT_EQ(TriggerAt(0).spawnPosition, spawn);
    // The exit's sign pulses before the save: its record keeps its size.
    TriggerAt(1).PulseScale();
    testing::internal::CaptureStdout();
    gLevelLoader->SaveLevel();
    testing::internal::GetCapturedStdout();
    gLevelLoader->LoadLevel("stage2.qvl");
    gLevelLoader->LoadLevel(gLevelLoader->GetLevelFileName());
    const std::vector<Trigger*>& loaded = gWorld->GetTriggers();
    ASSERT_EQ(loaded.size(), 3u);
    const struct
    {
        int type;
        int kind;
        Vector3 position;
        float radius;
        Vector3 spawn;
    } expected[] = {{13, Trigger::kSpawnBoulder, {10, 0, 1}, 3.0f, spawn},
                    {11, Trigger::kStageExit, {20, 0, 4}, 4.0f, {1, 1, 1}},
                    {37, Trigger::kCoin, {30, 0, 4}, 4.0f, {0, 0, 0}}};
    for (size_t i = 0; i < loaded.size(); ++i) {
        SCOPED_TRACE("trigger " + std::to_string(i));
        EXPECT_EQ(loaded[i]->GetType(), expected[i].type);
        EXPECT_EQ(loaded[i]->kind, expected[i].kind);
        EXPECT_EQ(loaded[i]->position, expected[i].position);
        EXPECT_EQ(loaded[i]->radius, expected[i].radius);
        EXPECT_EQ(loaded[i]->spawnPosition, expected[i].spawn);
    }
    gInGameLevelEditor = previous;
}

} // namespace
