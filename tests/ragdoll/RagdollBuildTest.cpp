// Building the character: what it registers, which bodies never collide,
// its drawables and left hand by stage, and the switches the player and the
// factory use (limp and animated, the mask, the move to the record).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "RagdollTestSupport.h"
#include "objects/Capsule.h"
#include "physics/BodyCollisionData.h"
#include "physics/BodyTypes.h"
#include "render/MeshInstance.h"

namespace {

bool Ignores(RigidBody* a, RigidBody* b)
{
    const std::vector<BodyCollisionData*>& list = a->GetCollisionData()->ignoreList;
    return std::find(list.begin(), list.end(), b->GetCollisionData()) != list.end();
}

} // namespace

TEST(RagdollBuild, RegistersBodiesHingesMutualNoCollisionPairsAndOneDrawablePerLimb)
{
    RagdollScene scene(2);
    PhysicsWorld& world = scene.physics.world;
    Object::ResetIdCounter();
    Ragdoll ragdoll(&world, 0.5f);
    EXPECT_TRUE(ragdoll.IsLimp());
    EXPECT_EQ(scene.stageHooks.playerResets, 1);

    // The limbs first (limb 0 the stage's object 0), at their places, then the walking body.
    ASSERT_EQ(world.GetBodies().size(), 15u);
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
        EXPECT_EQ(world.GetBodies()[i], ragdoll.GetLimb(i));
        EXPECT_EQ(ragdoll.GetLimb(i)->GetType(), kRagdollLimbBodyType);
        EXPECT_EQ(ragdoll.GetLimb(i)->objectId, i);
        EXPECT_LT(Distance(ragdoll.GetLimb(i)->position, PlanOffset(i)), 1e-6f);
    }
    EXPECT_EQ(ragdoll.GetLimb(14), nullptr);
    EXPECT_EQ(world.GetBodies()[14], ragdoll.GetMainBody());
    EXPECT_EQ(ragdoll.GetMainBody()->GetType(), kPlayerBodyType);

    // The push stays first; each hinge is a controller, built closed, with a
    // point joint, two axis links and an angle limit; the ragdoll comes last.
    ASSERT_EQ(world.GetControllers().size(), 15u);
    EXPECT_EQ(world.GetControllers()[14], &ragdoll);
    EXPECT_EQ(world.GetConstraints().size(), 4u * kRagdollJointCount);
    for (int j = 0; j < kRagdollJointCount; ++j) {
        EXPECT_EQ(world.GetControllers()[1 + j], &ragdoll.GetJoint(j));
        EXPECT_LT(HingeGap(ragdoll.GetJoint(j)), 1e-5f) << "joint " << j;
        EXPECT_TRUE(Ignores(ragdoll.GetJoint(j).bodyA, ragdoll.GetJoint(j).bodyB)) << "hinged limbs collide";
    }

    // Ignoring is mutual; the walking body ignores every limb; 32 limb pairs.
    size_t entries = 0;
    for (RigidBody* a : world.GetBodies()) {
        for (BodyCollisionData* other : a->GetCollisionData()->ignoreList) EXPECT_TRUE(Ignores(other->owner, a));
        entries += a->GetCollisionData()->ignoreList.size();
    }
    EXPECT_EQ(entries, 2u * (32u + 14u));
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) EXPECT_TRUE(Ignores(ragdoll.GetMainBody(), ragdoll.GetLimb(i)));
    RigidBody bare; // no collision data: nothing entered
    ragdoll.IgnoreCollisionPair(&bare, ragdoll.GetLimb(0));
    EXPECT_EQ(ragdoll.GetLimb(0)->GetCollisionData()->ignoreList.size(), 8u);

    // One queued drawable per limb; the head second, the left hand last.
    const std::vector<MeshInstance*>& drawn = ragdoll.GetLimbInstances();
    ASSERT_EQ(drawn.size(), 14u);
    std::set<const Vector3*> followed;
    for (const MeshInstance* instance : drawn) followed.insert(instance->position);
    EXPECT_EQ(followed.size(), 14u);
    EXPECT_EQ(scene.GetRenderer().GetRenderLists().Count(kOpaqueList), 14);
    EXPECT_EQ(drawn[1]->position, &ragdoll.GetLimb(kHeadLimb)->position);
    EXPECT_EQ(drawn[13]->orientation, &ragdoll.GetLimb(kLeftHandLimb)->GetOrientation());
    EXPECT_FLOAT_EQ(drawn[10]->world._33, 0.4f) << "the right hand's sphere at the hand's size";
    EXPECT_FLOAT_EQ(drawn[12]->world._11, 1.5f) << "a foot's sphere at the foot's size";
}

