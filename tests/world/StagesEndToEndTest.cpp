// The whole game under the headless framework host: the developer keys take
// it round the stages 1, 2, 3, 4 and back to 1, a stage load asked for from
// inside the World's update lands in that same frame, and the run leaves
// nothing in ../Errors.txt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "DXUTHeadless.h"
#include "StageTestSupport.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/World.h"

namespace {

struct Seen
{
    int stage;
    int objects;
};

// One run of WinMain per process: it registers the exit routine.
TEST(StagesEndToEnd, DeveloperKeysGoRoundTheStagesAndALoadFromTheWorldsUpdateLandsThatFrame)
{
    // No sound device here: the sound library must not complain into the log.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    const int kFrames = 70;
    DXUTHeadlessEnable(1.0 / 60.0, kFrames);
    const struct
    {
        int frame;
        char key;
    } keys[] = {{10, '1'}, {20, '2'}, {30, '3'}, {40, '4'}, {50, '1'}};
    for (const auto& k : keys) {
        DXUTHeadlessScheduleKey(k.frame, k.key, true);
        DXUTHeadlessScheduleKey(k.frame + 1, k.key, false);
    }
    // After frame 60 a scene object asks for stage 3 while the World updates it.
    const int kAskingFrame = 60;
    int updates = 0;
    bool sawPending = false;
    std::vector<Seen> seen;
    DXUTHeadlessSetFrameHook([&](int frame) {
        seen.push_back({CurrentStage(), gWorld->GetNumObjects()});
        if (frame == kAskingFrame) AddLoadingUpdatable("stage3.qvl", &updates, &sawPending);
    });

    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    ASSERT_EQ(static_cast<int>(seen.size()), kFrames);
    // Stage 1 from the start, each key's stage from its frame on, stage 3 once asked for.
    const auto stageFrom = [&](int frame) {
        int stage = frame > kAskingFrame ? 3 : 1;
        for (const auto& k : keys) stage = frame >= k.frame && frame <= kAskingFrame ? k.key - '0' : stage;
        return stage;
    };
    for (int frame = 0; frame < kFrames; ++frame) {
        EXPECT_EQ(seen[frame].stage, stageFrom(frame)) << "frame " << frame;
        EXPECT_GT(seen[frame].objects, 0) << "frame " << frame;
    }
    // The asking object was updated once, saw its load wait, and went with its stage.
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(sawPending);

    std::fflush(stderr);
    std::ifstream log("../Errors.txt");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(), "");
}

} // namespace
