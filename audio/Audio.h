// The sound system and the jukebox. Placeholder until the audio is written.
#pragma once

#include <vector>

#include "core/EventObj.h"

// Anything the sound system updates once a frame and owns once registered.
class AudioUpdatable {
public:
    virtual ~AudioUpdatable() = default;
    virtual void Update() {}
};

class cJukeBox : public fEventObj, public AudioUpdatable {
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}
    void Stop();
};

class AudioSystem {
public:
    ~AudioSystem();
    bool Init();
    void LoadAllSounds();
    // The system owns registered controllers and deletes them when released.
    void RegisterController(AudioUpdatable* controller);
    void Update();
    void Release();

private:
    std::vector<AudioUpdatable*> controllers;
    // The listener is the camera's, found through audio/ListenerHooks.h.
};

extern AudioSystem* gAudioSystem;
extern cJukeBox* gJukeBox;
