// The player on the test terrain, driven through its keys: walking along the
// camera's yaw, the push's strengths and cap, the jump, the fall limits, the
// knock-out and recovery (also on the shipped stages: standing up where the
// character lay), the mask, the animation switch and its dust, the contacts,
// landings and impacts, and the guards without a character.
#include <gtest/gtest.h>

#include <dinput.h>
#include <dinput_test.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "PlayerTestSupport.h"
#include "audio/AudioController.h"
#include "audio/AudioSystem.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/PlayerProbes.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "objects/Vehicle.h"
#include "physics/BodyCollisionData.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/Renderer.h"

namespace {

class PlayerTest : public ::testing::Test
{
protected:
    // A fresh player on a fresh stage: the walking direction starts from nothing.
    void LoadFresh(const LevelText& level)
    {
        delete gPlayer;
        gPlayer = new Player();
        rig.Load(level);
    }
    void LoadStanding(int stage = 1) { LoadFresh(LevelText(stage).Character(kStandingRecord)); }

    static Capsule& Walking() { return *gPlayer->GetWalkingBody(); }
    static float FrameSeconds() { return Clock::GetFrameTime(false) / 1000.0f; }
    // Presses and lets go of a key (two frames down, so it is held once).
    void Tap(int dik)
    {
        rig.Hold({dik});
        rig.Frames(2);
        rig.Hold({});
        rig.Frame();
    }

