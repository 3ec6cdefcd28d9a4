// Sound system stand-in: the types, mode bits and result codes of the sound
// interface the game calls, plus C entry points that accept null handles.
// Implemented over OpenAL Soft and libsndfile.
#pragma once

#define FMOD_VERSION 0x00044400

typedef enum {
    FMOD_OK = 0,
    FMOD_ERR_UNINITIALIZED = 1,
    FMOD_ERR_INITIALIZED = 2,
    FMOD_ERR_INVALID_PARAM = 3,
    FMOD_ERR_FILE_NOTFOUND = 4,
    FMOD_ERR_FORMAT = 5,
    FMOD_ERR_FILE_BAD = 6,
    FMOD_ERR_CHANNEL_ALLOC = 7,
    FMOD_ERR_OUTPUT_INIT = 8,
    FMOD_ERR_MEMORY = 9,
    FMOD_ERR_INVALID_HANDLE = 33, // a channel that ended, was stopped or was taken back
    FMOD_RESULT_FORCEINT = 65536
} FMOD_RESULT;

typedef unsigned int FMOD_MODE;
#define FMOD_DEFAULT 0x00000000
#define FMOD_LOOP_OFF 0x00000001
#define FMOD_LOOP_NORMAL 0x00000002
#define FMOD_LOOP_BIDI 0x00000004
#define FMOD_2D 0x00000008
#define FMOD_3D 0x00000010
#define FMOD_HARDWARE 0x00000020
#define FMOD_SOFTWARE 0x00000040
#define FMOD_CREATESTREAM 0x00000080
#define FMOD_CREATESAMPLE 0x00000100
#define FMOD_3D_LINEARROLLOFF 0x00200000

typedef unsigned int FMOD_INITFLAGS;
#define FMOD_INIT_NORMAL 0x00000000

typedef enum { FMOD_CHANNEL_FREE = -1, FMOD_CHANNEL_REUSE = -2 } FMOD_CHANNELINDEX;

typedef struct
{
    float x;
    float y;
    float z;
} FMOD_VECTOR;

// Extra creation information; the game always passes null.
typedef struct
{
    int cbsize;
} FMOD_CREATESOUNDEXINFO;

namespace FMOD {
class System;
class Sound;
class Channel;
} // namespace FMOD

// The C handles are the C++ objects, so either API reaches the same thing.
typedef FMOD::System FMOD_SYSTEM;
typedef FMOD::Sound FMOD_SOUND;
typedef FMOD::Channel FMOD_CHANNEL;
typedef int FMOD_BOOL;

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system);

// Null-tolerant forms of the handle calls: a null handle gives
// FMOD_ERR_INVALID_HANDLE and the out-values are still written.
FMOD_RESULT FMOD_Sound_SetMode(FMOD_SOUND* sound, FMOD_MODE mode);
FMOD_RESULT FMOD_Sound_Set3DMinMaxDistance(FMOD_SOUND* sound, float minDistance, float maxDistance);
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound);
FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* playing);
FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel);
FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL* channel, FMOD_BOOL* paused);
FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused);
FMOD_RESULT FMOD_Channel_GetMute(FMOD_CHANNEL* channel, FMOD_BOOL* mute);
FMOD_RESULT FMOD_Channel_SetMute(FMOD_CHANNEL* channel, FMOD_BOOL mute);
