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
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"

namespace {

const int kStages = 4;
const int kFramesPerLoad = 60;
const int kDefaultRounds = 3;

// What a load held in the first frame drawn after its key and
// kFramesPerLoad frames on.
struct Load
{
    int stage = 0;
    StageCounts counts[2];
};

// One run of WinMain per process: it registers the exit routine.
TEST(ReloadLoop, EveryStageHoldsTheSameEachTimeItLoads)
{
    // No sound device here: the sound library must not complain into the log.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    ScratchGameTree tree("reload_loop");
    const char* roundsText = std::getenv("LV_RELOAD_ROUNDS");
    const int rounds = roundsText != nullptr && std::atoi(roundsText) > 0 ? std::atoi(roundsText) : kDefaultRounds;
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
        if (within == 0) seen[load].stage = CurrentStage();
        if (within == 0 || within == kFramesPerLoad - 1) seen[load].counts[within == 0 ? 0 : 1] = CountStage();
    });

    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    std::map<int, Load> firstLoad;
    for (int i = 0; i < loads; ++i) {
        const Load& l = seen[i];
        ASSERT_EQ(l.stage, i % kStages + 1) << "load " << i;
        EXPECT_GT(l.counts[0].objects, 0) << "stage " << l.stage;
        EXPECT_GT(l.counts[0].queued, 0) << "stage " << l.stage;
        const auto known = firstLoad.find(l.stage);
        if (known == firstLoad.end()) {
            firstLoad[l.stage] = l;
            std::printf("stage %d loaded: %s\n", l.stage, Describe(l.counts[0]).c_str());
            continue;
        }
        for (int k = 0; k < 2; ++k) {
            EXPECT_TRUE(l.counts[k] == known->second.counts[k])
                << "stage " << l.stage << ", round " << i / kStages + 1 << (k == 0 ? ", first frame: " : ", later: ")
                << Describe(l.counts[k]) << " after " << Describe(known->second.counts[k]);
        }
    }
    std::printf("%d rounds of the four stages, %d frames each\n", rounds, kFramesPerLoad);

    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace
