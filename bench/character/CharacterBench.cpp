// Prints the cost of the character's animation per physics sub-step on the
// generated male.x: the frames put back to their bind pose, the 25 tracks of
// the walk sampled, the frames combined down the tree; then the ragdoll's
// whole animated sub-step around it (the walking body's motion handed on, the
// model placed under the character and advanced, the 14 limbs laid along
// their bones), which is what runs every sub-step while the character is
// upright. It counts heap allocations during the steps (there should be
// none), and compares with the data generator's own sampler, which builds
// its matrices in fresh vectors, as a baseline. Then, with an OpenGL
// context, the skinned draw against the same pose skinned beforehand
// (SkinnedDrawBench.cpp).
#include "AllocationCount.h"
#include "BenchTiming.h"
#include "Character.h"
#include "Pose.h"
#include "objects/Capsule.h"
#include "objects/Ragdoll.h"
#include "render/FrameHooks.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/MultiAnimation.h"
#include "render/Renderer.h"
#include "SkinnedDrawBench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

// The physics world's default sub-step.
const float kSubStep = 0.02f;
const int kStepsPerRound = 2000;
const int kRounds = 7;

// Best of several rounds, in microseconds per step.
template <typename F>
double MicrosPerStep(F step)
{
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const bench::Clock::time_point t0 = bench::Clock::now();
        for (int i = 0; i < kStepsPerRound; ++i) step();
        best = std::min(best, bench::Microseconds(bench::Clock::now() - t0) / kStepsPerRound);
    }
    return best;
}

volatile float gSink;

// The ragdoll's target for its whole animated sub-step.
const double kRagdollTargetMicros = 30.0;

// World object 0 is the ragdoll's spine limb, carrying the skinned drawable,
// walking.
class WalkingCharacter : public FrameHooks
{
public:
    explicit WalkingCharacter(Object* spine_) : spine(spine_) {}
    bool GetCharacter(FrameCharacter& character) const override
    {
        character.position = &spine->position;
        character.linearVelocity = spine->linearVelocity;
        character.instance = spine->meshes[0];
        character.idleAnimation = false;
        return true;
    }

private:
    Object* spine;
};

// The animated ragdoll walking forward: microseconds per sub-step and the
// allocations made during them. Without a physics world: only its update runs.
double MeasureRagdoll(long* allocations)
{
    Ragdoll ragdoll(nullptr, 0.5f);
    Object* spine = ragdoll.GetLimb(0);
    // The skinned drawable the World's factory hangs on the spine limb; the
    // renderer makes its animated model.
    MeshInstance* skin = new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, true, false, false);
    spine->meshes.push_back(skin);
    skin->position = &spine->position;
    skin->orientation = &spine->GetOrientation();
    skin->offset = Vector3(0.0f, 0.0f, -4.5f);
    gRenderer->QueueWorldInstances(&spine->meshes);
    WalkingCharacter character(spine);
    FrameHookSlot::Install(&character);
    ragdoll.Disable();
    ragdoll.GetMainBody()->linearVelocity = Vector3(6.0f, 0.0f, 0.0f);
    gKeyframeAnimator->SwitchTo(gen::kWalkSet);
    ragdoll.Update(kSubStep); // warm up

    bench::StartCountingAllocations();
    const double micros = MicrosPerStep([&] { ragdoll.Update(kSubStep); });
    *allocations = bench::StopCountingAllocations();
    gSink = ragdoll.GetLimb(12)->position.x;
    FrameHookSlot::Install(nullptr);
    return micros;
}

} // namespace

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
        // A renderer of our own, headless, holding the character as the game's does.
        Renderer renderer{VideoSettings()};
        gRenderer = &renderer;
        MultiAnimAllocateHierarchy allocator;
        MultiAnim& anim = renderer.GetMultiAnim();
        if (FAILED(LoadAnimatedModelFile(&anim, &allocator, nullptr, "male.x", nullptr))) status = 1;
        auto model = std::make_unique<Model>();
        if (status == 0 && FAILED(model->Setup(&anim, 0.0))) status = 1;
        if (status == 0) {
            gKeyframeAnimator->SwitchTo(gen::kWalkSet);
            const AnimationEntry* walk = gKeyframeAnimator->GetEntry(gen::kWalkSet);
            model->AdvanceTime(kSubStep); // warm up

            bench::StartCountingAllocations();
            const double game = MicrosPerStep([&] { model->AdvanceTime(kSubStep); });
            const long allocations = bench::StopCountingAllocations();

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
            if (allocations != 0) status = 1;

            // The ragdoll's own model replaces this one: one model advances the one animator.
            model.reset();
            long ragdollAllocations = 0;
            const double ragdoll = MeasureRagdoll(&ragdollAllocations);
            std::printf("  ragdoll animated step   %8.3f us/step  %ld allocations in %ld steps  (target %.0f us: %s;"
                        " ratio to the sampler alone %.2f)\n",
                        ragdoll, ragdollAllocations, steps, kRagdollTargetMicros,
                        ragdoll <= kRagdollTargetMicros ? "met" : "MISSED", ragdoll / game);
            if (ragdollAllocations != 0) status = 1;
        }
        renderer.PruneRenderLists();
        gRenderer = nullptr;
    }
#ifdef LV_SKINNED_DRAW_BENCH
    if (status == 0) {
        const std::string tree = LV_RUN_TREE_DIR;
        std::filesystem::copy(tree + "/Effects", root + "/Effects");
        std::filesystem::create_directories(root + "/Textures");
        std::filesystem::copy(tree + "/Textures/male.bmp", root + "/Textures/male.bmp");
        status = MeasureSkinnedDraw(root + "/Effects");
    }
#endif
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(root);
    return status;
}
