// Listening to the mix: where an effect sounds from, how far it carries, how
// music plays, pauses, mutes and ends, and which track is playing.
#include "CaptureSystem.h"

#include <sndfile.h>

namespace soundtest {
namespace {

using Listening = CaptureSystem;

constexpr FMOD_VECTOR kAlongZ = {0, 0, 1};
constexpr FMOD_VECTOR kAlongX = {1, 0, 0};

struct Ears
{
    double left;
    double right;
};

class Placement : public CaptureSystem
{
protected:
    void SetUp() override
    {
        StartSystem();
        ASSERT_TRUE(WriteTone(folder.File("thud.wav"), FileKind::Wav, 500, 0.5, 2));
        thud = LoadEffect(folder.File("thud.wav"));
        ASSERT_NE(thud, nullptr);
        ASSERT_EQ(thud->set3DMinMaxDistance(2.0f, 20.0f), FMOD_OK);
    }
    // Effects sound from the origin; the listener moves, as in the game.
    Ears Hear(float x, float y, float z, FMOD_VECTOR forward)
    {
        PlaceListener(x, y, z, forward);
        FMOD::Channel* channel = nullptr;
        EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel), FMOD_OK);
        const std::vector<float> mix = Run(15);
        channel->stop();
        return {Rms(mix, 0), Rms(mix, 1)};
    }
    FMOD::Sound* thud = nullptr;
};

TEST_F(Placement, AnEffectOnTheLeftIsLouderInTheLeftEar)
{
    // Looking along +z with +x to the right: the origin lies to the left.
    Ears ears = Hear(8, 0, 0, kAlongZ);
    EXPECT_GT(ears.left, 0.02);
    EXPECT_GT(ears.left, 1.5 * ears.right) << ears.left << " " << ears.right;
    ears = Hear(-8, 0, 0, kAlongZ);
    EXPECT_GT(ears.right, 1.5 * ears.left) << ears.left << " " << ears.right;
    // Looking along +x from z = 10, the right hand points to -z: the origin is on the right.
    ears = Hear(0, 0, 10, kAlongX);
    EXPECT_GT(ears.right, 1.5 * ears.left) << ears.left << " " << ears.right;
    ears = Hear(0, 0, -10, kAlongX);
    EXPECT_GT(ears.left, 1.5 * ears.right) << ears.left << " " << ears.right;

    // Null arguments keep what was set: still looking along +x, now from z = 10.
    const FMOD_VECTOR position = {0, 0, 10};
    ASSERT_EQ(system->set3DListenerAttributes(0, &position, nullptr, nullptr, nullptr), FMOD_OK);
    FMOD::Channel* channel = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel), FMOD_OK);
    const std::vector<float> mix = Run(15);
    EXPECT_GT(Rms(mix, 1), 1.5 * Rms(mix, 0));
}

TEST_F(Placement, LoudnessFallsLinearlyAndStopsAtTheMaximumDistance)
{
    const Ears inside = Hear(0, 0, 1, kAlongZ); // within the minimum distance, straight ahead
    const Ears atMin = Hear(0, 0, 2, kAlongZ);
    const Ears halfway = Hear(0, 0, 11, kAlongZ);
    const Ears beyond = Hear(0, 0, 25, kAlongZ);
    const double full = inside.left + inside.right;
    EXPECT_GT(full, 0.05);
    EXPECT_NEAR(atMin.left + atMin.right, full, 0.02 * full);
    EXPECT_NEAR(halfway.left + halfway.right, 0.5 * full, 0.05 * full);
    EXPECT_LT(beyond.left, 1e-4);
    EXPECT_LT(beyond.right, 1e-4);
    // A larger maximum lets the same effect carry there.
    ASSERT_EQ(thud->set3DMinMaxDistance(2.0f, 50.0f), FMOD_OK);
    const Ears farther = Hear(0, 0, 25, kAlongZ);
    EXPECT_GT(farther.left + farther.right, 0.2 * full);
}

