// The manager of live particle effects: it owns the root particles, creates
// them on request (message 0 creates one in place, message 1 attaches one to
// a parent), updates them once per frame, deletes finished ones, spawns the
// lava of stage 3 on a timer, and deletes everything when the stage is
// cleared. One instance, created and deleted by the start-up.
#pragma once

#include <vector>

#include "core/EventObj.h"

class fParticle;
struct fMessage;

class fPartManager : public fEventObj
{
public:
    // Subscribes to messages 0 and 1.
    fPartManager();
    ~fPartManager() override;
    fPartManager(const fPartManager&) = delete;
    fPartManager& operator=(const fPartManager&) = delete;

    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;

    // Takes ownership; null does nothing.
    void AddSystem(fParticle* particle);
    // Both take the step time in seconds by address; 0 while time is held.
    void Update(const float* dt);
    void SpawnLavaSystems(const float* dt);
    void DestroyAll();

    const std::vector<fParticle*>& GetSystems() const { return systems; }
    float GetLavaTimer() const { return lava_timer; }

private:
    unsigned int limit;
    int conservation; // refuse systems beyond the limit; off in this game
    std::vector<fParticle*> systems;
    float lava_timer; // seconds
};

extern fPartManager* gPartManager;

// Hands a message (kMsgCreateSystem or kMsgAttachSystem) to the particle
// manager at once; the dispatcher owns it and frees it, also when there is no
// manager.
void SendToParticles(int id, fMessage* message);
