// Named sounds of an owner, the objects' impact sound on message 7 and the
// listener at the camera, listened to in the capture.
#include <algorithm>
#include <memory>

#include "AudioRig.h"
#include "audio/AudioController.h"
#include "core/Messages.h"
#include "objects/Object.h"

namespace audiotest {
namespace {

constexpr int kThud = 30; // updates of the 0.5 s effect

class NamedSounds : public AudioRig
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(soundtest::WriteTone(tree.Sfx("thud.wav"), soundtest::FileKind::Wav, 440.0, 0.5, 1));
        ASSERT_TRUE(soundtest::WriteTone(tree.Sfx("ow.wav"), soundtest::FileKind::Wav, 330.0, 0.3, 1));
        WriteTracks({kTrackPitch[0]}, 0.5);
        StartAudio();
    }
    // Owned and freed by the system, as an object's controller is.
    AudioController& NewOwner(const char* sound)
    {
        AudioController* owner = new AudioController(true);
        audio->RegisterController(owner);
        owner->AddSound(sound, true, 5.0f, nullptr, nullptr);
        return *owner;
    }
    bool Registered(const AudioController* controller) const
    {
        return std::count(audio->controllers.begin(), audio->controllers.end(), controller) == 1;
    }
};

TEST_F(NamedSounds, AbsentNamesDoNothingAndASecondPlayGetsItsOwnChannel)
{
    AudioController& owner = NewOwner("missing");
    owner.AddSound("thud", false, 1.0f, nullptr, nullptr); // effects and music keep apart
    EXPECT_TRUE(owner.slots.empty());
    testing::internal::CaptureStdout();
    owner.Play("thud");
    owner.ToggleMute("thud");
    EXPECT_EQ(Listen(Frames(5)).soundingBlocks, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    owner.AddSound("thud", true, 5.0f, nullptr, nullptr);
    EXPECT_FALSE(owner.IsPlaying("thud"));
    owner.Play("thud");
    FMOD::Channel* first = owner.slots["thud"].channel;
    Frames(5);
    owner.Play("thud");
    EXPECT_NE(owner.slots["thud"].channel, first);
    owner.Stop("thud");
    EXPECT_FALSE(owner.IsPlaying("thud"));
    // Only the newest play stopped; the first runs on to its end.
    EXPECT_NEAR(Listen(Frames(kThud)).soundingBlocks, kThud - 5, 2);
}

TEST_F(NamedSounds, IsPlayingFollowsTheSoundThroughPauseMuteAndItsEnd)
{
    struct Timeline
    {
        const char* name;
        std::vector<int> toggleFrames;
        bool pause;        // else mute
        int sounding, end; // blocks heard; first update after which it is over
    };
    const Timeline timelines[] = {
        {"played through", {}, true, kThud, kThud},
        {"paused for 20 updates: it holds its place", {10, 30}, true, kThud, kThud + 20},
        {"muted for 10 updates: it runs on unheard", {10, 20}, false, kThud - 10, kThud},
    };
    for (const Timeline& timeline : timelines) {
        SCOPED_TRACE(timeline.name);
        AudioController& owner = NewOwner("thud");
        owner.Play("thud");
        std::vector<float> captured;
        int end = -1;
        for (int frame = 0; frame < kThud + 30; ++frame) {
            if (std::count(timeline.toggleFrames.begin(), timeline.toggleFrames.end(), frame)) {
                timeline.pause ? owner.TogglePause("thud") : owner.ToggleMute("thud");
            }
            const std::vector<float> block = Frames(1);
            captured.insert(captured.end(), block.begin(), block.end());
            end = (end < 0 && !owner.IsPlaying("thud")) ? frame : end;
        }
        EXPECT_NEAR(Listen(captured).soundingBlocks, timeline.sounding, 2);
        EXPECT_NEAR(end, timeline.end, 2);
        audio->DeleteController(&owner);
    }
}

TEST_F(NamedSounds, ObjectsRegisterAndAFastFallOfAnyButObjectZeroIsHeardOnce)
{
    struct Fall
    {
        const char* name;
        bool objectZero;
        float zVelocity;
        bool heard;
    };
    const Fall falls[] = {
        {"a fast fall", false, -5.1f, true},
        {"exactly 5", false, -5.0f, false},
        {"rising", false, 3.0f, false},
        {"object 0", true, -20.0f, false},
    };
    for (const Fall& fall : falls) {
        SCOPED_TRACE(fall.name);
        const std::size_t before = audio->controllers.size();
        Object::ResetIdCounter();
        std::unique_ptr<Object> character(new Object());
        Object crate(1);
        EXPECT_TRUE(Registered(crate.audio));
        Object& falling = fall.objectZero ? *character : crate;
        falling.linearVelocity.z = fall.zVelocity;
        dispatcher.PostMessage(kMsgPlaySound, new fPlaySound("thud"));
        const Heard start = Listen(Frames(10));
        EXPECT_EQ(falling.audio->IsPlaying("thud"), fall.heard);
        // Asked again while it sounds: the same play goes on.
        dispatcher.PostMessage(kMsgPlaySound, new fPlaySound("thud"));
        EXPECT_NEAR(start.soundingBlocks + Listen(Frames(kThud)).soundingBlocks, fall.heard ? kThud : 0, 2);
        const AudioController* gone = character->audio;
        character.reset();
        EXPECT_FALSE(Registered(gone));
        EXPECT_EQ(audio->controllers.size(), before + 1);
    }
}

ListenerPose ReadPose(const Camera* camera)
{
    return *reinterpret_cast<const ListenerPose*>(camera);
}

TEST_F(NamedSounds, TheCameraHearsEffectsFromTheWorldOriginAndMusicEvenly)
{
    enum Ear { kLeft, kRight, kEven };
    struct View
    {
        const char* name;
        ListenerPose pose; // z up, as in the game
        Ear louder;
    };
    const Vector3 up(0, 0, 1);
    const View views[] = {
        {"origin on the right", {Vector3(0, -10, 0), Vector3(1, 0, 0), up}, kRight},
        {"turned round", {Vector3(0, -10, 0), Vector3(-1, 0, 0), up}, kLeft},
        {"straight ahead", {Vector3(-10, 0, 0), Vector3(1, 0, 0), up}, kEven},
    };
    AudioController& owner = NewOwner("thud");
    owner.AddSound("track1", false, 0.0f, nullptr, nullptr);
    audio->SetCameraPoseReader(ReadPose);
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        audio->SetListenerCamera(reinterpret_cast<Camera*>(const_cast<ListenerPose*>(&view.pose)));
        for (const std::string sound : {"thud", "track1"}) {
            owner.Play(sound);
            const std::vector<float> heard = Frames(10);
            owner.Stop(sound);
            const double right = soundtest::Rms(heard, 1), left = soundtest::Rms(heard, 0);
            const Ear louder = sound == "thud" ? view.louder : kEven; // music is not placed
            EXPECT_GT(left + right, 2 * kThreshold) << sound;
            EXPECT_EQ(right > 1.5 * left ? kRight : left > 1.5 * right ? kLeft : kEven, louder) << sound;
        }
    }
    // Music loops as loaded: still playing after twice its length.
    owner.Play("track1");
    Frames(2 * kThud + 5);
    EXPECT_TRUE(owner.IsPlaying("track1"));
}

TEST_F(NamedSounds, ControllersSurviveTheSystemTheirOwnersOutlive)
{
    // The player's way: not owned by the system, freed after it is gone.
    std::unique_ptr<AudioController> own(new AudioController(false));
    audio->RegisterController(own.get());
    own->AddSound("ow", true, 1.0f, nullptr, nullptr);
    own->Play("ow");
    const std::vector<float> heard = Frames(10);
    EXPECT_NEAR(soundtest::ZeroCrossingFrequency(heard, 0, 2 * kStep, 10 * kStep, FMODTest::kCaptureRate), 330.0, 20.0);
    std::unique_ptr<Object> released(new Object(1));
    audio->Release();
    EXPECT_FALSE(own->IsPlaying("ow"));
    own->Play("ow");
    released.reset(); // its controller went with the release
    std::unique_ptr<Object> orphan(new Object(1));
    delete audio;
    audio = gAudioSystem = nullptr;
    orphan.reset(); // its controller went with the system
    own.reset();
}

} // namespace
} // namespace audiotest
