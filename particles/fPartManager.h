// The manager of live particles; receives messages 0 and 1 by direct send.
// Placeholder until the particle systems are written.
#pragma once

#include "core/EventObj.h"

class fPartManager : public fEventObj {
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override;

    // Both take the step time in seconds by address.
    void Update(float* dt);
    void SpawnLavaSystems(float* dt);
};

extern fPartManager* gPartManager;
