// Definitions that emit their own type, directly or through another, at once
// or in bursts: the family stops growing at the generation and live limits
// instead of recursing without end or filling memory.
#include <gtest/gtest.h>

#include "core/Vector3.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "tests/particles/ParticleTestSupport.h"

namespace {

using RunawayEmissionTest = ParticleTest;

// Generations below the particle, itself included.
int Depth(const fParticle* particle)
{
    int deepest = 0;
    for (const fParticle* child : particle->GetChildren()) deepest = std::max(deepest, Depth(child));
    return deepest + 1;
}

TEST_F(RunawayEmissionTest, SelfEmittingTypesStopAtTheGenerationAndLiveLimits)
{
    struct Case
    {
        const char* what;
        const char* definitions;
        float step; // 0 holds time, which still lets a zero delay fire
        int frames;
        int depth; // of the root's family, root included
        int live;
    };
    const Case cases[] = {
        {"itself at once, time held",
         R"(<system><name>Root</name><STATUS aging="0"/><EMISSION0 numemitted="1" delay="0" type="Root"/></system>)",
         0.0f, 1, kMaxParticleGenerations + 1, kMaxParticleGenerations + 1},
        {"itself through another",
         R"(<system><name>Root</name><STATUS aging="0"/><EMISSION0 numemitted="1" delay="0" type="B"/></system>
            <system><name>B</name><STATUS aging="0"/><EMISSION0 numemitted="1" delay="0" type="Root"/></system>)",
         0.02f, 1, kMaxParticleGenerations + 1, kMaxParticleGenerations + 1},
        {"bursts of 1000 of itself",
         R"(<system><name>Root</name><STATUS aging="0"/><EMISSION0 numemitted="1000" delay="0.01" type="Root"/></system>)",
         0.02f, 2, kMaxParticleGenerations + 1, kMaxLiveParticles},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Define(c.definitions);
        fParticle* root = Spawn("Root");
        ASSERT_NE(root, nullptr) << c.what;
        for (int frame = 0; frame < c.frames; ++frame) gPartManager->Update(&c.step);
        EXPECT_EQ(Depth(root), c.depth) << c.what;
        EXPECT_EQ(LiveParticles(), c.live) << c.what;
        EXPECT_EQ(fParticle::GetLiveCount(), LiveParticles()) << c.what;
    }
}

} // namespace
