// A sound system set up as the game sets it up, playing into the capture.
#pragma once

#include "SoundFixtures.h"

#include <fmod.hpp>
#include <fmod_test.h>

#include <gtest/gtest.h>

namespace soundtest {

constexpr FMOD_MODE kEffectMode = 0x200031; // loop off, 3D, hardware, linear roll-off
constexpr FMOD_MODE kMusicMode = 0x2a;      // loop normal, 2D, hardware
constexpr int kStep = 735;                  // frames rendered per update

class CaptureSystem : public ::testing::Test
{
protected:
    void StartSystem(int framesPerUpdate = kStep, const char* wavPath = nullptr)
    {
        FMODTest::CaptureConfig config;
        config.framesPerUpdate = framesPerUpdate;
        config.wavPath = wavPath;
        FMODTest::SetCaptureConfig(config);
        ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
        ASSERT_EQ(system->init(1000, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
        ASSERT_EQ(system->set3DNumListeners(1), FMOD_OK);
        ASSERT_TRUE(FMODTest::IsCapturing(system));
    }
    void TearDown() override
    {
        if (system) {
            EXPECT_EQ(system->close(), FMOD_OK);
            EXPECT_EQ(system->release(), FMOD_OK);
        }
    }
    // Runs updates and returns what they rendered.
    std::vector<float> Run(int updates)
    {
        FMODTest::TakeCapture(system, nullptr);
        for (int i = 0; i < updates; ++i) {
            EXPECT_EQ(system->update(), FMOD_OK);
        }
        std::vector<float> captured;
        FMODTest::TakeCapture(system, &captured);
        return captured;
    }
    FMOD::Sound* LoadEffect(const std::string& path)
    {
        FMOD::Sound* sound = nullptr;
        EXPECT_EQ(system->createSound(path.c_str(), kEffectMode, nullptr, &sound), FMOD_OK) << path;
        if (sound) {
            EXPECT_EQ(sound->setMode(FMOD_LOOP_OFF), FMOD_OK);
        }
        return sound;
    }
    FMOD::Sound* LoadMusic(const std::string& path)
    {
        FMOD::Sound* sound = nullptr;
        EXPECT_EQ(system->createStream(path.c_str(), kMusicMode, nullptr, &sound), FMOD_OK) << path;
        return sound;
    }
    void PlaceListener(float x, float y, float z, FMOD_VECTOR forward, FMOD_VECTOR up = {0, 1, 0})
    {
        const FMOD_VECTOR position = {x, y, z};
        EXPECT_EQ(system->set3DListenerAttributes(0, &position, nullptr, &forward, &up), FMOD_OK);
    }
    static bool Playing(FMOD::Channel* channel)
    {
        bool playing = true;
        channel->isPlaying(&playing);
        return playing;
    }

    TempFolder folder;
    FMOD::System* system = nullptr;
};

} // namespace soundtest
