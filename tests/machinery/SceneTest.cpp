// The machines running headless in a physics world over flat ground, built
// where and as the stages build them: the bridge holds on its fixed ends and
// opens around its middle when broken; the platform drops onto its chains and
// hangs level; spinning logs turn at their speeds and stay put; swinging logs
// wait frozen until woken, then swing; a whip hangs still until started.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MachineryTestSupport.h"
#include "core/Matrix3.h"
#include "objects/Box.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "physics/Constraint.h"
#include "physics/HingeJoint.h"
#include "tests/collision/CollisionTestSupport.h"

namespace {

const int kSecond = 100; // sub-steps of 0.01 s

// A physics world over flat ground at the given height, with the World
// standing in behind the stage hooks. As on a stage, the first controller is
// the player's push, which the clear keeps, and object 0 is a stand-in for
// the character, which never freezes, so the machines' bodies freeze as
// they do there.
struct Scene
{
    explicit Scene(float groundHeight) : stage(true), ground(MakeFlatTerrain(groundHeight, 256.0f))
    {
        world.world.AddController(&playerPush);
        world.world.AddHeightmap(ground.get());
        Object::ResetIdCounter();
        character = std::make_unique<Object>();
    }
    ~Scene() { stage.ClearLikeWorld(world.world); }

    ProbeController playerPush;
    TestStage stage;
    CollisionTestWorld world;
    std::unique_ptr<Heightmap> ground;
    std::unique_ptr<Object> character;
};

// How far apart the two ends of a constraint are (a pin's end is its world point).
float Gap(const Constraint& c)
{
    const Vector3 a = c.bodyA->position + WorldAnchor(*c.bodyA, c.anchorA);
    const Vector3 b = c.bodyB != nullptr ? c.bodyB->position + WorldAnchor(*c.bodyB, c.anchorB) : a;
    return (a - b).Length();
}

} // namespace

TEST(Bridge, HoldsOnItsFixedEndsThenOpensAroundTheMiddleWhenBroken)
{
    // Stage 1's bridge over a canyon whose floor is 28 below it.
    Scene scene(-30.0f);
    const Vector3 start(-36, -42, -1.8f);
    BoxChain bridge(&scene.world.world, 20u, start, Vector3(8, 5, 2), 50.0f, 0);
    const std::vector<Box*>& boxes = bridge.GetBoxes();
    const Vector3 firstEnd = boxes.front()->position;
    const Vector3 lastEnd = boxes.back()->position;
    const float level = start.z + 1.0f;

    scene.world.Run(20 * kSecond);
    EXPECT_EQ(boxes.front()->position, firstEnd);
    EXPECT_EQ(boxes.back()->position, lastEnd);
    float lowest = level;
    for (int i = 0; i < 20; ++i) {
        lowest = std::min(lowest, boxes[i]->position.z);
        if (i > 0 && i < 19) {
            EXPECT_TRUE(boxes[i]->IsFrozen()) << "box " << i << " has come to rest";
        }
        if (i < 19) {
            EXPECT_LT(Gap(bridge.GetJoints()[i]->pointJoint), 0.1f) << "hinge " << i;
        }
    }
    // It hangs: lower in the middle than at its ends, by a few units.
    EXPECT_GT(level - lowest, 0.5f);
    EXPECT_LT(level - lowest, 5.0f);

    srand(1); // opens joints 7 to 11
    bridge.Break();
    scene.world.Run(5 * kSecond);
    EXPECT_EQ(boxes.front()->position, firstEnd);
    EXPECT_EQ(boxes.back()->position, lastEnd);
    for (int i = 8; i <= 11; ++i) EXPECT_LT(boxes[i]->position.z, -28.0f) << "box " << i << " on the canyon floor";
    for (int i : {0, 1, 2, 3, 4, 5, 6, 12, 13, 14, 15, 16, 17, 18}) {
        EXPECT_LT(Gap(bridge.GetJoints()[i]->pointJoint), 0.1f) << "hinge " << i << " still holds its side up";
    }
    EXPECT_GT(boxes[1]->position.z, level - 5.0f);
    EXPECT_GT(boxes[18]->position.z, level - 5.0f);
}

