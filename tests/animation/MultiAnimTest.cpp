// Loading the character without a device: the bones the ragdoll looks up,
// the palette, the bind pose, the names given to unnamed frames and meshes,
// what lives across set-ups and clean-ups, the Models' instances, and every
// broken form of the file reported without a crash.
#include "AnimationTestSupport.h"

#include "render/KeyframeAnimator.h"
#include "render/Model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The number after a prefix of a generated name, or -1.
long Counter(const char* name, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (!name || std::strncmp(name, prefix, n) != 0) return -1;
    return std::strtol(name + n, nullptr, 10);
}

} // namespace

TEST(MultiAnim, LoadsTheCharacterWithoutADevice)
{
    CharacterTree files;
    LoadedModel model("male.x");
    ASSERT_EQ(model.hr, S_OK);
    ASSERT_TRUE(model.anim.IsLoaded());
    // Every bone the ragdoll lays a limb along, with its far end as first child.
    for (const std::string& bone : gen::RagdollBoneNames()) {
        const D3DXFRAME* frame = model.anim.FindFrame(bone.c_str());
        ASSERT_NE(frame, nullptr) << bone;
        ASSERT_NE(frame->pFrameFirstChild, nullptr) << bone;
    }
    EXPECT_STREQ(model.anim.FindFrame("Bip01_Spine")->pFrameFirstChild->Name, "Bip01_Neck");
    EXPECT_EQ(model.anim.FindFrame("bip01_spine"), nullptr);

    // No effect: a palette of 35, so the 16 bones fit in one group.
    EXPECT_EQ(model.anim.GetPaletteSizeSetting(), kDefaultPaletteSize);
    MultiAnimMeshContainer* mc = FirstSkinnedContainer(model.anim.GetFrameRoot());
    ASSERT_NE(mc, nullptr);
    ASSERT_NE(mc->workingMesh, nullptr);
    const DWORD bones = mc->pSkinInfo->GetNumBones();
    EXPECT_EQ(bones, Character().bones.size());
    EXPECT_EQ(mc->paletteEntries, std::min<DWORD>(kDefaultPaletteSize, bones));
    EXPECT_EQ(mc->numAttributeGroups, 1u);
    EXPECT_EQ(mc->maxFaceInfluences, static_cast<DWORD>(Character().maxWeightsPerVertex));
    EXPECT_GE(model.anim.GetWorkingPaletteSize(), mc->paletteEntries);
    for (DWORD b = 0; b < bones; ++b)
        EXPECT_EQ(mc->boneMatrices[b], &model.anim.FindFrame(mc->pSkinInfo->GetBoneName(b))->TransformationMatrix);

    // The radius Model::Setup divides by is known, so its scale is finite.
    EXPECT_GT(model.anim.GetBoundingRadius(), 10.0f);
    Model drawn;
    ASSERT_EQ(drawn.Setup(&model.anim, 2.5), S_OK);
    EXPECT_NEAR(drawn.GetScale()._11, 1.0f / model.anim.GetBoundingRadius() / 7.0f, 1e-7f);
    EXPECT_EQ(drawn.GetTime(), 2.5);
}

TEST(MultiAnim, BindPoseAtIdentityWorldGivesIdentityPalette)
{
    CharacterTree files;
    LoadedCharacter loaded;
    ASSERT_TRUE(loaded.Ready());
    LoadedModel& model = loaded.model;
    Model& drawn = loaded.drawn;
    // Pose and draw once, then go back to the file's matrices and combine them.
    drawn.AdvanceTime(0.4);
    model.anim.RestoreBindPose();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    drawn.GetInstance()->UpdateFrames(model.anim.GetFrameRoot(), &identity);

    MultiAnimMeshContainer* mc = FirstSkinnedContainer(model.anim.GetFrameRoot());
    ASSERT_NE(mc, nullptr);
    std::vector<D3DXMATRIX> palette(mc->paletteEntries);
    for (DWORD group = 0; group < mc->numAttributeGroups; ++group) {
        FillBonePalette(*mc, group, palette.data());
        for (DWORD i = 0; i < mc->paletteEntries; ++i) EXPECT_LT(MatrixDistance(palette[i], identity), 1e-4f) << i;
    }
}

