// The replay: its interval and countdown, recording one snapshot per
// interval and playing the ring back once round, the frame steps, freezing,
// slow motion and the ways out of it, and what it does with keys outside
// the replay menu. The bodies here are plain objects the test moves itself
// between ticks, as physics would.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

#include "TestReplayHooks.h"
#include "UiTestSupport.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "objects/Object.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/ReplayHooks.h"
#include "ui/ReplaySystem.h"

namespace {

ReplayFrame StateOf(const Object& body)
{
    return {body.position, body.linearVelocity, body.angularVelocity, body.GetOrientation()};
}

bool SameState(const ReplayFrame& a, const ReplayFrame& b)
{
    return std::memcmp(&a, &b, sizeof(ReplayFrame)) == 0;
}

class Replay : public UiFixture
{
protected:
    static constexpr float kFrameMs = 16.0f;

    void SetUp() override
    {
        UiFixture::SetUp();
        ReplayHookSlot::Install(&replayHooks);
        StartUi(800, 600);
        gReplaySystem = new cReplaySystem(3.0f);
        for (int i = 0; i < 3; ++i) owned.push_back(std::make_unique<Object>());
        for (auto& body : owned) bodies.push_back(body.get());
        LoadStage();
    }
    void TearDown() override
    {
        delete gReplaySystem;
        gReplaySystem = nullptr;
        bodies.clear();
        owned.clear();
        ReplayHookSlot::Install(nullptr);
        UiFixture::TearDown();
    }

    // What a stage load does to the replay.
    void LoadStage()
    {
        gReplaySystem->Clear();
        gReplaySystem->Reset(bodies);
        gReplaySystem->Stop();
    }

    // The live world between ticks: every body moves, turns and changes speed.
    void MoveBodies()
    {
        ++step;
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            Object& body = *bodies[i];
            const float t = static_cast<float>(step) * 0.37f + static_cast<float>(i);
            body.position = Vector3(t, 2.0f * t, -0.5f * t);
            body.linearVelocity = Vector3(1.0f + t, 0.0f, t * t);
            body.angularVelocity = Vector3(0.0f, -t, 0.25f);
            Matrix3 turn(1.0f, 0.0f, 0.0f, 0.0f, std::cos(t), -std::sin(t), 0.0f, std::sin(t), std::cos(t));
            body.SetOrientation(turn);
        }
    }

    // One frame move: the clock, delivery, the world, then the replay.
    // Returns true when the ring moved on this frame.
    bool Frame(bool liveWorld = true, float ms = kFrameMs)
    {
        TickClock(ms);
        Deliver();
        if (liveWorld) MoveBodies();
        const int before = gReplaySystem->GetCurrentFrame();
        gReplaySystem->Update();
        return gReplaySystem->GetCurrentFrame() != before;
    }

    // Runs frames, keeping the test's own copy of every body at each tick.
    void RecordTicks(int ticks)
    {
        // A tick comes every seventh frame; a ring that stopped fails here.
        const int frameLimit = ticks * 8 + 8;
        for (int done = 0, frames = 0; done < ticks; ++frames) {
            if (frames > frameLimit) {
                ADD_FAILURE() << "the ring stopped recording";
                return;
            }
            if (!Frame()) continue;
            ++done;
            std::vector<ReplayFrame>& copy = seen[gReplaySystem->GetCurrentFrame()];
            copy.clear();
            for (Object* body : bodies) copy.push_back(StateOf(*body));
        }
    }

    bool ClockScaled() { return Clock::GetFrameTime(false) != Clock::GetFrameTime(true); }

    TestReplayHooks replayHooks;
    std::vector<std::unique_ptr<Object>> owned;
    std::vector<Object*> bodies;
    std::map<int, std::vector<ReplayFrame>> seen;
    int step = 0;
};