TEST(RagdollBuild, LeftHandIsBareUnderTheSunOnStageOneAndATorchElsewhere)
{
    for (int stage : {1, 2, 3, 4, -1}) {
        SCOPED_TRACE(testing::Message() << "stage " << stage);
        const std::string noModel;
        RagdollScene scene(stage, &noModel);
        scene.stageHooks.hasParticleManager = stage != -1; // no game: no particle manager
        Ragdoll ragdoll(&scene.physics.world, 0.5f);
        const Object* hand = ragdoll.GetLimb(kLeftHandLimb);
        const MeshInstance* drawn = ragdoll.GetLimbInstances().back();
        EXPECT_EQ(drawn->position, &hand->position);
        const std::vector<RecordingStageHooks::Call>& calls = scene.stageHooks.calls;
        ASSERT_EQ(calls.size(), 1u);
        if (stage == 1) {
            EXPECT_EQ(drawn->meshId, 2);
            EXPECT_EQ(drawn->textureId, 79);
            EXPECT_FLOAT_EQ(drawn->world._22, 0.65f);
            EXPECT_EQ(calls[0].type, 43);
            EXPECT_EQ(calls[0].position, Vector3(300.0f, -300.0f, 800.0f));
            EXPECT_EQ(calls[0].values, (std::vector<float>{1.0f, 1.0f, 1.0f, 5.0f}));
            EXPECT_TRUE(scene.stageHooks.attached.empty());
            continue;
        }
        EXPECT_EQ(drawn->meshId, 13);
        EXPECT_EQ(drawn->textureId, 44);
        // The torch's light and flame ride on the hand.
        EXPECT_EQ(calls[0].type, -1);
        EXPECT_EQ(calls[0].follows, &hand->position);
        EXPECT_EQ(calls[0].turns, &hand->GetOrientation());
        EXPECT_EQ(calls[0].values, (std::vector<float>{1.0f, 0.8f, 0.2f, 1.0f, 10.0f, 0.2f, 0.15f}));
        ASSERT_EQ(scene.stageHooks.attached.size(), stage == -1 ? 0u : 1u);
        if (stage == -1) continue;
        const fAttachSystem& flame = *scene.stageHooks.attached[0];
        EXPECT_EQ(flame.name, "TorchEmitter");
        EXPECT_EQ(flame.offset, Vector3(0.0f, 1.5f, 0.0f));
        EXPECT_EQ(flame.parentPosition, &hand->position);
        EXPECT_EQ(flame.parentOrientation, &hand->GetOrientation());
        EXPECT_EQ(flame.parentVelocity, nullptr);
        EXPECT_FLOAT_EQ(flame.scale, 1.0f);
    }
}

TEST(RagdollStates, LimpAndAnimatedSwitchHingesAndGravityWithTheTorchWristFreeOffStageOne)
{
    for (int stage : {1, 2, 3, 4}) {
        SCOPED_TRACE(testing::Message() << "stage " << stage);
        const std::string noModel;
        RagdollScene scene(stage, &noModel);
        Ragdoll ragdoll(&scene.physics.world, 0.5f);
        ragdoll.Disable();
        EXPECT_FALSE(ragdoll.IsLimp());
        for (int j = 0; j < kRagdollJointCount; ++j) {
            const HingeJoint& joint = ragdoll.GetJoint(j);
            EXPECT_FALSE(joint.active || joint.pointJoint.active || joint.axisLinks[0].active ||
                         joint.axisLinks[1].active || joint.angleLimit.active);
        }
        for (int i = 0; i < ragdoll.GetLimbCount(); ++i) EXPECT_FALSE(ragdoll.GetLimb(i)->gravityEnabled);

        ragdoll.Enable();
        EXPECT_TRUE(ragdoll.IsLimp());
        for (int j = 0; j < kRagdollJointCount; ++j) {
            const bool free = j == kTorchWristJoint && stage != 1;
            EXPECT_EQ(ragdoll.GetJoint(j).active && ragdoll.GetJoint(j).angleLimit.active, !free) << "joint " << j;
        }
        for (int i = 0; i < ragdoll.GetLimbCount(); ++i) EXPECT_TRUE(ragdoll.GetLimb(i)->gravityEnabled);

        // A limp update only sees that the spine falls too.
        ragdoll.GetLimb(kSpineLimb)->gravityEnabled = false;
        const Vector3 head = ragdoll.GetLimb(kHeadLimb)->position;
        ragdoll.Update(RagdollScene::kSubStep);
        EXPECT_TRUE(ragdoll.GetLimb(kSpineLimb)->gravityEnabled);
        EXPECT_EQ(ragdoll.GetLimb(kHeadLimb)->position, head);
    }
}

TEST(RagdollStates, MaskOnTheHeadAndMoveToCarriesEveryLimb)
{
    const std::string noModel;
    RagdollScene scene(1, &noModel);
    Ragdoll ragdoll(&scene.physics.world, 0.5f);
    MeshInstance* head = ragdoll.GetLimbInstances()[1];
    ragdoll.SetLimbState(true);
    EXPECT_EQ(head->textureId, 71);
    ragdoll.SetLimbState(false);
    EXPECT_EQ(head->textureId, 78);

    // Any layout moves as one, and a move to limb 0's own place moves nothing.
    std::vector<Vector3> before;
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
        ragdoll.GetLimb(i)->position += Vector3(0.1f * i, -0.05f * i * i, 0.3f);
        before.push_back(ragdoll.GetLimb(i)->position);
    }
    ragdoll.MoveTo(before[kSpineLimb]);
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) EXPECT_EQ(ragdoll.GetLimb(i)->position, before[i]);
    const Vector3 target(-36.0f, 12.5f, 104.5f);
    ragdoll.MoveTo(target);
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i)
        EXPECT_LT(Distance(ragdoll.GetLimb(i)->position, before[i] + (target - before[kSpineLimb])), 1e-4f);
    EXPECT_EQ(ragdoll.GetMainBody()->position, Vector3()) << "the walking body is placed by its builder";
}
