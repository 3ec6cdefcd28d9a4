#include "audio/AudioController.h"

#include <cstdio>

#include "fmod_errors.h"

namespace {

SoundLookup soundLookup = nullptr;

const float kMaxDistance = 10000.0f;

void PrintFmodError(FMOD_RESULT result)
{
    if (result != FMOD_OK) {
        std::printf("FMOD error! (%d) %s\n", static_cast<int>(result), FMOD_ErrorString(result));
    }
}

// A channel that ended or was taken back is not worth a message.
void PrintUnlessGone(FMOD_RESULT result)
{
    if (result != FMOD_ERR_INVALID_HANDLE) {
        PrintFmodError(result);
    }
}

} // namespace

void SetSoundLookup(SoundLookup lookup)
{
    soundLookup = lookup;
}

AudioController::AudioController(bool ownedBySystem_) : ownedBySystem(ownedBySystem_) {}

AudioController::~AudioController() = default;

void AudioController::Init(FMOD::System** system_)
{
    system = system_;
}

void AudioController::AddSound(const std::string& name, bool isSfx, float minDistance, const Vector3* position,
                               const Vector3* velocity)
{
    FMOD::Sound* sound = soundLookup ? soundLookup(name, isSfx) : nullptr;
    if (sound == nullptr) {
        return;
    }
    SoundSlot slot;
    slot.sound = sound;
    slot.position = position;
    slot.velocity = velocity;
    slots[name] = slot;
    if (isSfx) {
        sound->set3DMinMaxDistance(minDistance, kMaxDistance);
    }
}

SoundSlot* AudioController::FindPlayedSlot(const std::string& name)
{
    auto it = slots.find(name);
    if (it == slots.end() || it->second.channel == nullptr) {
        return nullptr;
    }
    return &it->second;
}

void AudioController::Play(const std::string& name)
{
    auto it = slots.find(name);
    if (it == slots.end() || system == nullptr || *system == nullptr) {
        return;
    }
    PrintFmodError((*system)->playSound(FMOD_CHANNEL_FREE, it->second.sound, false, &it->second.channel));
}

void AudioController::Stop(const std::string& name)
{
    SoundSlot* slot = FindPlayedSlot(name);
    if (slot == nullptr) {
        return;
    }
    bool playing = false;
    slot->channel->isPlaying(&playing);
    if (playing) {
        PrintUnlessGone(slot->channel->stop());
    }
}

void AudioController::TogglePause(const std::string& name)
{
    SoundSlot* slot = FindPlayedSlot(name);
    if (slot == nullptr) {
        return;
    }
    bool paused = false;
    slot->channel->getPaused(&paused);
    slot->channel->setPaused(!paused);
}

void AudioController::ToggleMute(const std::string& name)
{
    SoundSlot* slot = FindPlayedSlot(name);
    if (slot == nullptr) {
        return;
    }
    bool playing = false;
    slot->channel->isPlaying(&playing);
    if (!playing) {
        return;
    }
    bool mute = false;
    slot->channel->getMute(&mute);
    PrintUnlessGone(slot->channel->setMute(!mute));
}

bool AudioController::IsPlaying(const std::string& name) const
{
    auto it = slots.find(name);
    if (it == slots.end() || it->second.channel == nullptr) {
        return false;
    }
    bool playing = false;
    if (it->second.channel->isPlaying(&playing) != FMOD_OK) {
        return false;
    }
    return playing;
}
