// The character in motion, headless on flat ground with the generated model:
// standing idle, walking, knocked out, and the bone directions the limb
// frames must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Pose.h"
#include "RagdollTestSupport.h"
#include "objects/Capsule.h"
#include "render/AnimInstance.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"

namespace {

const Vector3 kForward(1.0f, 0.0f, 0.0f);

// A model-space point where the model is drawn now.
Vector3 Placed(const D3DXMATRIX& w, float x, float y, float z)
{
    return Vector3(x * w._11 + y * w._21 + z * w._31 + w._41, x * w._12 + y * w._22 + z * w._32 + w._42,
                   x * w._13 + y * w._23 + z * w._33 + w._43);
}

Vector3 FrameOrigin(const gen::Mat4& m, const D3DXMATRIX& w)
{
    return Placed(w, m.m[3][0], m.m[3][1], m.m[3][2]);
}

float Range(const std::vector<float>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return *high - *low;
}

} // namespace

TEST(RagdollAnimated, IdleKeepsTheWalkingBodyUprightAndEveryLimbOnItsBone)
{
    RagdollScene scene(1);
    ASSERT_TRUE(scene.ModelLoaded()) << scene.LoadReport();
    Ragdoll& ragdoll = scene.StandFacingForward();
    const Capsule* walking = ragdoll.GetMainBody();
    scene.Step(100);

    // Standing: no tipping, no turning, no drifting, whatever the feet's
    // contacts do to the walking body between updates.
    const Vector3 stood = walking->position;
    float tilt = 0.0f;
    for (int step = 0; step < 300; ++step) {
        scene.Step(1);
        tilt = std::max(tilt, MatrixDistance(walking->GetOrientation(), Matrix3::Identity()));
        ASSERT_TRUE(AllFinite(ragdoll)) << "step " << step;
    }
    EXPECT_LT(tilt, 1e-3f);
    EXPECT_LT(Distance(walking->position, stood), 0.01f);
    EXPECT_NEAR(walking->position.z, 3.5f, 0.02f) << "the capsule's bottom on the ground";

    // Right after an update the walking body stands exactly upright and
    // still, and every limb lies on its bone as the generator's own sampler
    // poses it, placed where the renderer draws the model.
    ragdoll.GetMainBody()->angularVelocity = Vector3(0.5f, -2.0f, 3.0f);
    ragdoll.Update(RagdollScene::kSubStep);
    EXPECT_EQ(walking->GetOrientation(), Matrix3::Identity());
    EXPECT_EQ(walking->angularVelocity, Vector3());
    const auto [set, ticks] = CurrentAnimation();
    EXPECT_EQ(set, unsigned(RagdollScene::kIdleSet));
    const gen::SkinnedModel& model = ::Character();
    const std::vector<gen::Mat4> pose = gen::Combine(model, gen::SampleLocals(model, set, ticks));
    const D3DXMATRIX& drawn = scene.GetRenderer().GetModel(0)->GetInstance()->GetWorldTransform();
    const Vector3 spine = ragdoll.GetLimb(kSpineLimb)->position;
    EXPECT_LT(Distance(spine, walking->position + Vector3(0.0f, 0.0f, 1.0f)), 1e-5f);
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
        SCOPED_TRACE(kLimbTable[i].bone);
        ASSERT_TRUE(ragdoll.FollowsBone(i));
        const int bone = gen::FrameIndex(model, kLimbTable[i].bone);
        const int end = model.frames[bone].children.front();
        const Vector3 a = FrameOrigin(pose[bone], drawn);
        const Vector3 b = FrameOrigin(pose[end], drawn);
        Vector3 u = b - a;
        u.Normalize();
        const Object* limb = ragdoll.GetLimb(i);
        if (i != kSpineLimb) {
            EXPECT_LT(Distance(limb->position, (a + b) * 0.5f), 3e-3f);
        }
        EXPECT_LT(MatrixDistance(limb->GetOrientation(), LimbFrameAlong(i, u)), 1e-2f);
    }
    // And the pose is the body plan: the idle stands as the limbs were built
    // around limb 0, but for the arms, which hang at the sides.
    for (int i :
         {kHeadLimb, kLeftThighLimb, kRightThighLimb, kLeftCalfLimb, kRightCalfLimb, kLeftFootLimb, kRightFootLimb})
        EXPECT_LT(Distance(ragdoll.GetLimb(i)->position - spine, PlanOffset(i)), 0.08f) << kLimbTable[i].bone;
    for (int i :
         {kLeftUpperArmLimb, kLeftForearmLimb, kLeftHandLimb, kRightUpperArmLimb, kRightForearmLimb, kRightHandLimb}) {
        const Vector3 at = ragdoll.GetLimb(i)->position - spine;
        EXPECT_GT(at.y * PlanOffset(i).y, 0.0f) << kLimbTable[i].bone << " on its own side";
        EXPECT_LT(at.z, PlanOffset(i).z) << kLimbTable[i].bone << " hangs";
    }
}

