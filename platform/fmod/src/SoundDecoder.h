// A sound file opened for decoding: 16-bit samples with the file's own channels
// interleaved, from the first sample to the last. MPEG audio is decoded by
// libmpg123, which reads every frame to the end instead of trusting a length
// worked out from the first frame; every other format by libsndfile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace fmodal {

class SoundDecoder
{
public:
    virtual ~SoundDecoder() = default;
    virtual int Channels() const = 0;
    virtual int Rate() const = 0;
    // Up to `frames` frames into out (Channels() samples each); 0 at the end.
    virtual int Read(int16_t* out, int frames) = 0;
    virtual bool Rewind() = 0;
};

// Each returns null when the file at `path` is not one its library can decode.
std::unique_ptr<SoundDecoder> OpenMpegDecoder(const std::string& path);
std::unique_ptr<SoundDecoder> OpenSndfileDecoder(const std::string& path);

} // namespace fmodal
