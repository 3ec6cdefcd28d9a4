// What the particle systems need from the layers above them: the player's
// state for effects that follow the character, the camera for quads that turn
// about the view axis, and the renderer's lists for the quads. The game
// installs its side at start-up (InstallGameHooks, game/GameHooks.cpp); until
// then, and in headless tools and tests, the base class answers: no player, a
// camera looking along +y, and no renderer, in which case every particle
// keeps and frees its own quad. The stage (for the lava) is core/Stage.h's.
#pragma once

#include <string>

#include "core/HookSlot.h"
#include "core/Vector3.h"

struct MeshInstance;

// The player's flags that UpdateOnPlayerMove reads.
struct ParticlePlayerState
{
    bool upright = true;       // false while knocked out
    bool idleAnimation = true; // true while the idle animation plays
    bool touching = false;     // touched a world object this frame
};

class ParticleHooks
{
public:
    virtual ~ParticleHooks() = default;

    // Fills the player's flags; false when there is no player.
    virtual bool GetPlayerState(ParticlePlayerState& state) const;
    // Player::CheckGround: the character's walking body is on the terrain.
    // Asked only after GetPlayerState succeeded and touching was clear; must
    // answer false when the player has no walking body.
    virtual bool IsPlayerOnGround() const;
    // Camera::GetForward: the view direction, unit length.
    virtual Vector3 GetCameraForward() const;
    // Renderer::QueueInstance. True when the renderer took the instance: it
    // then frees it the frame after it is marked for removal. False leaves
    // the instance with the particle, which deletes it itself.
    virtual bool QueueInstance(MeshInstance* instance);
    // The technique name a quad keeps. The renderer compares names by address,
    // so its interner hands one pointer per name; the default keeps the
    // definition's own string, which outlives every particle.
    virtual const char* InternTechnique(const std::string& name);
};

using ParticleHookSlot = HookSlot<ParticleHooks>;
