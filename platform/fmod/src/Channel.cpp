// One play of a sound on an OpenAL source. Samples play from one buffer;
// streams rotate a small queue of buffers refilled on every System::update.
#include "FmodObjects.h"

#include <algorithm>

namespace FMOD {
namespace {

ALint SourceInt(ALuint source, ALenum what)
{
    ALint value = 0;
    alGetSourcei(source, what, &value);
    return value;
}

ALenum BufferFormat(int channels)
{
    return channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
}

} // namespace

void ChannelImpl::SetUpSource()
{
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alSourcef(source, AL_GAIN, muted ? 0.0f : 1.0f);
    alSourcef(source, AL_PITCH, 1.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    if (sound->Is3D()) {
        // Linear roll-off: full volume inside the minimum distance, silent at the maximum.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_REFERENCE_DISTANCE, sound->minDistance);
        alSourcef(source, AL_MAX_DISTANCE, sound->maxDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
    } else {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    }
}

FMOD_RESULT ChannelImpl::Start(SoundImpl* played, ALuint alSource, bool startPaused)
{
    sound = played;
    source = alSource;
    paused = startPaused;
    muted = false;
    loops = played->Loops();
    streamAtEnd = false;
    SetUpSource();
    if (played->stream) {
        played->streamChannel = this;
        alSourcei(source, AL_LOOPING, AL_FALSE);
        played->stream->Rewind();
        alGenBuffers(kStreamBuffers, streamBuffers);
        if (alGetError() != AL_NO_ERROR) {
            std::fill(std::begin(streamBuffers), std::end(streamBuffers), 0u);
            End();
            return FMOD_ERR_MEMORY;
        }
        for (ALuint buffer : streamBuffers) {
            if (!FillStreamBuffer(buffer)) {
                break;
            }
            alSourceQueueBuffers(source, 1, &buffer);
        }
    } else {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(played->buffer));
        alSourcei(source, AL_LOOPING, loops ? AL_TRUE : AL_FALSE);
    }
    if (!paused) {
        alSourcePlay(source);
    }
    return FMOD_OK;
}

bool ChannelImpl::FillStreamBuffer(ALuint buffer)
{
    fmodal::StreamDecoder& decoder = *sound->stream;
    const int channels = decoder.OutChannels();
    const int frames = std::max(1024, decoder.Rate() / 4);
    pcm.resize(static_cast<std::size_t>(frames) * channels);
    int total = 0;
    bool rewound = false;
    while (total < frames && !streamAtEnd) {
        const int got = decoder.Read(pcm.data() + static_cast<std::size_t>(total) * channels, frames - total);
        if (got > 0) {
            total += got;
            rewound = false;
        } else if (loops && !rewound && decoder.Rewind()) {
            rewound = true; // a second empty read after rewinding means an empty file
        } else {
            streamAtEnd = true;
        }
    }
    if (total == 0) {
        return false;
    }
    alBufferData(buffer, BufferFormat(channels), pcm.data(),
                 static_cast<ALsizei>(static_cast<std::size_t>(total) * channels * sizeof(int16_t)), decoder.Rate());
    return true;
}

void ChannelImpl::FeedStream()
{
    if (!Live() || !sound->stream) {
        return;
    }
    ALint processed = SourceInt(source, AL_BUFFERS_PROCESSED);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        if (!streamAtEnd && FillStreamBuffer(buffer)) {
            alSourceQueueBuffers(source, 1, &buffer);
        }
    }
    const ALint queued = SourceInt(source, AL_BUFFERS_QUEUED);
    if (SourceInt(source, AL_SOURCE_STATE) != AL_STOPPED || paused) {
        return;
    }
    if (queued > 0) {
        alSourcePlay(source); // the queue ran dry while no one refilled it
    } else {
        End();
    }
}

bool ChannelImpl::Poll()
{
    if (!Live()) {
        return false;
    }
    system->device.MakeCurrent();
    if (!sound->stream && SourceInt(source, AL_SOURCE_STATE) == AL_STOPPED) {
        End();
        return false;
    }
    return true;
}

void ChannelImpl::End()
{
    if (!Live()) {
        return;
    }
    system->device.MakeCurrent();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    if (sound->stream) {
        if (streamBuffers[0] != 0) {
            alDeleteBuffers(kStreamBuffers, streamBuffers);
        }
        std::fill(std::begin(streamBuffers), std::end(streamBuffers), 0u);
        if (sound->streamChannel == this) {
            sound->streamChannel = nullptr;
        }
    }
    system->ReturnSource(source);
    source = 0;
    sound = nullptr;
    pcm.clear();
    pcm.shrink_to_fit();
    system->live.erase(std::remove(system->live.begin(), system->live.end(), this), system->live.end());
}

} // namespace FMOD

