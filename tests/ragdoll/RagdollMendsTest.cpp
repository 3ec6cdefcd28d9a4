// The character without a renderer, with a missing or broken model, with
// bones straight up or of no length, and across many rebuilds: it never
// reads through a missing bone, never leaves NaN behind, and leaves the
// renderer with exactly one animated model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Pose.h"
#include "RagdollTestSupport.h"
#include "objects/Capsule.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"
#include "render/Model.h"

namespace {

const Vector3 kForward(1.0f, 0.0f, 0.0f);

void RenameFrame(gen::SkinnedModel& model, const std::string& from, const char* to)
{
    model.frames[gen::FrameIndex(model, from)].name = to;
    for (gen::SkinBone& bone : model.bones)
        if (bone.name == from) bone.name = to;
    for (gen::AnimSet& set : model.sets)
        for (gen::AnimTrack& track : set.tracks)
            if (track.frame == from) track.frame = to;
}

// The frame keeps this offset from its parent, unturned, in every key.
void HoldFrame(gen::SkinnedModel& model, const std::string& name, const gen::Vec3& offset)
{
    model.frames[gen::FrameIndex(model, name)].local = gen::Mat4::Translation(offset);
    for (gen::AnimSet& set : model.sets)
        for (gen::AnimTrack& track : set.tracks)
            if (track.frame == name)
                for (gen::PosKey& key : track.keys) key = gen::PosKey{key.time, gen::Quat(), offset, key.scale};
}

struct BrokenModelCase
{
    const char* what;
    std::string text; // empty: no file
    bool loads;
    std::vector<int> held; // limbs without a bone or its far end; all when nothing loads
    bool renderer;
};

} // namespace

TEST(RagdollMends, WithoutItsBoneALimbIsHeldAtItsPlaceAroundLimbZeroAndNothingBreaks)
{
    const std::string whole = gen::SkinnedModelText(::Character());
    const BrokenModelCase cases[] = {
        {"no file", "", false, {}, true},
        {"truncated", whole.substr(0, whole.size() / 2), false, {}, true},
        {"a skin bone naming no frame",
         CharacterText([](gen::SkinnedModel& m) { m.bones[0].name = "Bip01_Nowhere"; }),
         false,
         {},
         true},
        {"no renderer", whole, true, {}, false},
        {"no left hand",
         CharacterText([](gen::SkinnedModel& m) { RenameFrame(m, "Bip01_L_Hand", "Bip01_L_Palm"); }),
         true,
         {kLeftHandLimb},
         true},
        {"a head without its end",
         CharacterText([](gen::SkinnedModel& m) { m.frames[gen::FrameIndex(m, "Bip01_Head")].children.clear(); }),
         true,
         {kHeadLimb},
         true},
        {"three sets: no walk, no idle", CharacterText([](gen::SkinnedModel& m) { m.sets.resize(3); }), true, {}, true},
    };
    for (const BrokenModelCase& c : cases) {
        SCOPED_TRACE(c.what);
        RagdollScene scene(1, &c.text);
        ASSERT_EQ(scene.ModelLoaded(), c.loads) << scene.LoadReport();
        if (!c.loads) {
            EXPECT_NE(scene.LoadReport().find("could not create Mesh Hierarchy from file: male.x"), std::string::npos);
            EXPECT_NE(scene.LoadReport().find("Could not load model: male.x"), std::string::npos);
        }
        Renderer* renderer = gRenderer;
        if (!c.renderer) gRenderer = nullptr;
        Ragdoll& ragdoll = scene.BuildCharacter(Vector3(10.0f, -4.0f, 0.0f));
        scene.Step(50);
        gKeyframeAnimator->SwitchTo(RagdollScene::kWalkSet);
        scene.Walk(kForward, 50);
        ASSERT_TRUE(AllFinite(ragdoll));

        ragdoll.Update(RagdollScene::kSubStep);
        const Vector3 spine = ragdoll.GetLimb(kSpineLimb)->position;
        EXPECT_LT(Distance(spine, ragdoll.GetMainBody()->position + Vector3(0.0f, 0.0f, 1.0f)), 1e-5f);
        for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
            const bool held = !c.loads || !c.renderer || std::count(c.held.begin(), c.held.end(), i) > 0;
            EXPECT_EQ(ragdoll.FollowsBone(i), !held && c.renderer) << kLimbTable[i].bone;
            if (!held) continue;
            EXPECT_LT(Distance(ragdoll.GetLimb(i)->position, spine + PlanOffset(i)), 1e-5f) << kLimbTable[i].bone;
            EXPECT_EQ(ragdoll.GetLimb(i)->GetOrientation(), Matrix3::Identity()) << kLimbTable[i].bone;
        }
        ragdoll.Enable();
        scene.Step(150);
        ragdoll.Disable();
        scene.Step(20);
        EXPECT_TRUE(AllFinite(ragdoll));
        // Never queued without a renderer, the drawables are deleted by their
        // owners: the leak check sees to it.
        scene.DestroyCharacter();
        gRenderer = renderer;
    }
}