TEST_F(Replay, IntervalAndCountdownComeFromTheLengthAndTheFrameTime)
{
    EXPECT_FLOAT_EQ(gReplaySystem->GetFrameInterval(), 100.0f);
    EXPECT_FLOAT_EQ(cReplaySystem(1.5f).GetFrameInterval(), 50.0f);
    // The ring starts full of the start position.
    ASSERT_TRUE(gReplaySystem->IsRingReady());
    EXPECT_EQ(gReplaySystem->GetBodyCount(), 3u);
    EXPECT_EQ(gReplaySystem->GetFrame(2, cReplaySystem::kFrameCount - 1)->position.x, bodies[2]->position.x);
    EXPECT_EQ(gReplaySystem->GetFrame(3, 0), nullptr);

    // The knock-out's frame took 16 ms, or none at all (a countdown of its
    // whole length still runs): 1500 ms less that frame, then 16 ms frames.
    const struct
    {
        float firstFrameMs;
        float countdown;
        int framesToReplay; // the frame after the one it ran out in delivers it
    } cases[] = {{16.0f, 1484.0f, 94}, {0.0f, 1500.0f, 95}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstFrameMs);
        gMenuMan->CloseAllMenus();
        LoadStage();
        Frame(true, c.firstFrameMs);
        Post(kMsgStartDeathCountdown, nullptr);
        EXPECT_FLOAT_EQ(gReplaySystem->GetDeathCountdown(), c.countdown);
        int frames = 0;
        while (gMenuMan->GetCurrentMenuId() != kMenuReplay && frames < 200) {
            Frame();
            if (++frames == 1) {
                Post(kMsgStartDeathCountdown, nullptr); // ignored while it runs
                EXPECT_FLOAT_EQ(gReplaySystem->GetDeathCountdown(), c.countdown - 16.0f);
            }
        }
        EXPECT_EQ(frames, c.framesToReplay);
        EXPECT_TRUE(gReplaySystem->IsPlaying());
        EXPECT_FALSE(gReplaySystem->IsRecording());
        EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
        EXPECT_TRUE(gHUDManager->IsPointerVisible());
    }
}

TEST_F(Replay, PlayBeforeTheFirstSnapshotEndsAfterOneLapAndPlayTwiceRestarts)
{
    // Key U right after a load: no snapshot taken yet.
    ASSERT_EQ(gReplaySystem->GetCurrentFrame(), -1);
    gReplaySystem->Play();
    EXPECT_EQ(gReplaySystem->GetStartFrame(), cReplaySystem::kFrameCount - 1);
    int ticks = 0;
    for (int frames = 0; gReplaySystem->IsPlaying() && frames < 1000; ++frames) ticks += Frame() ? 1 : 0;
    EXPECT_FALSE(gReplaySystem->IsPlaying());
    EXPECT_EQ(ticks, cReplaySystem::kFrameCount);

    LoadStage();
    RecordTicks(12);
    const int entry = gReplaySystem->GetCurrentFrame();
    gReplaySystem->Play();
    for (int ticked = 0; ticked < 5;) ticked += Frame() ? 1 : 0;
    EXPECT_NE(gReplaySystem->GetCurrentFrame(), entry);
    gReplaySystem->Play();
    EXPECT_EQ(gReplaySystem->GetStartFrame(), entry);
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), entry);
    EXPECT_TRUE(gReplaySystem->IsPlaying());
}

