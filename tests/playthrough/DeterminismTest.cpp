// The same script gives the same game: stage 1's play-through (the menus, a
// coin, the bridge giving way, the replay, "yes", the exit), headless, run
// three times in processes of their own. The first two runs' per-frame hashes
// of every body, the scores, the stage and the menu stack match frame by
// frame; the third, with the first walk one frame later, matches up to that
// input and differs from it on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "StageScripts.h"

namespace {

// The index of the first frame whose hashes differ; the shorter length when none does.
std::size_t FirstDifference(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.begin() + n, b.begin()).first - a.begin());
}

std::size_t StepIndex(const PlayTable& table, const std::string& name)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].name == name) return i;
    ADD_FAILURE() << "no step \"" << name << "\"";
    return 0;
}

TEST(Determinism, TheSameScriptGivesTheSameFramesAndOneChangedInputChangesThem)
{
    const PlayTable script = StageOnePlay();
    PlayOptions options;
    options.treeName = "determinism";
    const PlayResult first = PlayInChild(script, options);
    const PlayResult second = PlayInChild(script, options);
    ASSERT_EQ(first.exitStatus, 0);
    ASSERT_EQ(second.exitStatus, 0);
    ASSERT_GT(first.hashes.size(), 600u);
    EXPECT_EQ(first.stepFrames, second.stepFrames);
    ASSERT_EQ(first.hashes.size(), second.hashes.size());
    const std::size_t sameUntil = FirstDifference(first.hashes, second.hashes);
    EXPECT_EQ(sameUntil, first.hashes.size()) << "the runs part at frame " << sameUntil;

    // The first walk one frame later: the frames before it stay, the ones after change.
    PlayTable changed = script;
    const std::size_t walk = StepIndex(changed, "new game");
    ASSERT_LT(walk, first.stepFrames.size());
    const int pressedAt = first.stepFrames[walk] + 1; // the frame W first goes down
    const Until onTime = changed[walk].until;
    auto heldSince = std::make_shared<int>(-1); // the wait at which the step's own condition first held
    changed[walk].until = [onTime, heldSince](int waited) {
        if (*heldSince < 0 && onTime(waited)) *heldSince = waited;
        return *heldSince >= 0 && waited > *heldSince;
    };
    const PlayResult third = PlayInChild(changed, options);
    ASSERT_GT(third.hashes.size(), static_cast<std::size_t>(pressedAt + 2));
    const std::size_t parted = FirstDifference(first.hashes, third.hashes);
    // The poll sees the key in its frame; the push moves the bodies in that frame's step or the next.
    EXPECT_GE(parted, static_cast<std::size_t>(pressedAt)) << "W went down at frame " << pressedAt;
    EXPECT_LE(parted, static_cast<std::size_t>(pressedAt + 1)) << "W went down at frame " << pressedAt;
    ASSERT_GT(third.stepFrames.size(), walk);
    EXPECT_EQ(third.stepFrames[walk], first.stepFrames[walk] + 1);
}

} // namespace
