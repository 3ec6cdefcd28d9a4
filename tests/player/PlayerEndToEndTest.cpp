// The game played through its keys: the real WinMain under the headless host
// with DirectInput keys scheduled frame by frame on a test stage 1 (the
// character, a coin ahead, the exit beyond it). Key 1 loads it and closes the
// menus; W walks, letting go stops with dust, Space jumps and lands, W takes
// the coin and reaches the exit, stage 2 comes; there K knocks the character
// out and K stands it up. The run is made twice, each in a process of its own
// (WinMain runs once a process), and the bodies must match bit for bit.
#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "DXUTHeadless.h"
#include "PlayerTestSupport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"
#include "render/Renderer.h"
#include "ui/MenuMan.h"

namespace {

const int kLastFrame = 900;
const Vector3 kCoin(16.0f, 0.0f, 4.5f);
const Vector3 kExit(40.0f, 0.0f, 4.5f);
// Pushed only below speed 20; one frame's push adds less than 2.
const float kWalkSpeedLimit = 22.0f;

std::string TestStageOne()
{
    return LevelText(1)
        .Character(Vector3(0.0f, 0.0f, -1.0f))
        .Trigger(37, kCoin, Vector3(1, 1, 1))
        .Trigger(11, kExit, Vector3(2, 2, 2))
        .Text();
}

enum class Phase { Menus, Walk, Stop, Jump, Landing, ToTheCoin, ToTheExit, OnStageTwo, KnockedOut, Recovered, Done };

// Where the run is, and what it must remember from frame to frame. Each step
// checks what it sees as it goes (in the child process); the phases reached
// and the bodies are checked after.
struct Run
{
    Phase phase = Phase::Menus;
    int phaseFrame = 0;
    std::vector<float> bodies; // every World object's pose and motion after every frame
    std::vector<Phase> reached;
    int scoreRises = 0; // frames in which the stage score went up
    int lastScore = 0;
    int systemsBeforeStop = 0;
    float walkStartX = 0.0f;
    float lastWalkX = 0.0f;
    float jumpTop = 0.0f;
    Vector3 lastWalking; // the walking body after the frame before
    std::unique_ptr<CountdownListener> countdown;
};

void Record(Run& run)
{
    for (const Object* o : gWorld->GetObjects()) {
        for (const Vector3* v : {&o->position, &o->linearVelocity, &o->angularVelocity}) {
            run.bodies.insert(run.bodies.end(), {v->x, v->y, v->z});
        }
        for (int i = 0; i < 9; ++i) run.bodies.push_back(o->GetOrientation()[i]);
    }
}

void Enter(Run& run, Phase phase)
{
    run.phase = phase;
    run.phaseFrame = 0;
    run.reached.push_back(phase);
}

// The script, one step per frame after it has run.
void Step(Run& run, int frame)
{
    ++run.phaseFrame;
    SCOPED_TRACE("frame " + std::to_string(frame));
    Capsule* walking = gPlayer->GetWalkingBody();
    switch (run.phase) {
    case Phase::Menus:
        if (frame == kHeadlessLoadFrame + 1 && CurrentStage() == 1 && walking != nullptr) {
            EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuNone);
            run.countdown = std::make_unique<CountdownListener>();
            Enter(run, Phase::Walk);
            run.walkStartX = run.lastWalkX = walking->position.x;
            DXUTHeadlessScheduleInputKeyHold(frame + 20, DIK_W, 30);
        }
        break;
    case Phase::Walk:
        if (run.phaseFrame > 22 && run.phaseFrame < 50) {
            // Along the camera's yaw (0: +x), at about speed 20 at most.
            EXPECT_GT(walking->position.x, run.lastWalkX);
            EXPECT_LT(std::fabs(walking->position.y), 0.01f);
            EXPECT_FALSE(gPlayer->IsIdleAnimation());
            EXPECT_EQ(AnimatorEntry(), Player::kWalkAnimation);
            EXPECT_LT(walking->linearVelocity.Length(), kWalkSpeedLimit);
            run.lastWalkX = walking->position.x;
        }
        if (run.phaseFrame == 49) run.systemsBeforeStop = LiveParticleSystems();
        if (run.phaseFrame == 50) {
            // W went up in the frame just run: the character stopped in it, with dust.
            EXPECT_GT(run.lastWalkX, run.walkStartX + 3.0f);
            EXPECT_TRUE(gPlayer->IsIdleAnimation());
            EXPECT_EQ(AnimatorEntry(), Player::kIdleAnimation);
            EXPECT_EQ(LiveParticleSystems() - run.systemsBeforeStop, Player::kDustPuffs);
            Enter(run, Phase::Stop);
        }
        break;
    case Phase::Stop:
        Enter(run, Phase::Jump);
        DXUTHeadlessScheduleInputKeyHold(frame + 30, DIK_SPACE, 4);
        break;
    case Phase::Jump:
        run.jumpTop = std::max(run.jumpTop, walking->position.z);
        if (run.phaseFrame > 40 && !gPlayer->IsOnGround()) Enter(run, Phase::Landing);
        break;
    case Phase::Landing:
        run.jumpTop = std::max(run.jumpTop, walking->position.z);
        if (gPlayer->IsOnGround() && gPlayer->IsTouching()) {
            EXPECT_GT(run.jumpTop, 4.5f);
            Enter(run, Phase::ToTheCoin);
            DXUTHeadlessScheduleInputKey(frame + 10, DIK_W, true);
        }
        break;
    case Phase::ToTheCoin:
    case Phase::ToTheExit:
        if (gPlayer->GetStageScore() > run.lastScore) ++run.scoreRises;
        run.lastScore = gPlayer->GetStageScore();
        EXPECT_LE(run.lastScore, 1);
        if (run.lastScore == 1 && run.phase == Phase::ToTheCoin) {
            // Collected, the coin goes up out of the way.
            int coins = 0;
            for (const Trigger* t : gWorld->GetTriggers()) {
                if (t->kind != Trigger::kCoin) continue;
                ++coins;
                EXPECT_EQ(t->position, kCoin + Vector3(0, 0, 5000.0f));
            }
            EXPECT_EQ(coins, 1);
            Enter(run, Phase::ToTheExit);
        }
        if (CurrentStage() == 2) {
            EXPECT_EQ(run.scoreRises, 1);
            EXPECT_EQ(gPlayer->GetTotalScore(), 1);
            DXUTHeadlessScheduleInputKey(frame + 1, DIK_W, false);
            Enter(run, Phase::OnStageTwo);
            run.lastWalking = gPlayer->GetWalkingBody()->position;
            DXUTHeadlessScheduleInputKeyHold(frame + 60, DIK_K, 2);
        }
        break;
    case Phase::OnStageTwo:
        if (!gPlayer->IsUpright()) {
            const Ragdoll& body = *gPlayer->GetBody();
            EXPECT_TRUE(body.IsLimp());
            EXPECT_FALSE(gRenderer->GetModel(0)->IsActive());
            EXPECT_FALSE(body.GetJoint(kTorchWristJoint).active);
            EXPECT_EQ(gPlayer->GetStageScore(), 0);
            EXPECT_EQ(run.countdown->count, 1);
            // Moved a hundred each way in the frame, less what the frame's physics did.
            const Vector3 moved = walking->position - run.lastWalking;
            EXPECT_GT(std::min({moved.x, moved.y, moved.z}), 99.0f);
            Enter(run, Phase::KnockedOut);
            DXUTHeadlessScheduleInputKeyHold(frame + 40, DIK_K, 2);
        }
        run.lastWalking = walking->position;
        break;
    case Phase::KnockedOut:
        if (gPlayer->IsUpright()) {
            EXPECT_FALSE(gPlayer->GetBody()->IsLimp());
            EXPECT_TRUE(gPlayer->IsIdleAnimation());
            EXPECT_EQ(AnimatorEntry(), Player::kIdleAnimation);
            EXPECT_TRUE(gRenderer->GetModel(0)->IsActive());
            Enter(run, Phase::Recovered);
        }
        break;
    case Phase::Recovered:
        if (run.phaseFrame == 60) Enter(run, Phase::Done);
        break;
    case Phase::Done:
        break;
    }
    Record(run);
}

