// The sound system: device, listener, the sounds it created and the channels
// it handed out.
#include "FmodObjects.h"

#include <algorithm>

namespace FMOD {
namespace {

// The most channels one system may ask for.
constexpr int kMaxChannelLimit = 4093;

bool Finite(const FMOD_VECTOR* v)
{
    return v && v->x == v->x && v->y == v->y && v->z == v->z;
}

} // namespace

SystemImpl::~SystemImpl()
{
    ShutDown();
}

void SystemImpl::ApplyListener() const
{
    if (!device.IsOpen()) {
        return;
    }
    device.MakeCurrent();
    // The game's axes are left-handed (z into the screen), OpenAL's right-handed:
    // mirroring z keeps a sound on the left on the left.
    const FMOD_VECTOR& p = listenerPosition;
    const FMOD_VECTOR& v = listenerVelocity;
    const FMOD_VECTOR& f = listenerForward;
    const FMOD_VECTOR& u = listenerUp;
    alListener3f(AL_POSITION, p.x, p.y, -p.z);
    alListener3f(AL_VELOCITY, v.x, v.y, -v.z);
    const ALfloat orientation[6] = {f.x, f.y, -f.z, u.x, u.y, -u.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

bool SystemImpl::TakeSource(ALuint* source)
{
    if (static_cast<int>(live.size()) < maxChannels) {
        if (!freeSources.empty()) {
            *source = freeSources.back();
            freeSources.pop_back();
            return true;
        }
        if (!sourceLimitReached) {
            alGetError();
            ALuint created = 0;
            alGenSources(1, &created);
            if (alGetError() == AL_NO_ERROR) {
                allSources.push_back(created);
                *source = created;
                return true;
            }
            sourceLimitReached = true;
        }
    }
    // Every voice busy: the oldest effect gives way; music is never cut for an effect.
    for (ChannelImpl* channel : live) {
        if (!channel->sound->stream) {
            channel->End();
            *source = freeSources.back();
            freeSources.pop_back();
            return true;
        }
    }
    return false;
}

void SystemImpl::ReturnSource(ALuint source)
{
    freeSources.push_back(source);
}

void SystemImpl::EndChannelsOf(const SoundImpl* sound)
{
    const std::vector<ChannelImpl*> playing = live;
    for (ChannelImpl* channel : playing) {
        if (channel->sound == sound) {
            channel->End();
        }
    }
}

void SystemImpl::ShutDown()
{
    if (!device.IsOpen()) {
        return;
    }
    device.MakeCurrent();
    while (!live.empty()) {
        live.back()->End();
    }
    for (SoundImpl* sound : sounds) {
        sound->DeleteBuffer();
    }
    if (!allSources.empty()) {
        alDeleteSources(static_cast<ALsizei>(allSources.size()), allSources.data());
    }
    allSources.clear();
    freeSources.clear();
    sourceLimitReached = false;
    device.Close();
    initialised = false;
}

FMOD_RESULT SystemImpl::CreateSound(const char* name, FMOD_MODE mode, bool isStream, Sound** out)
{
    if (!out) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *out = nullptr;
    if (!initialised) {
        return FMOD_ERR_UNINITIALIZED;
    }
    std::unique_ptr<SoundImpl> sound(new SoundImpl);
    sound->system = this;
    sound->mode = mode;
    if (isStream) {
        sound->stream.reset(new fmodal::StreamDecoder);
        const FMOD_RESULT result = sound->stream->Open(name);
        if (result != FMOD_OK) {
            return result;
        }
    } else {
        fmodal::PcmData pcm;
        // OpenAL places only mono sounds in space.
        const FMOD_RESULT result = fmodal::DecodeWholeFile(name, sound->Is3D(), &pcm);
        if (result != FMOD_OK) {
            return result;
        }
        device.MakeCurrent();
        alGetError();
        alGenBuffers(1, &sound->buffer);
        alBufferData(sound->buffer, pcm.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, pcm.samples.data(),
                     static_cast<ALsizei>(pcm.samples.size() * sizeof(int16_t)), pcm.rate);
        if (alGetError() != AL_NO_ERROR) {
            sound->DeleteBuffer();
            return FMOD_ERR_MEMORY;
        }
    }
    sounds.push_back(sound.get());
    *out = sound.release();
    return FMOD_OK;
}

FMOD_RESULT System::getVersion(unsigned int* version)
{
    if (!version) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *version = FMOD_VERSION;
    return FMOD_OK;
}

FMOD_RESULT System::init(int maxChannels, FMOD_INITFLAGS flags, void* extraDriverData)
{
    SystemImpl* self = Impl(this);
    if (self->initialised) {
        return FMOD_ERR_INITIALIZED;
    }
    if (maxChannels < 1 || maxChannels > kMaxChannelLimit) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if (!self->device.Open(fmodal::CurrentCaptureSettings())) {
        return FMOD_ERR_OUTPUT_INIT;
    }
    self->maxChannels = maxChannels;
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    self->ApplyListener();
    self->initialised = true;
    return FMOD_OK;
}

FMOD_RESULT System::set3DNumListeners(int numListeners)
{
    // Only one listener is ever placed; more would need a mix per listener.
    return numListeners == 1 ? FMOD_OK : FMOD_ERR_INVALID_PARAM;
}

FMOD_RESULT System::set3DListenerAttributes(int listener, const FMOD_VECTOR* pos, const FMOD_VECTOR* vel,
                                            const FMOD_VECTOR* forward, const FMOD_VECTOR* up)
{
    SystemImpl* self = Impl(this);
    if (listener != 0) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if ((pos && !Finite(pos)) || (vel && !Finite(vel)) || (forward && !Finite(forward)) || (up && !Finite(up))) {
        return FMOD_ERR_INVALID_PARAM;
    }
    // A null argument leaves that value as it was.
    if (pos) self->listenerPosition = *pos;
    if (vel) self->listenerVelocity = *vel;
    if (forward) self->listenerForward = *forward;
    if (up) self->listenerUp = *up;
    self->ApplyListener();
    return FMOD_OK;
}

FMOD_RESULT System::createSound(const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO* exinfo, Sound** sound)
{
    return Impl(this)->CreateSound(name, mode, (mode & FMOD_CREATESTREAM) != 0, sound);
}

FMOD_RESULT System::createStream(const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO* exinfo, Sound** sound)
{
    return Impl(this)->CreateSound(name, mode, true, sound);
}

FMOD_RESULT System::playSound(FMOD_CHANNELINDEX channelId, Sound* sound, bool paused, Channel** channel)
{
    SystemImpl* self = Impl(this);
    if (channel) {
        *channel = nullptr;
    }
    if (!self->initialised) {
        return FMOD_ERR_UNINITIALIZED;
    }
    if (!sound) {
        return FMOD_ERR_INVALID_PARAM;
    }
    self->device.MakeCurrent();
    SoundImpl* played = Impl(sound);
    if (played->streamChannel) {
        played->streamChannel->End(); // a stream restarts; its old handle ends
    }
    ALuint source = 0;
    if (!self->TakeSource(&source)) {
        return FMOD_ERR_CHANNEL_ALLOC;
    }
    self->channels.emplace_back(new ChannelImpl);
    ChannelImpl* created = self->channels.back().get();
    created->system = self;
    self->live.push_back(created);
    const FMOD_RESULT result = created->Start(played, source, paused);
    if (result != FMOD_OK) {
        return result;
    }
    if (channel) {
        *channel = created;
    }
    return FMOD_OK;
}

FMOD_RESULT System::update()
{
    SystemImpl* self = Impl(this);
    if (!self->initialised) {
        return FMOD_ERR_UNINITIALIZED;
    }
    self->device.MakeCurrent();
    const std::vector<ChannelImpl*> playing = self->live;
    for (ChannelImpl* channel : playing) {
        if (channel->Live() && channel->sound->stream) {
            channel->FeedStream();
        } else {
            channel->Poll();
        }
    }
    self->device.RenderStep();
    return FMOD_OK;
}

FMOD_RESULT System::close()
{
    Impl(this)->ShutDown();
    return FMOD_OK;
}

FMOD_RESULT System::release()
{
    SystemImpl* self = Impl(this);
    self->ShutDown();
    for (SoundImpl* sound : self->sounds) {
        delete sound;
    }
    self->sounds.clear();
    delete self;
    return FMOD_OK;
}

} // namespace FMOD

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system)
{
    if (!system) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *system = new FMOD::SystemImpl;
    return FMOD_OK;
}

namespace FMODTest {

std::size_t TakeCapture(FMOD::System* system, std::vector<float>* interleaved)
{
    if (!system) {
        return 0;
    }
    return FMOD::Impl(system)->device.TakeCapture(interleaved);
}

bool IsCapturing(FMOD::System* system)
{
    return system && FMOD::Impl(system)->device.IsLoopback();
}

} // namespace FMODTest
