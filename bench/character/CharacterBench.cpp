// Prints the cost of the character's animation per physics sub-step on the
// generated male.x: the frames put back to their bind pose, the 25 tracks of
// the walk sampled, the frames combined down the tree. That is what the
// ragdoll runs every sub-step while the character is upright. It also counts
// heap allocations during the steps (there should be none), and compares with
// the data generator's own sampler, which builds its matrices in fresh
// vectors, as a baseline.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include "Character.h"
#include "Pose.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"
#include "render/MultiAnimation.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>

namespace {

std::atomic<long> gAllocations{0};

// The physics world's default sub-step.
const float kSubStep = 0.02f;
const int kStepsPerRound = 2000;
const int kRounds = 7;

// Best of several rounds, in microseconds per step.
double MicrosPerStep(const std::function<void()>& step)
{
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kStepsPerRound; ++i) step();
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        best = std::min(best, us / kStepsPerRound);
    }
    return best;
}

volatile float gSink;

} // namespace

void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

int main()
{
    // A scratch run tree: the game opens "../Meshes/male.x" from its bin folder.
    char pattern[] = "/tmp/bench_character_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string root = pattern;
    std::filesystem::create_directories(root + "/bin");
    std::filesystem::create_directories(root + "/Meshes");
    const gen::SkinnedModel character = gen::BuildCharacter();
    std::ofstream(root + "/Meshes/male.x") << gen::SkinnedModelText(character);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(root + "/bin");

    int status = 0;
    {
        MultiAnimAllocateHierarchy allocator;
        MultiAnim anim;
        if (FAILED(LoadAnimatedModelFile(&anim, &allocator, nullptr, "male.x", nullptr))) status = 1;
        Model model;
        if (status == 0 && FAILED(model.Setup(&anim, 0.0))) status = 1;
        if (status == 0) {
            gKeyframeAnimator->SwitchTo(gen::kWalkSet);
            const AnimationEntry* walk = gKeyframeAnimator->GetEntry(gen::kWalkSet);
            model.AdvanceTime(kSubStep); // warm up

            const long before = gAllocations.load();
            const double game = MicrosPerStep([&] { model.AdvanceTime(kSubStep); });
            const long allocations = gAllocations.load() - before;

            float ticks = 0.0f;
            const double generator = MicrosPerStep([&] {
                ticks += kSubStep * KeyframeAnimator::kTicksPerSecond;
                if (ticks > gen::kWalkPeriod) ticks -= gen::kWalkPeriod;
                const auto combined = gen::Combine(character, gen::SampleLocals(character, gen::kWalkSet, ticks));
                gSink = combined.back().m[3][1];
            });

            const long steps = long(kRounds) * kStepsPerRound;
            std::printf("character animation per sub-step (male.x, walk: %zu tracks sampled, %zu frames combined)\n",
                        walk ? walk->tracks.size() : size_t(0), character.frames.size());
            std::printf("  game sampler            %8.3f us/step  %ld allocations in %ld steps\n", game, allocations,
                        steps);
            std::printf("  generator's sampler     %8.3f us/step  (baseline; ratio game/baseline %.2f)\n", generator,
                        game / generator);
            std::printf("  ragdoll limb layout     not built yet: it comes with the ragdoll\n");
            if (allocations != 0) status = 1;
        }
        anim.Cleanup(&allocator);
    }
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(root);
    return status;
}
