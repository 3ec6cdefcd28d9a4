// Particles die by the hundred in a frame, and leave the physics world
// together: the world's batched removal must leave exactly what one removal
// after another leaves, and a frame's deaths must keep the survivors' bodies
// in the order they were born, so the simulation does not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/BodyCollisionData.h"
#include "physics/PhysicsWorld.h"
#include "tests/particles/ParticleTestSupport.h"

namespace {

// A body that takes part in collisions, so frozen bodies' touch lists may
// name it.
class SolidBody : public RigidBody
{
public:
    SolidBody() : data(this) {}
    BodyCollisionData* GetCollisionData() override { return &data; }

private:
    BodyCollisionData data;
};

struct Scene
{
    // Bodies 0-5: plain; 6, 7: solid. Body 2 is in the world twice.
    RigidBody plain[6];
    SolidBody solid[2];
    PhysicsWorld world;

    RigidBody* Body(int i) { return i < 6 ? &plain[i] : static_cast<RigidBody*>(&solid[i - 6]); }
    void Build()
    {
        for (int i : {0, 1, 2, 3, 6, 4, 2, 5, 7}) world.AddBody(Body(i));
        // Every body has touched both solid ones.
        for (int i = 0; i < 8; ++i) Body(i)->touchedFrozen = {Body(6), Body(7)};
    }
    std::vector<int> Indices()
    {
        std::vector<int> out;
        for (RigidBody* body : world.GetBodies()) {
            for (int i = 0; i < 8; ++i) {
                if (Body(i) == body) out.push_back(i);
            }
        }
        return out;
    }
};

TEST(ParticleRemoval, TheWorldsBatchLeavesWhatOneRemovalAfterAnotherLeaves)
{
    // -1: a body the world never held; -2: null.
    const std::vector<std::vector<int>> batches = {{},
                                                   {0},
                                                   {5, 0, 3},
                                                   {2},
                                                   {2, 2},
                                                   {2, 2, 2},
                                                   {-1, -2, 4},
                                                   {6},
                                                   {7, 1, 6},
                                                   {1, 1},
                                                   {0, 1, 2, 3, 4, 5, 6, 7},
                                                   {7, 6, 5, 4, 3, 2, 2, 1, 0}};
    for (const std::vector<int>& batch : batches) {
        SCOPED_TRACE(::testing::PrintToString(batch));
        Scene one, all;
        one.Build();
        all.Build();
        RigidBody stranger;
        const auto pick = [&stranger](Scene& s, int i) -> RigidBody* {
            return i == -1 ? &stranger : i == -2 ? nullptr : s.Body(i);
        };
        std::vector<RigidBody*> gone;
        for (int i : batch) {
            one.world.RemoveBody(pick(one, i));
            gone.push_back(pick(all, i));
        }
        all.world.RemoveBodies(gone);
        EXPECT_EQ(all.Indices(), one.Indices());
        // The touch lists of the bodies that stay, by position (the scenes
        // hold different bodies); the removed ones' go with them.
        const auto shape = [](Scene& s) {
            std::vector<std::vector<int>> out;
            for (int i : s.Indices()) {
                out.emplace_back();
                for (RigidBody* body : s.Body(i)->touchedFrozen) out.back().push_back(body == s.Body(6) ? 6 : 7);
            }
            return out;
        };
        EXPECT_EQ(shape(all), shape(one));
    }
}

using ParticleRemovalTest = ParticleTest;

// Two kinds of child from one source, one living three times as long as the
// other: every frame some die from the middle of the body list.
TEST_F(ParticleRemovalTest, AFramesDeathsKeepTheSurvivorsInTheOrderTheyWereBorn)
{
    Define(R"(<system><name>Short</name><PHYSICS gravity="0"/><STATUS lifetime="0.1"/>
                <APPEARANCE><COLOUR0 life="0" a="1"/><COLOUR1 life="1"/></APPEARANCE></system>
              <system><name>Long</name><STATUS lifetime="0.3"/>
                <APPEARANCE blendmode="1"><COLOUR0 life="0" a="1"/><COLOUR1 life="1"/></APPEARANCE></system>
              <system><name>Source</name><PHYSICS gravity="0"/><STATUS lifetime="1"/>
                <EMISSION0 numemitted="3" delay="0.03" type="Short"/>
                <EMISSION1 numemitted="2" delay="0.05" type="Long"/></system>)");
    RigidBody bystander;
    gPhysicsWorld->AddBody(&bystander);
    fParticle* first = Spawn("Source");
    ASSERT_NE(first, nullptr);
    fParticle* second = nullptr;
    int frames = 0;
    size_t mostBodies = 0;
    while (frames < 200 && (frames < 30 || !gPartManager->GetSystems().empty())) {
        if (frames == 20) second = Spawn("Source", Vector3(5, 0, 0));
        RunFrame(1.0f / 60.0f);
        ++frames;
        // The bystander first; each source before its live children, and those
        // in the order of its children list, which is their birth order.
        const std::vector<RigidBody*>& bodies = gPhysicsWorld->GetBodies();
        mostBodies = std::max(mostBodies, bodies.size());
        ASSERT_EQ(static_cast<int>(bodies.size()), 1 + LiveParticles());
        EXPECT_EQ(bodies[0], &bystander);
        for (const fParticle* source : gPartManager->GetSystems()) {
            std::vector<const RigidBody*> family = {source};
            family.insert(family.end(), source->GetChildren().begin(), source->GetChildren().end());
            std::vector<const RigidBody*> seen;
            for (const RigidBody* body : bodies) {
                if (std::find(family.begin(), family.end(), body) != family.end()) seen.push_back(body);
            }
            EXPECT_EQ(seen, family) << "frame " << frames;
        }
        EXPECT_EQ(hooks.CountUnmarked(1) + hooks.CountUnmarked(3),
                  LiveParticles() - static_cast<int>(gPartManager->GetSystems().size()));
    }
    EXPECT_NE(second, nullptr);
    EXPECT_LT(frames, 200);
    EXPECT_GT(mostBodies, 20u);
    EXPECT_EQ(BodyCount(), 1);

    // A stage clear in the middle of an effect takes whole trees at once.
    Spawn("Source");
    for (int i = 0; i < 10; ++i) RunFrame(1.0f / 60.0f);
    ASSERT_GT(BodyCount(), 10);
    gPartManager->DestroyAll();
    EXPECT_EQ(BodyCount(), 1);
    EXPECT_EQ(hooks.CountUnmarked(1) + hooks.CountUnmarked(3), 0);
    gPhysicsWorld->RemoveBody(&bystander);
}

} // namespace
