// The character: the ragdoll's 14 bones with their far-end children, a sound skin, the
// animation sets the sampler needs, and poses that look like standing and walking.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <set>

#include "Character.h"
#include "Pose.h"
#include "XText.h"

using namespace gen;

namespace {

const SkinnedModel& Model()
{
    static const SkinnedModel model = BuildCharacter();
    return model;
}

Vec3 ToCharacter(const Vec3& m)
{
    return {-m.z * 0.1f, -m.x * 0.1f, m.y * 0.1f};
}

} // namespace

TEST(Character, RagdollBonesEachHaveOneChildAtTheLimbEnd)
{
    const SkinnedModel& m = Model();
    const auto combined = Combine(m, SampleLocals(m, kIdleSet, 0));
    for (const std::string& name : RagdollBoneNames()) {
        SCOPED_TRACE(name);
        const int f = FrameIndex(m, name);
        ASSERT_GE(f, 0);
        ASSERT_EQ(m.frames[f].children.size(), 1u);
        const Vec3 a = combined[f].GetTranslation(), b = combined[m.frames[f].children[0]].GetTranslation();
        EXPECT_GT(Length(b - a), 3.0f) << "child must sit at the far end of the limb";
    }
    EXPECT_EQ(m.frames[m.frames[FrameIndex(m, "Bip01_Spine")].children[0]].name, "Bip01_Neck");
    EXPECT_EQ(m.frames[0].name, "Bip01");
}

TEST(Character, BindPoseMatchesTheRagdollLayout)
{
    const SkinnedModel& m = Model();
    std::vector<Mat4> locals;
    for (const FrameNode& f : m.frames) locals.push_back(f.local);
    const auto bind = Combine(m, locals);
    auto at = [&](const std::string& name) { return ToCharacter(bind[FrameIndex(m, name)].GetTranslation()); };
    auto mid = [&](const std::string& name) {
        const int f = FrameIndex(m, name);
        return (at(name) + ToCharacter(bind[m.frames[f].children[0]].GetTranslation())) * 0.5f;
    };
    // The ragdoll's start positions around limb 0, in its limb order (L limbs on +y).
    const Vec3 kLimbStarts[] = {
        {0, 0, 0},         {0.03f, 0, 2.0f},   {0, 1.3f, 1.25f},     {0, -1.3f, 1.25f},    {0, 0.6f, -2.0f},
        {0, -0.6f, -2.0f}, {0, 2.5f, 1.25f},   {0, -2.5f, 1.25f},    {0, 0.6f, -3.5f},     {0, -0.6f, -3.5f},
        {0, 3.25f, 1.25f}, {0, -3.25f, 1.25f}, {0.5f, 0.6f, -4.25f}, {0.5f, -0.6f, -4.25f}};
    const std::vector<std::string>& bones = RagdollBoneNames();
    ASSERT_EQ(bones.size(), std::size(kLimbStarts));
    // The drawn model hangs 4.5 below limb 0, which stands 1.0 above the walking capsule's
    // centre: limb 0 (the spine's midpoint) is 4.5 above the origin, the capsule's bottom.
    const Vec3 spine = mid(bones[0]);
    EXPECT_NEAR(spine.z, 4.5f, 0.02f);
    // Heights and forward offsets match closely; sideways the legs lean a few hundredths
    // to the left and the spine a little to the right, so no bone is ever vertical.
    for (size_t i = 0; i < bones.size(); ++i) {
        const Vec3 d = mid(bones[i]) - spine - kLimbStarts[i];
        EXPECT_LT(std::fabs(d.x), 0.02f) << bones[i];
        EXPECT_LT(std::fabs(d.y), 0.07f) << bones[i];
        EXPECT_LT(std::fabs(d.z), 0.02f) << bones[i];
    }
    // The soles are at the origin: the feet's lowest vertices touch z = 0.
    float lowest = 1e9f;
    for (const Vertex& v : m.mesh.verts) lowest = std::min(lowest, ToCharacter(v.p).z);
    EXPECT_NEAR(lowest, 0.0f, 0.02f);
    EXPECT_NEAR(at("Bip01_L_Foot").z, 0.25f, 1e-4f);
}

