// The physical game object: ids, messages 2 and 7, the failure report for
// any other id, its sound and its mesh instances; and the records it uses.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "../fmod/SoundFixtures.h"
#include "ShapeTestSupport.h"
#include "audio/AudioController.h"
#include "audio/AudioSystem.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "fmod_test.h"
#include "objects/Box.h"
#include "objects/Object.h"
#include "objects/Polyhedron.h"
#include "render/MeshInstance.h"

namespace {

class CerrCapture
{
public:
    CerrCapture() : saved(std::cerr.rdbuf(text.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(saved); }
    std::string Text() const { return text.str(); }

private:
    std::ostringstream text;
    std::streambuf* saved;
};

// A sound system with one loaded effect, "thud", playing into the capture
// device so nothing needs a sound card.
class SoundFixture
{
public:
    SoundFixture()
    {
        FMODTest::CaptureConfig config;
        FMODTest::SetCaptureConfig(config);
        audioSystem.Init();
        soundtest::WriteTone(folder.File("thud.wav"), soundtest::FileKind::Wav, 440.0, 1.0, 1);
        audioSystem.LoadSfx(folder.File("thud.wav"));
        system = audioSystem.system;
        gAudioSystem = &audioSystem;
    }
    ~SoundFixture()
    {
        gAudioSystem = nullptr;
        FMODTest::CaptureConfig off;
        off.enabled = false;
        FMODTest::SetCaptureConfig(off);
    }

