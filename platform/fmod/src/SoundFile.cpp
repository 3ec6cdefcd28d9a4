#include "SoundFile.h"

#include "Win32Path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace fmodal {
namespace {

// A hostile header may claim any length; decoding stops here (about 25 minutes
// of 44.1 kHz stereo), well beyond any sound the game ships.
constexpr std::size_t kMaxSamples = std::size_t(1) << 27;
constexpr int kChunkFrames = 4096;

int OutputChannels(int fileChannels, bool mono)
{
    return (mono || fileChannels == 1) ? 1 : 2;
}

// Averages the file's channels down to one, or keeps the first two.
void MixDown(const int16_t* in, int frames, int inChannels, int outChannels, int16_t* out)
{
    for (int f = 0; f < frames; ++f) {
        const int16_t* frame = in + static_cast<std::size_t>(f) * inChannels;
        if (outChannels == 1) {
            int sum = 0;
            for (int c = 0; c < inChannels; ++c) {
                sum += frame[c];
            }
            out[f] = static_cast<int16_t>(sum / inChannels);
        } else {
            out[2 * f] = frame[0];
            out[2 * f + 1] = frame[inChannels > 1 ? 1 : 0];
        }
    }
}

int ReadMixed(SNDFILE* file, const SF_INFO& info, int outChannels, int frames, std::vector<int16_t>* scratch,
              int16_t* out)
{
    scratch->resize(static_cast<std::size_t>(frames) * info.channels);
    const sf_count_t got = sf_readf_short(file, scratch->data(), frames);
    if (got <= 0) {
        return 0;
    }
    MixDown(scratch->data(), static_cast<int>(got), info.channels, outChannels, out);
    return static_cast<int>(got);
}

bool EndsWithNoCase(const std::string& text, const char* end)
{
    const std::size_t length = std::strlen(end);
    if (text.size() < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - length + i])) != end[i]) {
            return false;
        }
    }
    return true;
}

// An MPEG audio frame header: sync, a defined version, layer, bit rate and rate.
bool IsFrameHeader(const unsigned char* h)
{
    return h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && ((h[1] >> 3) & 3) != 1 && ((h[1] >> 1) & 3) != 0 &&
           (h[2] >> 4) != 15 && ((h[2] >> 2) & 3) != 3;
}

// Whether an ".mp3" file starts with a frame, after its ID3 tag if it has one.
// libsndfile hands any file so named to its MPEG decoder, which writes its
// complaints about junk straight to the error stream; a file that is not MPEG
// is turned away here instead, with nothing said.
bool StartsLikeMpeg(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    unsigned char header[10] = {};
    long frameAt = 0;
    if (std::fread(header, 1, sizeof header, file) == sizeof header && std::memcmp(header, "ID3", 3) == 0) {
        // The tag's size is four 7-bit bytes, not counting its 10-byte header.
        frameAt =
            10 + ((header[6] & 0x7F) << 21 | (header[7] & 0x7F) << 14 | (header[8] & 0x7F) << 7 | (header[9] & 0x7F));
    }
    unsigned char frame[4] = {};
    const bool found = std::fseek(file, frameAt, SEEK_SET) == 0 && std::fread(frame, 1, sizeof frame, file) == 4 &&
                       IsFrameHeader(frame);
    std::fclose(file);
    return found;
}

} // namespace

FMOD_RESULT OpenSoundFile(const char* name, SNDFILE** file, SF_INFO* info)
{
    *file = nullptr;
    if (!name || !name[0]) {
        return FMOD_ERR_INVALID_PARAM;
    }
    const std::string path = Win32ResolvePath(std::string(name));
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return FMOD_ERR_FILE_NOTFOUND;
    }
    if (EndsWithNoCase(path, ".mp3") && !StartsLikeMpeg(path)) {
        return FMOD_ERR_FORMAT;
    }
    *info = SF_INFO{};
    *file = sf_open(path.c_str(), SFM_READ, info);
    if (!*file) {
        return FMOD_ERR_FORMAT;
    }
    if (info->channels < 1 || info->channels > 64 || info->samplerate < 1000 || info->samplerate > 384000) {
        sf_close(*file);
        *file = nullptr;
        return FMOD_ERR_FORMAT;
    }
    return FMOD_OK;
}

FMOD_RESULT DecodeWholeFile(const char* name, bool mono, PcmData* pcm)
{
    SNDFILE* file = nullptr;
    SF_INFO info;
    const FMOD_RESULT result = OpenSoundFile(name, &file, &info);
    if (result != FMOD_OK) {
        return result;
    }
    pcm->channels = OutputChannels(info.channels, mono);
    pcm->rate = info.samplerate;
    pcm->samples.clear();
    std::vector<int16_t> scratch;
    std::vector<int16_t> chunk(static_cast<std::size_t>(kChunkFrames) * pcm->channels);
    while (pcm->samples.size() < kMaxSamples) {
        const int got = ReadMixed(file, info, pcm->channels, kChunkFrames, &scratch, chunk.data());
        if (got == 0) {
            break;
        }
        pcm->samples.insert(pcm->samples.end(), chunk.begin(), chunk.begin() + got * pcm->channels);
    }
    sf_close(file);
    if (pcm->samples.empty()) {
        return FMOD_ERR_FILE_BAD;
    }
    return FMOD_OK;
}

StreamDecoder::~StreamDecoder()
{
    if (file) {
        sf_close(file);
    }
}

FMOD_RESULT StreamDecoder::Open(const char* name)
{
    const FMOD_RESULT result = OpenSoundFile(name, &file, &info);
    if (result == FMOD_OK) {
        outChannels = OutputChannels(info.channels, false);
    }
    return result;
}

bool StreamDecoder::Rewind()
{
    return file && sf_seek(file, 0, SEEK_SET) == 0;
}

int StreamDecoder::Read(int16_t* out, int frames)
{
    if (!file || frames <= 0) {
        return 0;
    }
    return ReadMixed(file, info, outChannels, frames, &scratch, out);
}

} // namespace fmodal
