// Reading sound files through libsndfile: whole samples for effects, a chunk at
// a time for music. Names arrive in Windows form and go through the path helper.
#pragma once

#include <fmod.h>

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fmodal {

struct PcmData
{
    std::vector<int16_t> samples; // interleaved
    int channels = 0;             // 1 or 2
    int rate = 0;
};

// Opens a sound file for reading. FMOD_ERR_FILE_NOTFOUND when no such file,
// FMOD_ERR_FORMAT when it is not a sound libsndfile can decode.
FMOD_RESULT OpenSoundFile(const char* name, SNDFILE** file, SF_INFO* info);

// The whole file, as mono when asked (3D sounds) and never more than stereo.
FMOD_RESULT DecodeWholeFile(const char* name, bool mono, PcmData* pcm);

class StreamDecoder
{
public:
    StreamDecoder() = default;
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;
    ~StreamDecoder();

    FMOD_RESULT Open(const char* name);
    bool Rewind();
    // Up to `frames` frames into out (OutChannels() samples each); 0 at the end.
    int Read(int16_t* out, int frames);
    int OutChannels() const { return outChannels; }
    int Rate() const { return info.samplerate; }

private:
    SNDFILE* file = nullptr;
    SF_INFO info = {};
    int outChannels = 0;
    std::vector<int16_t> scratch;
};

} // namespace fmodal
