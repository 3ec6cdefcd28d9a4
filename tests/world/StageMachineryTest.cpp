// The stages' machinery where the stages build it, on their own terrains,
// with everything else the stage holds: stage 1's bridge holds on its ends
// over the canyon and, broken, drops its middle into it; stage 2's logs turn
// at exactly their speeds and stay where they are, and its swinging logs
// wait until their own triggers wake them, then swing down; stage 3's
// platform hangs level below its pinned links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "StageTestSupport.h"
#include "game/LevelLoader.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Box.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "physics/PhysicsController.h"
#include "physics/PhysicsWorld.h"

namespace {

// The bridge's deck sits 1 above its start's height.
const float kDeckLevel = -0.8f;
// Stage 1's canyon floor, and the stage's fall limit above it.
const float kFallLimit = -18.0f;

// Runs a check each sub-step, after the controllers added before it.
class SubStepProbe : public PhysicsController
{
public:
    explicit SubStepProbe(std::function<void()> check_) : check(std::move(check_)) {}
    void Update(float) override { check(); }

private:
    std::function<void()> check;
};

class StageMachinery : public ::testing::Test
{
protected:
    void Load(int stage) { gLevelLoader->LoadLevel("stage" + std::to_string(stage) + ".qvl"); }

    ScratchRunTree tree;
    StageRig rig;
};

TEST_F(StageMachinery, StageOnesBridgeHoldsOverTheCanyonAndBrokenDropsItsMiddleIntoIt)
{
    Load(1);
    BoxChain* bridge = gWorld->GetStageOneObject();
    ASSERT_NE(bridge, nullptr);
    const std::vector<Box*>& boxes = bridge->GetBoxes();
    ASSERT_EQ(boxes.size(), 20u);
    const Vector3 firstEnd = boxes.front()->position;
    const Vector3 lastEnd = boxes.back()->position;

    rig.RunSeconds(5.0f);
    EXPECT_EQ(boxes.front()->position, firstEnd);
    EXPECT_EQ(boxes.back()->position, lastEnd);
    for (const Box* box : boxes) EXPECT_GT(box->position.z, kDeckLevel - 5.0f);

    srand(1);
    bridge->Break();
    rig.RunSeconds(5.0f);
    EXPECT_EQ(boxes.front()->position, firstEnd);
    EXPECT_EQ(boxes.back()->position, lastEnd);
    // The middle has fallen past the fall limit, into the canyon; the sides still hang.
    EXPECT_LT(std::min(boxes[9]->position.z, boxes[10]->position.z), kFallLimit);
    EXPECT_GT(boxes[1]->position.z, kDeckLevel - 5.0f);
    EXPECT_GT(boxes[18]->position.z, kDeckLevel - 5.0f);
}

// The triggers take their log numbers in the order the file lists them, the
// logs theirs in the order the set-up builds them: each trigger must stand
// under its own log's ropes, whatever pose swung the log aside.
TEST_F(StageMachinery, StageTwosLogsSpinInPlaceAndEachLogTriggerLetsGoTheLogAboveIt)
{
    Load(2);
    std::vector<SpinningLog*> spinning;
    for (PhysicsController* c : gWorld->GetControllers()) {
        if (SpinningLog* log = dynamic_cast<SpinningLog*>(c)) spinning.push_back(log);
    }
    ASSERT_EQ(spinning.size(), 4u);
    ASSERT_EQ(gWorld->GetChainWhips().size(), 2u);
    const auto& swinging = gWorld->GetSwingingLogs();
    ASSERT_EQ(swinging.size(), 3u);
    std::vector<Vector3> spinStart;
    for (const SpinningLog* log : spinning) spinStart.push_back(log->GetLog()->position);
    std::vector<Vector3> swingStart;
    for (const SwingingLog* log : swinging) swingStart.push_back(log->GetLog()->position);

    // Right after the logs' turn in every sub-step each spins at exactly
    // its speed, in the order the factory's counter hands the speeds out.
    const float speeds[] = {0.5f, -0.5f, -0.4f, 0.8f};
    int mismatches = 0;
    int checks = 0;
    SubStepProbe probe([&] {
        for (size_t i = 0; i < spinning.size(); ++i) {
            ++checks;
            if (spinning[i]->GetLog()->angularVelocity != spinning[i]->GetAxis() * speeds[i]) ++mismatches;
        }
    });
    gPhysicsWorld->AddController(&probe);
    rig.RunSeconds(2.0f);
    gPhysicsWorld->RemoveController(&probe);
    EXPECT_GT(checks, 0);
    EXPECT_EQ(mismatches, 0);
    for (size_t i = 0; i < spinning.size(); ++i) {
        EXPECT_LT((spinning[i]->GetLog()->position - spinStart[i]).Length(), 0.05f) << "log " << i;
    }
    for (size_t i = 0; i < swinging.size(); ++i) {
        EXPECT_TRUE(swinging[i]->GetLog()->IsFrozen()) << "swinging log " << i;
        EXPECT_EQ(swinging[i]->GetLog()->position, swingStart[i]) << "swinging log " << i;
    }

    std::vector<bool> woken(swinging.size(), false);
    int seen = 0;
    for (Trigger* trigger : gWorld->GetTriggers()) {
        if (trigger->kind != Trigger::kSwingingLog) continue;
        SCOPED_TRACE("trigger at x " + std::to_string(trigger->position.x));
        ASSERT_GE(trigger->logIndex, 0);
        ASSERT_LT(trigger->logIndex, static_cast<int>(swinging.size()));
        const SwingingLog* log = swinging[static_cast<size_t>(trigger->logIndex)];
        const Vector3 hung = (log->GetBall(0)->position + log->GetBall(1)->position) * 0.5f;
        EXPECT_NEAR(hung.x, trigger->position.x, 1.0f);
        EXPECT_NEAR(hung.y, trigger->position.y, 1.0f);
        trigger->Fire();
        woken[static_cast<size_t>(trigger->logIndex)] = true;
        for (size_t i = 0; i < swinging.size(); ++i) {
            EXPECT_EQ(swinging[i]->GetLog()->IsFrozen(), !woken[i]) << "log " << i;
        }
        ++seen;
    }
    EXPECT_EQ(seen, 3);
    // Woken, each swings down from where it was posed.
    rig.RunSeconds(0.5f);
    for (size_t i = 0; i < swinging.size(); ++i) {
        EXPECT_LT(swinging[i]->GetLog()->position.z, swingStart[i].z - 1.0f) << "swinging log " << i;
    }
}

TEST_F(StageMachinery, StageThreesPlatformHangsLevelBelowItsPinnedLinks)
{
    Load(3);
    ChainPlatform* platform = gWorld->GetChainPlatform();
    ASSERT_NE(platform, nullptr);
    std::vector<Vector3> pins;
    for (int k = 0; k < ChainPlatform::kCornerCount; ++k) pins.push_back(platform->GetBodies()[1 + k]->position);

    rig.RunSeconds(5.0f);
    const Box& box = *platform->GetPlatform();
    EXPECT_NEAR(box.position.z, 45.5f, 0.1f);
    EXPECT_NEAR(box.position.x, -35.0f, 0.1f);
    EXPECT_NEAR(box.position.y, 40.0f, 0.1f);
    EXPECT_GT(box.GetOrientation()(2, 2), 0.9999f);
    for (int k = 0; k < ChainPlatform::kCornerCount; ++k) {
        EXPECT_LT((platform->GetBodies()[1 + k]->position - pins[k]).Length(), 0.05f) << "link " << k;
    }
}

} // namespace
