#include "SoundFixtures.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace soundtest {

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/lv_sound_XXXXXX";
    const char* made = mkdtemp(pattern);
    path = made ? made : "/tmp";
}

TempFolder::~TempFolder()
{
    if (path != "/tmp") {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

namespace {

// Drops the first frame of an MPEG-1 Layer III file when it is the encoder's
// info frame (a "Xing" or "Info" tag), leaving a stream whose length can only
// be found by reading it to the end.
bool DropInfoFrame(const std::string& path)
{
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (bytes.size() < 4) {
        return false;
    }
    const unsigned char* header = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool layer3 = header[0] == 0xFF && (header[1] & 0xFE) == 0xFA;
    const int kbps = kKbps[header[2] >> 4];
    const int rate = kRates[(header[2] >> 2) & 3];
    if (!layer3 || kbps == 0 || rate == 0) {
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(144000 * kbps / rate + ((header[2] >> 1) & 1));
    const std::string first = bytes.substr(0, size);
    if (size >= bytes.size() || (first.find("Xing") == std::string::npos && first.find("Info") == std::string::npos)) {
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes.substr(size);
    return static_cast<bool>(out.flush());
}

} // namespace

bool WriteTone(const std::string& path, FileKind kind, double frequency, double seconds, int channels, double amplitude)
{
    const int rate = 44100;
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format =
        kind == FileKind::Wav ? (SF_FORMAT_WAV | SF_FORMAT_PCM_16) : (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    if (kind == FileKind::Mp3Constant) {
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    }
    const std::size_t frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * channels);
    const double step = 2.0 * 3.14159265358979323846 * frequency / rate;
    for (std::size_t f = 0; f < frames; ++f) {
        const float value = static_cast<float>(amplitude * std::sin(step * static_cast<double>(f)));
        for (int c = 0; c < channels; ++c) {
            samples[f * channels + c] = value;
        }
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    if (written != static_cast<sf_count_t>(frames)) {
        return false;
    }
    return kind != FileKind::Mp3WithoutInfo || DropInfoFrame(path);
}

double Rms(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t last)
{
    last = std::min(last, stereo.size() / 2);
    if (first >= last) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t f = first; f < last; ++f) {
        const double v = stereo[2 * f + channel];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(last - first));
}

double Rms(const std::vector<float>& stereo, int channel)
{
    return Rms(stereo, channel, 0, stereo.size() / 2);
}

double ZeroCrossingFrequency(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t last,
                             int rate)
{
    last = std::min(last, stereo.size() / 2);
    if (last <= first + 1) {
        return 0.0;
    }
    int crossings = 0;
    for (std::size_t f = first + 1; f < last; ++f) {
        const bool before = stereo[2 * (f - 1) + channel] >= 0.0f;
        const bool now = stereo[2 * f + channel] >= 0.0f;
        crossings += before != now;
    }
    const double seconds = static_cast<double>(last - first) / rate;
    return crossings / (2.0 * seconds);
}

std::size_t SoundingFrames(const std::vector<float>& stereo, double threshold)
{
    const std::size_t window = 441;
    const std::size_t frames = stereo.size() / 2;
    std::size_t sounding = 0;
    for (std::size_t first = 0; first + window <= frames; first += window) {
        if (std::max(Rms(stereo, 0, first, first + window), Rms(stereo, 1, first, first + window)) > threshold) {
            sounding += window;
        }
    }
    return sounding;
}

} // namespace soundtest