    FMOD::System* system = nullptr;

private:
    soundtest::TempFolder folder;
    AudioSystem audioSystem; // released before the folder goes
};

} // namespace

TEST(Object, IdsCountFromTheLastResetAndTypesHaveTheirDefaults)
{
    Object::ResetIdCounter();
    Object first;
    Object second(5);
    Box box(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
    Prism prism(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
    Pyramid pyramid(nullptr, 1.0f, 1.0f, 1.0f);
    Tetrahedron tetrahedron(nullptr, 1.0f, 1.0f);
    EXPECT_EQ(*first.GetObjectId(), 0);
    EXPECT_EQ(*second.GetObjectId(), 1);
    EXPECT_EQ(*box.GetObjectId(), 2);
    EXPECT_EQ(*tetrahedron.GetObjectId(), 5);
    EXPECT_EQ(Object::GetIdCounter(), 6);
    EXPECT_EQ(first.GetType(), 20);
    EXPECT_EQ(second.GetType(), 5);
    EXPECT_EQ(box.GetType(), 1);
    EXPECT_EQ(prism.GetType(), 31);
    EXPECT_EQ(pyramid.GetType(), 17);
    EXPECT_EQ(tetrahedron.GetType(), 20);
    // Through the body interface as the physics world sees it.
    RigidBody& body = box;
    EXPECT_EQ(body.GetObjectId(), &box.objectId);
    EXPECT_EQ(body.GetCollisionData()->owner, &body);
    EXPECT_EQ(first.audio, nullptr); // no sound system here
}

TEST(Object, SetVelocityAddsToTheVelocityEvenWhenFrozen)
{
    Object object;
    object.linearVelocity = Vector3(0.5f, 0.0f, -1.0f);
    object.freezeState = 1;
    fSetVelocity push(Vector3(1.0f, 0.0f, 0.0f));
    object.HandleMessage(kMsgSetVelocity, &push);
    EXPECT_EQ(object.linearVelocity, Vector3(1.5f, 0.0f, -1.0f));
    // Another type under id 2, or none at all, changes nothing.
    fPlaySound sound("thud");
    object.HandleMessage(kMsgSetVelocity, &sound);
    object.HandleMessage(kMsgSetVelocity, nullptr);
    EXPECT_EQ(object.linearVelocity, Vector3(1.5f, 0.0f, -1.0f));
}

TEST(Object, MessagesArriveThroughTheDispatcherUntilTheObjectDies)
{
    EventDispatcher dispatcher;
    gEventDispatcher = &dispatcher;
    Object* object = new Object();
    dispatcher.PostMessage(kMsgSetVelocity, new fSetVelocity(Vector3(0.0f, 2.0f, 0.0f)));
    dispatcher.PostMessage(kMsgPlaySound, new fPlaySound("thud"));
    dispatcher.ProcessQueue();
    EXPECT_EQ(object->linearVelocity, Vector3(0.0f, 2.0f, 0.0f));
    delete object;
    // A dead object is unsubscribed: delivery must not touch it.
    dispatcher.PostMessage(kMsgSetVelocity, new fSetVelocity(Vector3(0.0f, 2.0f, 0.0f)));
    dispatcher.ProcessQueue();
    gEventDispatcher = nullptr;
}

TEST(Object, UnknownMessageWritesTheThreeLineReport)
{
    Object object;
    CerrCapture capture;
    fSetVelocity push(Vector3(1.0f, 0.0f, 0.0f));
    object.HandleMessage(kMsgJump, &push);
    object.HandleMessage(99, nullptr);
    const std::string report = "Unknown message sent to object\nFailed in file: Object\nOn line: 145\n";
    EXPECT_EQ(capture.Text(), report + report);
    EXPECT_EQ(object.linearVelocity, Vector3());
}

TEST(Object, ThudPlaysOnlyForAFastFallOfAnObjectOtherThanTheFirst)
{
    SoundFixture sound;
    Object::ResetIdCounter();
    Object character(20); // object 0: the player's character
    Object crate(20);
    ASSERT_NE(crate.audio, nullptr);
    ASSERT_EQ(crate.audio->slots.count("thud"), 1u);
    EXPECT_EQ(crate.audio->slots["thud"].position, &crate.position);
    EXPECT_EQ(crate.audio->slots["thud"].velocity, &crate.linearVelocity);
    Object untied; // the constructor without a type ties the sound to nothing
    EXPECT_EQ(untied.audio->slots["thud"].position, nullptr);
    EXPECT_FALSE(crate.audio->IsPlaying("thud"));

    fPlaySound request("thud");
    crate.linearVelocity.z = -5.0f; // exactly -5 is not a fall
    crate.HandleMessage(kMsgPlaySound, &request);
    EXPECT_FALSE(crate.audio->IsPlaying("thud"));
    crate.HandleMessage(kMsgPlaySound, nullptr);
    EXPECT_FALSE(crate.audio->IsPlaying("thud"));
    crate.linearVelocity.z = -5.1f;
    crate.HandleMessage(kMsgPlaySound, &request);
    EXPECT_TRUE(crate.audio->IsPlaying("thud"));
    // Already playing: not started again on another channel.
    FMOD::Channel* channel = crate.audio->slots["thud"].channel;
    crate.HandleMessage(kMsgPlaySound, &request);
    EXPECT_EQ(crate.audio->slots["thud"].channel, channel);
    crate.audio->Stop("thud");
    EXPECT_FALSE(crate.audio->IsPlaying("thud"));

    character.linearVelocity.z = -20.0f;
    character.HandleMessage(kMsgPlaySound, &request);
    EXPECT_FALSE(character.audio->IsPlaying("thud"));
}

TEST(Object, SoundTableIgnoresUnknownNames)
{
    SoundFixture sound;
    AudioController controller(false);
    controller.Init(&sound.system);
    controller.AddSound("ow", true, 1.0f, nullptr, nullptr);
    EXPECT_TRUE(controller.slots.empty());
    controller.Play("ow");
    controller.Stop("ow");
    controller.ToggleMute("ow");
    EXPECT_FALSE(controller.IsPlaying("ow"));
    // Two quick plays: the slot keeps the newest channel, Stop ends only it.
    controller.AddSound("thud", true, 5.0f, nullptr, nullptr);
    controller.Play("thud");
    FMOD::Channel* first = controller.slots["thud"].channel;
    controller.Play("thud");
    EXPECT_NE(controller.slots["thud"].channel, first);
    controller.Stop("thud");
    bool playing = false;
    first->isPlaying(&playing);
    EXPECT_TRUE(playing);
    EXPECT_FALSE(controller.IsPlaying("thud"));
}

TEST(Object, MeshInstancesAreSwitchedAndQueuedOnesMarkedNeverFreed)
{
    MeshInstance* textured = new MeshInstance(false, false, 3, "Textured", 2, 5, false, false, false);
    MeshInstance* plain = new MeshInstance(false, false, 4, "Textured", 2, kNoTexture, false, false, false);
    // Queued: the renderer owns them now and frees them a frame after the mark.
    textured->queued = plain->queued = true;
    EXPECT_EQ(textured->technique, textured->ownTechnique);
    EXPECT_EQ(plain->technique, kTechniqueNoTexture);
    EXPECT_FALSE(textured->removeFlag);
    {
        Object object;
        object.GetModels()->push_back(textured);
        object.GetModels()->push_back(plain);
        object.EnableTextures(false);
        EXPECT_EQ(textured->technique, kTechniqueNoTexture);
        object.EnableTextures(true);
        EXPECT_STREQ(textured->technique, "Textured");
        EXPECT_STREQ(plain->technique, "Textured");
    }
    // The renderer frees them at its next frame; the object only marks them.
    EXPECT_TRUE(textured->removeFlag);
    EXPECT_TRUE(plain->removeFlag);
    MeshInstance skinned(false, true, 0, "Skinned", kNoMaterial, 1, false, false, false);
    skinned.EnableTexture(false);
    EXPECT_EQ(skinned.technique, kTechniqueSkinnedNoTexture);
    delete textured;
    delete plain;
    // One never queued has no one else to free it: the object deletes it
    // (the leak checker of the sanitizer build sees the difference).
    Object alone;
    alone.GetModels()->push_back(new MeshInstance(false, false, 3, "Textured", 2, 5, false, false, false));
}
