#include "BenchOptions.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

RunOptions ParseRunOptions(int argc, char** argv, int defaultRepeat)
{
    RunOptions options;
    options.repeat = std::max(1, defaultRepeat);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            options.repeat = std::max(1, std::atoi(argv[++i]));
        }
    }
    return options;
}

} // namespace bench

bool bench::EnterRunTree()
{
    if (chdir(LV_RUN_BIN) == 0) return true;
    std::printf("no run tree at %s: build the game's data first\n", LV_RUN_BIN);
    return false;
}
