// The game's side of the sound: how long LoadAllSounds takes over the
// generated set (two effects, three music streams; budget 20 ms, so start-up
// stays quick), and what AudioSystem::Update adds to the stand-in's own
// System::update with 500 registered controllers and music playing (budget
// 5 us), both timed in the same run, alternating, and compared by median
// (the means also hold the updates that decode more music).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "audio/AudioController.h"
#include "audio/AudioSystem.h"
#include "audio/JukeBox.h"
#include "fmod_test.h"

namespace {

constexpr double kLoadBudgetMs = 20.0;
constexpr double kUpdateBudgetUs = 5.0;
constexpr int kControllers = 500;

using bench::Clock;
using bench::Mean;
using bench::Median;
using bench::Seconds;

// The generated sounds sit in the run tree, found from its bin/.
void EnterRunTree()
{
    if (access("../sounds/bgm", F_OK) != 0 && chdir(LV_BENCH_RUN_BIN) != 0) {
        std::fprintf(stderr, "No run tree at %s: build the game's data first\n", LV_BENCH_RUN_BIN);
    }
}

void UseSilentCapture()
{
    FMODTest::CaptureConfig config;
    config.keepInMemory = false;
    FMODTest::SetCaptureConfig(config);
}

void BM_LoadAllSounds(benchmark::State& state)
{
    EnterRunTree();
    UseSilentCapture();
    double total = 0.0;
    std::size_t loaded = 0;
    for (auto _ : state) {
        AudioSystem audio;
        audio.Init();
        const Clock::time_point start = Clock::now();
        audio.LoadAllSounds();
        const double seconds = Seconds(Clock::now() - start);
        state.SetIterationTime(seconds);
        total += seconds;
        loaded = audio.sfxNames.size() + audio.bgmNames.size();
    }
    const double ms = 1000.0 * total / static_cast<double>(state.iterations());
    state.counters["sounds"] = static_cast<double>(loaded);
    state.counters["ms"] = ms;
    state.counters["of_budget"] = ms / kLoadBudgetMs;
}
BENCHMARK(BM_LoadAllSounds)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_UpdateBesideTheLibrary(benchmark::State& state)
{
    EnterRunTree();
    UseSilentCapture();
    AudioSystem* audio = new AudioSystem();
    gAudioSystem = audio;
    audio->Init();
    audio->LoadAllSounds();
    cJukeBox* jukebox = new cJukeBox();
    audio->RegisterController(jukebox);
    jukebox->Play();
    for (int i = 0; i < kControllers; ++i) {
        AudioController* controller = new AudioController(true);
        audio->RegisterController(controller);
        controller->AddSound("thud", true, 5.0f, nullptr, nullptr);
    }
    std::vector<double> library;
    std::vector<double> game;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        audio->system->update();
        library.push_back(Seconds(Clock::now() - start));
        start = Clock::now();
        audio->Update();
        game.push_back(Seconds(Clock::now() - start));
    }
    const double libraryUs = 1e6 * Median(library);
    const double gameUs = 1e6 * Median(game);
    state.counters["library_us"] = libraryUs;
    state.counters["game_us"] = gameUs;
    state.counters["added_us"] = gameUs - libraryUs;
    state.counters["of_budget"] = (gameUs - libraryUs) / kUpdateBudgetUs;
    // Means include the updates that decode the next stretch of music.
    state.counters["library_mean_us"] = 1e6 * Mean(library);
    state.counters["game_mean_us"] = 1e6 * Mean(game);
    state.counters["music"] = jukebox->playing ? 1.0 : 0.0;
    delete audio;
    gAudioSystem = nullptr;
}
BENCHMARK(BM_UpdateBesideTheLibrary)->Unit(benchmark::kMicrosecond)->Iterations(3000);

} // namespace

BENCHMARK_MAIN();
