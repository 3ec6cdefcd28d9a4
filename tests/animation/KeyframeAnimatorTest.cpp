// The keyframe animator through written model files: timing and wrap, the
// stored-inverse rotation convention with scale and translation, the limits a
// broken file can reach, switching, and the generated character posed as the
// data generator's own sampler poses it.
#include "AnimationTestSupport.h"

#include "Pose.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"

#include <cmath>
#include <functional>

namespace {

const float kHalfPi = 1.57079632679f;

// One track on "Bone": identity at 0 turning to a quarter turn about z at the
// period, sliding 10 along x, unit scale.
xtest::Animation QuarterTurn(DWORD period)
{
    xtest::Animation a;
    a.frame = "Bone";
    a.rotations = {RotationKey(0, AxisRotation(0, 0, 1, 0)), RotationKey(period, AxisRotation(0, 0, 1, kHalfPi))};
    a.translations = {VectorKey(0, 0, 0, 0), VectorKey(period, 10, 0, 0)};
    a.scales = {VectorKey(0, 1, 1, 1), VectorKey(period, 1, 1, 1)};
    return a;
}

// The pose QuarterTurn gives at fraction t of the period.
D3DXMATRIX QuarterTurnAt(float t)
{
    D3DXMATRIX r, tr;
    D3DXMatrixRotationZ(&r, kHalfPi * t);
    D3DXMatrixTranslation(&tr, 10 * t, 0, 0);
    return r * tr;
}

// Loads the scene from a scratch tree and poses it at identity world.
struct BoneFixture
{
    ScratchRunTree tree;
    LoadedModel model;
    Model instance;

    explicit BoneFixture(const xtest::Scene& scene)
    {
        tree.WriteMesh("bone.x", xtest::Write(scene));
        EXPECT_EQ(model.Load("bone.x"), S_OK);
        EXPECT_EQ(instance.Setup(&model.anim, 0.0), S_OK);
    }
    // Advances through the model, so the frames are reset, sampled and combined.
    const D3DXMATRIX& Step(float dt)
    {
        instance.AdvanceTime(dt);
        return model.anim.FindFrame("Bone")->TransformationMatrix;
    }
    float Position() const
    {
        const AnimatorPlace place = CurrentAnimation();
        EXPECT_EQ(place.first, 0u);
        return place.second;
    }
};

} // namespace

TEST(KeyframeAnimator, AdvanceWrapsByThePeriodAndSamplesThePosition)
{
    struct Case
    {
        DWORD period;
        float start, dt, expected;
    } cases[] = {
        {4800, 0, 1.0f, 200},                            // 5000 ticks a second whatever the file says
        {5000, 0, 1.0f, 5000},                           // exactly on the period it stays there
        {5000, 0, 2.0f, 5000},                           // and past a whole multiple too: only a longer run wraps
        {5000, 1234, 0.0f, 1234},                        // dt 0 changes nothing
        {5000, 4000, 0.5f, 1500}, {4800, 0, 1e4f, 3200}, // a huge step wraps at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "period " << c.period << " start " << c.start << " dt " << c.dt);
        BoneFixture f(BoneScene({QuarterTurn(c.period)}));
        gKeyframeAnimator->SetCurrent(0, c.start);
        const D3DXMATRIX& pose = f.Step(c.dt);
        EXPECT_FLOAT_EQ(f.Position(), c.expected);
        EXPECT_LT(MatrixDistance(pose, QuarterTurnAt(c.expected / c.period)), 1e-5f);
        // The child is combined under the sampled parent.
        const D3DXMATRIX& tip = f.model.anim.FindFrame("Tip")->TransformationMatrix;
        D3DXMATRIX local;
        D3DXMatrixTranslation(&local, 0, 5, 0);
        EXPECT_LT(MatrixDistance(tip, local * QuarterTurnAt(c.expected / c.period)), 1e-5f);
    }
}

