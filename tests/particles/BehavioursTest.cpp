// The behaviour functions: the terrain bounce with its capped bias, the dust
// that follows the character's walking, the pull towards an emitter, and the
// guards of the spout behaviours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "particles/ParticleBehaviours.h"
#include "particles/ParticleEmitter.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "tests/particles/ParticleTestSupport.h"

namespace {

using BehavioursTest = ParticleTest;

struct BounceCase
{
    const char* what;
    float depth; // below the flat ground at 0
    Vector3 velocity;
    float dt;
    bool withGround;
    Vector3 expected;
};

TEST_F(BehavioursTest, GroundCollisionBouncesWithACappedBias)
{
    Heightmap ground; // flat at height 0, normal up
    const std::vector<BounceCase> cases = {
        // 0.1 deep: bias 0.1 / 0.05 = 2, impulse 1.5 * 2 + 2 = 5.
        {"the worked example", 0.1f, Vector3(0, 0, -2), 0.01f, true, Vector3(0, 0, 3)},
        {"a deep particle gets at most 30", 100.0f, Vector3(), 0.01f, true, Vector3(0, 0, 30)},
        {"moving away still bounces", 0.0001f, Vector3(1, 0, 2), 0.01f, true, Vector3(1, 0, -1 + 0.002f)},
        {"held time gives no bias", 5.0f, Vector3(0, 0, -2), 0.0f, true, Vector3(0, 0, 1)},
        {"above the ground nothing changes", -0.5f, Vector3(0, 0, -2), 0.01f, true, Vector3(0, 0, -2)},
        {"without a terrain nothing changes", 0.5f, Vector3(0, 0, -2), 0.01f, false, Vector3(0, 0, -2)},
    };
    for (const BounceCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.withGround) gPhysicsWorld->AddHeightmap(&ground);
        fParticle particle;
        particle.SetMass(1.0f);
        particle.elasticity = 0.5f;
        particle.SetPosition(Vector3(3, 4, -c.depth));
        particle.linearVelocity = c.velocity;
        GroundCollision(&particle, &c.dt);
        EXPECT_NEAR(particle.linearVelocity.x, c.expected.x, 1e-4f);
        EXPECT_NEAR(particle.linearVelocity.y, c.expected.y, 1e-4f);
        EXPECT_NEAR(particle.linearVelocity.z, c.expected.z, 1e-4f);
        EXPECT_EQ(particle.position, Vector3(3, 4, -c.depth));
        gPhysicsWorld->ClearHeightmaps();
    }
}

struct PlayerCase
{
    const char* what;
    bool hasPlayer;
    ParticlePlayerState state;
    bool onGround;
    bool startHidden;
    int finished;
    int hidden;
};

TEST_F(BehavioursTest, DustFollowsTheCharactersWalking)
{
    Define(R"(<system><name>Dust</name><STATUS lifetime="9"/></system>
              <system><name>Kickup</name><STATUS aging="0"/><BEHAVIOUR0 func="UpdateOnPlayerMove"/>
                <EMISSION0 numemitted="1" delay="0.1" type="Dust"/></system>)");
    //                                      upright idle  touching
    const ParticlePlayerState knockedOut = {false, false, true};
    const ParticlePlayerState standing = {true, true, false};
    const ParticlePlayerState walking = {true, false, false};
    const ParticlePlayerState pushing = {true, false, true};
    const std::vector<PlayerCase> cases = {
        {"no player: left alone", false, walking, false, true, 0, 1},
        {"knocked out: finished", true, knockedOut, true, false, 1, 0},
        {"standing: hidden", true, standing, true, false, 0, 1},
        {"walking on the terrain: shown", true, walking, true, true, 0, 0},
        {"walking against an object: shown", true, pushing, false, true, 0, 0},
        {"walking in the air: hidden", true, walking, false, false, 0, 1},
    };
    const float dt = 0.1f;
    for (const PlayerCase& c : cases) {
        SCOPED_TRACE(c.what);
        hooks.hasPlayer = false;
        fParticle* kickup = Spawn("Kickup");
        gPartManager->Update(&dt);
        ASSERT_EQ(kickup->GetChildren().size(), 1u);
        if (c.startHidden) kickup->Hide();
        hooks.hasPlayer = c.hasPlayer;
        hooks.player = c.state;
        hooks.playerOnGround = c.onGround;
        gPartManager->Update(&dt);
        EXPECT_EQ(kickup->finished, c.finished);
        EXPECT_EQ(kickup->hidden, c.hidden);
        EXPECT_EQ(kickup->GetChildren()[0]->hidden, c.hidden);
        gPartManager->DestroyAll();
    }

    // Knocked out, it emits no more and goes once its dust has settled. The
    // behaviour runs after the update's own emission, and a child found
    // finished is deleted at the next update.
    hooks.hasPlayer = false;
    Spawn("Kickup");
    gPartManager->Update(&dt);
    hooks.hasPlayer = true;
    hooks.player = knockedOut;
    const float settle = 10.0f;
    const std::vector<float> steps = {dt, settle, dt, dt, dt};
    const std::vector<int> live = {3, 3, 1, 0, 0};
    for (size_t i = 0; i < steps.size(); ++i) {
        gPartManager->Update(&steps[i]);
        EXPECT_EQ(LiveParticles(), live[i]) << i;
    }
    EXPECT_TRUE(gPartManager->GetSystems().empty());
    EXPECT_EQ(BodyCount(), 0);
}

