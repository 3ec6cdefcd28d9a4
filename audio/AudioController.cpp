#include "audio/AudioController.h"

#include "audio/AudioSystem.h"
#include "audio/FmodErrCheck.h"

namespace {

// Effects fade out linearly from their minimum distance to this one.
const float kMaxDistance = 10000.0f;

// A channel that ended or was taken back is not worth a message.
void ReportUnlessGone(FMOD_RESULT result)
{
    if (result != FMOD_ERR_INVALID_HANDLE) {
        FmodErrCheck(result);
    }
}

} // namespace

AudioController::AudioController(bool ownedBySystem_) : ownedBySystem(ownedBySystem_) {}

// The sounds belong to the sound system and the channels to FMOD: nothing to
// release here, and nothing that needs the system still to exist.
AudioController::~AudioController() = default;

void AudioController::Init(FMOD::System** system_)
{
    system = system_;
}

void AudioController::AddSound(const std::string& name, bool isSfx, float minDistance, const Vector3* position,
                               const Vector3* velocity)
{
    if (gAudioSystem == nullptr) {
        return;
    }
    FMOD::Sound* sound = isSfx ? gAudioSystem->FindSfx(name) : gAudioSystem->FindBgm(name);
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

const SoundSlot* AudioController::PlayedSlot(const std::string& name) const
{
    if (!HasSystem()) {
        return nullptr;
    }
    const auto it = slots.find(name);
    if (it == slots.end() || it->second.channel == nullptr) {
        return nullptr;
    }
    return &it->second;
}

void AudioController::Play(const std::string& name)
{
    const auto it = slots.find(name);
    if (it == slots.end() || !HasSystem()) {
        return;
    }
    SoundSlot& slot = it->second;
    // A failed play must not leave the last play's handle answering for it.
    slot.channel = nullptr;
    FMOD::Channel* channel = nullptr;
    const FMOD_RESULT result = (*system)->playSound(FMOD_CHANNEL_FREE, slot.sound, false, &channel);
    if (result != FMOD_OK) {
        FmodErrCheck(result);
        return;
    }
    slot.channel = channel;
}

void AudioController::Stop(const std::string& name)
{
    const SoundSlot* slot = PlayedSlot(name);
    if (slot == nullptr) {
        return;
    }
    bool playing = false;
    slot->channel->isPlaying(&playing);
    if (playing) {
        ReportUnlessGone(slot->channel->stop());
    }
}

void AudioController::TogglePause(const std::string& name)
{
    const SoundSlot* slot = PlayedSlot(name);
    if (slot == nullptr) {
        return;
    }
    bool paused = false;
    slot->channel->getPaused(&paused);
    slot->channel->setPaused(!paused);
}

void AudioController::ToggleMute(const std::string& name)
{
    const SoundSlot* slot = PlayedSlot(name);
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
    ReportUnlessGone(slot->channel->setMute(!mute));
}

bool AudioController::IsPlaying(const std::string& name) const
{
    const SoundSlot* slot = PlayedSlot(name);
    if (slot == nullptr) {
        return false;
    }
    bool playing = false;
    if (slot->channel->isPlaying(&playing) != FMOD_OK) {
        return false;
    }
    return playing;
}
