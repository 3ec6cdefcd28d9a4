// Sound system stand-in, C++ interface: the system, its sounds and the
// channels they play on. Every call returns an FMOD_RESULT.
#pragma once

#include "fmod.h"

namespace FMOD {

class System {
public:
    FMOD_RESULT getVersion(unsigned int* version);
    FMOD_RESULT init(int maxChannels, FMOD_INITFLAGS flags, void* extraDriverData);
    FMOD_RESULT set3DNumListeners(int numListeners);
    FMOD_RESULT set3DListenerAttributes(int listener, const FMOD_VECTOR* pos, const FMOD_VECTOR* vel,
                                        const FMOD_VECTOR* forward, const FMOD_VECTOR* up);
    // A sample decoded whole into memory (3D sounds are mixed down to mono).
    FMOD_RESULT createSound(const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO* exinfo, Sound** sound);
    // Decoded a little at a time while it plays; one channel at a time.
    FMOD_RESULT createStream(const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO* exinfo, Sound** sound);
    // Always a new channel handle, never reused for another play.
    FMOD_RESULT playSound(FMOD_CHANNELINDEX channelId, Sound* sound, bool paused, Channel** channel);
    FMOD_RESULT update();
    FMOD_RESULT close();
    FMOD_RESULT release();

protected:
    System() = default;
    ~System() = default;
};

class Sound {
public:
    FMOD_RESULT setMode(FMOD_MODE mode);
    FMOD_RESULT set3DMinMaxDistance(float minDistance, float maxDistance);
    FMOD_RESULT release();

protected:
    Sound() = default;
    ~Sound() = default;
};

class Channel {
public:
    // True from play until the sound ends or is stopped, also while paused and
    // while a stream waits for data.
    FMOD_RESULT isPlaying(bool* playing);
    FMOD_RESULT stop();
    FMOD_RESULT getPaused(bool* paused);
    FMOD_RESULT setPaused(bool paused);
    FMOD_RESULT getMute(bool* mute);
    FMOD_RESULT setMute(bool mute);

protected:
    Channel() = default;
    ~Channel() = default;
};

inline FMOD_RESULT System_Create(System** system) {
    return FMOD_System_Create(system);
}

}  // namespace FMOD