TEST(KeyframeAnimator, StoredInverseRotationsGiveScaleRotationTranslationEndToEnd)
{
    // The intended local transform at the second key: scale (2, 3, 4), then
    // 120 degrees about (1, 2, 3), then a move to (5, -6, 7).
    const D3DXQUATERNION turn = AxisRotation(1, 2, 3, 2.0943951f);
    xtest::Animation a;
    a.frame = "Bone";
    a.rotations = {RotationKey(0, AxisRotation(1, 0, 0, 0)), RotationKey(1000, turn)};
    a.scales = {VectorKey(0, 1, 1, 1), VectorKey(1000, 2, 3, 4)};
    a.translations = {VectorKey(0, 0, 0, 0), VectorKey(1000, 5, -6, 7)};
    BoneFixture f(BoneScene({a}));

    const D3DXMATRIX& end = f.Step(0.2f); // 1000 ticks: the second key exactly
    D3DXMATRIX s, r, t;
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixRotationQuaternion(&r, &turn);
    D3DXMatrixTranslation(&t, 5, -6, 7);
    // Row vectors: a point is scaled first, then turned, then moved.
    EXPECT_LT(MatrixDistance(end, s * r * t), 1e-5f);

    // Half way: half the turn about the same axis, half the move and scale.
    gKeyframeAnimator->SetCurrent(0, 500);
    const D3DXMATRIX& half = f.Step(0);
    const D3DXQUATERNION halfTurn = AxisRotation(1, 2, 3, 1.04719755f);
    D3DXMatrixScaling(&s, 1.5f, 2, 2.5f);
    D3DXMatrixRotationQuaternion(&r, &halfTurn);
    D3DXMatrixTranslation(&t, 2.5f, -3, 3.5f);
    EXPECT_LT(MatrixDistance(half, s * r * t), 1e-5f);
}

TEST(KeyframeAnimator, LimitsOfBrokenKeysAreHeldSafely)
{
    const D3DXQUATERNION none = AxisRotation(0, 0, 1, 0), quarter = AxisRotation(0, 0, 1, kHalfPi);
    D3DXMATRIX identity, quarterTurn;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixRotationZ(&quarterTurn, kHalfPi);
    xtest::Animation unitScale;
    unitScale.scales = {VectorKey(0, 1, 1, 1), VectorKey(1000, 1, 1, 1)};

    struct Case
    {
        const char* what;
        std::function<void(xtest::Animation&)> keys;
        float dt, position;
        D3DXMATRIX pose;
    } cases[] = {
        {"a zero period stays at 0",
         [&](xtest::Animation& a) {
             a.rotations = {RotationKey(0, quarter), RotationKey(0, none)};
             a.scales = {VectorKey(0, 1, 1, 1), VectorKey(0, 1, 1, 1)};
         },
         0.3f, 0, quarterTurn},
        {"a single key is held", [&](xtest::Animation& a) { a.rotations = {RotationKey(0, quarter)}; }, 0.1f, 500,
         quarterTurn},
        {"keys ending before the period hold the last",
         [&](xtest::Animation& a) {
             a.rotations = {RotationKey(0, none), RotationKey(500, quarter)};
         },
         0.16f, 800, quarterTurn},
        {"equal key times blend with t = 0",
         [&](xtest::Animation& a) {
             a.rotations = {RotationKey(0, quarter), RotationKey(0, none), RotationKey(1000, none)};
         },
         0.0f, 0, quarterTurn},
        {"no keys at all leave the identity", [&](xtest::Animation& a) { a.scales.clear(); }, 0.1f, 0, identity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xtest::Animation a = unitScale;
        a.frame = "Bone";
        c.keys(a);
        BoneFixture f(BoneScene({a}));
        const D3DXMATRIX& pose = f.Step(c.dt);
        EXPECT_FLOAT_EQ(f.Position(), c.position);
        EXPECT_TRUE(AllFinite(pose));
        EXPECT_LT(MatrixDistance(pose, c.pose), 1e-6f);
    }
}

TEST(KeyframeAnimator, TracksWithoutFramesSwitchesOutOfRangeAndEmptyAnimatorAreHarmless)
{
    // Track 0 names no frame and has no scale keys: it is skipped, and the
    // period falls back to the latest key of the entry.
    xtest::Animation ghost;
    ghost.frame = "Nowhere";
    ghost.rotations = {RotationKey(0, AxisRotation(0, 0, 1, 0)), RotationKey(800, AxisRotation(0, 0, 1, 1))};
    {
        BoneFixture f(BoneScene({ghost, QuarterTurn(800)}));
        const AnimationEntry* entry = gKeyframeAnimator->GetEntry(0);
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->tracks.size(), 2u);
        EXPECT_EQ(entry->tracks[0].frame, nullptr);
        EXPECT_EQ(entry->tracks[1].frame, f.model.anim.FindFrame("Bone"));
        EXPECT_FLOAT_EQ(entry->period, 800.0f);
        EXPECT_LT(MatrixDistance(f.Step(0.08f), QuarterTurnAt(0.5f)), 1e-5f);

        // One entry only: switching past it changes nothing, not even the position.
        gKeyframeAnimator->SwitchTo(11);
        gKeyframeAnimator->SetCurrent(4, 10.0f);
        EXPECT_FLOAT_EQ(f.Position(), 400.0f);
        EXPECT_EQ(gKeyframeAnimator->GetEntry(1), nullptr);
    }
    // The model is gone: the animator is empty, never absent, and every call is safe.
    EXPECT_EQ(gKeyframeAnimator->GetEntryCount(), 0u);
    EXPECT_EQ(gKeyframeAnimator->GetFrameRoot(), nullptr);
    gKeyframeAnimator->Advance(1.0f);
    gKeyframeAnimator->SwitchTo(11);
    gKeyframeAnimator->SetCurrent(0, 5.0f);
    EXPECT_EQ(CurrentAnimation(), AnimatorPlace(0, 0.0f));
}