TEST(Character, SkinWeightsAreSoundAndFitThePalette)
{
    const SkinnedModel& m = Model();
    EXPECT_LE(m.bones.size(), 35u);
    EXPECT_LE(m.maxWeightsPerVertex, 4);
    std::vector<float> sum(m.mesh.verts.size(), 0.0f);
    std::vector<int> influences(m.mesh.verts.size(), 0);
    for (const SkinBone& b : m.bones) {
        EXPECT_GE(FrameIndex(m, b.name), 0) << b.name;
        ASSERT_EQ(b.vertices.size(), b.weights.size());
        EXPECT_FALSE(b.vertices.empty());
        for (size_t k = 0; k < b.vertices.size(); ++k) {
            sum[b.vertices[k]] += b.weights[k];
            ++influences[b.vertices[k]];
            EXPECT_GT(b.weights[k], 0.0f);
        }
    }
    for (size_t v = 0; v < sum.size(); ++v) {
        ASSERT_NEAR(sum[v], 1.0f, 1e-5f) << v;
        ASSERT_LE(influences[v], m.maxWeightsPerVertex);
    }
    // With the bind pose every skinned vertex stays where it is.
    std::vector<Mat4> locals;
    for (const FrameNode& f : m.frames) locals.push_back(f.local);
    const auto pos = SkinPositions(m, Combine(m, locals));
    for (size_t v = 0; v < pos.size(); ++v) ASSERT_LT(Length(pos[v] - m.mesh.verts[v].p), 1e-3f);
}

TEST(Character, AnimationSetsDriveEveryFrame)
{
    const SkinnedModel& m = Model();
    ASSERT_GE(m.sets.size(), 12u);
    for (size_t s = 0; s < m.sets.size(); ++s) {
        SCOPED_TRACE(m.sets[s].name);
        const AnimSet& set = m.sets[s];
        ASSERT_EQ(set.tracks.size(), m.frames.size());
        std::set<std::string> driven;
        const int period = set.tracks[0].keys.back().time;
        EXPECT_GT(period, 0);
        for (const AnimTrack& t : set.tracks) {
            driven.insert(t.frame);
            ASSERT_GE(t.keys.size(), 2u);
            EXPECT_EQ(t.keys.front().time, 0);
            EXPECT_EQ(t.keys.back().time, period);
            for (size_t k = 1; k < t.keys.size(); ++k) EXPECT_LT(t.keys[k - 1].time, t.keys[k].time);
            // A loop: the last key repeats the first.
            EXPECT_NEAR(t.keys.back().rotation.w, t.keys.front().rotation.w, 1e-6f);
            EXPECT_NEAR(Length(t.keys.back().translation - t.keys.front().translation), 0.0f, 1e-5f);
        }
        EXPECT_EQ(driven.size(), m.frames.size());
    }
    EXPECT_EQ(m.sets[kWalkSet].tracks[0].keys.back().time, kWalkPeriod);
    EXPECT_EQ(m.sets[kIdleSet].tracks[0].keys.back().time, kIdlePeriod);
}

TEST(Character, NoRagdollBoneIsEverVertical)
{
    const SkinnedModel& m = Model();
    for (int set : {kWalkSet, kIdleSet})
        for (int k = 0; k < 64; ++k) {
            const float period = static_cast<float>(m.sets[set].tracks[0].keys.back().time);
            const auto combined = Combine(m, SampleLocals(m, set, period * k / 64));
            for (const std::string& name : RagdollBoneNames()) {
                const int f = FrameIndex(m, name);
                const Vec3 u = Normalize(ToCharacter(combined[m.frames[f].children[0]].GetTranslation()) -
                                         ToCharacter(combined[f].GetTranslation()));
                EXPECT_GT(Length(Cross(u, {0, 0, 1})), 5e-3f) << name << " set " << set << " key " << k;
            }
        }
}