TEST(MultiAnim, UnnamedFramesAndMeshesAreNumberedAcrossLoads)
{
    xtest::Scene scene = xtest::MakeSkinnedFigure(1);
    ASSERT_FALSE(scene.frames[0].children.back().meshes.empty());
    scene.frames[0].name.clear();                           // the root
    scene.frames[0].children.back().meshes[0].name.clear(); // the skinned body mesh
    ScratchRunTree tree;
    tree.WriteMesh("figure.x", xtest::Write(scene));

    long frame = -1, mesh = -1;
    for (int load = 0; load < 3; ++load) {
        SCOPED_TRACE(load);
        LoadedModel model("figure.x");
        ASSERT_EQ(model.hr, S_OK);
        const D3DXFRAME* root = model.anim.GetFrameRoot();
        const long f = Counter(root->Name, "frame_");
        const long m = Counter(FirstSkinnedContainer(model.anim.GetFrameRoot())->Name, "mc_");
        ASSERT_GE(f, 0) << root->Name;
        ASSERT_GE(m, 0);
        if (load > 0) {
            EXPECT_EQ(f, frame + 1);
            EXPECT_EQ(m, mesh + 1);
        }
        frame = f;
        mesh = m;
        EXPECT_NE(model.anim.FindFrame("Bip01_Spine"), nullptr) << "named frames keep their names";
    }
}

TEST(MultiAnim, HierarchyAnimatorAndBonesLiveUntilCleanup)
{
    CharacterTree files;
    LoadedModel model("male.x");
    ASSERT_EQ(model.hr, S_OK);
    D3DXFRAME* spine = model.anim.FindFrame("Bip01_Spine");
    MultiAnimMeshContainer* mc = FirstSkinnedContainer(model.anim.GetFrameRoot());
    gKeyframeAnimator->SetCurrent(4, 1234.0f);

    // A later set-up (a device change) keeps everything the ragdoll and the
    // animator point into, and the animation goes on where it was.
    ASSERT_EQ(model.Load("male.x"), S_OK);
    EXPECT_EQ(model.anim.FindFrame("Bip01_Spine"), spine);
    EXPECT_EQ(FirstSkinnedContainer(model.anim.GetFrameRoot()), mc);
    EXPECT_EQ(gKeyframeAnimator->GetFrameRoot(), model.anim.GetFrameRoot());
    EXPECT_EQ(CurrentAnimation(), AnimatorPlace(4, 1234.0f));

    // Cleanup unloads, twice over, and empties the animator; a new load starts idle.
    Model drawn;
    ASSERT_EQ(drawn.Setup(&model.anim, 0.0), S_OK);
    EXPECT_EQ(model.anim.Cleanup(&model.allocator), S_OK);
    EXPECT_EQ(model.anim.Cleanup(&model.allocator), S_OK);
    EXPECT_EQ(model.anim.Cleanup(nullptr), S_OK);
    EXPECT_FALSE(model.anim.IsLoaded());
    EXPECT_EQ(model.anim.FindFrame("Bip01_Spine"), nullptr);
    EXPECT_EQ(gKeyframeAnimator->GetEntryCount(), 0u);
    EXPECT_EQ(model.anim.GetWorkingPaletteSize(), 0u);
    drawn.AdvanceTime(0.1); // an instance of an unloaded hierarchy does nothing
    ASSERT_EQ(model.Load("male.x"), S_OK);
    EXPECT_EQ(CurrentAnimation().first, 11u);
    EXPECT_EQ(gKeyframeAnimator->GetEntryCount(), 12u);
}

TEST(MultiAnim, FramesNoTrackWritesDoNotPileUp)
{
    // Drop the tracks of the mesh frame and the head's nub: nothing rewrites them.
    gen::SkinnedModel character = Character();
    for (gen::AnimSet& set : character.sets)
        set.tracks.erase(
            std::remove_if(set.tracks.begin(), set.tracks.end(),
                           [](const gen::AnimTrack& t) { return t.frame == "Body" || t.frame == "Bip01_HeadNub"; }),
            set.tracks.end());
    CharacterTree files(character);
    LoadedCharacter loaded;
    ASSERT_TRUE(loaded.Ready());
    MultiAnim& anim = loaded.Anim();
    Model& drawn = loaded.drawn;
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 3, 1, -2);
    drawn.GetInstance()->SetWorldTransform(&world);

    drawn.AdvanceTime(0.01);
    const D3DXMATRIX body = anim.FindFrame("Body")->TransformationMatrix;
    const D3DXMATRIX nub = anim.FindFrame("Bip01_HeadNub")->TransformationMatrix;
    gKeyframeAnimator->SwitchTo(11); // back to the same position: same pose
    for (int step = 0; step < 50; ++step) drawn.AdvanceTime(0.0);
    drawn.AdvanceTime(0.01);
    EXPECT_LT(MatrixDistance(anim.FindFrame("Body")->TransformationMatrix, body), 1e-5f);
    EXPECT_LT(MatrixDistance(anim.FindFrame("Bip01_HeadNub")->TransformationMatrix, nub), 1e-4f);
    EXPECT_LT(MatrixDistance(body, world), 1e-6f) << "the mesh frame sits at the instance's world matrix";
}

