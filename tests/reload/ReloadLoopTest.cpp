// The whole game under the headless framework host, the stages 1, 2, 3, 4
// loaded by their developer keys round after round, 60 frames each. Every
// time a stage loads it must hold what it held the first time: as many
// objects, bodies, lights, scene objects, triggers, particle systems and
// drawables in the renderer's lists, both in the first frame drawn and 60
// frames on. A stage that leaks or forgets something grows or shrinks from
// round to round; under the sanitizers the same run checks each load and
// clear for leaks and bad memory. Rounds: LV_RELOAD_ROUNDS (3 when unset).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "ScratchGameTree.h"
#include "StageTestSupport.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"

namespace {

const int kStages = 4;
const int kFramesPerLoad = 60;
const int kDefaultRounds = 3;

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
            seen[load].first = CountStage();
        } else if (within == kFramesPerLoad - 1) {
            seen[load].last = CountStage();
        }
    });

    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    std::map<int, Load> firstLoad;
    for (int i = 0; i < loads; ++i) {
        const Load& l = seen[i];
        ASSERT_EQ(l.stage, i % kStages + 1) << "load " << i;
        EXPECT_GT(l.first.objects, 0) << "stage " << l.stage;
        EXPECT_GT(l.first.queued, 0) << "stage " << l.stage;
        const auto known = firstLoad.find(l.stage);
        if (known == firstLoad.end()) {
            firstLoad[l.stage] = l;
            std::printf("stage %d loaded: %s\n", l.stage, Describe(l.first).c_str());
            continue;
        }
        const int round = i / kStages + 1;
        EXPECT_TRUE(l.first == known->second.first) << "stage " << l.stage << ", round " << round << ": "
                                                    << Describe(l.first) << " after " << Describe(known->second.first);
        EXPECT_TRUE(l.last == known->second.last) << "stage " << l.stage << ", round " << round << ": "
                                                  << Describe(l.last) << " after " << Describe(known->second.last);
    }
    std::printf("%d rounds of the four stages, %d frames each\n", rounds, kFramesPerLoad);

    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace
