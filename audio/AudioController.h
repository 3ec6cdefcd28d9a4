// The table of named sounds of one owner (a physical object, the player, the
// jukebox). It remembers the channel of each sound's last play so the owner can
// ask whether that sound is still playing.
#pragma once

#include <map>
#include <string>

#include "audio/Audio.h"
#include "fmod.hpp"

struct Vector3;

struct SoundSlot
{
    FMOD::Sound* sound = nullptr;     // shared with the sound system's tables
    FMOD::Channel* channel = nullptr; // of the last play; null before the first
    // Kept for the owner and never read: channels get no 3D position.
    const Vector3* position = nullptr;
    const Vector3* velocity = nullptr;
};

// Where AddSound finds loaded sounds by name (sound effects or music). The
// sound system installs its lookup once it has loaded its folders; until then
// nothing is found and AddSound changes nothing.
typedef FMOD::Sound* (*SoundLookup)(const std::string& name, bool isSfx);
void SetSoundLookup(SoundLookup lookup);

class AudioController : public AudioUpdatable
{
public:
    explicit AudioController(bool ownedBySystem_);
    ~AudioController() override;

    AudioController(const AudioController&) = delete;
    AudioController& operator=(const AudioController&) = delete;

    // Called by the sound system on registration with the address of its
    // FMOD system pointer.
    virtual void Init(FMOD::System** system_);
    virtual void Reserved() {}
    void Update() override {}

    void AddSound(const std::string& name, bool isSfx, float minDistance, const Vector3* position,
                  const Vector3* velocity);
    void Play(const std::string& name);
    void Stop(const std::string& name);
    void TogglePause(const std::string& name);
    void ToggleMute(const std::string& name);
    bool IsPlaying(const std::string& name) const;

    FMOD::System** system = nullptr;
    std::map<std::string, SoundSlot> slots;
    // Set: the sound system frees the controller at its release if it is
    // still registered then.
    bool ownedBySystem;

private:
    SoundSlot* FindPlayedSlot(const std::string& name);
};
