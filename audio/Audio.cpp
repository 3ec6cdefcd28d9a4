#include "audio/Audio.h"

#include "core/SpineTrace.h"

AudioSystem* gAudioSystem = nullptr;
cJukeBox* gJukeBox = nullptr;

void cJukeBox::Stop() { SpineTrace::Record("cJukeBox::Stop"); }

AudioSystem::~AudioSystem() { Release(); }

bool AudioSystem::Init() {
    SpineTrace::Record("AudioSystem::Init");
    return true;
}

void AudioSystem::LoadAllSounds() { SpineTrace::Record("AudioSystem::LoadAllSounds"); }

void AudioSystem::RegisterController(AudioUpdatable* controller) {
    if (controller) controllers.push_back(controller);
}

void AudioSystem::Update() {
    SpineTrace::Record("AudioSystem::Update");
    for (AudioUpdatable* c : controllers) c->Update();
}

void AudioSystem::Release() {
    for (AudioUpdatable* c : controllers) {
        if (c == gJukeBox) gJukeBox = nullptr;
        delete c;
    }
    controllers.clear();
}
