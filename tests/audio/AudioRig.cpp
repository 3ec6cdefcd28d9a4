#include "AudioRig.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/Messages.h"

namespace audiotest {

RunTree::RunTree() : previous(std::filesystem::current_path().string())
{
    std::filesystem::create_directories(folder.Path() + "/bin");
    std::filesystem::create_directories(folder.Path() + "/sounds/sfx");
    std::filesystem::create_directories(folder.Path() + "/sounds/bgm");
    std::filesystem::current_path(folder.Path() + "/bin");
}

RunTree::~RunTree()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

namespace {

double Loudness(const std::vector<float>& stereo, std::size_t first)
{
    return std::max(soundtest::Rms(stereo, 0, first, first + kStep), soundtest::Rms(stereo, 1, first, first + kStep));
}

} // namespace

Heard Listen(const std::vector<float>& stereo)
{
    Heard heard;
    double runPitch = 0.0;
    int runLength = 0;
    auto closeRun = [&]() {
        if (runPitch != 0.0 && runLength >= 5 && (heard.tracks.empty() || heard.tracks.back() != runPitch)) {
            heard.tracks.push_back(runPitch);
        }
    };
    for (std::size_t first = 0; first + kStep <= stereo.size() / 2; first += kStep) {
        double track = 0.0;
        if (Loudness(stereo, first) > kThreshold) {
            ++heard.soundingBlocks;
            // A block straddling two tracks matches neither.
            const double pitch =
                soundtest::ZeroCrossingFrequency(stereo, 0, first, first + kStep, FMODTest::kCaptureRate);
            for (double candidate : kTrackPitch) {
                track = std::fabs(pitch - candidate) < 45.0 ? candidate : track;
            }
        }
        heard.blocks[track] += 1;
        if (track != runPitch) {
            closeRun();
            runPitch = track;
            runLength = 0;
        }
        ++runLength;
    }
    closeRun();
    return heard;
}

bool QuietFor(const std::vector<float>& stereo, int frames)
{
    for (std::size_t first = 0; first < static_cast<std::size_t>(frames) * kStep; first += kStep) {
        if (Loudness(stereo, first) > kThreshold) {
            return false;
        }
    }
    return true;
}

AudioRig::AudioRig()
{
    FMODTest::SetCaptureConfig(FMODTest::CaptureConfig());
    gEventDispatcher = &dispatcher;
    ReplaceAudio();
}

AudioRig::~AudioRig()
{
    // The system goes first, as at exit, while the dispatcher can still take
    // the jukebox's subscriptions back.
    delete audio;
    gAudioSystem = nullptr;
    gEventDispatcher = nullptr;
    FMODTest::CaptureConfig off;
    off.enabled = false;
    FMODTest::SetCaptureConfig(off);
}

void AudioRig::WriteTracks(const std::vector<double>& pitches, double seconds)
{
    for (std::size_t i = 0; i < pitches.size(); ++i) {
        const std::string file = tree.Bgm("track" + std::to_string(i + 1) + ".mp3");
        ASSERT_TRUE(soundtest::WriteTone(file, soundtest::FileKind::Mp3, pitches[i], seconds, 2)) << file;
    }
}

void AudioRig::StartAudio()
{
    ASSERT_TRUE(audio->Init());
    audio->LoadAllSounds();
}

void AudioRig::ReplaceAudio()
{
    delete audio;
    audio = new AudioSystem();
    gAudioSystem = audio;
}

std::vector<float> AudioRig::Frames(int count)
{
    FMODTest::TakeCapture(audio->system, nullptr);
    for (int i = 0; i < count; ++i) {
        dispatcher.ProcessQueue();
        audio->Update();
    }
    std::vector<float> captured;
    FMODTest::TakeCapture(audio->system, &captured);
    return captured;
}

void AudioRig::Post(int id, int state)
{
    dispatcher.PostMessage(id, new fInputState(id, state));
}

} // namespace audiotest
