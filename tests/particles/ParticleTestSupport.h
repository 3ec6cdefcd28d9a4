// A headless stage for the particle tests: a physics world, the dispatcher,
// a factory and a manager, and hooks that stand in for the renderer's lists
// 1 and 3 (freeing marked quads a frame later, as the renderer does) and the
// player. Every test ends with no stage loaded.
#pragma once

#include <list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "particles/ParticleHooks.h"

class fParticle;
struct MeshInstance;

class TestParticleHooks : public ParticleHooks
{
public:
    ~TestParticleHooks() override;

    bool GetPlayerState(ParticlePlayerState& state) const override;
    bool IsPlayerOnGround() const override { return playerOnGround; }
    bool QueueInstance(MeshInstance* instance) override;

    // The renderer's next-frame pass: marked quads are freed.
    void Prune();
    // Quads not marked for removal in list 1 (blended) or 3 (additive).
    int CountUnmarked(int list) const;

    bool hasPlayer = false;
    ParticlePlayerState player;
    bool playerOnGround = false;
    std::list<MeshInstance*> lists[4];
};

class ParticleTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Parses <DEFINITIONS> + body + </DEFINITIONS> into the factory.
    void Define(const std::string& systems);
    // Reads the game's own definition files from the run tree.
    void LoadShippedDefinitions();
    // A new root of the type (null when none was made), owned by the manager.
    fParticle* Spawn(const std::string& type, const Vector3& position = Vector3(), float scale = 1.0f,
                     const Vector3& velocity = Vector3());
    // One frame: particles, then physics, then the renderer's prune.
    void RunFrame(float dt);
    int BodyCount() const;
    // Every live particle under the manager, roots included.
    int LiveParticles() const;

    TestParticleHooks hooks;
};
