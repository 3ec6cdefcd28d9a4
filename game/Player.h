// The player's controller. Placeholder until the player is written: it offers
// what the frame, the World's stage clear and the stage hooks call, each
// recording its call for the frame-order tests.
#pragma once

#include "core/EventObj.h"

class Ragdoll;

class Player : public fEventObj
{
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}
    void Update();

    // First step of every stage clear: the character is forgotten, the stage
    // score goes, the total stays.
    void ResetForNewLevel();
    // A hazard or a fall takes the character down.
    void KnockOut();
    // The World's factory hands over a new character, then stands it up.
    void SetBody(Ragdoll* ragdoll);
    void Recover();
    // True while the idle animation plays (the animated model keeps its facing).
    bool IsIdleAnimation() const { return idleAnimation; }

private:
    bool idleAnimation = true;
};

extern Player* gPlayer;
