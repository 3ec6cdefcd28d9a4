// The sound system's calls as the game makes them: set-up, failures on bad
// files, handles, channels and their lifetimes.
#include "CaptureSystem.h"

#include <fmod_errors.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace soundtest {
namespace {

using SoundSystem = CaptureSystem;

TEST_F(SoundSystem, SetsUpAsTheGameExpects)
{
    StartSystem();
    unsigned int version = 0;
    EXPECT_EQ(system->getVersion(&version), FMOD_OK);
    EXPECT_GE(version, 0x40430u);
    EXPECT_EQ(system->init(1000, FMOD_INIT_NORMAL, nullptr), FMOD_ERR_INITIALIZED);
    EXPECT_EQ(system->set3DNumListeners(2), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(system->set3DListenerAttributes(1, nullptr, nullptr, nullptr, nullptr), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(system->set3DListenerAttributes(0, nullptr, nullptr, nullptr, nullptr), FMOD_OK);

    FMOD::System* fresh = nullptr;
    ASSERT_EQ(FMOD::System_Create(&fresh), FMOD_OK);
    FMOD::Sound* sound = reinterpret_cast<FMOD::Sound*>(0x10);
    EXPECT_EQ(fresh->createSound("x.wav", kEffectMode, nullptr, &sound), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(fresh->update(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(fresh->release(), FMOD_OK);
}

TEST_F(SoundSystem, FailedLoadsGiveErrorsAndNullHandles)
{
    StartSystem();
    FMOD::Sound* sound = reinterpret_cast<FMOD::Sound*>(0x10);
    EXPECT_EQ(system->createSound("..\\sounds\\sfx\\missing.wav", kEffectMode, nullptr, &sound),
              FMOD_ERR_FILE_NOTFOUND);
    EXPECT_EQ(sound, nullptr);
    sound = reinterpret_cast<FMOD::Sound*>(0x10);
    EXPECT_EQ(system->createStream("..\\sounds\\bgm\\missing.mp3", kMusicMode, nullptr, &sound),
              FMOD_ERR_FILE_NOTFOUND);
    EXPECT_EQ(sound, nullptr);

    // A file that is not sound at all, and one cut off after its header.
    std::ofstream(folder.File("junk.wav")) << "RIFF this is not a wave file at all";
    EXPECT_EQ(system->createSound(folder.File("junk.wav").c_str(), kEffectMode, nullptr, &sound), FMOD_ERR_FORMAT);
    EXPECT_EQ(sound, nullptr);
    ASSERT_TRUE(WriteTone(folder.File("whole.wav"), FileKind::Wav, 440, 0.2, 1));
    {
        std::ifstream in(folder.File("whole.wav"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(folder.File("cut.wav"), std::ios::binary) << bytes.substr(0, 44);
    }
    const FMOD_RESULT cut = system->createSound(folder.File("cut.wav").c_str(), kEffectMode, nullptr, &sound);
    EXPECT_NE(cut, FMOD_OK);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(system->createStream(folder.Path().c_str(), kMusicMode, nullptr, &sound), FMOD_ERR_FILE_NOTFOUND)
        << "a folder is no sound";
    // Music that is not MPEG, bare or behind a tag, is refused without a word
    // on the error stream (the game's error log).
    std::ofstream(folder.File("text.mp3")) << "no frames here";
    std::ofstream(folder.File("tagged.mp3"), std::ios::binary) << std::string("ID3\3\0\0\0\0\0\4", 10) << "junkjunk";
    for (const char* name : {"text.mp3", "tagged.mp3"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(system->createStream(folder.File(name).c_str(), kMusicMode, nullptr, &sound), FMOD_ERR_FORMAT);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << name;
        EXPECT_EQ(sound, nullptr);
    }

    // Playing a sound that failed to load reports an error and hands out no channel.
    FMOD::Channel* channel = reinterpret_cast<FMOD::Channel*>(0x10);
    EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, nullptr, false, &channel), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(channel, nullptr);

    // Null handles through the C calls: an error, out-values still written.
    FMOD_BOOL flag = 1;
    EXPECT_EQ(FMOD_Sound_SetMode(nullptr, FMOD_LOOP_OFF), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Sound_Set3DMinMaxDistance(nullptr, 1.0f, 2.0f), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Sound_Release(nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_IsPlaying(nullptr, &flag), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(flag, 0);
    flag = 1;
    EXPECT_EQ(FMOD_Channel_GetPaused(nullptr, &flag), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(FMOD_Channel_Stop(nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetMute(nullptr, 1), FMOD_ERR_INVALID_HANDLE);

    EXPECT_STREQ(FMOD_ErrorString(FMOD_OK), "No errors.");
    EXPECT_STREQ(FMOD_ErrorString(static_cast<FMOD_RESULT>(12345)), "Unknown error.");
    EXPECT_STRNE(FMOD_ErrorString(FMOD_ERR_FILE_NOTFOUND), "Unknown error.");
    EXPECT_STRNE(FMOD_ErrorString(FMOD_ERR_INVALID_HANDLE), "Unknown error.");
}

TEST_F(SoundSystem, WindowsNamesFindTheFile)
{
    StartSystem();
    std::string sfx = folder.Path() + "/Sounds";
    ASSERT_EQ(std::system(("mkdir -p " + sfx + "/SFX").c_str()), 0);
    ASSERT_TRUE(WriteTone(sfx + "/SFX/Thud.wav", FileKind::Wav, 440, 0.2, 1));
    std::string windowsName = folder.Path() + "\\sounds\\sfx\\thud.WAV";
    FMOD::Sound* sound = nullptr;
    EXPECT_EQ(system->createSound(windowsName.c_str(), kEffectMode, nullptr, &sound), FMOD_OK);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->release(), FMOD_OK);
}

TEST_F(SoundSystem, EveryPlayGetsItsOwnHandle)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("thud.wav"), FileKind::Wav, 440, 0.25, 1));
    FMOD::Sound* thud = LoadEffect(folder.File("thud.wav"));
    ASSERT_NE(thud, nullptr);

    FMOD::Channel* first = nullptr;
    FMOD::Channel* second = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &first), FMOD_OK);
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &second), FMOD_OK);
    EXPECT_NE(first, second);
    EXPECT_TRUE(Playing(first));
    EXPECT_TRUE(Playing(second));
    // Stopping the newest play leaves the older one alone.
    EXPECT_EQ(second->stop(), FMOD_OK);
    EXPECT_FALSE(Playing(second));
    EXPECT_TRUE(Playing(first));
    EXPECT_EQ(second->stop(), FMOD_ERR_INVALID_HANDLE);

    // A quarter second lasts 15 updates of 1/60 s; then the effect has ended.
    Run(16);
    bool playing = true;
    EXPECT_EQ(first->isPlaying(&playing), FMOD_ERR_INVALID_HANDLE);
    EXPECT_FALSE(playing);
    bool paused = true;
    EXPECT_EQ(first->getPaused(&paused), FMOD_ERR_INVALID_HANDLE);
    EXPECT_FALSE(paused);
    EXPECT_EQ(first->setMute(true), FMOD_ERR_INVALID_HANDLE);

    // Handles are never recycled: a new play never revives an old handle.
    std::set<FMOD::Channel*> handles = {first, second};
    for (int i = 0; i < 20; ++i) {
        FMOD::Channel* channel = nullptr;
        ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel), FMOD_OK);
        EXPECT_TRUE(handles.insert(channel).second);
        channel->stop();
    }
    EXPECT_FALSE(Playing(first));
}

TEST_F(SoundSystem, MoreEffectsThanVoicesTakeTheOldestVoice)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("thud.wav"), FileKind::Wav, 440, 2.0, 1));
    ASSERT_TRUE(WriteTone(folder.File("track.mp3"), FileKind::Mp3, 330, 2.0, 2));
    FMOD::Sound* thud = LoadEffect(folder.File("thud.wav"));
    FMOD::Sound* track = LoadMusic(folder.File("track.mp3"));
    ASSERT_TRUE(thud && track);
    FMOD::Channel* music = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &music), FMOD_OK);
    std::vector<FMOD::Channel*> effects;
    for (int i = 0; i < 600; ++i) {
        FMOD::Channel* channel = nullptr;
        ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel), FMOD_OK) << i;
        effects.push_back(channel);
    }
    EXPECT_TRUE(Playing(effects.back()));
    EXPECT_TRUE(Playing(music)) << "music keeps its voice";
    int playing = 0;
    for (FMOD::Channel* channel : effects) {
        playing += Playing(channel);
    }
    EXPECT_GT(playing, 0);
    EXPECT_LT(playing, 600);
    EXPECT_FALSE(Playing(effects.front())) << "the oldest effect gave way";
}