TEST(MultiAnim, ModelsGiveTheirInstancesBack)
{
    CharacterTree files;
    LoadedModel model("male.x");
    ASSERT_EQ(model.hr, S_OK);
    // A stage load makes the new player's Model before the old one is pruned.
    auto current = std::make_unique<Model>();
    ASSERT_EQ(current->Setup(&model.anim, 0.0), S_OK);
    for (int stage = 0; stage < 20; ++stage) {
        auto next = std::make_unique<Model>();
        ASSERT_EQ(next->Setup(&model.anim, stage), S_OK);
        EXPECT_EQ(model.anim.GetInstanceCount(), 2u);
        current = std::move(next);
        EXPECT_EQ(model.anim.GetInstanceCount(), 1u);
        EXPECT_EQ(model.anim.GetInstance(0), current->GetInstance());
    }
    EXPECT_EQ(model.anim.DestroyInstance(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(model.anim.DrawAll(), S_OK); // no device, no effect: nothing drawn, nothing failed
}

TEST(MultiAnim, BrokenCharacterFilesAreReportedAndSurvived)
{
    const std::string whole = gen::SkinnedModelText(Character());
    struct Case
    {
        const char* what;
        std::string text; // empty: no file at all
        unsigned entries; // 0: the load fails
    } cases[] = {
        {"missing", "", 0},
        {"truncated", whole.substr(0, whole.size() / 2), 0},
        {"a skin bone that names no frame", CharacterText([](gen::SkinnedModel& c) { c.bones[3].name = "Bip01_Tail"; }),
         0},
        {"fewer than 12 sets", CharacterText([](gen::SkinnedModel& c) { c.sets.resize(5); }), 5},
        {"one key per track", CharacterText([](gen::SkinnedModel& c) {
             for (gen::AnimSet& s : c.sets)
                 for (gen::AnimTrack& t : s.tracks) t.keys.resize(1);
         }),
         12},
        {"a zero period", CharacterText([](gen::SkinnedModel& c) {
             for (gen::AnimSet& s : c.sets)
                 for (gen::AnimTrack& t : s.tracks)
                     for (gen::PosKey& k : t.keys) k.time = 0;
         }),
         12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchRunTree tree;
        if (!c.text.empty()) tree.WriteMesh("male.x", c.text);
        MultiAnimAllocateHierarchy allocator;
        MultiAnim anim;
        testing::internal::CaptureStderr();
        const HRESULT hr = LoadAnimatedModelFile(&anim, &allocator, nullptr, "male.x", nullptr);
        Model drawn;
        const HRESULT modelHr = drawn.Setup(&anim, 0.0);
        gKeyframeAnimator->SwitchTo(11);
        for (int step = 0; step < 10; ++step) drawn.AdvanceTime(0.3);
        const std::string errors = testing::internal::GetCapturedStderr();

        const bool loads = c.entries > 0;
        EXPECT_EQ(SUCCEEDED(hr), loads) << errors;
        EXPECT_EQ(SUCCEEDED(modelHr), loads);
        EXPECT_EQ(gKeyframeAnimator->GetEntryCount(), c.entries);
        if (!loads) {
            for (const char* report : {"could not create Mesh Hierarchy from file: male.x\nFailed in file: ",
                                       "Could not load model: male.x\n", "Unknown Error!!!\n",
                                       "could not Create Multi Animation Instance while setting up Model\n"})
                EXPECT_NE(errors.find(report), std::string::npos) << report << " in\n" << errors;
            EXPECT_EQ(drawn.GetInstance(), nullptr);
            EXPECT_EQ(anim.FindFrame("Bip01_Spine"), nullptr);
            continue;
        }
        EXPECT_EQ(errors.find("Could not load model"), std::string::npos) << errors;
        // Whatever the keys, the pose stays finite and the position within the period.
        const auto [entry, position] = CurrentAnimation();
        EXPECT_LT(entry, c.entries);
        EXPECT_GE(position, 0.0f);
        EXPECT_LE(position, gKeyframeAnimator->GetEntry(entry)->period);
        for (const std::string& bone : gen::RagdollBoneNames())
            EXPECT_TRUE(AllFinite(anim.FindFrame(bone.c_str())->TransformationMatrix)) << bone;
    }
}
