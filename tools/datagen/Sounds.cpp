#include "Sounds.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>

#include "FileUtil.h"
#include "Math.h"
#include "Noise.h"

namespace gen {

const std::vector<TrackSpec>& MusicTracks()
{
    // Roots far enough apart that a spectrum tells them apart: A3, E4, A4.
    static const std::vector<TrackSpec> tracks = {
        {"track1.mp3", 220.0f, 24.0f}, {"track2.mp3", 330.0f, 24.0f}, {"track3.mp3", 440.0f, 24.0f}};
    return tracks;
}

std::vector<float> SynthThud(int rate)
{
    const int n = static_cast<int>(0.3f * rate);
    std::vector<float> out(n);
    Rng rng(7u);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / rate;
        const float freq = 90.0f - 30.0f * std::min(1.0f, t / 0.15f); // drops 90 -> 60 Hz
        phase += 2.0 * kPi * freq / rate;
        const float body = std::sin(static_cast<float>(phase)) * std::exp(-t * 14.0f);
        const float click = (rng.Uniform() * 2 - 1) * std::exp(-t * 120.0f);
        out[i] = 0.8f * body + 0.35f * click;
    }
    return out;
}

std::vector<float> SynthOw(int rate)
{
    const int n = static_cast<int>(0.4f * rate);
    std::vector<float> out(n);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / rate;
        const float freq = 300.0f - 100.0f * (t / 0.4f); // glides 300 -> 200 Hz
        phase += 2.0 * kPi * freq / rate;
        const float p = static_cast<float>(phase);
        // A voiced vowel: harmonics shaped by an "o" to "w" formant sweep.
        float s = 0;
        for (int k = 1; k <= 8; ++k) {
            const float f = freq * k;
            const float formant = 700.0f - 350.0f * (t / 0.4f);
            const float gain = std::exp(-((f - formant) * (f - formant)) / (2 * 250.0f * 250.0f)) + 0.15f / k;
            s += gain * std::sin(k * p);
        }
        const float env = std::min(1.0f, t / 0.03f) * std::min(1.0f, (0.4f - t) / 0.12f);
        out[i] = 0.35f * s * env;
    }
    return out;
}

std::vector<float> SynthTrack(const TrackSpec& spec, int rate)
{
    // A slow arpeggio over the root with the root held as a drone, so the root is the
    // loudest frequency of the track.
    const int n = static_cast<int>(spec.seconds * rate);
    std::vector<float> out(2 * static_cast<size_t>(n));
    const float ratios[4] = {1.0f, 1.25f, 1.5f, 2.0f};
    const float beat = 0.5f;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / rate;
        const int step = static_cast<int>(t / beat);
        const float local = t - step * beat;
        const float f = spec.rootHz * ratios[step % 4];
        const float note = std::sin(2 * kPi * f * local) * std::exp(-local * 5.0f) * 0.25f;
        const float drone = std::sin(2 * kPi * spec.rootHz * t) * 0.35f;
        const float fade = std::min(1.0f, t / 1.0f) * std::min(1.0f, (spec.seconds - t) / 1.5f);
        const float pan = 0.5f + 0.3f * std::sin(2 * kPi * t / 8.0f);
        out[2 * i] = (drone + note * (1 - pan)) * fade;
        out[2 * i + 1] = (drone + note * pan) * fade;
    }
    return out;
}

namespace {
bool Write(const std::string& path, const std::vector<float>& data, int rate, int channels, int format)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(path.substr(0, slash))) return false;
    const std::string tmp = path + ".tmp";
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(tmp.c_str(), SFM_WRITE, &info);
    if (!f) {
        fprintf(stderr, "Could not write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(data.size() / channels);
    const bool ok = sf_writef_float(f, data.data(), frames) == frames;
    sf_close(f);
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        remove(tmp.c_str());
        fprintf(stderr, "Could not write %s\n", path.c_str());
        return false;
    }
    return true;
}
} // namespace

bool WriteWav(const std::string& path, const std::vector<float>& mono, int rate)
{
    return Write(path, mono, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

bool WriteMp3(const std::string& path, const std::vector<float>& stereo, int rate)
{
    return Write(path, stereo, rate, 2, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
}

} // namespace gen
