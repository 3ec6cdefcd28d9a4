// Reading sound files: whole samples for effects, a chunk at a time for music.
// Names arrive in Windows form and go through the path helper.
#pragma once

#include "SoundDecoder.h"

#include <fmod.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace fmodal {

struct PcmData
{
    std::vector<int16_t> samples; // interleaved
    int channels = 0;             // 1 or 2
    int rate = 0;
};

// The whole file, as mono when asked (3D sounds) and never more than stereo.
// FMOD_ERR_FILE_NOTFOUND when no such file, FMOD_ERR_FORMAT when it is not a
// sound that can be decoded, FMOD_ERR_FILE_BAD when it holds no samples.
FMOD_RESULT DecodeWholeFile(const char* name, bool mono, PcmData* pcm);

// A file read a chunk at a time, as mono or at most stereo.
class StreamDecoder
{
public:
    FMOD_RESULT Open(const char* name, bool mono = false);
    bool Rewind();
    // Up to `frames` frames into out (OutChannels() samples each); 0 at the end.
    int Read(int16_t* out, int frames);
    int OutChannels() const { return outChannels; }
    int Rate() const { return decoder ? decoder->Rate() : 0; }

private:
    std::unique_ptr<SoundDecoder> decoder;
    int outChannels = 0;
    std::vector<int16_t> scratch;
};

} // namespace fmodal
