// The replay with the player's character: the ragdoll's walking body and its
// fourteen limbs recorded while it walks and falls limp, then played back
// with physics running between the ticks. Every tick puts every body and the
// character's animation back exactly as the test saw them; the character is
// animated until the knock-out's frame and limp from it, its model still.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "RagdollTestSupport.h"
#include "TestReplayHooks.h"
#include "Win32Host.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "objects/Capsule.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"
#include "ui/ReplayHooks.h"
#include "ui/ReplaySystem.h"

namespace {

struct Snapshot
{
    std::vector<ReplayFrame> bodies;
    unsigned entry = 0;
    float time = 0.0f;
};

Snapshot Take(const std::vector<Object*>& bodies)
{
    Snapshot s;
    for (const Object* b : bodies)
        s.bodies.push_back({b->position, b->linearVelocity, b->angularVelocity, b->GetOrientation()});
    gKeyframeAnimator->GetCurrent(&s.entry, &s.time);
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b)
{
    return a.entry == b.entry && a.time == b.time && a.bodies.size() == b.bodies.size() &&
           std::memcmp(a.bodies.data(), b.bodies.data(), a.bodies.size() * sizeof(ReplayFrame)) == 0;
}

TEST(ReplayCharacter, EveryTickPutsTheCharacterBackAnimatedUntilTheKnockOutAndLimpFromIt)
{
    EventDispatcher dispatcher;
    gEventDispatcher = &dispatcher;
    Win32UseVirtualCounter(0);
    Clock::Reset();
    Clock::Init();
    {
        RagdollScene scene(1);
        ASSERT_TRUE(scene.ModelLoaded()) << scene.LoadReport();
        Ragdoll& ragdoll = scene.StandFacingForward();
        TestReplayHooks hooks;
        hooks.ragdoll = &ragdoll;
        ReplayHookSlot::Install(&hooks);
        std::vector<Object*> bodies = {ragdoll.GetMainBody()};
        for (int i = 0; i < ragdoll.GetLimbCount(); ++i) bodies.push_back(ragdoll.GetLimb(i));

        cReplaySystem replay(3.0f);
        replay.Reset(bodies);
        replay.Stop();
        gKeyframeAnimator->SwitchTo(RagdollScene::kWalkSet);
        // One frame: the clock, the physics (with the walk while upright),
        // the animation, then the replay; true when the ring moved on.
        const auto frame = [&](bool walking) {
            Win32AdvanceVirtualCounter(kWin32CounterFrequency / 60);
            Clock::Tick();
            if (walking) {
                scene.Walk(Vector3(1.0f, 0.3f, 0.0f), 2);
            } else {
                scene.Step(2);
            }
            gRenderer->AdvanceModels(Clock::GetFrameTime(false) / 1000.0f);
            const int before = replay.GetCurrentFrame();
            replay.Update();
            return replay.GetCurrentFrame() != before;
        };
        std::map<int, Snapshot> seen;
        const auto record = [&](int ticks, bool walking) {
            for (int done = 0, frames = 0; done < ticks && frames < ticks * 10; ++frames) {
                if (!frame(walking)) continue;
                ++done;
                seen[replay.GetCurrentFrame()] = Take(bodies);
            }
        };
        record(20, true);
        // The knock-out, as the player takes it: limp, the model still.
        ragdoll.Enable();
        gRenderer->SetModelAnimating(false);
        hooks.upright = false;
        record(1, false);
        const int knockOut = replay.GetDeathFrame();
        EXPECT_EQ(knockOut, replay.GetCurrentFrame());
        record(15, false);
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(cReplaySystem::kFrameCount));

        replay.Play();
        const int entry = replay.GetStartFrame();
        EXPECT_FALSE(ragdoll.IsLimp());
        EXPECT_TRUE(gRenderer->GetModel(0)->IsActive());
        // Once round from the oldest snapshot, the one after the start.
        int ticks = 0;
        for (int frames = 0; replay.IsPlaying() && frames < 1000; ++frames) {
            if (!frame(false) || !replay.IsPlaying()) continue;
            const int f = replay.GetCurrentFrame();
            EXPECT_EQ(f, (entry + 1 + ticks++) % cReplaySystem::kFrameCount);
            EXPECT_TRUE(Same(Take(bodies), seen[f])) << "frame " << f;
            const int age = (f - entry + cReplaySystem::kFrameCount) % cReplaySystem::kFrameCount;
            const int knockAge = (knockOut - entry + cReplaySystem::kFrameCount) % cReplaySystem::kFrameCount;
            EXPECT_EQ(ragdoll.IsLimp(), age >= knockAge) << "frame " << f;
            EXPECT_EQ(gRenderer->GetModel(0)->IsActive(), age < knockAge) << "frame " << f;
        }
        EXPECT_EQ(ticks, cReplaySystem::kFrameCount - 1);
        EXPECT_EQ(replay.GetCurrentFrame(), entry);
        ReplayHookSlot::Install(nullptr);
    }
    gEventDispatcher = nullptr;
    Win32UseRealCounter();
}

} // namespace