TEST_F(Replay, StepsWrapBothWaysAndAFrozenWorldHoldsRingAndCountdown)
{
    RecordTicks(40);
    gMenuMan->OpenMenu(kMenuReplay);
    gReplaySystem->Play();
    // Step to 29, then across the ends of the ring both ways.
    while (gReplaySystem->GetCurrentFrame() != cReplaySystem::kFrameCount - 1) Post(kMsgReplayForward, nullptr);
    EXPECT_TRUE(gReplaySystem->IsFrozen());
    Post(kMsgReplayForward, new fInputState(kMsgReplayForward, kPressPressed));
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), 0);
    EXPECT_TRUE(SameState(StateOf(*bodies[1]), seen[0][1]));
    Post(kMsgReplayBack, nullptr);
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), cReplaySystem::kFrameCount - 1);
    Post(kMsgReplayBack, nullptr);
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), cReplaySystem::kFrameCount - 2);
    // A held key state is no press.
    Post(kMsgReplayBack, new fInputState(kMsgReplayBack, kPressHeld));
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), cReplaySystem::kFrameCount - 2);
    // The toggle shows "play" while stepping.
    EXPECT_EQ(ItemOf(kMenuReplay, 5).GetTexture(), 22);

    // Frozen: frames pass, nothing moves on.
    Post(kMsgStartDeathCountdown, nullptr);
    const float countdown = gReplaySystem->GetDeathCountdown();
    const int frame = gReplaySystem->GetCurrentFrame();
    for (int i = 0; i < 50; ++i) Frame(false);
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), frame);
    EXPECT_EQ(gReplaySystem->GetDeathCountdown(), countdown);
    // Pause toggles the freeze off again and shows "play".
    Post(kMsgReplayFreeze, new fInputState(kMsgReplayFreeze, kPressPressed));
    EXPECT_FALSE(gReplaySystem->IsFrozen());
    int frames = 0;
    while (gReplaySystem->GetCurrentFrame() == frame && frames++ < 20) Frame(false);
    EXPECT_EQ(gReplaySystem->GetCurrentFrame(), (frame + 1) % cReplaySystem::kFrameCount);
    EXPECT_LT(gReplaySystem->GetDeathCountdown(), countdown);
}

struct ExitCase
{
    const char* name;
    bool tryAgain; // "yes"; otherwise "no", which loads stage 1
};

TEST_F(Replay, SlowMotionThenEitherChoiceLeavesTheClockUnscaledAndRecording)
{
    const ExitCase cases[] = {{"yes", true}, {"no", false}};
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordTicks(35);
        Post(kMsgEnterReplay, nullptr);
        ClickItem(ItemOf(kMenuReplay, 7)); // slow motion
        EXPECT_TRUE(gReplaySystem->IsSlow());
        Frame();
        EXPECT_FLOAT_EQ(Clock::GetFrameTime(false), kFrameMs * cReplaySystem::kSlowMotionScale);
        EXPECT_EQ(ItemOf(kMenuReplay, 5).GetTexture(), 23);
        if (c.tryAgain) {
            Post(kMsgRetryStage, new fInputState(kMsgRetryStage, kPressPressed));
            gMenuMan->CloseMenu(); // the level loader's part
            EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
        } else {
            ClickItem(ItemOf(kMenuReplay, 11));
            EXPECT_EQ(hooks.loads.back(), "stage1.qvl");
            LoadStage(); // what that load does to the replay
            gMenuMan->CloseAllMenus();
        }
        Frame();
        EXPECT_FALSE(ClockScaled());
        EXPECT_TRUE(gReplaySystem->IsRecording());
        EXPECT_FALSE(gReplaySystem->IsPlaying());
        EXPECT_FALSE(gReplaySystem->IsSlow());
        EXPECT_FALSE(gReplaySystem->IsFrozen());
        EXPECT_LE(gReplaySystem->GetCurrentFrame(), 0);
        seen.clear();
    }
}

TEST_F(Replay, StopAndClearForgetTheKnockOutSoALaterReplayStaysAnimated)
{
    replayHooks.upright = false;
    RecordTicks(2);
    EXPECT_GE(gReplaySystem->GetDeathFrame(), 0);
    Post(kMsgReplayStop, new fInputState(kMsgReplayStop, kPressPressed)); // key Y
    EXPECT_EQ(gReplaySystem->GetDeathFrame(), -1);
    RecordTicks(2);
    EXPECT_GE(gReplaySystem->GetDeathFrame(), 0);
    gReplaySystem->Clear();
    EXPECT_EQ(gReplaySystem->GetDeathFrame(), -1);

    replayHooks.upright = true;
    gReplaySystem->Reset(bodies);
    gReplaySystem->Stop();
    RecordTicks(40);
    gReplaySystem->Play();
    for (int frames = 0; gReplaySystem->IsPlaying() && frames < 1000; ++frames) {
        Frame();
        ASSERT_TRUE(gReplaySystem->IsPlayerAlive());
    }
}