    PlayerRig rig;
};

float Horizontal(const Vector3& v)
{
    return std::hypot(v.x, v.y);
}

TEST_F(PlayerTest, EachMovementKeyWalksAlongTheCameraYawFromItsSecondFrame)
{
    // With a first key, it sets the heading and the second, exactly opposite,
    // cancels it on its first held frame: the walk must still head the second
    // key's way, not along +x (at yaw 0 that is W's way, and it would never turn).
    struct Case
    {
        int first; // 0: none
        int key;
        float yaw;
        Vector3 direction; // the key's, from (cos yaw, sin yaw)
    };
    const float c = std::cos(0.7f), s = std::sin(0.7f);
    const Case cases[] = {
        {0, DIK_W, 0.0f, {1, 0, 0}},     {0, DIK_S, 0.0f, {-1, 0, 0}},    {0, DIK_A, 0.0f, {0, -1, 0}},
        {0, DIK_D, 0.0f, {0, 1, 0}},     {0, DIK_W, 0.7f, {c, s, 0}},     {0, DIK_S, 0.7f, {-c, -s, 0}},
        {0, DIK_A, 0.7f, {s, -c, 0}},    {0, DIK_D, 0.7f, {-s, c, 0}},    {DIK_W, DIK_S, 0.0f, {-1, 0, 0}},
        {DIK_S, DIK_W, 0.0f, {1, 0, 0}}, {DIK_A, DIK_D, 0.0f, {0, 1, 0}}, {DIK_W, DIK_S, 0.7f, {-c, -s, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("keys " + std::to_string(k.first) + ", " + std::to_string(k.key) + " yaw " +
                     std::to_string(k.yaw));
        LoadStanding();
        rig.SetYaw(k.yaw);
        rig.Frames(3);
        if (k.first != 0) {
            rig.Hold({k.first});
            rig.Frames(10);
            rig.Hold({});
            rig.Frames(2);
        }
        rig.Hold({k.key});
        rig.BeginFrame(); // pressed: nothing moves yet
        if (k.first == 0) {
            EXPECT_FALSE(gObjectController->IsEnabled());
            EXPECT_EQ(gPlayer->GetMoveDirection(), Vector3());
        }
        rig.EndFrame();
        rig.BeginFrame(); // held: the push along the yaw, on the ground at full strength
        ExpectNear(gPlayer->GetMoveDirection(), k.direction, 1e-6f, "walking direction");
        EXPECT_TRUE(gObjectController->IsEnabled());
        EXPECT_EQ(gObjectController->GetObject(), gPlayer->GetWalkingBody());
        ExpectNear(gObjectController->GetDirection(), k.direction * (Player::kGroundPush * FrameSeconds()), 1e-5f,
                   "push");
        rig.EndFrame();
        rig.Frames(40);
        Vector3 heading = Walking().linearVelocity;
        heading.z = 0.0f;
        EXPECT_GT(Vector3::Dot(heading.Normalize(), k.direction), 0.999f);
        rig.Hold({});
    }
}

TEST_F(PlayerTest, OnARampTheWalkFollowsTheSlopeTheShadowsProbeFound)
{
    // A wedge buried under the character: the shadow's probe down through it
    // reports its slope, which rises towards +y.
    LoadFresh(LevelText(1).Character(kStandingRecord).Object(31, Vector3(0, 0, -40), Vector3(20, 20, 10), 100));
    rig.SetYaw(1.5707964f); // W walks towards +y, up the slope
    rig.Frames(3);
    ASSERT_TRUE(gPlayer->IsOnRamp());
    const Vector3 n = gPlayer->GetContactNormal();
    EXPECT_GT(n.z, 0.0f);
    EXPECT_LT(n.y, 0.0f);
    rig.Hold({DIK_W});
    rig.Frame();
    rig.BeginFrame();
    const Vector3 along = gPlayer->GetMoveDirection();
    EXPECT_NEAR(Vector3::Dot(along, n), 0.0f, 1e-5f);
    EXPECT_NEAR(along.Length(), 1.0f, 1e-5f);
    EXPECT_GT(along.z, 0.1f);
    EXPECT_GT(along.y, 0.5f);
    rig.EndFrame();
}

TEST_F(PlayerTest, ThePushIsWeakerOffTheGroundAndStopsAtSpeedTwenty)
{
    struct Case
    {
        const char* what;
        void (*prepare)(PlayerRig&);
        float strength; // 0: no push
    };
    const Case cases[] = {
        {"standing", [](PlayerRig&) {}, Player::kGroundPush},
        {"lifted clear of everything",
         [](PlayerRig& r) {
             Walking().SetPosition(Vector3(0, 0, 30));
             r.Frame(); // the physics finds no contact
         },
         Player::kAirPush},
        {"just jumped",
         [](PlayerRig& r) {
             r.Hold({DIK_W, DIK_SPACE});
             r.Frames(2);
         },
         Player::kAirPush},
        {"at speed 20", [](PlayerRig&) { Walking().linearVelocity = Vector3(20.0f, 0.0f, 0.0f); }, 0.0f},
        {"just below speed 20", [](PlayerRig&) { Walking().linearVelocity = Vector3(19.99f, 0.0f, 0.0f); },
         Player::kGroundPush},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        LoadStanding();
        rig.Frames(3);
        rig.Hold({DIK_W});
        rig.Frame();
        k.prepare(rig);
        rig.Hold({DIK_W});
        rig.BeginFrame();
        EXPECT_NEAR(gObjectController->GetDirection().Length(), k.strength * FrameSeconds(), 1e-5f);
        EXPECT_EQ(gObjectController->IsEnabled(), k.strength > 0.0f);
        rig.EndFrame();
        rig.Hold({});
    }
}

TEST_F(PlayerTest, TheJumpForceFallsToNothingWithinHalfASecondAndComesBackOnRelease)
{
    LoadStanding();
    rig.Frames(3);
    rig.Hold({DIK_SPACE});
    rig.BeginFrame(); // pressed: no jump yet
    EXPECT_EQ(gPlayer->GetJumpTime(), 0.0f);
    rig.EndFrame();
    int pushes = 0;
    float lastForce = Player::kJumpForce;
    for (int frame = 0; frame < 40; ++frame) {
        rig.BeginFrame();
        const float up = gObjectController->GetDirection().z;
        if (up > 0.0f) {
            ++pushes;
            EXPECT_LE(gPlayer->GetJumpTime(), Player::kJumpSeconds + 1e-6f);
            EXPECT_NEAR(up, gPlayer->GetJumpForce() * FrameSeconds(), 1e-4f);
            EXPECT_LT(gPlayer->GetJumpForce(), lastForce);
            lastForce = gPlayer->GetJumpForce();
            EXPECT_FALSE(gPlayer->IsOnGround());
            EXPECT_EQ(gPlayer->GetAirTime(), Player::kAirSeconds);
        }
        rig.EndFrame();
    }
    // 1400 less 2800 a second: gone after 30 frames of 1/60 s.
    EXPECT_GE(pushes, 29);
    EXPECT_LE(pushes, 30);
    EXPECT_LE(gPlayer->GetJumpForce(), 1e-3f);
    EXPECT_GT(Walking().position.z, 3.6f);
    EXPECT_FALSE(gPlayer->IsJumpReleased());
    rig.Hold({});
    rig.Frame();
    EXPECT_EQ(gPlayer->GetJumpForce(), Player::kJumpForce);
    EXPECT_EQ(gPlayer->GetJumpTime(), 0.0f);
    EXPECT_TRUE(gPlayer->IsJumpReleased());
    // Put back on the ground: once the air time is over the next jump is full again.
    Walking().SetPosition(Vector3(0.0f, 0.0f, 3.5f));
    Walking().linearVelocity = Vector3();
    rig.Frames(62);
    EXPECT_TRUE(gPlayer->IsOnGround());
    rig.Hold({DIK_SPACE});
    rig.Frame();
    rig.BeginFrame();
    EXPECT_NEAR(gObjectController->GetDirection().z,
                (Player::kJumpForce - 2.0f * Player::kJumpForce * FrameSeconds()) * FrameSeconds(), 1e-3f);
    rig.EndFrame();
}

TEST_F(PlayerTest, EachStageKnocksOutAtItsFallLimitExactly)
{
    const struct
    {
        int stage;
        float limit;
    } limits[] = {{1, -18.0f}, {2, -10.0f}, {3, 5.0f}};
    for (const auto& k : limits) {
        SCOPED_TRACE("stage " + std::to_string(k.stage));
        LoadStanding(k.stage);
        Walking().SetPosition(Vector3(0.0f, 0.0f, std::nextafter(k.limit, 1000.0f)));
        gPlayer->CheckFall();
        EXPECT_TRUE(gPlayer->IsUpright());
        Walking().SetPosition(Vector3(0.0f, 0.0f, k.limit));
        gPlayer->CheckFall();
        EXPECT_FALSE(gPlayer->IsUpright());
    }
}

TEST_F(PlayerTest, ACartBelowMinusFourHundredReloadsTheCartStageWithTheCartAtItsStart)
{
    LoadFresh(LevelText(4).Object(8, Vector3(0, 0, 2.0f), Vector3(1, 1, 1), 600.0f, false).Character(Vector3(0, 0, 3)));
    Vehicle* cart = gWorld->GetVehicles().front();
    cart->SetPosition(Vector3(0.0f, 0.0f, std::nextafter(Player::kCartFallLimit, 0.0f)));
    gPlayer->CheckFall();
    EXPECT_EQ(gLevelLoader->GetLevelFileName(), "stage4.qvl"); // the stage number's own file name
    EXPECT_EQ(gWorld->GetVehicles().front(), cart);
    cart->SetPosition(Vector3(0.0f, 0.0f, Player::kCartFallLimit));
    gPlayer->CheckFall();
    ASSERT_EQ(gWorld->GetVehicles().size(), 1u);
    ExpectNear(gWorld->GetVehicles().front()->position, Vector3(-190.0f, -150.0f, 12.5f), 1e-4f, "cart at its start");
    EXPECT_EQ(CurrentStage(), 4);
    EXPECT_NE(gPlayer->GetBody(), nullptr);
    EXPECT_TRUE(gPlayer->IsUpright());
}

TEST_F(PlayerTest, KTakesTheCharacterDownAndUpWithEveryEffectButNotOnTheCartStage)
{
    for (int stage : {1, 2, 4}) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        LevelText level(stage);
        if (stage == 4) level.Object(8, Vector3(0, 30, 2.0f), Vector3(1, 1, 1), 600.0f, false);
        LoadFresh(level.Character(kStandingRecord));
        CountdownListener countdown;
        rig.Frames(3);
        gPlayer->AddToStageScore(3);
        const Vector3 before = Walking().position;
        Tap(DIK_K);
        rig.Frame(); // the posted message arrives
        Ragdoll& body = *gPlayer->GetBody();
        if (stage == 4) {
            EXPECT_TRUE(gPlayer->IsUpright());
            EXPECT_FALSE(body.IsLimp());
            EXPECT_EQ(countdown.count, 0);
            EXPECT_EQ(gPlayer->GetStageScore(), 3);
            continue;
        }
        EXPECT_FALSE(gPlayer->IsUpright());
        EXPECT_TRUE(body.IsLimp());
        EXPECT_FALSE(gRenderer->GetModel(0)->IsActive());
        EXPECT_EQ(countdown.count, 1);
        EXPECT_EQ(gPlayer->GetStageScore(), 0);
        // The torch wrist lets go off the first stage; the other hinges hold.
        EXPECT_EQ(body.GetJoint(kTorchWristJoint).active, stage == 1);
        EXPECT_TRUE(body.GetJoint(0).active);
        // Moved away at once; the capsule then falls as it will.
        EXPECT_GT(Walking().position.x, before.x + 99.0f);
        EXPECT_GT(Walking().position.y, before.y + 99.0f);

        Tap(DIK_K);
        EXPECT_TRUE(gPlayer->IsUpright());
        EXPECT_FALSE(body.IsLimp());
        EXPECT_TRUE(gPlayer->IsIdleAnimation());
        EXPECT_TRUE(gRenderer->GetModel(0)->IsActive());
        EXPECT_EQ(AnimatorEntry(), Player::kIdleAnimation);
        EXPECT_FALSE(body.GetJoint(0).active);
        EXPECT_EQ(countdown.count, 1);
    }
    // A stage entered knocked out (a developer key) animates its character.
    LoadStanding(2);
    gPlayer->KnockOut();
    LoadStanding(4);
    EXPECT_TRUE(gPlayer->IsUpright());
    EXPECT_TRUE(gRenderer->GetModel(0)->IsActive());
}

TEST_F(PlayerTest, OnTheFirstThreeStagesTheCharacterStandsUpWhereItLayAndStaysUp)
{
    // Knocked out by K, left limp a second, then stood up by K: the walking
    // body comes back from its knock-out place to the spine limb and stands on
    // what the character lay on.
    enum class Under { Terrain, Box, Bar };
    struct Case
    {
        int stage;
        Under under; // Terrain: the shipped stage; else the test terrain with a box
    };
    const Case cases[] = {{1, Under::Terrain}, {2, Under::Terrain}, {3, Under::Terrain},
                          {1, Under::Box},     {1, Under::Bar}};
    // The box stands under the character from the start; the bar is put
    // under the spine once the character lies on the ground, so that it lies
    // across the bar with its legs lower down.
    const float boxTop = 2.0f;
    for (const Case& k : cases) {
        const char* const underNames[] = {"on the terrain", "on a box", "across a bar"};
        SCOPED_TRACE("stage " + std::to_string(k.stage) + " " + underNames[static_cast<int>(k.under)]);
        if (k.under == Under::Terrain) {
            delete gPlayer;
            gPlayer = new Player();
            gLevelLoader->LoadLevel("stage" + std::to_string(k.stage) + ".qvl");
        } else {
            const Vector3 box(k.under == Under::Box ? 0.0f : 50.0f, 0.0f, 0.5f * boxTop);
            const float raised = k.under == Under::Box ? boxTop : 0.0f;
            LoadFresh(LevelText(k.stage)
                          .Character(kStandingRecord + Vector3(0.0f, 0.0f, raised))
                          .Object(1, box, Vector3(k.under == Under::Box ? 20.0f : 2.0f, 8.0f, boxTop), 100.0f));
        }
        const auto floor = [&](const Vector3& at) {
            float height = boxTop;
            if (k.under == Under::Terrain) GroundHeightAt(at.x, at.y, height);
            return height;
        };
        ASSERT_NE(gPlayer->GetBody(), nullptr);
        rig.Frames(60);
        ASSERT_TRUE(gPlayer->IsUpright());
        Tap(DIK_K);
        ASSERT_FALSE(gPlayer->IsUpright());
        rig.Frames(60);
        Object& spine = *gPlayer->GetFirstLimb();
        rig.Hold({DIK_K});
        rig.Frames(2);
        rig.Hold({});
        if (k.under == Under::Bar) {
            const auto bar = std::find_if(gWorld->GetObjects().begin(), gWorld->GetObjects().end(),
                                          [](const Object* o) { return o->GetType() == 1; });
            ASSERT_NE(bar, gWorld->GetObjects().end());
            (*bar)->SetPosition(Vector3(spine.position.x, spine.position.y, 0.5f * boxTop));
            spine.SetPosition(Vector3(spine.position.x, spine.position.y, boxTop + 1.0f));
        }
        const Vector3 lay = spine.position;
        rig.BeginFrame(); // the key's release stands it up
        ASSERT_TRUE(gPlayer->IsUpright());
        const Vector3 stood = Walking().position;
        rig.EndFrame();
        // Standing, the walking body's bottom is half its length below its centre.
        const float half = 0.5f * Walking().GetLength();
        const float above = stood.z - half - floor(lay);
        EXPECT_LT(Horizontal(stood - lay), 1.0f) << "stood up away from where it lay";
        EXPECT_GE(above, 0.0f) << "stood up inside what it lay on";
        EXPECT_LT(above, 2.0f) << "stood up in the air";
        // The camera follows the spine limb: it rises with the character, no more.
        EXPECT_LT((spine.position - lay).Length(), 6.0f);

        rig.Frames(120);
        EXPECT_TRUE(gPlayer->IsUpright()) << "knocked out again";
        const Vector3 after = Walking().position;
        EXPECT_LT(Horizontal(after - stood), 1.0f);
        EXPECT_NEAR(after.z - half, floor(after), 0.2f) << "not standing on what it lay on";
    }
}

TEST_F(PlayerTest, KnockOutAtOnceLeavesTheWalkingBodyAHundredAwayEachWay)
{
    LoadStanding(2);
    const Vector3 before = Walking().position;
    gPlayer->KnockOut();
    EXPECT_EQ(Walking().position, before + Vector3(100.0f, 100.0f, 100.0f));
    Walking().linearVelocity = Vector3(5, 5, 5);
    gPlayer->Recover();
    EXPECT_EQ(Walking().linearVelocity, Vector3());
    EXPECT_EQ(Walking().GetOrientation(), Matrix3::Identity());
    EXPECT_FALSE(Walking().IsFrozen());
}

TEST_F(PlayerTest, LPutsTheMaskOnAndOffTheHeadEvenWithoutOnePickedUp)
{
    LoadStanding();
    const MeshInstance* head = gPlayer->GetBody()->GetLimbInstances()[1];
    EXPECT_EQ(head->textureId, 78);
    Tap(DIK_L);
    EXPECT_TRUE(gPlayer->HasMask());
    EXPECT_EQ(head->textureId, 71);
    Tap(DIK_L);
    EXPECT_FALSE(gPlayer->HasMask());
    EXPECT_EQ(head->textureId, 78);
    // Worn into the next stage, it is on the new character's head from the start.
    Tap(DIK_L);
    rig.Load(LevelText(2).Character(kStandingRecord));
    EXPECT_TRUE(gPlayer->HasMask());
    EXPECT_EQ(gPlayer->GetBody()->GetLimbInstances()[1]->textureId, 71);
}

TEST_F(PlayerTest, StoppingOnTheGroundKicksUpTwentyPuffsAndStoppingInTheAirNone)
{
    for (bool inTheAir : {false, true}) {
        SCOPED_TRACE(inTheAir ? "in the air" : "on the ground");
        LoadStanding();
        rig.Frames(3);
        rig.Hold({DIK_W});
        rig.Frames(2);
        EXPECT_FALSE(gPlayer->IsIdleAnimation());
        if (inTheAir) {
            Walking().SetPosition(Walking().position + Vector3(0, 0, 40));
            rig.Frame();
        }
        const int puffs = rig.particles->Count("DustKickupBlur");
        const Vector3 at = gWorld->GetObject(0)->position;
        rig.Hold({});
        rig.Frame();
        EXPECT_TRUE(gPlayer->IsIdleAnimation());
        const int made = rig.particles->Count("DustKickupBlur") - puffs;
        EXPECT_EQ(made, inTheAir ? 0 : Player::kDustPuffs);
        for (size_t i = rig.particles->requests.size() - static_cast<size_t>(made); i < rig.particles->requests.size();
             ++i) {
            const RecordingPartManager::Request& puff = rig.particles->requests[i];
            EXPECT_LE(std::fabs(puff.position.x - at.x), 2.0f);
            EXPECT_LE(std::fabs(puff.position.y - at.y), 2.0f);
            EXPECT_GE(puff.scale, 0.5f);
            EXPECT_LE(puff.scale, 1.5f);
        }
    }
}

TEST_F(PlayerTest, TheMaskRayPutsDustOnTheNearestObjectAheadPastTheCharactersOwnBodies)
{
    // A box inside the near limit, one ahead and one further: the middle one is hit.
    LoadFresh(LevelText(1)
                  .Character(kStandingRecord)
                  .Object(1, Vector3(3, 0, 4), Vector3(1, 1, 1), 10)
                  .Object(1, Vector3(40, 0, 4), Vector3(2, 2, 2), 10)
                  .Object(1, Vector3(80, 0, 4), Vector3(2, 2, 2), 10));
    rig.Frames(3);
    gPlayer->WearMask(true);
    TestInput::SetButton(0, true);
    rig.Frame();
    TestInput::SetButton(0, false);
    rig.Frame();
    // Pressed and released: two button messages, two bursts.
    ASSERT_EQ(rig.particles->Count("DustEmitter"), 2);
    for (const RecordingPartManager::Request& r : rig.particles->requests) {
        if (r.name == "DustEmitter") {
            EXPECT_NEAR(r.position.x, 39.0f, 1e-3f);
        }
    }
    gPlayer->WearMask(false);
    TestInput::SetButton(0, true);
    rig.Frame();
    EXPECT_EQ(rig.particles->Count("DustEmitter"), 2);
}

TEST_F(PlayerTest, ContactsCountByHeightAndShapeAndStandingOnNamesTheWorldIndex)
{
    // Contacts are judged unless the configuration says every one counts.
    const std::string shipped = rig.tree.Read("Config/Physics.cfg");
    std::string judged = shipped;
    judged.replace(judged.find("physics_collision_system 1"), 26, "physics_collision_system 0");
    rig.tree.Write("Config/Physics.cfg", judged);
    // The character stands on a box, the World's object after its fifteen bodies.
    LoadFresh(LevelText(1).Character(Vector3(0, 0, 1.0f)).Object(1, Vector3(0, 0, 1), Vector3(10, 10, 2), 100));
    EXPECT_EQ(gPlayer->GetCollisionMode(), 0);
    rig.Frames(30);
    const int boxIndex = kRagdollLimbCount + 1;
    Object* box = gWorld->GetObject(boxIndex);
    ASSERT_EQ(box->GetType(), 1);
    EXPECT_TRUE(gPlayer->IsTouching());
    EXPECT_EQ(gPlayer->GetStandingOn(), boxIndex);
    EXPECT_FALSE(gPlayer->CheckContactObject(nullptr));
    EXPECT_TRUE(gPlayer->CheckContactObject(box));
    // Above the walking body only ramps and spikes count.
    box->position.z = Walking().position.z + 1.0f;
    const struct
    {
        int type;
        bool counts;
    } types[] = {{1, false}, {3, false}, {31, true}, {39, true}, {19, false}};
    for (const auto& t : types) {
        box->typeId = t.type;
        EXPECT_EQ(gPlayer->CheckContactObject(box), t.counts) << "type " << t.type;
    }
    // Update clears what the physics step told it.
    gPlayer->Update();
    EXPECT_FALSE(gPlayer->IsTouching());
    EXPECT_EQ(gPlayer->GetStandingOn(), -1);
    // With the shipped configuration every contact counts.
    rig.tree.Write("Config/Physics.cfg", shipped);
    Ragdoll* character = gPlayer->GetBody();
    delete gPlayer;
    gPlayer = new Player();
    gPlayer->SetBody(character);
    EXPECT_EQ(gPlayer->GetCollisionMode(), 1);
    box->typeId = 1;
    EXPECT_TRUE(gPlayer->CheckContactObject(box));
}

TEST_F(PlayerTest, HardLandingsAndImpactsKnockOutWithTheStagesEffect)
{
    // A landing is judged by the fall speed; an impact by the average speed of
    // its records against another body.
    struct Case
    {
        int stage;
        float fallSpeed;
        std::vector<float> speeds; // relative speed of each impact record
        int hitType;               // the other body's type
        const char* effect;        // null: none
        bool knockedOut;
    };
    const Case cases[] = {
        {1, -24.5f, {}, 1, "DustEmitter", true},
        {3, -24.5f, {}, 1, "LavaSplash", true},
        {2, -24.5f, {}, 1, nullptr, true},
        {1, -23.5f, {}, 1, nullptr, false},
        {2, 0.0f, {20.0f, 36.0f}, 1, "DustEmitter", true}, // average 28
        {2, 0.0f, {31.0f}, 1, nullptr, false},             // too hard to count
        {2, 0.0f, {25.0f}, 1, nullptr, false},             // not above 25
        {2, 0.0f, {30.0f}, 1, "DustEmitter", true},        // 30 still counts
        {2, 0.0f, {0.0f}, 47, nullptr, true},              // a swinging log knocks out at any speed
        {2, 0.0f, {0.0f}, 51, nullptr, true},              // a falling block too
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("stage " + std::to_string(k.stage) + " fall " + std::to_string(k.fallSpeed) + " records " +
                     std::to_string(k.speeds.size()) + " type " + std::to_string(k.hitType));
        LoadFresh(LevelText(k.stage).Character(kStandingRecord).Object(1, Vector3(30, 30, 2), Vector3(2, 2, 2), 10));
        Object* other = gWorld->GetObjects().back();
        other->typeId = k.hitType;
        BodyCollisionData* own = Walking().GetCollisionData();
        std::vector<CollisionRecord>& records = gPhysicsWorld->GetRecordsForTest();
        records.clear();
        own->recordIndices.clear();
        if (k.speeds.empty()) Walking().SetPosition(Vector3(0, 0, 3.4f));
        Walking().linearVelocity = Vector3(0, 0, k.fallSpeed);
        // The other body spins about z: each record's arm gives its point its own speed.
        other->linearVelocity = Vector3();
        other->angularVelocity = Vector3(0, 0, 1);
        for (float speed : k.speeds) {
            CollisionRecord r;
            r.dataA = own;
            r.dataB = other->GetCollisionData();
            r.armB = Vector3(0, -speed, 0);
            records.push_back(r);
            own->recordIndices.push_back(static_cast<int>(records.size()) - 1);
        }
        const size_t before = rig.particles->requests.size();
        gPlayer->CheckLanding();
        EXPECT_EQ(gPlayer->IsUpright(), !k.knockedOut);
        ASSERT_EQ(rig.particles->requests.size() - before, k.effect ? 1u : 0u);
        if (k.effect) {
            EXPECT_EQ(rig.particles->requests.back().name, k.effect);
        }
        records.clear();
        own->recordIndices.clear();
    }
}

TEST_F(PlayerTest, WithoutACharacterTheJumpPushesObjectZeroAndNothingElseActs)
{
    LoadFresh(LevelText(1).Object(1, Vector3(0, 0, 1), Vector3(2, 2, 2), 10, false));
    EXPECT_EQ(gPlayer->GetBody(), nullptr);
    CountdownListener countdown;
    rig.Hold({DIK_SPACE});
    rig.Frame();
    rig.BeginFrame();
    EXPECT_EQ(gObjectController->GetObject(), gWorld->GetObject(0));
    EXPECT_GT(gObjectController->GetDirection().z, 0.0f);
    rig.EndFrame();
    rig.Hold({});
    Tap(DIK_K);
    rig.Frame();
    EXPECT_TRUE(gPlayer->IsUpright());
    EXPECT_EQ(countdown.count, 0);
    EXPECT_FALSE(gPlayer->CheckGround());
    // Standing still on the ground, object 0 keeps its slide: only a character's is held.
    Object& box = *gWorld->GetObject(0);
    box.linearVelocity = Vector3(10.0f, -10.0f, 0.0f);
    gPlayer->OnTerrainContact();
    gPlayer->Idle();
    EXPECT_EQ(box.linearVelocity, Vector3(10.0f, -10.0f, 0.0f));
    gPlayer->ResetForNewLevel();
    EXPECT_EQ(gPlayer->GetStageScore(), 0);
}

TEST_F(PlayerTest, TheSkyBoxFollowsTheCharacterOrObjectZeroAndStaysWithoutEither)
{
    const Vector3 sky(1.0f, 2.0f, 3.0f);
    struct Case
    {
        const char* what;
        LevelText level;
        bool follows;
    };
    const Case cases[] = {
        {"character", LevelText(1).SceneObject(21, sky, Vector3(5, 5, 5)).Character(kStandingRecord), true},
        {"a box", LevelText(1).SceneObject(21, sky, Vector3(5, 5, 5)).Object(1, Vector3(9, 9, 9), Vector3(1, 1, 1), 1),
         true},
        // The cart stage builds nothing of its own.
        {"nothing", LevelText(4).SceneObject(21, sky, Vector3(5, 5, 5)), false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        LoadFresh(k.level);
        ASSERT_NE(gWorld->GetSkyBox(), nullptr);
        gPlayer->Update();
        const RigidBody* followed = gPlayer->GetPushedBody();
        EXPECT_EQ(gWorld->GetSkyBox()->position, k.follows ? followed->position : sky);
        // The mask's ray needs object 0 as well.
        gPlayer->CastMaskRay();
    }
    EXPECT_EQ(rig.particles->Count("DustEmitter"), 0);
}

TEST_F(PlayerTest, WithoutTerrainTheCharacterIsNeverOnTheGroundNorLandsHard)
{
    LoadStanding();
    gWorld->ClearHeightmaps();
    Walking().SetPosition(Vector3(0, 0, -5));
    Walking().linearVelocity = Vector3(0, 0, -40);
    EXPECT_FALSE(gPlayer->CheckGround());
    gPlayer->CheckLanding();
    EXPECT_TRUE(gPlayer->IsUpright());
}

TEST_F(PlayerTest, ThePlayersSoundOutlivesOrPrecedesTheSoundSystemCleanly)
{
    setenv("ALSOFT_DRIVERS", "null", 1);
    for (bool systemFirst : {true, false}) {
        gAudioSystem = new AudioSystem();
        gAudioSystem->Init();
        gAudioSystem->LoadAllSounds();
        LoadFresh(LevelText(1).Character(kStandingRecord));
        ASSERT_NE(gPlayer->GetSounds(), nullptr);
        EXPECT_EQ(gPlayer->GetSounds()->slots.count("ow"), 1u);
        if (systemFirst) {
            delete gAudioSystem;
            gAudioSystem = nullptr;
            delete gPlayer;
            gPlayer = new Player();
        } else {
            delete gPlayer;
            gPlayer = new Player();
            gAudioSystem->Update(); // would reach the freed controller if the system still held it
            delete gAudioSystem;
            gAudioSystem = nullptr;
        }
    }
}

} // namespace
