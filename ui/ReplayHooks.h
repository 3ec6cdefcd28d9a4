// What the replay reads above ui: the Player's upright flag and the player's
// character, which it makes limp or animated as the recording passes the
// knock-out. The menus need no hook: they ask the level loader for a stage by
// posting message 55. The game installs its side in game/GameHooks.cpp;
// without it the player counts as upright and there is no character.
#pragma once

#include "core/HookSlot.h"

class Ragdoll;

class ReplayHooks
{
public:
    virtual ~ReplayHooks() = default;

    virtual bool IsPlayerUpright() const { return true; }
    virtual Ragdoll* GetPlayerRagdoll() const { return nullptr; }
};

using ReplayHookSlot = HookSlot<ReplayHooks>;
