#include "BenchOptions.h"

#include <algorithm>
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
