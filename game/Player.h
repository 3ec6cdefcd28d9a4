// The player's controller. Placeholder until the player is written.
#pragma once

#include "core/EventObj.h"

class Player : public fEventObj
{
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}
    void Update();
};

extern Player* gPlayer;
