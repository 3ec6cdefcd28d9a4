// The whole game played through, part by part, on a windowless llvmpipe
// device: each part's table (StageScripts.cpp) runs under the real WinMain in
// a child process and a scratch run tree, checks the game's state at every
// step and saves the frame as a picture in this build folder
// (playthrough/<part>/NN_<step>.png).
#include <gtest/gtest.h>

#include <string>

#include "StageScripts.h"

namespace {

struct Part
{
    const char* name;
    PlayTable (*table)();
};

const Part kParts[] = {
    {"StageOne", StageOnePlay},
    {"StageTwo", StageTwoPlay},
    {"StageThree", StageThreePlay},
    {"StageFour", StageFourPlay},
    {"PauseMusicAndEditor", PauseMusicAndEditorPlay},
};

class PlayThrough : public testing::TestWithParam<Part>
{
};

TEST_P(PlayThrough, EveryStepShowsWhatThePlayerDid)
{
    const Part& part = GetParam();
    PlayOptions options;
    options.treeName = std::string("playthrough_") + part.name;
    options.withDevice = true;
    options.pictures = std::string(LV_PLAYTHROUGH_PICTURES) + "/playthrough/" + part.name;
    const PlayResult result = PlayInChild(part.table(), options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_FALSE(result.hashes.empty());
}

INSTANTIATE_TEST_SUITE_P(Parts, PlayThrough, testing::ValuesIn(kParts),
                         [](const testing::TestParamInfo<Part>& info) { return std::string(info.param.name); });

} // namespace