TEST(RagdollAnimated, WalkingSwingsTheFeetAndIdleSettlesThem)
{
    RagdollScene scene(1);
    ASSERT_TRUE(scene.ModelLoaded());
    Ragdoll& ragdoll = scene.StandFacingForward();
    const Capsule* walking = ragdoll.GetMainBody();
    auto footAhead = [&](int foot) { return ragdoll.GetLimb(foot)->position.x - walking->position.x; };

    // The player's walk: the push along +x every sub-step, the walk playing.
    scene.frameHooks.idle = false;
    gKeyframeAnimator->SwitchTo(RagdollScene::kWalkSet);
    const Vector3 start = walking->position;
    std::vector<float> left, right;
    // The push at the centre and the grip at the bottom tip the body over a
    // sub-step; each update stands it up again, so no tilt builds up.
    float tilt = 0.0f;
    for (int step = 0; step < 200; ++step) {
        scene.Walk(kForward, 1);
        tilt = std::max(tilt, MatrixDistance(walking->GetOrientation(), Matrix3::Identity()));
        if (step >= 100) {
            left.push_back(footAhead(kLeftFootLimb));
            right.push_back(footAhead(kRightFootLimb));
        }
    }
    ASSERT_TRUE(AllFinite(ragdoll));
    EXPECT_GT(walking->position.x - start.x, 1.0f) << "the push walks the body forward";
    EXPECT_LT(std::fabs(walking->position.y - start.y), 0.05f);
    EXPECT_LT(tilt, 0.02f);
    // One walk cycle: each foot swings back and forth, the two in turn.
    EXPECT_GT(Range(left), 0.8f);
    EXPECT_GT(Range(right), 0.8f);
    const size_t leftAhead = std::max_element(left.begin(), left.end()) - left.begin();
    EXPECT_LT(right[leftAhead] - left[leftAhead], -0.8f) << "the feet swing together";

    // The player stops: idle again, the feet come back under the body.
    scene.frameHooks.idle = true;
    gKeyframeAnimator->SwitchTo(RagdollScene::kIdleSet);
    scene.Step(200);
    left.clear();
    right.clear();
    for (int step = 0; step < 100; ++step) {
        scene.Step(1);
        left.push_back(footAhead(kLeftFootLimb));
        right.push_back(footAhead(kRightFootLimb));
    }
    EXPECT_LT(Range(left), 0.05f);
    EXPECT_LT(Range(right), 0.05f);
    const Vector3 spine = ragdoll.GetLimb(kSpineLimb)->position;
    for (int foot : {kLeftFootLimb, kRightFootLimb})
        EXPECT_LT(Distance(ragdoll.GetLimb(foot)->position - spine, PlanOffset(foot)), 0.08f);
}

