// Sounds: a decoded sample in one OpenAL buffer, or an open stream decoder.
#include "FmodObjects.h"

#include <algorithm>

namespace FMOD {

void SoundImpl::DeleteBuffer()
{
    if (buffer != 0) {
        system->device.MakeCurrent();
        alDeleteBuffers(1, &buffer);
        buffer = 0;
    }
    stream.reset();
}

} // namespace FMOD

using FMOD::Impl;

FMOD_RESULT FMOD_Sound_SetMode(FMOD_SOUND* sound, FMOD_MODE mode)
{
    if (!sound) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    // Each group of bits named in the new mode replaces that group only, so
    // turning looping off keeps a sound in 3D. Takes effect at the next play.
    static const FMOD_MODE kGroups[] = {FMOD_LOOP_OFF | FMOD_LOOP_NORMAL | FMOD_LOOP_BIDI, FMOD_2D | FMOD_3D,
                                        FMOD_HARDWARE | FMOD_SOFTWARE, FMOD_3D_LINEARROLLOFF};
    FMOD_MODE& current = Impl(sound)->mode;
    for (FMOD_MODE group : kGroups) {
        if (mode & group) {
            current = (current & ~group) | (mode & group);
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_Set3DMinMaxDistance(FMOD_SOUND* sound, float minDistance, float maxDistance)
{
    if (!sound) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    // Written so that NaN fails too.
    if (!(minDistance >= 0.0f) || !(maxDistance >= minDistance)) {
        return FMOD_ERR_INVALID_PARAM;
    }
    Impl(sound)->minDistance = minDistance;
    Impl(sound)->maxDistance = maxDistance;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound)
{
    if (!sound) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    FMOD::SoundImpl* impl = Impl(sound);
    FMOD::SystemImpl* system = impl->system;
    // OpenAL will not delete a buffer a source still plays.
    system->EndChannelsOf(impl);
    impl->DeleteBuffer();
    system->sounds.erase(std::remove(system->sounds.begin(), system->sounds.end(), impl), system->sounds.end());
    delete impl;
    return FMOD_OK;
}

namespace FMOD {

FMOD_RESULT Sound::setMode(FMOD_MODE mode)
{
    return FMOD_Sound_SetMode(this, mode);
}
FMOD_RESULT Sound::set3DMinMaxDistance(float minDistance, float maxDistance)
{
    return FMOD_Sound_Set3DMinMaxDistance(this, minDistance, maxDistance);
}
FMOD_RESULT Sound::release()
{
    return FMOD_Sound_Release(this);
}

} // namespace FMOD
