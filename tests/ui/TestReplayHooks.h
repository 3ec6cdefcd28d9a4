// The player's side of the replay for the tests: upright until a test knocks
// it out, and the character a test hands it (none until then). A test forgets
// the character before the stage it belongs to goes.
#pragma once

#include "ui/ReplayHooks.h"

class TestReplayHooks : public ReplayHooks
{
public:
    bool IsPlayerUpright() const override { return upright; }
    Ragdoll* GetPlayerRagdoll() const override { return ragdoll; }

    bool upright = true;
    Ragdoll* ragdoll = nullptr;
};