TEST_F(Replay, KeysOutsideTheReplayMenuTouchNoItemAndPauseOnlyOverIt)
{
    RecordTicks(3);
    // I with no menu: no freeze, the ring keeps recording.
    Post(kMsgReplayFreeze, new fInputState(kMsgReplayFreeze, kPressPressed));
    EXPECT_FALSE(gReplaySystem->IsFrozen());
    EXPECT_TRUE(gReplaySystem->IsRecording());
    EXPECT_FALSE(gReplaySystem->IsPlaying());
    RecordTicks(1);
    // The controls with no menu at all act on the replay and show no image.
    Post(kMsgReplayForward, nullptr);
    Post(kMsgReplaySlowMotion, nullptr);
    EXPECT_TRUE(gReplaySystem->IsSlow());
    Post(kMsgReplayStop, nullptr);
    gReplaySystem->Reset(bodies);
    gReplaySystem->Stop();
    RecordTicks(1);

    // Over the options menu, item 5 is its plain "back" image: left alone.
    gMenuMan->OpenMenu(kMenuOptions);
    const int back = ItemOf(kMenuOptions, 5).GetTexture();
    Post(kMsgReplayFreeze, new fInputState(kMsgReplayFreeze, kPressPressed));
    Post(kMsgReplaySlowMotion, nullptr);
    Post(kMsgReplayForward, nullptr);
    EXPECT_EQ(ItemOf(kMenuOptions, 5).GetTexture(), back);
    // Y stops whatever is on top.
    Post(kMsgReplayStop, nullptr);
    EXPECT_TRUE(gReplaySystem->IsRecording());
    EXPECT_FALSE(gReplaySystem->IsFrozen());
    gReplaySystem->Reset(bodies); // slow motion went with the stage
    EXPECT_FALSE(ClockScaled());

    // The left button turns the camera only over the replay, while held.
    GetCamera().SetMouseLookEnabled(false);
    Post(kMsgMouseButton, new fMouseButtonState(kPressHeld, 0));
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
    gMenuMan->OpenMenu(kMenuReplay);
    Post(kMsgMouseButton, new fMouseButtonState(kPressHeld, 0));
    EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
    Post(kMsgMouseButton, new fMouseButtonState(kPressReleased, 1));
    EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
    Post(kMsgMouseButton, new fMouseButtonState(kPressReleased, 0));
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
}

TEST_F(Replay, TheRingAddressesOnlyBodiesItRecordedThatTheWorldStillHolds)
{
    // An object added after the reset is neither recorded nor put back.
    owned.push_back(std::make_unique<Object>());
    bodies.push_back(owned.back().get());
    RecordTicks(3);
    const Vector3 added(7.0f, 8.0f, 9.0f);
    bodies.back()->position = added;
    gReplaySystem->Play();
    for (int ticks = 0; ticks < 3;) ticks += Frame(false) ? 1 : 0;
    EXPECT_EQ(bodies.back()->position.x, added.x);
    EXPECT_EQ(gReplaySystem->GetBodyCount(), 3u);

    // The World let go of three objects (they live on elsewhere): ticks
    // touch only the one left in its list.
    bodies.resize(1);
    const Vector3 away(-50.0f, -60.0f, -70.0f);
    for (std::size_t i = 1; i < owned.size(); ++i) owned[i]->position = away;
    gReplaySystem->Stop();
    RecordTicks(5);
    gReplaySystem->Play();
    for (int frames = 0; gReplaySystem->IsPlaying() && frames < 1000; ++frames) {
        if (!Frame()) continue;
        for (std::size_t i = 1; i < owned.size(); ++i) {
            ASSERT_EQ(owned[i]->position.x, away.x) << "object " << i << " at " << gReplaySystem->GetCurrentFrame();
        }
    }
    EXPECT_FALSE(gReplaySystem->IsPlaying());

    // Without a body list nothing records or plays.
    gReplaySystem->Clear();
    EXPECT_EQ(gReplaySystem->GetBodies(), nullptr);
    gReplaySystem->Play();
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(Frame());
}

} // namespace