TEST(ChainPlatform, DropsOntoItsChainsAndHangsLevelBelowItsLinks)
{
    // Stage 3's platform.
    Scene scene(0.0f);
    const Vector3 p(-35, 40, 75);
    std::unique_ptr<ChainPlatform> platform(ChainPlatform::Build(&scene.world.world, p, 20, 15, 70));
    // Right from the start, the chains hang from the top corners, in their
    // order, and the links are pinned by their tops two above the position.
    const Vector3 corners[4] = {{10, -7.5f, 1}, {-10, -7.5f, 1}, {10, 7.5f, 1}, {-10, 7.5f, 1}};
    std::vector<Vector3> pins;
    for (int k = 0; k < 4; ++k) {
        ExpectNear(platform->GetCornerPoint(k), p + Vector3(0, 0, 0.5f) + corners[k], 1e-4f);
        ExpectNear(platform->GetBodies()[1 + k]->position, p + corners[k] + Vector3(0, 0, 0.5f), 1e-4f);
        pins.push_back(platform->GetBodies()[1 + k]->position);
    }

    scene.world.Run(5 * kSecond);
    const Box& box = *platform->GetPlatform();
    // The ropes are 30 long and start slack: it falls 30 and hangs there.
    ExpectNear(box.position, p + Vector3(0, 0, 0.5f - 30.0f), 0.05f);
    EXPECT_GT(box.GetOrientation()(2, 2), 0.9999f);
    for (int k = 0; k < 4; ++k) {
        ExpectNear(platform->GetBodies()[1 + k]->position, pins[k], 0.02f);
        const Constraint& rope = *platform->GetConstraints()[4 + k];
        EXPECT_NEAR(Gap(rope), 30.0f, 0.05f) << "rope " << k << " is taut";
        Vector3 corner;
        Vector3::TimesMatrix3(corner, box.GetOrientation(), platform->GetCornerOffset(k));
        ExpectNear(platform->GetCornerPoint(k), box.position + corner, 1e-4f);
    }
}

TEST(SpinningLog, TurnsAtItsSpeedEverySubStepWhateverHitsItAndStaysPut)
{
    // Stage 2's four logs as the factory makes them; a box dropped onto the first.
    Scene scene(0.0f);
    PhysicsWorld& world = scene.world.world;
    struct Made
    {
        Vector3 position;
        float length, radius, speed;
        bool onEnd;
    };
    const Made made[] = {{{16, 160, 25}, 80, 15, 0.5f, false},
                         {{16, 129, 25}, 80, 15, -0.5f, false},
                         {{125, 80, 16}, 30, 20, -0.4f, true},
                         {{135, 150, 18}, 35, 30, 0.8f, true}};
    std::vector<std::unique_ptr<SpinningLog>> logs;
    Matrix3 onEnd;
    Matrix3::RotationY(onEnd, 90);
    for (const Made& m : made) {
        logs.emplace_back(new SpinningLog(&world, m.position, m.length, m.radius, m.speed, 200));
        if (m.onEnd) {
            logs.back()->SetHazard(false);
            logs.back()->PlaceEnds(onEnd);
        }
        logs.back()->SetActive(true);
    }
    // Right after the logs' own turn in every sub-step, before anything
    // else acts on them, each spins at exactly its speed about its axis.
    int checks = 0;
    ProbeController probe([&] {
        for (const auto& log : logs) {
            EXPECT_EQ(log->GetLog()->angularVelocity, log->GetAxis() * log->GetSpeed());
            ++checks;
        }
    });
    world.AddController(&probe);
    Box* box = new Box(&world, 4, 4, 4, 50);
    box->SetPosition(made[0].position + Vector3(3, 0, 25));
    box->UpdateBounds();
    world.AddBody(box);
    scene.stage.objects.push_back(box);

    float worst = 0.0f;
    for (int step = 0; step < 2 * kSecond; ++step) {
        scene.world.Run(1);
        for (size_t i = 0; i < logs.size(); ++i) {
            const Cylinder& log = *logs[i]->GetLog();
            // Pins and contacts act after the spin, but only for that sub-step.
            const float spin = Vector3::Dot(log.angularVelocity, logs[i]->GetAxis());
            worst = std::max(worst, std::fabs(spin - made[i].speed) / std::fabs(made[i].speed));
            ExpectNear(log.position, made[i].position, 0.05f);
        }
    }
    world.RemoveController(&probe);
    EXPECT_EQ(checks, 2 * kSecond * 4);
    EXPECT_LT(worst, 0.05f);
    EXPECT_LT(box->position.z, made[0].position.z + 20.0f) << "the box came down onto the first log";
    // Two seconds at 0.5 rad/s about x: the log's y axis has turned 1 radian.
    Vector3 side;
    logs[0]->GetLog()->GetOrientation().GetRow1(side);
    EXPECT_NEAR(std::atan2(side.z, side.y), 1.0f, 0.01f);
}