TEST(KeyframeAnimator, SwitchingRestartsAndSetCurrentPutsAStateBack)
{
    CharacterTree files;
    LoadedModel model("male.x");
    ASSERT_EQ(model.hr, S_OK);
    ASSERT_EQ(gKeyframeAnimator->GetEntryCount(), 12u);
    EXPECT_EQ(CurrentAnimation().first, 11u) << "a load leaves the character idle";

    gKeyframeAnimator->SwitchTo(4);
    gKeyframeAnimator->Advance(0.25f);
    gKeyframeAnimator->SwitchTo(11);
    gKeyframeAnimator->Advance(0.1f);
    EXPECT_EQ(gKeyframeAnimator->GetEntry(4)->position, 0.0f) << "the entry left starts again next time";
    EXPECT_EQ(gKeyframeAnimator->GetEntry(11)->position, 500.0f);
    gKeyframeAnimator->SwitchTo(11); // switching to the entry playing restarts it
    EXPECT_EQ(CurrentAnimation(), AnimatorPlace(11, 0.0f));

    // The replay's restore: the left entry goes back to 0, the new one takes the position.
    gKeyframeAnimator->Advance(0.2f);
    gKeyframeAnimator->SetCurrent(4, 2500.0f);
    EXPECT_EQ(CurrentAnimation(), AnimatorPlace(4, 2500.0f));
    EXPECT_EQ(gKeyframeAnimator->GetEntry(11)->position, 0.0f);
}

TEST(KeyframeAnimator, PosesTheCharacterAsTheGeneratorsSamplerDoes)
{
    const gen::SkinnedModel& character = Character();
    CharacterTree files;
    LoadedCharacter loaded;
    ASSERT_TRUE(loaded.Ready());
    LoadedModel& model = loaded.model;
    Model& drawn = loaded.drawn;
    for (int set : {gen::kWalkSet, gen::kIdleSet}) {
        const float period = static_cast<float>(character.sets[set].tracks[0].keys.back().time);
        for (float fraction : {0.0f, 0.13f, 0.5f, 0.77f, 1.0f}) {
            SCOPED_TRACE(testing::Message() << "set " << set << " at " << fraction);
            const float ticks = period * fraction;
            gKeyframeAnimator->SetCurrent(set, ticks);
            drawn.AdvanceTime(0.0);
            const std::vector<gen::Mat4> expected = gen::Combine(character, gen::SampleLocals(character, set, ticks));
            for (size_t i = 0; i < character.frames.size(); ++i) {
                const D3DXFRAME* frame = model.anim.FindFrame(character.frames[i].name.c_str());
                ASSERT_NE(frame, nullptr) << character.frames[i].name;
                const D3DXMATRIX want(&expected[i].m[0][0]);
                // Model units, on a character about 70 tall. Keys a few degrees apart
                // are blended linearly without renormalising, as the library's slerp
                // does, where the generator renormalises: the hands differ by about
                // 0.01. A wrong convention misses by whole units.
                EXPECT_LT(MatrixDistance(frame->TransformationMatrix, want), 0.02f) << character.frames[i].name;
            }
        }
    }
}