TEST_F(SoundSystem, ReleasingAPlayingSoundEndsItsChannels)
{
    StartSystem();
    ASSERT_TRUE(WriteTone(folder.File("thud.wav"), FileKind::Wav, 440, 1.0, 1));
    ASSERT_TRUE(WriteTone(folder.File("track.mp3"), FileKind::Mp3, 440, 1.0, 2));
    FMOD::Sound* thud = LoadEffect(folder.File("thud.wav"));
    FMOD::Sound* track = LoadMusic(folder.File("track.mp3"));
    ASSERT_TRUE(thud && track);
    FMOD::Channel* effect = nullptr;
    FMOD::Channel* music = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, true, &effect), FMOD_OK);
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, track, false, &music), FMOD_OK);
    Run(3);
    EXPECT_EQ(thud->release(), FMOD_OK);
    EXPECT_EQ(track->release(), FMOD_OK);
    EXPECT_FALSE(Playing(effect));
    EXPECT_FALSE(Playing(music));
    const std::vector<float> after = Run(5);
    EXPECT_LT(Rms(after, 0), 1e-4);
    // Sounds left unreleased are cleaned up by close and release (ASan watches).
    ASSERT_TRUE(LoadEffect(folder.File("thud.wav")));
    ASSERT_NE(LoadMusic(folder.File("track.mp3")), nullptr);
}

TEST_F(SoundSystem, WithoutACaptureRequestStillRunsWithoutASoundCard)
{
    FMODTest::CaptureConfig config;
    config.enabled = false;
    FMODTest::SetCaptureConfig(config);
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(system->init(1000, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    ASSERT_TRUE(WriteTone(folder.File("thud.wav"), FileKind::Wav, 440, 0.1, 1));
    FMOD::Sound* thud = LoadEffect(folder.File("thud.wav"));
    ASSERT_NE(thud, nullptr);
    FMOD::Channel* channel = nullptr;
    ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, thud, false, &channel), FMOD_OK);
    EXPECT_TRUE(Playing(channel));
    if (!FMODTest::IsCapturing(system)) {
        GTEST_SKIP() << "a sound card is present; the discarding device is not in use";
    }
    // On the discarding device time moves with the updates: 0.1 s is 6 updates.
    for (int i = 0; i < 5; ++i) {
        system->update();
    }
    EXPECT_TRUE(Playing(channel));
    for (int i = 0; i < 3; ++i) {
        system->update();
    }
    EXPECT_FALSE(Playing(channel));
    EXPECT_EQ(FMODTest::TakeCapture(system, nullptr), 0u) << "nothing is kept when nobody listens";
}

} // namespace
} // namespace soundtest
