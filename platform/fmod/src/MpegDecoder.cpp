// MPEG audio through libmpg123. The stream is decoded frame by frame to its
// end, so a variable-bitrate file without an info frame plays whole; where an
// encoder's info frame is present, its delay and padding are trimmed.
#include "SoundDecoder.h"

#include <mpg123.h>

#include <cstdio>

namespace fmodal {
namespace {

class MpegDecoder final : public SoundDecoder
{
public:
    MpegDecoder() = default;
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;
    ~MpegDecoder() override
    {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }

    bool Open(const std::string& path);
    int Channels() const override { return channels; }
    int Rate() const override { return static_cast<int>(rate); }
    int Read(int16_t* out, int frames) override;
    bool Rewind() override { return mpg123_seek(handle, 0, SEEK_SET) == 0; }

private:
    mpg123_handle* handle = nullptr;
    long rate = 0;
    int channels = 0;
};

bool MpegDecoder::Open(const std::string& path)
{
    handle = mpg123_new(nullptr, nullptr);
    if (!handle) {
        return false;
    }
    // The library's complaints about a damaged stream would land on the error
    // stream, the game's error log; a bad file is told by the result instead.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Any rate the file has, always as 16-bit samples.
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    mpg123_format_none(handle);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    int encoding = 0;
    if (mpg123_open(handle, path.c_str()) != MPG123_OK ||
        mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        return false;
    }
    // The first frame's format holds for the whole stream: buffers already
    // queued for playback cannot change rate or channels part way.
    mpg123_format_none(handle);
    return mpg123_format(handle, rate, channels, encoding) == MPG123_OK;
}

int MpegDecoder::Read(int16_t* out, int frames)
{
    const std::size_t frameBytes = sizeof(int16_t) * static_cast<std::size_t>(channels);
    const std::size_t wanted = frameBytes * static_cast<std::size_t>(frames);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    std::size_t total = 0;
    while (total < wanted) {
        std::size_t got = 0;
        const int result = mpg123_read(handle, bytes + total, wanted - total, &got);
        total += got;
        // The end of the stream, a stream that cannot go on, or a read that
        // brought nothing and announced nothing (no endless loop on a bad file).
        if ((result != MPG123_OK && result != MPG123_NEW_FORMAT) || (got == 0 && result == MPG123_OK)) {
            break;
        }
    }
    return static_cast<int>(total / frameBytes);
}

} // namespace

std::unique_ptr<SoundDecoder> OpenMpegDecoder(const std::string& path)
{
    std::unique_ptr<MpegDecoder> decoder(new MpegDecoder);
    if (!decoder->Open(path)) {
        return nullptr;
    }
    return decoder;
}

} // namespace fmodal
