// Cost of one System::update on the render-on-update device: refilling the
// music stream and mixing 1/60 s of N looping 3D effects. "x_realtime" is how
// many times faster than real time the step is mixed; below 1 the game could
// not keep up on a real sound card either.
#include <fmod.hpp>
#include <fmod_test.h>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string WriteTone(const char* name, int format, double frequency, double seconds, int channels)
{
    const std::string path = std::string("/tmp/") + name;
    SF_INFO info = {};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    const int frames = static_cast<int>(seconds * 44100);
    std::vector<float> samples(static_cast<std::size_t>(frames) * channels);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(f) * channels + c] =
                0.3f * std::sin(6.2831853f * frequency * f / 44100.0f);
        }
    }
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return path;
}

void BM_Update(benchmark::State& state)
{
    const int voices = static_cast<int>(state.range(0));
    static const std::string effect = WriteTone("lv_bench_thud.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 220, 1.0, 1);
    static const std::string music =
        WriteTone("lv_bench_track.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 440, 10.0, 2);
    FMODTest::CaptureConfig config;
    config.keepInMemory = false;
    FMODTest::SetCaptureConfig(config);
    FMOD::System* system = nullptr;
    FMOD_System_Create(&system);
    system->init(1000, FMOD_INIT_NORMAL, nullptr);
    FMOD::Sound* thud = nullptr;
    FMOD::Sound* track = nullptr;
    system->createSound(effect.c_str(), FMOD_3D | FMOD_LOOP_NORMAL | FMOD_3D_LINEARROLLOFF, nullptr, &thud);
    system->createStream(music.c_str(), FMOD_2D | FMOD_LOOP_NORMAL, nullptr, &track);
    thud->set3DMinMaxDistance(5.0f, 10000.0f);
    FMOD::Channel* channel = nullptr;
    system->playSound(FMOD_CHANNEL_FREE, track, false, &channel);
    for (int i = 0; i < voices; ++i) {
        system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel);
    }
    const FMOD_VECTOR position = {3.0f, 1.0f, -7.0f};
    const FMOD_VECTOR forward = {0.0f, 0.0f, 1.0f};
    const FMOD_VECTOR up = {0.0f, 1.0f, 0.0f};
    for (auto _ : state) {
        system->set3DListenerAttributes(0, &position, nullptr, &forward, &up);
        system->update();
    }
    const double stepSeconds = 735.0 / 44100.0;
    state.counters["x_realtime"] =
        benchmark::Counter(stepSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    system->close();
    system->release();
}
BENCHMARK(BM_Update)->Arg(0)->Arg(16)->Arg(64)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