TEST(RagdollLimp, KnockedOutTheHingedLimbsFallTogetherAndOffStageOneTheTorchHandFallsAway)
{
    for (int stage : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "stage " << stage);
        RagdollScene scene(stage);
        ASSERT_TRUE(scene.ModelLoaded());
        Ragdoll& ragdoll = scene.StandFacingForward();
        scene.Step(50);
        const float standing = ragdoll.GetLimb(kSpineLimb)->position.z;

        // The player's knock-out: limp, and the walking body out of the way.
        ragdoll.Enable();
        ragdoll.GetMainBody()->position += Vector3(100.0f, 100.0f, 100.0f);
        // The animated pose does not put every hinge point together (the
        // shoulders and ankles are a limb's width apart): the hinges close
        // them within a few sub-steps and hold them through the fall.
        float widest = 0.0f;
        for (int step = 0; step < 300; ++step) {
            scene.Step(1);
            ASSERT_TRUE(AllFinite(ragdoll)) << "step " << step;
            for (int j = 0; j < kRagdollJointCount; ++j)
                if (step >= 10 && ragdoll.GetJoint(j).active) widest = std::max(widest, HingeGap(ragdoll.GetJoint(j)));
        }
        EXPECT_LT(widest, 0.1f) << "a hinge came apart during the fall";
        EXPECT_LT(ragdoll.GetLimb(kSpineLimb)->position.z, standing - 3.0f) << "the body lies on the ground";
        for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
            EXPECT_GT(ragdoll.GetLimb(i)->position.z, 0.1f) << kLimbTable[i].bone << " sank into the ground";
            EXPECT_LT(ragdoll.GetLimb(i)->position.z, 1.5f) << kLimbTable[i].bone << " did not come down";
        }
        for (int j = 0; j < kRagdollJointCount; ++j) {
            if (j == kTorchWristJoint && stage != 1) continue;
            EXPECT_LT(HingeGap(ragdoll.GetJoint(j)), 0.05f) << "joint " << j;
        }
        if (stage == 1) {
            EXPECT_TRUE(ragdoll.GetJoint(kTorchWristJoint).active);
        } else {
            EXPECT_GT(HingeGap(ragdoll.GetJoint(kTorchWristJoint)), 1.0f) << "the torch hand stayed on";
        }
    }
}

TEST(RagdollLimbFrames, EveryLimbFrameIsARotationWithItsLongAxisOnTheBone)
{
    // Straight up and down (the side direction falls back on x), level, and slanting.
    const Vector3 directions[] = {Vector3(0, 0, 1), Vector3(0, 0, -1), Vector3(0, -1, 0), Vector3(0.6f, 0.0f, -0.8f),
                                  Vector3(-0.48f, 0.6f, -0.64f)};
    for (const Vector3& u : directions) {
        for (int limb = 0; limb < kRagdollLimbCount; ++limb) {
            SCOPED_TRACE(testing::Message() << kLimbTable[limb].bone << " along " << u.x << " " << u.y << " " << u.z);
            const Matrix3 frame = LimbFrameAlong(limb, u);
            Matrix3 transpose, product;
            Matrix3::Transpose(transpose, frame);
            Matrix3::MultiplyStatic(product, transpose, frame);
            EXPECT_LT(MatrixDistance(product, Matrix3::Identity()), 1e-5f);
            Vector3 r0, r1, r2, cross;
            frame.GetRow(r0, 0);
            frame.GetRow(r1, 1);
            frame.GetRow(r2, 2);
            EXPECT_NEAR(Vector3::Dot(Vector3::Cross(cross, r0, r1), r2), 1.0f, 1e-5f) << "a mirror";
            // A capsule's axis row lies along the bone.
            if (kLimbTable[limb].shape == LimbShape::Capsule) {
                Vector3 axis;
                frame.GetRow(axis, kLimbTable[limb].capsuleAxis);
                EXPECT_NEAR(std::fabs(Vector3::Dot(axis, u)), 1.0f, 1e-5f);
            }
        }
    }
}
