// The command line the longer benchmarks share: "--quick" for a short run
// (the ctest smoke run uses it) and "--repeat R" for how many runs each
// measurement takes, the best of them shown; and the run tree to work in.
#pragma once

namespace bench {

struct RunOptions
{
    bool quick = false;
    int repeat = 1;
};

// Unknown arguments are passed over; a repeat below 1 counts as 1.
RunOptions ParseRunOptions(int argc, char** argv, int defaultRepeat);

// Makes the build's run tree (its bin/) the working directory, as the game
// runs, so a benchmark that reads the game's files works from anywhere.
// False, with a line on standard output, when there is none.
bool EnterRunTree();

} // namespace bench
