// Particles built, updated and deleted headless: emission timing and random
// draws, the appearance animations, parent following, physics, the reports
// for unknown types and messages, clean-up, and the stage-3 lava timer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "particles/ParticleEmitter.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "tests/particles/ParticleTestSupport.h"

namespace {

using FactoryManagerTest = ParticleTest;

const char* const kLongLivedChild = R"(<system><name>Child</name><STATUS lifetime="100"/></system>)";

float Fraction()
{
    return static_cast<float>(rand()) / 32767.0f;
}

std::vector<float> Colour(const fParticle* p)
{
    const float* c = p->GetQuad()->colour;
    return {c[0], c[1], c[2], c[3]};
}

TEST_F(FactoryManagerTest, BurstsFollowTheirTimerAndEmitOnceFiresOnce)
{
    Define(std::string(kLongLivedChild) + R"(
      <system><name>Steady</name><STATUS aging="0"/>
        <EMISSION0 numemitted="3" delay="0.5" type="Child"/></system>
      <system><name>Once</name><STATUS lifetime="1"/>
        <EMISSION0 numemitted="2" delay="0.3" emit_once="1" type="Child"/></system>)");
    fParticle* steady = Spawn("Steady");
    fParticle* once = Spawn("Once");
    ASSERT_TRUE(steady && once);

    // Each burst restarts the timer from 0, so the 0.1 s past the delay is lost.
    const float dt = 0.2f;
    const std::vector<size_t> steadyChildren = {0, 0, 3, 3, 3, 6, 6, 6, 9};
    const std::vector<size_t> onceChildren = {0, 2, 2, 2, 2, 2, 2, 2, 2};
    for (size_t frame = 0; frame < steadyChildren.size(); ++frame) {
        gPartManager->Update(&dt);
        EXPECT_EQ(steady->GetChildren().size(), steadyChildren[frame]) << frame;
        EXPECT_EQ(once->GetChildren().size(), onceChildren[frame]) << frame;
    }
    // Children emitted in an update are updated in that same call.
    EXPECT_FLOAT_EQ(steady->GetChildren().back()->age, dt);
    EXPECT_TRUE(once->GetEmitters().empty());
    // Past its lifetime the emptied emitter's owner is finished but kept for its children.
    EXPECT_EQ(once->finished, 1);
    EXPECT_EQ(gPartManager->GetSystems().size(), 2u);
    EXPECT_EQ(LiveParticles(), 2 + 9 + 2);
    EXPECT_EQ(BodyCount(), LiveParticles());
}

TEST_F(FactoryManagerTest, ChildrenTakeVelocityAndScaleFromFourDrawsInOrder)
{
    Define(R"(<system><name>Kid</name><APPEARANCE technique="ParticleAlpha">
                <COLOUR0 life="0" a="1"/><COLOUR1 life="1"/></APPEARANCE><STATUS lifetime="9"/></system>
              <system><name>Root</name><STATUS aging="0"/>
                <EMISSION0 numemitted="2" delay="0.01" type="Kid" minscale="1" maxscale="3" align_to_motion="1">
                  <minvel x="-1" y="0" z="10"/><maxvel x="1" y="2" z="14"/></EMISSION0></system>)");
    fParticle* root = Spawn("Root", Vector3(5, 6, 7));
    srand(77);
    const float dt = 0.02f;
    gPartManager->Update(&dt);
    ASSERT_EQ(root->GetChildren().size(), 2u);

    srand(77);
    for (const fParticle* child : root->GetChildren()) {
        const float r1 = Fraction(), r2 = Fraction(), r3 = Fraction(), r4 = Fraction();
        EXPECT_EQ(child->linearVelocity.z, 10.0f + r1 * 4.0f);
        EXPECT_EQ(child->linearVelocity.y, 0.0f + r2 * 2.0f);
        EXPECT_EQ(child->linearVelocity.x, -1.0f + r3 * 2.0f);
        EXPECT_EQ(child->GetQuad()->world._11, 1.0f + r4 * 2.0f);
        EXPECT_EQ(child->emitter_parent, root);
        EXPECT_EQ(child->align, 1);
    }
    // Born where the parent stood, at its position of that update.
    EXPECT_EQ(root->GetChildren()[0]->position.x, 5.0f);
}

TEST_F(FactoryManagerTest, ColourKeysAreReachedExactlyAndBadKeysStayFinite)
{
    Define(R"(
      <system><name>Keys</name><STATUS lifetime="1"/><APPEARANCE>
        <COLOUR0 life="0" r="1" g="0" b="0" a="1"/><COLOUR1 life="0.5" r="0" g="1" b="0" a="0.5"/>
        <COLOUR2 life="1" r="0" g="0" b="1" a="0"/></APPEARANCE></system>
      <system><name>SameLife</name><STATUS lifetime="1"/><APPEARANCE>
        <COLOUR0 life="0" r="1"/><COLOUR1 life="0" g="1"/><COLOUR2 life="1" b="1"/></APPEARANCE></system>
      <system><name>Backwards</name><STATUS lifetime="1"/><APPEARANCE>
        <COLOUR0 life="0.8" r="1"/><COLOUR1 life="0.2" g="1"/></APPEARANCE></system>
      <system><name>NoLife</name><APPEARANCE scale_in="1" scale_in_life="0.5">
        <COLOUR0 life="0" r="1"/><COLOUR1 life="0.5" g="1"/></APPEARANCE></system>)");
    fParticle* keys = Spawn("Keys");
    fParticle* same = Spawn("SameLife");
    fParticle* back = Spawn("Backwards");
    EXPECT_EQ(Colour(keys), (std::vector<float>{1, 0, 0, 1}));

    const float quarter = 0.25f;
    const std::vector<std::vector<float>> expected = {
        {0.5f, 0.5f, 0, 0.75f}, {0, 1, 0, 0.5f}, {0, 0.5f, 0.5f, 0.25f}, {0, 0, 1, 0}};
    for (size_t frame = 0; frame < expected.size(); ++frame) {
        keys->Update(&quarter);
        EXPECT_EQ(Colour(keys), expected[frame]) << frame;
    }
    EXPECT_EQ(keys->colour_on, 0);

    // Keys at one life: the later one holds, then the next span runs normally.
    same->Update(&quarter);
    EXPECT_EQ(Colour(same), (std::vector<float>{0, 1, 0, 0}));
    same->Update(&quarter);
    EXPECT_EQ(Colour(same), (std::vector<float>{0, 0.5f, 0.5f, 0}));
    back->Update(&quarter);
    EXPECT_EQ(Colour(back), (std::vector<float>{0, 1, 0, 0}));

    // No lifetime: at its end at once, even when time is held.
    const float held = 0.0f;
    fParticle* noLife = Spawn("NoLife");
    noLife->Update(&held);
    EXPECT_EQ(noLife->life_fraction, 1.0f);
    EXPECT_EQ(noLife->finished, 1);
    EXPECT_EQ(Colour(noLife), (std::vector<float>{0, 1, 0, 0}));
    EXPECT_EQ(noLife->GetQuad()->world._11, 1.0f);
}

TEST_F(FactoryManagerTest, TexturesCycleAndWrapAndRandomPicksStayInTheirRange)
{
    Define(R"(
      <system><name>Cycle</name><STATUS aging="0"/>
        <APPEARANCE start_tex="10" end_tex="13" cycle_tex="1" tex_interval="0.1"/></system>
      <system><name>Reversed</name><STATUS aging="0"/>
        <APPEARANCE start_tex="13" end_tex="10" random_start_tex="1" cycle_tex="1" random_cycle="1"/></system>)");
    testing::internal::CaptureStderr();
    fParticle* cycle = Spawn("Cycle");
    const float dt = 0.1f;
    std::vector<int> seen = {cycle->GetQuad()->textureId};
    for (int i = 0; i < 5; ++i) {
        cycle->Update(&dt);
        seen.push_back(cycle->GetQuad()->textureId);
    }
    EXPECT_EQ(seen, (std::vector<int>{10, 11, 12, 13, 10, 11}));

    for (int i = 0; i < 200; ++i) {
        fParticle* reversed = Spawn("Reversed");
        reversed->Update(&dt);
        EXPECT_GE(reversed->GetQuad()->textureId, 10);
        EXPECT_LE(reversed->GetQuad()->textureId, 13);
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(FactoryManagerTest, ScaleInGrowsLinearlyFromNothing)
{
    Define(R"(<system><name>Grow</name><STATUS lifetime="1"/>
                <APPEARANCE scale_in="1" scale_in_life="0.5"/></system>)");
    fParticle* grow = Spawn("Grow", Vector3(), 2.0f);
    // Not drawn at full size before its first update.
    EXPECT_EQ(grow->GetQuad()->world._11, 0.0f);
    const float dt = 0.125f;
    const std::vector<float> scales = {0.5f, 1.0f, 1.5f, 2.0f, 2.0f};
    for (float scale : scales) {
        grow->Update(&dt);
        EXPECT_FLOAT_EQ(grow->GetQuad()->world._11, scale);
        EXPECT_FLOAT_EQ(grow->GetQuad()->world._33, scale);
    }
    EXPECT_EQ(grow->scale_in_on, 0);
}

TEST_F(FactoryManagerTest, AttachedParticlesSitAtTheRotatedOffsetWhateverPhysicsDid)
{
    Define(R"(<system><name>Flame</name><STATUS aging="0"/><PHYSICS gravity="1"/></system>)");
    Vector3 parentPosition(10, 20, 30);
    Matrix3 parentOrientation;
    Matrix3::RotationZ(parentOrientation, 90.0f);
    const Vector3 offset(1, 2, 3);
    const float scale = 1.0f;
    EventDispatcher::SendMessage(
        gPartManager, kMsgAttachSystem,
        new fAttachSystem("Flame", &offset, &parentPosition, &parentOrientation, nullptr, &scale));
    ASSERT_EQ(gPartManager->GetSystems().size(), 1u);
    fParticle* flame = gPartManager->GetSystems()[0];
    EXPECT_EQ(flame->position, parentPosition);
    EXPECT_EQ(flame->linearVelocity, Vector3());

    Vector3 rows[3];
    for (int i = 0; i < 3; ++i) parentOrientation.GetRow(rows[i], i);
    const float held = 0.0f;
    for (int frame = 0; frame < 10; ++frame) {
        parentPosition += Vector3(0.5f, 0, 0);
        const Vector3 expected = parentPosition + rows[0] * 1.0f + rows[1] * 2.0f + rows[2] * 3.0f;
        gPhysicsWorld->Update(0.05f);
        EXPECT_LT(flame->position.z, expected.z);
        gPartManager->Update(&held);
        EXPECT_EQ(flame->position, expected);
    }
}

// A body that falls under gravity and nothing else.
class FallingBody : public RigidBody
{
public:
    void ApplyForces(float) override { ApplyGravity(); }
};

TEST_F(FactoryManagerTest, ParticlesFallAsABareBodyDoesAndNeverFreezeByResting)
{
    Define(R"(<system><name>Falls</name><STATUS aging="0"/><PHYSICS mass="2"/></system>
              <system><name>Floats</name><STATUS aging="0"/><PHYSICS gravity="0"/></system>
              <system><name>Frozen</name><STATUS aging="0" resting="1"/>
                <EMISSION0 numemitted="1" delay="0.1" type="Floats"/></system>)");
    const Vector3 start(1, 2, 50);
    const Vector3 up(0.5f, 0, 4);
    fParticle* falls = Spawn("Falls", start, 1.0f, up);
    fParticle* drifts = Spawn("Floats", start, 1.0f, Vector3(0.1f, 0, 0));
    fParticle* frozen = Spawn("Frozen", start);
    FallingBody body;
    body.SetMass(2.0f);
    body.SetPosition(start);
    body.linearVelocity = up;
    gPhysicsWorld->AddBody(&body);

    for (int frame = 0; frame < 180; ++frame) RunFrame(1.0f / 60.0f);
    EXPECT_EQ(falls->position, body.position);
    EXPECT_EQ(falls->linearVelocity, body.linearVelocity);
    // Slower than the rest threshold for three seconds, yet still drifting.
    EXPECT_FALSE(drifts->IsFrozen());
    EXPECT_EQ(drifts->linearVelocity, Vector3(0.1f, 0, 0));
    EXPECT_NEAR(drifts->position.x, 1.3f, 0.01f);
    // A resting particle starts frozen and skips its own update: it neither
    // moves nor emits.
    EXPECT_TRUE(frozen->IsFrozen());
    EXPECT_EQ(frozen->position, start);
    EXPECT_TRUE(frozen->GetChildren().empty());
    gPhysicsWorld->RemoveBody(&body);
}

TEST_F(FactoryManagerTest, UnknownTypesAndMessagesCreateAndTouchNothing)
{
    Define(R"(<system><name>Spreads</name><STATUS aging="0"/>
                <EMISSION0 numemitted="50" delay="0.01" type="Nowhere"/></system>)");
    fParticle* spreads = Spawn("Spreads");
    const int bodies = BodyCount();

    testing::internal::CaptureStderr();
    EXPECT_EQ(Spawn("Nowhere"), nullptr);
    const Vector3 offset;
    const float scale = 1.0f;
    EventDispatcher::SendMessage(gPartManager, kMsgAttachSystem,
                                 new fAttachSystem("Nowhere", &offset, nullptr, nullptr, nullptr, &scale));
    const float dt = 0.02f;
    gPartManager->Update(&dt);
    const std::string unknownType =
        "Attempted to create unknown particle system type\nNowhere\nFailed in file: fPartFactory\nOn line: 263\n";
    // Asked for three times (created, attached, an emitter's burst): reported
    // the first time only, as every later burst would ask again.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), unknownType);
    EXPECT_EQ(gPartManager->GetSystems().size(), 1u);
    EXPECT_TRUE(spreads->GetChildren().empty());
    EXPECT_EQ(BodyCount(), bodies);
    EXPECT_EQ(hooks.lists[1].size() + hooks.lists[3].size(), 0u);

    // A message of the wrong kind for its id is ignored; an id the manager
    // does not handle is reported.
    testing::internal::CaptureStderr();
    EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                 new fAttachSystem("Spreads", &offset, nullptr, nullptr, nullptr, &scale));
    EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem, nullptr);
    EventDispatcher::SendMessage(gPartManager, kMsgPlaySound, new fPlaySound("boom"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unknown message sent to particle manager\nFailed in file: fPartManager\nOn line: 160\n");
    EXPECT_EQ(gPartManager->GetSystems().size(), 1u);
}

TEST_F(FactoryManagerTest, HiddenSubtreesStopEmittingUntilShown)
{
    Define(std::string(kLongLivedChild) + R"(
      <system><name>Fountain</name><STATUS aging="0"/>
        <EMISSION0 numemitted="1" delay="0.1" type="Middle"/></system>
      <system><name>Middle</name><STATUS aging="0"/>
        <EMISSION0 numemitted="1" delay="0.1" type="Child"/></system>)");
    fParticle* fountain = Spawn("Fountain");
    const float dt = 0.1f;
    gPartManager->Update(&dt);
    gPartManager->Update(&dt);
    // Two middles, each born emitting, the first emitting again.
    const int before = LiveParticles();
    EXPECT_EQ(before, 1 + 2 + 3);

    fountain->Hide();
    EXPECT_EQ(fountain->GetChildren()[0]->hidden, 1);
    for (int i = 0; i < 5; ++i) gPartManager->Update(&dt);
    EXPECT_EQ(LiveParticles(), before);
    fountain->Show();
    gPartManager->Update(&dt);
    // Each middle emits again, and the fountain a middle that emits at once.
    EXPECT_EQ(LiveParticles(), before + 2 + 2);
}

TEST_F(FactoryManagerTest, QuadsTurnToTheirMotionOrSpinAboutTheViewAxis)
{
    Define(R"(<system><name>Spark</name><STATUS aging="0" rotating="1" angles_per_sec="90"/>
                <PHYSICS gravity="0"/><APPEARANCE/></system>)");
    const Vector3 viewAxis(0, -1, 0); // towards a viewer looking along +y
    const float dt = 0.5f;

    fParticle* spinning = Spawn("Spark");
    spinning->Update(&dt);
    Matrix3 expected;
    Matrix3::FromAxisAngle(expected, 45.0f, viewAxis);
    EXPECT_EQ(spinning->GetOrientation(), expected);

    // Moving fast along z, square to the quad's y axis: a quarter turn. The
    // cosine comes from the direction, so speed cannot push it out of range.
    const std::vector<Vector3> velocities = {Vector3(0, 0, 25), Vector3(), Vector3(0, 40, 0), Vector3(0, 3, 3)};
    const std::vector<float> degrees = {90.0f, 90.0f, 0.0f, 45.0f};
    for (size_t i = 0; i < velocities.size(); ++i) {
        fParticle* aligned = Spawn("Spark", Vector3(), 1.0f, velocities[i]);
        aligned->align = 1;
        aligned->Update(&dt);
        Matrix3::FromAxisAngle(expected, degrees[i], viewAxis);
        for (int k = 0; k < 9; ++k) EXPECT_NEAR(aligned->GetOrientation()[k], expected[k], 1e-5f) << i;
    }
}

// The game's heaviest effect: it peaks within its budget, then leaves the
// physics world and the render lists as they were.
TEST_F(FactoryManagerTest, AnExplosionLivesAndDiesLeavingNothingBehind)
{
    LoadShippedDefinitions();
    Define(R"(<system><name>Lamp</name><STATUS aging="0"/><PHYSICS gravity="0"/>
                <APPEARANCE blendmode="1"><COLOUR0 life="0" a="1"/><COLOUR1 life="1"/></APPEARANCE></system>
              <system><name>Haze</name><STATUS aging="0"/><PHYSICS gravity="0"/>
                <APPEARANCE><COLOUR0 life="0" a="1"/><COLOUR1 life="1"/></APPEARANCE></system>)");
    FallingBody bystander;
    gPhysicsWorld->AddBody(&bystander);
    Spawn("Lamp");
    Spawn("Haze");
    RunFrame(1.0f / 60.0f);
    const int bodies = BodyCount();
    const int blended = hooks.CountUnmarked(1);
    const int additive = hooks.CountUnmarked(3);
    EXPECT_EQ(bodies, 3);
    EXPECT_EQ(blended, 1);
    EXPECT_EQ(additive, 1);

    ASSERT_NE(Spawn("Explosion", Vector3(173, -181, 12)), nullptr);
    int peak = 0;
    int frames = 0;
    while (gPartManager->GetSystems().size() > 2 && frames < 600) {
        RunFrame(1.0f / 60.0f);
        peak = std::max(peak, hooks.CountUnmarked(1) + hooks.CountUnmarked(3) - blended - additive);
        ++frames;
    }
    EXPECT_LT(frames, 600);
    EXPECT_GT(peak, 100);
    EXPECT_LE(peak, 300);
    EXPECT_EQ(BodyCount(), bodies);
    EXPECT_EQ(hooks.CountUnmarked(1), blended);
    EXPECT_EQ(hooks.CountUnmarked(3), additive);
    hooks.Prune();
    EXPECT_EQ(hooks.lists[1].size() + hooks.lists[3].size(), 2u);

    gPartManager->DestroyAll();
    EXPECT_TRUE(gPartManager->GetSystems().empty());
    EXPECT_EQ(BodyCount(), 1);
    EXPECT_EQ(hooks.CountUnmarked(1) + hooks.CountUnmarked(3), 0);
    hooks.Prune();
    EXPECT_TRUE(hooks.lists[1].empty() && hooks.lists[3].empty());
    gPhysicsWorld->RemoveBody(&bystander);
}

TEST_F(FactoryManagerTest, StageThreeLavaFollowsItsTwoSecondTimer)
{
    Define(R"(<system><name>LavaFountain</name><STATUS aging="0"/></system>
              <system><name>LavaDolphin</name><STATUS aging="0"/></system>)");
    const float frame = 1.0f / 60.0f;
    const float held = 0.0f;
    struct StageCase
    {
        int stage;
        bool held;
        size_t systems;
    };
    const std::vector<StageCase> cases = {{3, false, 6}, {3, true, 0}, {1, false, 0}, {2, false, 0}, {4, false, 0}};
    for (const StageCase& c : cases) {
        SCOPED_TRACE(c.stage);
        gPartManager->DestroyAll();
        SetCurrentStage(c.stage);
        srand(5);
        for (int i = 0; i < 400; ++i) {
            gPartManager->SpawnLavaSystems(c.held ? &held : &frame);
            if (i == 118) {
                EXPECT_TRUE(gPartManager->GetSystems().empty());
            }
        }
        ASSERT_EQ(gPartManager->GetSystems().size(), c.systems);
        EXPECT_EQ(gPartManager->GetLavaTimer() > 6.0f, c.stage != 3);
    }

    srand(5);
    const std::vector<fParticle*>& lava = gPartManager->GetSystems();
    SetCurrentStage(kLavaStage);
    gPartManager->DestroyAll();
    for (int i = 0; i < 400; ++i) gPartManager->SpawnLavaSystems(&frame);
    srand(5);
    for (size_t i = 0; i < lava.size(); i += 2) {
        const float r1 = Fraction(), r2 = Fraction(), r3 = Fraction(), r4 = Fraction();
        EXPECT_EQ(lava[i]->position, Vector3(240.0f * r2 - 120.0f, 240.0f * r1 - 120.0f, 4.0f));
        EXPECT_EQ(lava[i + 1]->position, Vector3(240.0f * r4 - 120.0f, 240.0f * r3 - 120.0f, 4.0f));
    }
    gPartManager->DestroyAll();
    EXPECT_EQ(gPartManager->GetLavaTimer(), 0.0f);
    EXPECT_EQ(BodyCount(), 0);
}

} // namespace