TEST_F(Listening, AStreamPlaysPausesMutesAndEnds)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("track.mp3"), FileKind::Mp3, 440, 1.0, 2));
    FMOD::Sound* track = LoadMusic(folder.File("track.mp3"));
    ASSERT_NE(track, nullptr);
    ASSERT_EQ(track->setMode(FMOD_LOOP_OFF), FMOD_OK); // as the jukebox does

    EXPECT_LT(Rms(Run(10), 0), 1e-4) << "silent until played";
    FMOD::Channel* channel = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &channel), FMOD_OK);
    EXPECT_GT(Rms(Run(10), 0), 0.1);
    EXPECT_TRUE(Playing(channel));

    ASSERT_EQ(channel->setPaused(true), FMOD_OK);
    bool flag = false;
    EXPECT_EQ(channel->getPaused(&flag), FMOD_OK);
    EXPECT_TRUE(flag);
    EXPECT_LT(Rms(Run(30), 0), 1e-4);
    EXPECT_TRUE(Playing(channel)) << "a paused track still counts as playing";
    ASSERT_EQ(channel->setPaused(false), FMOD_OK);
    EXPECT_GT(Rms(Run(10), 0), 0.1);

    ASSERT_EQ(channel->setMute(true), FMOD_OK);
    EXPECT_EQ(channel->getMute(&flag), FMOD_OK);
    EXPECT_TRUE(flag);
    // The mixer ramps the gain down within the first step to avoid a click.
    EXPECT_LT(Rms(Run(10), 0, kStep, 10 * kStep), 1e-4);
    EXPECT_TRUE(Playing(channel));
    ASSERT_EQ(channel->setMute(false), FMOD_OK);

    // 30 updates of the second have sounded; the rest (plus the decoder's padding) then the end.
    int updates = 0;
    while (Playing(channel) && updates < 200) {
        system->update();
        ++updates;
    }
    EXPECT_GE(updates, 25);
    EXPECT_LE(updates, 40);
    bool playing = true;
    EXPECT_EQ(channel->isPlaying(&playing), FMOD_ERR_INVALID_HANDLE);
    EXPECT_FALSE(playing);
    EXPECT_LT(Rms(Run(10), 0), 1e-4) << "silent after the end";
}

TEST_F(Listening, ALoopingStreamGoesOnAndARestartEndsTheOldHandle)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("loop.mp3"), FileKind::Mp3, 440, 0.5, 2));
    FMOD::Sound* track = LoadMusic(folder.File("loop.mp3"));
    ASSERT_NE(track, nullptr);
    FMOD::Channel* first = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &first), FMOD_OK);
    const std::vector<float> mix = Run(120); // two seconds of a half-second loop
    EXPECT_TRUE(Playing(first));
    EXPECT_GT(SoundingFrames(mix, 0.1), 2 * 44100 * 9 / 10);

    FMOD::Channel* second = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &second), FMOD_OK);
    EXPECT_NE(first, second);
    EXPECT_FALSE(Playing(first));
    EXPECT_EQ(first->setPaused(true), FMOD_ERR_INVALID_HANDLE);
    EXPECT_TRUE(Playing(second));
    // Only one copy plays: the level is that of one tone, not two.
    const std::vector<float> after = Run(10);
    EXPECT_NEAR(Rms(after, 0), Rms(mix, 0, 0, 7350), 0.05);
}

TEST_F(Listening, TwoTracksAreToldApartByPitch)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("low.mp3"), FileKind::Mp3, 300, 0.5, 2));
    ASSERT_TRUE(WriteTone(folder.File("high.mp3"), FileKind::Mp3, 1200, 0.5, 2));
    FMOD::Sound* low = LoadMusic(folder.File("low.mp3"));
    FMOD::Sound* high = LoadMusic(folder.File("high.mp3"));
    ASSERT_TRUE(low && high);
    low->setMode(FMOD_LOOP_OFF);
    high->setMode(FMOD_LOOP_OFF);

    // The jukebox's way: when the track stops playing, the next one starts.
    FMOD::Channel* channel = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, low, false, &channel), FMOD_OK);
    FMODTest::TakeCapture(system, nullptr);
    int switchedAt = -1;
    for (int update = 0; update < 80; ++update) {
        system->update();
        if (switchedAt < 0 && !Playing(channel)) {
            switchedAt = update + 1;
            ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, high, false, &channel), FMOD_OK);
        }
    }
    std::vector<float> mix;
    FMODTest::TakeCapture(system, &mix);
    ASSERT_GT(switchedAt, 25);
    ASSERT_LT(switchedAt, 40);
    const std::size_t lowEnd = static_cast<std::size_t>(switchedAt - 2) * kStep;
    const std::size_t highStart = static_cast<std::size_t>(switchedAt + 2) * kStep;
    EXPECT_NEAR(ZeroCrossingFrequency(mix, 0, kStep * 2, lowEnd, 44100), 300.0, 15.0);
    EXPECT_NEAR(ZeroCrossingFrequency(mix, 1, highStart, highStart + 20 * kStep, 44100), 1200.0, 60.0);
}