TEST(Character, WalkSwingsTheLegsAndStaysInPlace)
{
    const SkinnedModel& m = Model();
    auto foot = [&](const char* name, float t) {
        const auto c = Combine(m, SampleLocals(m, kWalkSet, t));
        return ToCharacter(c[FrameIndex(m, name)].GetTranslation());
    };
    // A quarter cycle in, the left foot is ahead and the right behind; half a cycle on,
    // the other way round.
    EXPECT_GT(foot("Bip01_L_Foot", 1250).x, 0.5f);
    EXPECT_LT(foot("Bip01_R_Foot", 1250).x, -0.5f);
    EXPECT_LT(foot("Bip01_L_Foot", 3750).x, -0.5f);
    EXPECT_GT(foot("Bip01_R_Foot", 3750).x, 0.5f);
    // No drift: the root and pelvis come back to where they started.
    EXPECT_LT(Length(foot("Bip01_Pelvis", 0) - foot("Bip01_Pelvis", 5000)), 1e-4f);
    // One foot is always on the ground while walking.
    for (int t = 0; t <= 5000; t += 125)
        EXPECT_LT(std::min(foot("Bip01_L_Foot", t).z, foot("Bip01_R_Foot", t).z), 0.3f) << t;
    // Standing: idle keeps the hands below the shoulders, on their own side.
    const auto idle = Combine(m, SampleLocals(m, kIdleSet, 0));
    EXPECT_LT(ToCharacter(idle[FrameIndex(m, "Bip01_L_Hand")].GetTranslation()).z, 4.0f);
    EXPECT_GT(ToCharacter(idle[FrameIndex(m, "Bip01_L_Hand")].GetTranslation()).y, 0.6f); // left is +y
}

TEST(Character, FileHoldsHierarchySkinAndConjugatedKeys)
{
    const SkinnedModel& m = Model();
    const TextDocument doc = ParseXText(SkinnedModelText(m));
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.roots.size(), 2u + m.sets.size()); // root frame, ticks, sets
    const TextNode& root = *doc.roots[0];
    EXPECT_EQ(root.type, "Frame");
    EXPECT_EQ(root.name, "Bip01");
    EXPECT_EQ(doc.roots[1]->type, "AnimTicksPerSecond");
    EXPECT_EQ(doc.roots[1]->data.at(0), "5000");
    // Count frames and find the skinned mesh.
    size_t frames = 0;
    const TextNode* mesh = nullptr;
    std::vector<const TextNode*> stack = {&root};
    while (!stack.empty()) {
        const TextNode* n = stack.back();
        stack.pop_back();
        if (n->type == "Frame") ++frames;
        if (n->type == "Mesh") mesh = n;
        for (const auto& c : n->children) stack.push_back(c.get());
    }
    EXPECT_EQ(frames, m.frames.size());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->Count("SkinWeights"), m.bones.size());
    const TextNode* header = mesh->Child("XSkinMeshHeader");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(static_cast<size_t>(header->Number(2)), m.bones.size());
    // Sets Anim00..Anim11 in file order, each animating every frame with three key kinds.
    for (size_t s = 0; s < m.sets.size(); ++s) {
        const TextNode& set = *doc.roots[2 + s];
        EXPECT_EQ(set.type, "AnimationSet");
        EXPECT_EQ(set.name, m.sets[s].name);
        ASSERT_EQ(set.Count("Animation"), m.frames.size());
        const TextNode* anim = set.Child("Animation", 7);
        ASSERT_EQ(anim->references.size(), 1u);
        EXPECT_EQ(anim->references[0], m.sets[s].tracks[7].frame);
        ASSERT_EQ(anim->Count("AnimationKey"), 3u);
        const TextNode* rot = anim->Child("AnimationKey", 0);
        EXPECT_EQ(rot->data.at(0), "0");
        // Key 0: time, 4, then w, x, y, z of the conjugate of the intended rotation.
        const Quat& q = m.sets[s].tracks[7].keys[0].rotation;
        EXPECT_EQ(rot->data.at(3), "4");
        EXPECT_NEAR(rot->Number(4), q.w, 1e-6);
        EXPECT_NEAR(rot->Number(5), -q.x, 1e-6);
        EXPECT_NEAR(rot->Number(7), -q.z, 1e-6);
        EXPECT_EQ(anim->Child("AnimationKey", 1)->data.at(0), "1");
        EXPECT_EQ(anim->Child("AnimationKey", 2)->data.at(0), "2");
    }
}
