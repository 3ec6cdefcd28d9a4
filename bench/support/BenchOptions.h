// The command line the longer benchmarks share: "--quick" for a short run
// (the ctest smoke run uses it) and "--repeat R" for how many runs each
// measurement takes, the best of them shown.
#pragma once

namespace bench {

struct RunOptions
{
    bool quick = false;
    int repeat = 1;
};

// Unknown arguments are passed over; a repeat below 1 counts as 1.
RunOptions ParseRunOptions(int argc, char** argv, int defaultRepeat);

} // namespace bench
