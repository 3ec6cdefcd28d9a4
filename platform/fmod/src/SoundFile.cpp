#include "SoundFile.h"

#include "Win32Path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace fmodal {
namespace {

// A hostile header may claim any length; decoding stops here (about 25 minutes
// of 44.1 kHz stereo), well beyond any sound the game ships.
constexpr std::size_t kMaxSamples = std::size_t(1) << 27;
constexpr int kChunkFrames = 4096;
// What a file may declare and still be played.
constexpr int kMinChannels = 1;
constexpr int kMaxChannels = 64;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

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

// Whether a file starts with an MPEG audio frame, after its ID3 tag if it has
// one: such a file goes to the MPEG decoder whatever its name. A file named
// ".mp3" that does not is turned away unread, with nothing said.
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

// Opens the file with the decoder its first bytes call for.
FMOD_RESULT OpenSoundFile(const char* name, std::unique_ptr<SoundDecoder>* decoder)
{
    if (!name || !name[0]) {
        return FMOD_ERR_INVALID_PARAM;
    }
    const std::string path = Win32ResolvePath(std::string(name));
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return FMOD_ERR_FILE_NOTFOUND;
    }
    if (StartsLikeMpeg(path)) {
        *decoder = OpenMpegDecoder(path);
    } else if (!EndsWithNoCase(path, ".mp3")) {
        *decoder = OpenSndfileDecoder(path);
    }
    if (!*decoder) {
        return FMOD_ERR_FORMAT;
    }
    const int channels = (*decoder)->Channels();
    const int rate = (*decoder)->Rate();
    if (channels < kMinChannels || channels > kMaxChannels || rate < kMinRate || rate > kMaxRate) {
        decoder->reset();
        return FMOD_ERR_FORMAT;
    }
    return FMOD_OK;
}

} // namespace

FMOD_RESULT DecodeWholeFile(const char* name, bool mono, PcmData* pcm)
{
    StreamDecoder stream;
    const FMOD_RESULT result = stream.Open(name, mono);
    if (result != FMOD_OK) {
        return result;
    }
    pcm->channels = stream.OutChannels();
    pcm->rate = stream.Rate();
    pcm->samples.clear();
    std::vector<int16_t> chunk(static_cast<std::size_t>(kChunkFrames) * pcm->channels);
    while (pcm->samples.size() < kMaxSamples) {
        const int got = stream.Read(chunk.data(), kChunkFrames);
        if (got == 0) {
            break;
        }
        pcm->samples.insert(pcm->samples.end(), chunk.begin(), chunk.begin() + got * pcm->channels);
    }
    if (pcm->samples.empty()) {
        return FMOD_ERR_FILE_BAD;
    }
    return FMOD_OK;
}

FMOD_RESULT StreamDecoder::Open(const char* name, bool mono)
{
    const FMOD_RESULT result = OpenSoundFile(name, &decoder);
    if (result == FMOD_OK) {
        outChannels = OutputChannels(decoder->Channels(), mono);
    }
    return result;
}

bool StreamDecoder::Rewind()
{
    return decoder && decoder->Rewind();
}

int StreamDecoder::Read(int16_t* out, int frames)
{
    if (!decoder || frames <= 0) {
        return 0;
    }
    scratch.resize(static_cast<std::size_t>(frames) * decoder->Channels());
    const int got = decoder->Read(scratch.data(), frames);
    MixDown(scratch.data(), got, decoder->Channels(), outChannels, out);
    return got;
}

} // namespace fmodal
