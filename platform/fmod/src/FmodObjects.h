// The objects behind the handles the game holds. A channel object lives until
// its system is released, so a handle whose sound ended keeps answering
// (not playing, invalid handle) instead of describing some other sound.
#pragma once

#include "AudioDevice.h"
#include "SoundFile.h"

#include <fmod.hpp>

#include <memory>
#include <vector>

namespace FMOD {

struct ChannelImpl;
struct SoundImpl;

struct SystemImpl : System
{
    fmodal::AudioDevice device;
    bool initialised = false;
    int maxChannels = 0;
    std::vector<std::unique_ptr<ChannelImpl>> channels; // every handle ever given out
    std::vector<ChannelImpl*> live;                     // in order of play
    std::vector<SoundImpl*> sounds;
    std::vector<ALuint> freeSources;
    std::vector<ALuint> allSources;
    bool sourceLimitReached = false;
    FMOD_VECTOR listenerPosition = {0.0f, 0.0f, 0.0f};
    FMOD_VECTOR listenerVelocity = {0.0f, 0.0f, 0.0f};
    FMOD_VECTOR listenerForward = {0.0f, 0.0f, 1.0f};
    FMOD_VECTOR listenerUp = {0.0f, 1.0f, 0.0f};

    ~SystemImpl();
    FMOD_RESULT CreateSound(const char* name, FMOD_MODE mode, bool stream, Sound** sound);
    // A source for a new channel: a free one, a new one, or the oldest effect's.
    bool TakeSource(ALuint* source);
    void ReturnSource(ALuint source);
    void EndChannelsOf(const SoundImpl* sound);
    void ApplyListener() const;
    void ShutDown();
};

struct SoundImpl : Sound
{
    SystemImpl* system = nullptr;
    FMOD_MODE mode = 0;
    float minDistance = 1.0f;
    float maxDistance = 10000.0f;
    ALuint buffer = 0;                             // samples only
    std::unique_ptr<fmodal::StreamDecoder> stream; // streams only
    ChannelImpl* streamChannel = nullptr;          // a stream plays on one channel at a time

    bool Is3D() const { return (mode & FMOD_3D) != 0 && (mode & FMOD_2D) == 0; }
    bool Loops() const { return (mode & (FMOD_LOOP_NORMAL | FMOD_LOOP_BIDI)) != 0 && (mode & FMOD_LOOP_OFF) == 0; }
    void DeleteBuffer();
};

constexpr int kStreamBuffers = 4;

struct ChannelImpl : Channel
{
    SystemImpl* system = nullptr;
    SoundImpl* sound = nullptr; // null once the channel has ended
    ALuint source = 0;
    bool paused = false;
    bool muted = false;
    bool loops = false;
    bool streamAtEnd = false;
    ALuint streamBuffers[kStreamBuffers] = {};
    std::vector<int16_t> pcm;

    bool Live() const { return sound != nullptr; }
    FMOD_RESULT Start(SoundImpl* played, ALuint source, bool startPaused);
    // Refreshes the end of a sample that ran out; returns whether still live.
    bool Poll();
    // Keeps a stream's queue filled, restarting it after a run dry.
    void FeedStream();
    void End();

private:
    void SetUpSource();
    bool FillStreamBuffer(ALuint buffer);
};

inline SystemImpl* Impl(System* system)
{
    return static_cast<SystemImpl*>(system);
}
inline SoundImpl* Impl(Sound* sound)
{
    return static_cast<SoundImpl*>(sound);
}
inline ChannelImpl* Impl(Channel* channel)
{
    return static_cast<ChannelImpl*>(channel);
}

} // namespace FMOD
