// The whole game under the headless framework host, the stages 1, 2, 3, 4
// loaded by their developer keys round after round, 60 frames each. Every
// time a stage loads it must hold what it held the first time: as many
// bodies, lights, scene objects, particle systems and drawables in each of
// the renderer's lists, both in the first frame drawn and 60 frames on. A
// stage that leaks or forgets something grows or shrinks from round to
// round; under the sanitizers the same run checks each load and clear for
// leaks and bad memory. Rounds: LV_RELOAD_ROUNDS (3 when unset).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "ScratchGameTree.h"
#include "Win32Host.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "particles/fPartManager.h"
#include "render/RenderLists.h"
#include "render/Renderer.h"

namespace {

const int kStages = 4;
const int kFramesPerLoad = 60;
const int kDefaultRounds = 3;

// What a stage holds at one moment. Bodies, lights, scene objects and
// triggers come from the stage file and its fixed set-up; particle systems
// from the set-up and the torches; the render lists from all of them.
struct StageCounts
{
    int objects = 0;
    int lights = 0;
    int updatables = 0;
    int triggers = 0;
    int particleSystems = 0;
    int renderLists[kRenderListCount] = {};

    bool operator==(const StageCounts& o) const
    {
        for (int i = 0; i < kRenderListCount; ++i) {
            if (renderLists[i] != o.renderLists[i]) return false;
        }
        return objects == o.objects && lights == o.lights && updatables == o.updatables && triggers == o.triggers &&
               particleSystems == o.particleSystems;
    }
};

std::ostream& operator<<(std::ostream& out, const StageCounts& c)
{
    out << "objects " << c.objects << ", lights " << c.lights << ", updatables " << c.updatables << ", triggers "
        << c.triggers << ", particle systems " << c.particleSystems << ", render lists";
    for (int count : c.renderLists) out << " " << count;
    return out;
}

StageCounts Count()
{
    StageCounts c;
    c.objects = gWorld->GetNumObjects();
    c.lights = static_cast<int>(gWorld->GetLights().size());
    c.updatables = static_cast<int>(gWorld->GetUpdatables().size());
    c.triggers = static_cast<int>(gWorld->GetTriggers().size());
    c.particleSystems = gPartManager != nullptr ? static_cast<int>(gPartManager->GetSystems().size()) : 0;
    const RenderLists& lists = gRenderer->GetRenderLists();
    for (int i = 0; i < kRenderListCount; ++i) c.renderLists[i] = lists.Count(i);
    return c;
}

int Rounds()
{
    const char* text = std::getenv("LV_RELOAD_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : kDefaultRounds;
    return rounds > 0 ? rounds : kDefaultRounds;
}

struct Load
{
    int stage = 0;
    StageCounts first; // the first frame drawn after the key
    StageCounts last;  // kFramesPerLoad frames on
};

// One run of WinMain per process: it registers the exit routine.
TEST(ReloadLoop, EveryStageHoldsTheSameEachTimeItLoads)
{
    // No sound device here: the sound library must not complain into the log.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    ScratchGameTree tree("reload_loop");
    const int rounds = Rounds();
    const int loads = rounds * kStages;
    // Load i's key goes down before frame i * kFramesPerLoad + 1 moves.
    const int frames = loads * kFramesPerLoad + 2;
    DXUTHeadlessEnable(1.0 / 60.0, frames);
    for (int i = 0; i < loads; ++i) {
        const UINT key = static_cast<UINT>('1' + i % kStages);
        DXUTHeadlessScheduleKey(i * kFramesPerLoad + 1, key, true);
        DXUTHeadlessScheduleKey(i * kFramesPerLoad + 2, key, false);
    }
    std::vector<Load> seen(loads);
    DXUTHeadlessSetFrameHook([&](int frame) {
        if (frame < 1) return;
        const int load = (frame - 1) / kFramesPerLoad;
        const int within = (frame - 1) % kFramesPerLoad;
        if (load >= loads) return;
        if (within == 0) {
            seen[load].stage = gLevelLoader->GetStage();
            seen[load].first = Count();
        } else if (within == kFramesPerLoad - 1) {
            seen[load].last = Count();
        }
    });

    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    std::map<int, Load> firstLoad;
    for (int i = 0; i < loads; ++i) {
        const Load& l = seen[i];
        ASSERT_EQ(l.stage, i % kStages + 1) << "load " << i;
        EXPECT_GT(l.first.objects, 0) << "stage " << l.stage;
        EXPECT_GT(l.first.renderLists[kOpaqueList], 0) << "stage " << l.stage;
        const auto known = firstLoad.find(l.stage);
        if (known == firstLoad.end()) {
            firstLoad[l.stage] = l;
            std::printf("stage %d loaded: %s\n", l.stage, testing::PrintToString(l.first).c_str());
            continue;
        }
        EXPECT_EQ(l.first, known->second.first) << "stage " << l.stage << ", round " << i / kStages + 1;
        EXPECT_EQ(l.last, known->second.last) << "stage " << l.stage << ", round " << i / kStages + 1;
    }
    std::printf("%d rounds of the four stages, %d frames each\n", rounds, kFramesPerLoad);

    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace
