// The jukebox under the player's keys, driven as the game drives it (key
// states posted through the dispatcher, one sound update per frame) and
// listened to in the capture, where each track has its own pitch.
#include <algorithm>
#include <fstream>

#include "AudioRig.h"
#include "audio/JukeBox.h"
#include "core/Messages.h"

namespace audiotest {
namespace {

constexpr double kTrackSeconds = 0.5; // 30 updates
constexpr int kTrack = 30;
const double a = kTrackPitch[0], b = kTrackPitch[1], c = kTrackPitch[2];

struct Key
{
    int frame, id, state;
};

struct Scenario
{
    const char* name;
    std::vector<Key> keys;
    int frames;
    std::vector<double> heard; // tracks in the order they sounded
    int quietFrames;           // silent from the start
    int firstTrackBlocks;      // blocks of track 1; -1: not checked
};

class JukeBoxRig : public AudioRig
{
protected:
    // As the start-up does it: registered, then stopped.
    void StartJukeBox()
    {
        StartAudio();
        jukebox = gJukeBox = new cJukeBox();
        audio->RegisterController(jukebox);
        jukebox->Stop();
    }
    std::vector<float> Run(const std::vector<Key>& keys, int frames)
    {
        std::vector<float> heard;
        for (int frame = 0; frame < frames; ++frame) {
            for (const Key& key : keys) {
                if (key.frame == frame) Post(key.id, key.state);
            }
            const std::vector<float> block = Frames(1);
            heard.insert(heard.end(), block.begin(), block.end());
        }
        return heard;
    }
    cJukeBox* jukebox = nullptr; // the system's
};

TEST_F(JukeBoxRig, KeysPlayMoveStopPauseAndMuteTheTracksInPlaylistOrder)
{
    WriteTracks({a, b, c}, kTrackSeconds);
    const int play = kMsgJukeBoxPlay, next = kMsgJukeBoxNext, previous = kMsgJukeBoxPrevious;
    const int stop = kMsgJukeBoxStop, pause = kMsgJukeBoxPause, mute = kMsgJukeBoxMute;
    const Scenario scenarios[] = {
        {"silent after start-up", {}, 40, {}, 40, -1},
        {"tracks end, advance in order and wrap", {{0, play, 1}}, 3 * kTrack + 20, {a, b, c, a}, 0, -1},
        {"a held key waits for its release",
         {{0, play, kPressPressed}, {1, play, kPressHeld}, {20, play, kPressReleased}},
         40,
         {a},
         20,
         20},
        {"next while stopped moves silently", {{0, next, 1}, {20, play, 1}}, 50, {b}, 20, 0},
        {"previous on the first track selects the last", {{0, play, 1}, {10, previous, 1}}, 60, {a, c, a}, 0, -1},
        // Paused counts as playing, so no advance; the rest follows the resume.
        {"pause holds the track", {{0, play, 1}, {10, pause, 1}, {60, pause, 1}}, 100, {a, b}, 0, kTrack},
        // Muted, the track runs on unheard and ends on time.
        {"mute silences without stopping", {{0, play, 1}, {10, mute, 1}, {20, mute, 1}}, 50, {a, b}, 0, kTrack - 10},
        {"stop then play starts again", {{0, play, 1}, {15, stop, 1}, {30, play, 1}}, 80, {a, b}, 0, 15 + kTrack},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        ReplaceAudio();
        StartJukeBox();
        const std::vector<float> captured = Run(scenario.keys, scenario.frames);
        Heard heard = Listen(captured);
        EXPECT_EQ(heard.tracks, scenario.heard);
        EXPECT_TRUE(QuietFor(captured, scenario.quietFrames));
        if (scenario.firstTrackBlocks >= 0) { EXPECT_NEAR(heard.blocks[a], scenario.firstTrackBlocks, 4); }
    }
}

TEST_F(JukeBoxRig, ATrackThatFailedToLoadIsSkippedWithOneLine)
{
    WriteTracks({a, b, c}, kTrackSeconds);
    std::ofstream(tree.Bgm("track2.mp3")) << "not a sound at all";
    testing::internal::CaptureStdout();
    StartJukeBox();
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("FMOD error! (5) ", 0), 0u);
    EXPECT_EQ(jukebox->slots["track2"].sound, nullptr); // the slot stays, empty

    testing::internal::CaptureStdout();
    const Heard heard = Listen(Run({{0, kMsgJukeBoxPlay, 1}}, 2 * kTrack + 20));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(heard.tracks, (std::vector<double>{a, c, a}));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(jukebox->slots["track2"].channel, nullptr);
}

TEST_F(JukeBoxRig, AnEmptyPlaylistIgnoresEveryKeyAndUnknownIdsAreReportedOnRelease)
{
    StartJukeBox();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::vector<Key> keys;
    for (int id = kMsgJukeBoxPlay; id <= kMsgJukeBoxMute; ++id) keys.push_back({id - kMsgJukeBoxPlay, id, 1});
    Run(keys, 8);
    fInputState held(99, kPressHeld);
    jukebox->HandleMessage(99, &held);
    jukebox->HandleMessage(kMsgJukeBoxPlay, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(jukebox->current, 0);

    testing::internal::CaptureStderr();
    fInputState released(99, kPressReleased);
    jukebox->HandleMessage(99, &released);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(report.rfind("Unknown message sent to object\nFailed in file: ", 0), 0u) << report;
    EXPECT_NE(report.find("JukeBox.cpp\nOn line: "), std::string::npos) << report;
}

TEST_F(JukeBoxRig, ReleaseDestroysTheJukeboxAndItsSubscriptionsAndMayRunAgain)
{
    WriteTracks({a}, kTrackSeconds);
    StartJukeBox();
    Run({{0, kMsgJukeBoxPlay, 1}}, 5);
    audio->Release(); // through the base class, as the system holds it
    EXPECT_EQ(gJukeBox, nullptr);
    EXPECT_TRUE(audio->controllers.empty());
    for (int id = kMsgJukeBoxPlay; id <= kMsgJukeBoxMute; ++id) Post(id);
    Frames(1); // nobody left to deliver to
    audio->Release();
}

} // namespace
} // namespace audiotest
