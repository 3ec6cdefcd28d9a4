// Replays the fuzz seeds (the shipped chains and a few broken files) through
// the fuzz target, with truncations and byte changes along each file, so CI
// checks the reader's invariants without a fuzzing toolchain.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzDrawList.h"

namespace {

std::vector<std::string> SeedTexts()
{
    std::vector<std::string> texts;
    for (const char* folder : {LV_DRAWLIST_CORPUS, LV_DRAWLIST_DATA}) {
        DIR* dir = opendir(folder);
        if (!dir) continue;
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".cfg") != 0) continue;
            std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
            std::stringstream ss;
            ss << in.rdbuf();
            texts.push_back(ss.str());
        }
        closedir(dir);
    }
    return texts;
}

TEST(DrawListFuzzReplay, SeedsAndTheirMutationsKeepEveryIndexInItsTable)
{
    const std::vector<std::string> seeds = SeedTexts();
    EXPECT_GE(seeds.size(), 9u); // six chains, two other configs, the broken seeds
    const char kReplacements[] = "0 \n-#E9(x";
    testing::internal::CaptureStderr();
    for (const std::string& text : seeds) {
        auto run = [](const std::string& t) { LvFuzzDrawList(reinterpret_cast<const uint8_t*>(t.data()), t.size()); };
        run(text);
        const size_t stride = 1 + text.size() / 24;
        for (size_t at = 0; at < text.size(); at += stride) {
            run(text.substr(0, at));
            std::string mutated = text;
            mutated[at] = kReplacements[at % (sizeof(kReplacements) - 1)];
            run(mutated);
        }
    }
    testing::internal::GetCapturedStderr();
}

} // namespace
