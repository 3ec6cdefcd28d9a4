// What the particle manager and behaviours read above particles: the stage
// number (the lava of stage 3) and the player's state (effects that follow the
// character while it walks). The game installs its side in
// game/GameHooks.cpp; without it there is no stage (-1) and no player.
#pragma once

#include "core/HookSlot.h"

// The Player's flags as the behaviours read them.
struct PlayerMotion
{
    bool upright = true;
    bool idleAnimation = true;
    bool touching = false; // touches a world object
    bool onGround = false; // Player::CheckGround
};

class ParticleHooks
{
public:
    virtual ~ParticleHooks() = default;

    // LevelLoader::GetStage: the current stage, -1 before the first load.
    virtual int GetStage() const { return -1; }
    // False without a Player.
    virtual bool GetPlayerMotion(PlayerMotion& motion) const { return false; }
};

using ParticleHookSlot = HookSlot<ParticleHooks>;