TEST(SwingingLog, WaitsFrozenUntilWokenThenSwingsDownOnItsRopes)
{
    // Stage 2's three logs, posed as the factory poses them.
    Scene scene(0.0f);
    PhysicsWorld& world = scene.world.world;
    std::vector<std::unique_ptr<SwingingLog>> logs;
    for (const Vector3& p : {Vector3(-75, -127, 15), Vector3(-95, -127, 15), Vector3(125, 80, 35.5f)}) {
        logs.emplace_back(new SwingingLog(&world, p, 30, 3, 200, 30));
        logs.back()->SetActive(false);
    }
    logs[0]->SwingTo(60);
    logs[1]->SwingTo(-60);
    Matrix3 across;
    logs[2]->Rotate(Matrix3::RotationZ(across, 90));
    logs[2]->SwingBy(-80);
    std::vector<Vector3> posed, balls;
    for (const auto& log : logs) {
        posed.push_back(log->GetLog()->position);
        for (int k = 0; k < 2; ++k) balls.push_back(log->GetBall(k)->position);
    }

    scene.world.Run(3 * kSecond);
    for (size_t i = 0; i < logs.size(); ++i) EXPECT_EQ(logs[i]->GetLog()->position, posed[i]) << "log " << i;

    // The release trigger wakes the log's body, not its balls.
    for (const auto& log : logs) log->GetLog()->SetFreezeState(0, 1.0f);
    std::vector<float> lowest(logs.size(), 1e9f);
    for (int step = 0; step < 3 * kSecond; ++step) {
        // The rope ends follow the log every sub-step, from where the step
        // found it.
        std::vector<Vector3> ends;
        for (const auto& log : logs) {
            Vector3 end;
            Vector3::TimesMatrix3(end, log->GetLog()->GetOrientation(), log->GetAttachOffset(0));
            ends.push_back(log->GetLog()->position + end);
        }
        scene.world.Run(1);
        for (size_t i = 0; i < logs.size(); ++i) {
            lowest[i] = std::min(lowest[i], logs[i]->GetLog()->position.z);
            ExpectNear(logs[i]->GetAttachPoint(0), ends[i], 1e-4f);
        }
    }
    for (size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(i);
        // Well down from where it was posed, through the bottom of its swing.
        EXPECT_LT(lowest[i], posed[i].z - 10.0f);
        for (int k = 0; k < 2; ++k) {
            ExpectNear(logs[i]->GetBall(k)->position, balls[2 * i + k], 0.01f);
            EXPECT_LT(Gap(*logs[i]->GetConstraints()[2 + k]), 30.1f) << "rope " << k << " holds";
        }
    }
}

TEST(ChainWhip, HangsStillUntilStartedThenWhipsRoundAtItsVector)
{
    // Stage 2's two whips; the second turns the other way.
    Scene scene(0.0f);
    PhysicsWorld& world = scene.world.world;
    ChainWhip first(&world, Vector3(-6, -20, 0), 10.0f);
    ChainWhip second(&world, Vector3(-6, 13, 0), 10.0f);
    second.SetWhipVector(Vector3(0, 0, -10));

    scene.world.Run(10 * kSecond);
    for (const ChainWhip* whip : {&first, &second}) {
        // The links drop the two units they were built above their joints
        // and come to rest.
        for (const Object* link : whip->GetBodies()) EXPECT_LT(link->linearVelocity.Length(), 0.05f);
        for (const Constraint* joint : whip->GetConstraints()) EXPECT_LT(Gap(*joint), 0.01f);
    }

    first.SetActive(true);
    second.SetActive(true);
    float turned[2] = {0, 0};
    float reach[2] = {0, 0};
    ChainWhip* whips[2] = {&first, &second};
    for (int step = 0; step < 3 * kSecond; ++step) {
        scene.world.Run(1);
        for (int w = 0; w < 2; ++w) {
            const Cylinder& handle = *whips[w]->GetHandle();
            turned[w] += handle.angularVelocity.z * 0.01f;
            for (const Object* link : whips[w]->GetBodies()) {
                Vector3 out = link->position - handle.position;
                out.z = 0;
                reach[w] = std::max(reach[w], out.Length());
            }
            EXPECT_LT(Gap(*whips[w]->GetConstraints()[0]), 0.05f) << "the handle stays on its pin";
        }
    }
    // Three seconds at 10 rad/s, less what the chains' drag takes off each sub-step.
    EXPECT_NEAR(turned[0], 30.0f, 1.0f);
    EXPECT_NEAR(turned[1], -30.0f, 1.0f);
    // The outer links fly out towards the chains' full length (13 to the last centre).
    EXPECT_GT(reach[0], 10.0f);
    EXPECT_GT(reach[1], 10.0f);
}