TEST_F(BehavioursTest, OrbitParentPullsTowardsTheEmitterOnly)
{
    fParticle parent;
    parent.SetPosition(Vector3(0, 10, 0));
    fParticle child;
    child.SetMass(2.0f);
    child.linearVelocity = Vector3(1, 0, 0);
    const float dt = 0.1f;

    OrbitParent(&child, &dt);
    EXPECT_EQ(child.linearVelocity, Vector3(1, 0, 0));

    child.emitter_parent = &parent;
    OrbitParent(&child, &dt);
    // 125 units/s^2 per unit inverse mass, for 0.1 s, at half the inverse mass.
    EXPECT_NEAR(child.linearVelocity.y, 6.25f, 1e-5f);
    EXPECT_EQ(child.linearVelocity.x, 1.0f);
}

TEST_F(BehavioursTest, SpoutsAimOnlyAttachedParticlesWithAKnownParentVelocity)
{
    Define(R"(<system><name>Jet</name><STATUS aging="0"/>
                <EMISSION0 numemitted="1" type="Jet"><minvel x="1"/><maxvel x="2"/></EMISSION0>
                <EMISSION1 numemitted="1" type="Jet"><minvel y="3"/><maxvel y="4"/></EMISSION1></system>)");
    Matrix3 tilted;
    Matrix3::RotationY(tilted, 90.0f);
    Vector3 axis;
    tilted.GetRow2(axis);
    const Vector3 parentPosition;
    const Vector3 atRest;
    const Vector3 moving(0, 3, 4);
    const float dt = 0.1f;

    struct SpoutCase
    {
        const char* what;
        bool attach;
        const Vector3* velocity;
        BehaviourFn fn;
        float direction; // 0: emitters untouched
    };
    const std::vector<SpoutCase> cases = {
        {"unattached", false, &moving, SpoutDirParent, 0.0f},
        {"no parent velocity", true, nullptr, SpoutOppositeDirParent, 0.0f},
        {"parent at rest", true, &atRest, SpoutDirParent, 1.0f},
        {"along the parent", true, &moving, SpoutDirParent, 1.0f},
        {"against the parent", true, &moving, SpoutOppositeDirParent, -1.0f},
    };
    for (const SpoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        fParticle* jet = Spawn("Jet");
        if (c.attach) jet->AttachTo(Vector3(), &parentPosition, &tilted, c.velocity);
        srand(9);
        c.fn(jet, &dt);
        const int next = rand();
        srand(9);
        const std::vector<ParticleEmitter*>& emitters = jet->GetEmitters();
        if (c.direction == 0.0f) {
            // Untouched, and no number drawn.
            EXPECT_EQ(next, rand());
            EXPECT_EQ(emitters[0]->maxvel, Vector3(2, 0, 0));
            EXPECT_EQ(emitters[1]->minvel, Vector3(0, 3, 0));
            continue;
        }
        const float factor = 0.05f + 0.05f * (static_cast<float>(rand()) / 32767.0f);
        const Vector3 expected = axis * (c.direction * c.velocity->Length() * factor);
        for (const ParticleEmitter* emitter : emitters) {
            EXPECT_EQ(emitter->minvel, expected);
            EXPECT_EQ(emitter->maxvel, expected);
        }
    }
}

} // namespace