// One whole run in this process; returns what it saw. Writes the body states
// beside the scratch tree's run.
Run PlayOnce()
{
    PlayerRunTree tree;
    tree.Write("Levels/stage1.qvl", TestStageOne());
    Run run;
    StartHeadlessStage('1', kLastFrame);
    DXUTHeadlessSetFrameHook([&](int frame) {
        Step(run, frame);
        if (run.phase == Phase::Done) PostQuitMessage(0);
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    run.countdown.reset();
    std::fflush(stderr);
    EXPECT_EQ(ReadWholeFile("../Errors.txt"), "");
    return run;
}

// The play in a child process: its checks, and its body states handed back.
ChildRun PlayInChild()
{
    return RunInChild([](std::string& bytes) {
        const Run run = PlayOnce();
        EXPECT_EQ(run.reached, (std::vector<Phase>{Phase::Walk, Phase::Stop, Phase::Jump, Phase::Landing,
                                                   Phase::ToTheCoin, Phase::ToTheExit, Phase::OnStageTwo,
                                                   Phase::KnockedOut, Phase::Recovered, Phase::Done}));
        bytes.assign(reinterpret_cast<const char*>(run.bodies.data()), run.bodies.size() * sizeof(float));
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
}

TEST(PlayerEndToEnd, KeysPlayTheFirstStageIntoTheSecondAndTwoRunsMatchBitForBit)
{
    const ChildRun first = PlayInChild();
    const ChildRun second = PlayInChild();
    ASSERT_EQ(first.exitStatus, 0);
    ASSERT_EQ(second.exitStatus, 0);
    EXPECT_GT(first.bytes.size(), 1000u);
    EXPECT_TRUE(first.bytes == second.bytes) << "the two runs' bodies differ";
}

} // namespace