TEST_F(Listening, AStreamThatRunsDryKeepsPlayingAndLosesNothing)
{
    // Two seconds per update, as when a long stage load holds the frame:
    // more than the stream keeps queued.
    StartSystem(2 * 44100);
    ASSERT_TRUE(WriteTone(folder.File("long.mp3"), FileKind::Mp3, 440, 5.0, 2));
    FMOD::Sound* track = LoadMusic(folder.File("long.mp3"));
    ASSERT_NE(track, nullptr);
    track->setMode(FMOD_LOOP_OFF);
    FMOD::Channel* channel = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &channel), FMOD_OK);
    FMODTest::TakeCapture(system, nullptr);
    std::vector<float> first = Run(1);
    EXPECT_GT(Rms(first, 0, 0, 22050), 0.1);
    EXPECT_LT(Rms(first, 0, 66150, 88200), 1e-4) << "the queue ran dry within the step";
    EXPECT_TRUE(Playing(channel)) << "a dry stream still counts as playing";

    std::vector<float> all = first;
    int updates = 1;
    while (Playing(channel) && updates < 20) {
        const std::vector<float> more = Run(1);
        all.insert(all.end(), more.begin(), more.end());
        ++updates;
    }
    EXPECT_FALSE(Playing(channel));
    // Every second of the track was heard once: none skipped, none repeated.
    const double heard = static_cast<double>(SoundingFrames(all, 0.1)) / 44100.0;
    EXPECT_NEAR(heard, 5.0, 0.1);
}

TEST_F(Listening, EveryMp3PlaysToItsLastSample)
{
    // Without an info frame a variable-bit-rate file's length cannot be told
    // from its first frame: it is heard whole only if it is read to the end.
    // Each file is streamed as music and loaded whole as an effect.
    StartSystem();
    constexpr double kSeconds = 2.0;
    const struct
    {
        const char* name;
        FileKind kind;
    } files[] = {{"variable.mp3", FileKind::Mp3},
                 {"variable_no_info.mp3", FileKind::Mp3WithoutInfo},
                 {"constant.mp3", FileKind::Mp3Constant}};
    for (const auto& file : files) {
        const std::string path = folder.File(file.name);
        ASSERT_TRUE(WriteTone(path, file.kind, 440, kSeconds, 2)) << file.name;
        for (const bool streamed : {true, false}) {
            FMOD::Sound* sound = streamed ? LoadMusic(path) : LoadEffect(path);
            ASSERT_NE(sound, nullptr) << file.name;
            ASSERT_EQ(sound->setMode(FMOD_LOOP_OFF), FMOD_OK);
            FMOD::Channel* channel = nullptr;
            ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
            FMODTest::TakeCapture(system, nullptr);
            for (int updates = 0; Playing(channel) && updates < 300; ++updates) {
                system->update();
            }
            std::vector<float> mix;
            FMODTest::TakeCapture(system, &mix);
            const double heard = static_cast<double>(SoundingFrames(mix, 0.1)) / FMODTest::kCaptureRate;
            EXPECT_NEAR(heard, kSeconds, 0.05) << file.name << (streamed ? " streamed" : " loaded");
            EXPECT_EQ(sound->release(), FMOD_OK);
        }
    }
}

TEST_F(Listening, TheCaptureFileHoldsWhatWasRendered)
{
    const std::string wavPath = folder.File("capture.wav");
    StartSystem(kStep, wavPath.c_str());
    ASSERT_TRUE(WriteTone(folder.File("track.mp3"), FileKind::Mp3, 440, 1.0, 2));
    FMOD::Sound* track = LoadMusic(folder.File("track.mp3"));
    ASSERT_NE(track, nullptr);
    FMOD::Channel* channel = nullptr;
    Run(6);
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &channel), FMOD_OK);
    Run(30);
    EXPECT_EQ(system->close(), FMOD_OK); // finalises the file
    EXPECT_EQ(system->release(), FMOD_OK);
    system = nullptr;

    SF_INFO info = {};
    SNDFILE* file = sf_open(wavPath.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 36 * kStep);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    std::vector<float> frames(static_cast<std::size_t>(info.frames) * 2);
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    EXPECT_LT(Rms(frames, 0, 0, 6 * kStep), 1e-3) << "nothing before the play";
    EXPECT_GT(Rms(frames, 0, 7 * kStep, 36 * kStep), 0.1);
}

} // namespace
} // namespace soundtest