TEST(RagdollMends, AZeroLengthBoneLaysItsLimbAlongXAndAnUprightBoneKeepsAProperFrame)
{
    const std::string text = CharacterText([](gen::SkinnedModel& m) {
        // The head's end on the head's origin; the spine straight up to the neck.
        HoldFrame(m, "Bip01_HeadNub", gen::Vec3(0.0f, 0.0f, 0.0f));
        HoldFrame(m, "Bip01_Spine", gen::Vec3(0.0f, 0.0f, 0.0f));
        HoldFrame(m, "Bip01_Neck", gen::CharacterToModel(gen::Vec3(0.0f, 0.0f, 2.2f)));
    });
    RagdollScene scene(1, &text);
    ASSERT_TRUE(scene.ModelLoaded()) << scene.LoadReport();
    Ragdoll& ragdoll = scene.BuildCharacter();
    scene.Step(30);
    ragdoll.Update(RagdollScene::kSubStep);

    const D3DXMATRIX& head = scene.GetRenderer().GetMultiAnim().FindFrame("Bip01_Head")->TransformationMatrix;
    EXPECT_LT(Distance(ragdoll.GetLimb(kHeadLimb)->position, Vector3(head._41, head._42, head._43)), 1e-5f);
    // u = (1, 0, 0): s1 = (0, -1, 0), s2 = (0, 0, 1); the head's rows are (-s1, s2, u).
    EXPECT_EQ(ragdoll.GetLimb(kHeadLimb)->GetOrientation(), Matrix3(0, 1, 0, 0, 0, 1, 1, 0, 0));
    // u = (0, 0, 1): s1 falls back on (1, 0, 0), s2 = (0, -1, 0); the spine's rows are (-s1, s2, u).
    EXPECT_LT(MatrixDistance(ragdoll.GetLimb(kSpineLimb)->GetOrientation(), Matrix3(-1, 0, 0, 0, -1, 0, 0, 0, 1)),
              1e-5f);
    gKeyframeAnimator->SwitchTo(RagdollScene::kWalkSet);
    scene.Walk(kForward, 100);
    ragdoll.Enable();
    scene.Step(100);
    EXPECT_TRUE(AllFinite(ragdoll));
}

TEST(RagdollLifetime, TwentyRebuildsLeaveOneModelOneAnimationInstanceAndTheCharacterAnimated)
{
    RagdollScene scene(2);
    ASSERT_TRUE(scene.ModelLoaded());
    Renderer& renderer = scene.GetRenderer();
    std::vector<MeshInstance*> previous;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        // A stage reload: the old character goes, giving its drawables back,
        // the new one comes, and the renderer frees what was given back.
        scene.DestroyCharacter();
        for (const MeshInstance* instance : previous) EXPECT_TRUE(instance->removeFlag);
        Ragdoll& ragdoll = scene.BuildCharacter(Vector3(0.0f, 3.0f * round, 0.0f));
        previous = ragdoll.GetLimbInstances();
        renderer.PruneRenderLists();
        EXPECT_EQ(renderer.GetModelCount(), 1);
        EXPECT_EQ(renderer.GetMultiAnim().GetInstanceCount(), 1u);
        EXPECT_EQ(renderer.GetRenderLists().Count(kSkinnedList), 1);
        EXPECT_EQ(renderer.GetRenderLists().Count(kOpaqueList), 14);

        // Still walking: the feet swing about the walking body.
        gKeyframeAnimator->SwitchTo(RagdollScene::kWalkSet);
        float low = 1e9f, high = -1e9f;
        for (int step = 0; step < 50; ++step) {
            scene.Walk(kForward, 1);
            const float ahead = ragdoll.GetLimb(kLeftFootLimb)->position.x - ragdoll.GetMainBody()->position.x;
            low = std::min(low, ahead);
            high = std::max(high, ahead);
        }
        EXPECT_GT(high - low, 0.5f);
    }
}