using FMOD::Impl;

FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* playing)
{
    const bool live = channel && Impl(channel)->Poll();
    if (playing) {
        *playing = live ? 1 : 0;
    }
    if (!playing) {
        return FMOD_ERR_INVALID_PARAM;
    }
    return live ? FMOD_OK : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel)
{
    if (!channel || !Impl(channel)->Poll()) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    Impl(channel)->End();
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL* channel, FMOD_BOOL* paused)
{
    const bool live = channel && Impl(channel)->Poll();
    if (paused) {
        *paused = live && Impl(channel)->paused ? 1 : 0;
    }
    if (!paused) {
        return FMOD_ERR_INVALID_PARAM;
    }
    return live ? FMOD_OK : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused)
{
    if (!channel || !Impl(channel)->Poll()) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    FMOD::ChannelImpl* impl = Impl(channel);
    impl->system->device.MakeCurrent();
    impl->paused = paused != 0;
    if (impl->paused) {
        alSourcePause(impl->source);
    } else if (impl->sound->stream) {
        impl->FeedStream(); // refills first, so a dry queue never replays old buffers
        ALint state = 0;
        alGetSourcei(impl->source, AL_SOURCE_STATE, &state);
        if (impl->Live() && state != AL_PLAYING && state != AL_STOPPED) {
            alSourcePlay(impl->source);
        }
    } else {
        alSourcePlay(impl->source);
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetMute(FMOD_CHANNEL* channel, FMOD_BOOL* mute)
{
    const bool live = channel && Impl(channel)->Poll();
    if (mute) {
        *mute = live && Impl(channel)->muted ? 1 : 0;
    }
    if (!mute) {
        return FMOD_ERR_INVALID_PARAM;
    }
    return live ? FMOD_OK : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT FMOD_Channel_SetMute(FMOD_CHANNEL* channel, FMOD_BOOL mute)
{
    if (!channel || !Impl(channel)->Poll()) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    FMOD::ChannelImpl* impl = Impl(channel);
    impl->system->device.MakeCurrent();
    impl->muted = mute != 0;
    alSourcef(impl->source, AL_GAIN, impl->muted ? 0.0f : 1.0f);
    return FMOD_OK;
}

namespace FMOD {

namespace {
FMOD_RESULT ReadFlag(FMOD_RESULT (*get)(FMOD_CHANNEL*, FMOD_BOOL*), Channel* channel, bool* out)
{
    FMOD_BOOL value = 0;
    const FMOD_RESULT result = get(channel, out ? &value : nullptr);
    if (out) {
        *out = value != 0;
    }
    return result;
}
} // namespace

FMOD_RESULT Channel::isPlaying(bool* playing)
{
    return ReadFlag(FMOD_Channel_IsPlaying, this, playing);
}
FMOD_RESULT Channel::stop()
{
    return FMOD_Channel_Stop(this);
}
FMOD_RESULT Channel::getPaused(bool* paused)
{
    return ReadFlag(FMOD_Channel_GetPaused, this, paused);
}
FMOD_RESULT Channel::setPaused(bool paused)
{
    return FMOD_Channel_SetPaused(this, paused ? 1 : 0);
}
FMOD_RESULT Channel::getMute(bool* mute)
{
    return ReadFlag(FMOD_Channel_GetMute, this, mute);
}
FMOD_RESULT Channel::setMute(bool mute)
{
    return FMOD_Channel_SetMute(this, mute ? 1 : 0);
}

} // namespace FMOD
