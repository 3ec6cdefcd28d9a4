// Wave and the other formats libsndfile reads.
#include "SoundDecoder.h"

#include <sndfile.h>

namespace fmodal {
namespace {

class SndfileDecoder final : public SoundDecoder
{
public:
    SndfileDecoder(SNDFILE* opened, const SF_INFO& openedInfo) : file(opened), info(openedInfo) {}
    SndfileDecoder(const SndfileDecoder&) = delete;
    SndfileDecoder& operator=(const SndfileDecoder&) = delete;
    ~SndfileDecoder() override { sf_close(file); }

    int Channels() const override { return info.channels; }
    int Rate() const override { return info.samplerate; }
    int Read(int16_t* out, int frames) override
    {
        const sf_count_t got = sf_readf_short(file, out, frames);
        return got > 0 ? static_cast<int>(got) : 0;
    }
    bool Rewind() override { return sf_seek(file, 0, SEEK_SET) == 0; }

private:
    SNDFILE* file;
    SF_INFO info;
};

} // namespace

std::unique_ptr<SoundDecoder> OpenSndfileDecoder(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        return nullptr;
    }
    return std::unique_ptr<SoundDecoder>(new SndfileDecoder(file, info));
}

} // namespace fmodal
