// The table of named sounds of one owner (a physical object, the player, the
// jukebox). It remembers the channel of each sound's last play so the owner
// can ask whether that sound is still playing. Controllers are registered with
// the sound system, which hands them its FMOD system and updates them once a
// frame.
#pragma once

#include <map>
#include <string>

#include "fmod.hpp"

struct Vector3;

struct SoundSlot
{
    FMOD::Sound* sound = nullptr;     // shared with the sound system's tables; null for a track that failed to load
    FMOD::Channel* channel = nullptr; // of the last play; null before the first and after a failed play
    // Kept for the owner and never read: channels get no 3D position.
    const Vector3* position = nullptr;
    const Vector3* velocity = nullptr;
};

class AudioController
{
public:
    explicit AudioController(bool ownedBySystem_);
    // Virtual: the sound system destroys the controllers it owns through this
    // base, and the jukebox must leave the dispatcher when it goes.
    virtual ~AudioController();

    AudioController(const AudioController&) = delete;
    AudioController& operator=(const AudioController&) = delete;

    // Called by AudioSystem::RegisterController with the address of the
    // system's FMOD pointer, so a released system reads as null here.
    virtual void Init(FMOD::System** system_);
    virtual void Reserved() {}
    // Once a frame, from AudioSystem::Update.
    virtual void Update() {}

    // Takes the loaded sound of that name from the sound system (effects or
    // music); an unknown name, or one whose file failed to load, changes
    // nothing. An effect's distances are shared: the last owner to add it sets
    // them.
    void AddSound(const std::string& name, bool isSfx, float minDistance, const Vector3* position,
                  const Vector3* velocity);
    // Starts the sound from its beginning on a new channel; an older play of it
    // goes on, but only the newest channel is remembered.
    void Play(const std::string& name);
    void Stop(const std::string& name);
    void TogglePause(const std::string& name);
    void ToggleMute(const std::string& name);
    // Paused counts as playing.
    bool IsPlaying(const std::string& name) const;

    // Null before registration; *system is null before AudioSystem::Init and
    // after AudioSystem::Release, and then every operation does nothing.
    FMOD::System** system = nullptr;
    std::map<std::string, SoundSlot> slots;
    // Set: AudioSystem::Release destroys the controller if it is still
    // registered then. Objects' controllers and the jukebox set it; the
    // player keeps and frees its own.
    bool ownedBySystem;

private:
    bool HasSystem() const { return system != nullptr && *system != nullptr; }
    // The slot of a name that has been played, when there is a system to ask.
    const SoundSlot* PlayedSlot(const std::string& name) const;
};
