// Loading the sound folders: the generated set, the playlist's order, names
// of any length, files that fail, missing folders, and a system never started.
#include <filesystem>
#include <fstream>

#include "AudioRig.h"
#include "audio/JukeBox.h"
#include "core/Messages.h"

namespace audiotest {
namespace {

TEST(SoundLoading, TheGeneratedSoundsLoadUnderTheirNamesInPlaylistOrder)
{
    FMODTest::SetCaptureConfig(FMODTest::CaptureConfig());
    AudioSystem audio; // from the run tree's bin/, as the game runs
    ASSERT_TRUE(audio.Init());
    testing::internal::CaptureStdout();
    audio.LoadAllSounds();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(audio.sfxNames, (std::vector<std::string>{"ow", "thud"}));
    EXPECT_EQ(audio.bgmNames, (std::vector<std::string>{"track1", "track2", "track3"}));
    for (const std::string& name : audio.sfxNames) {
        EXPECT_TRUE(audio.FindSfx(name) && !audio.FindBgm(name)) << name;
    }
    for (const std::string& name : audio.bgmNames) {
        EXPECT_TRUE(audio.FindBgm(name) && !audio.FindSfx(name)) << name;
    }
    EXPECT_EQ(audio.FindSfx("Thud"), nullptr); // names are exact keys
    audio.Release();
    FMODTest::CaptureConfig off;
    off.enabled = false;
    FMODTest::SetCaptureConfig(off);
}

TEST_F(AudioRig, NamesComeWholeInWindowsOrderAndFailedFilesKeepTheirNames)
{
    const std::string longName(150, 'w');
    ASSERT_TRUE(soundtest::WriteTone(tree.Sfx(longName + ".wav"), soundtest::FileKind::Wav, 440.0, 0.1, 1));
    std::ofstream(tree.Sfx("bad.wav")) << "RIFF but nothing after it";
    std::ofstream(tree.Sfx("notes.txt")) << "not matched by the pattern";
    // Written out of order; the listing sorts without regard to case.
    ASSERT_TRUE(soundtest::WriteTone(tree.Bgm("b.mp3"), soundtest::FileKind::Mp3, 330.0, 0.2, 2));
    ASSERT_TRUE(soundtest::WriteTone(tree.Bgm("A.mp3"), soundtest::FileKind::Mp3, 220.0, 0.2, 2));
    std::ofstream(tree.Bgm("c.mp3")) << "no frames here";

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    StartAudio();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FMOD error! (5) Unsupported or unreadable sound file format.\n"
                                                      "FMOD error! (5) Unsupported or unreadable sound file format.\n");
    EXPECT_EQ(audio->sfxNames, (std::vector<std::string>{"bad", longName}));
    EXPECT_EQ(audio->bgmNames, (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_NE(audio->FindSfx(longName), nullptr);
    EXPECT_EQ(audio->sfx.count("bad"), 1u);
    EXPECT_EQ(audio->FindSfx("bad"), nullptr);
    EXPECT_EQ(audio->FindBgm("c"), nullptr);
}

TEST_F(AudioRig, MissingFoldersOrAMissingSystemLoadNothingAndSayNothing)
{
    WriteTracks({kTrackPitch[0]}, 0.5);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    audio->LoadAllSounds(); // before Init
    EXPECT_TRUE(audio->bgmNames.empty());
    cJukeBox* jukebox = new cJukeBox();
    audio->RegisterController(jukebox);
    audio->RegisterController(nullptr);
    Post(kMsgJukeBoxPlay);
    Frames(5);
    EXPECT_EQ(audio->controllers.size(), 1u);
    EXPECT_FALSE(jukebox->playing);
    AudioController stranger(false); // never registered: not the system's to delete
    audio->DeleteController(&stranger);
    EXPECT_EQ(audio->controllers.size(), 1u);

    ReplaceAudio();
    std::filesystem::remove_all(tree.Root() + "/sounds");
    StartAudio();
    EXPECT_TRUE(audio->sfx.empty() && audio->bgm.empty() && audio->sfxNames.empty() && audio->bgmNames.empty());
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
}

} // namespace
} // namespace audiotest
