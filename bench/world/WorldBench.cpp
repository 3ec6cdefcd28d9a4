// bench_world [--quick]: what the four stages cost, side by side.
//
// Each stage is loaded 20 times headless (no device: the drawables are queued
// and pruned, nothing is drawn) from the run tree's own files: the load's
// milliseconds, mean and worst, and the share the terrain's reading takes
// (its ".hmp" keys and its 129 x 129 grid mesh). Then 10 seconds of game time
// at 60 frames a second with the stage's machinery going (the bridge broken,
// the whips started, the swinging logs let go, the spinning logs turning): the
// physics world's milliseconds per frame (mean and worst), the bodies awake
// at the end, and the heap allocations per frame of the physics step and the
// World's update once the stage has settled (its last five seconds).
// Targets: a load within 100 ms, 3 ms of physics per frame, no allocation
// per frame.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "BenchOptions.h"
#include "BenchTiming.h"
#include "StageRig.h"
#include "core/Resources.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/BoxChain.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Object.h"
#include "objects/SwingingLog.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"
#include "render/Terrain.h"

namespace {

using bench::Clock;

const int kStages = 4;
const float kFrame = 1.0f / 60.0f;
const float kRunSeconds = 10.0f;
const float kSettleSeconds = 5.0f;
const double kLoadTargetMs = 100.0;
const double kPhysicsTargetMs = 3.0;

struct StageFigures
{
    double loadMean = 0.0;
    double loadWorst = 0.0;
    double terrainMean = 0.0;
    double physicsMean = 0.0;
    double physicsWorst = 0.0;
    int bodies = 0;
    int awake = 0;
    double allocationsPerFrame = 0.0;
};

// What the triggers would do as the character passes: the bridge breaks,
// the whips start, the swinging logs are let go. The spinning logs turn from
// the start.
void SetMachineryGoing()
{
    if (BoxChain* bridge = gWorld->GetStageOneObject()) bridge->Break();
    for (ChainWhip* whip : gWorld->GetChainWhips()) whip->SetActive(true);
    for (SwingingLog* log : gWorld->GetSwingingLogs()) log->GetLog()->SetFreezeState(0, 1.0f);
}

StageFigures Measure(int stage, int loads, float seconds)
{
    StageFigures f;
    const std::string level = "stage" + std::to_string(stage) + ".qvl";
    const std::string digit = std::to_string(stage);
    for (int i = 0; i < loads; ++i) {
        const Clock::time_point t0 = Clock::now();
        gLevelLoader->LoadLevel(level);
        const double ms = bench::Milliseconds(t0, Clock::now());
        f.loadMean += ms / loads;
        f.loadWorst = std::max(f.loadWorst, ms);
        // The same terrain read on its own.
        const Clock::time_point t1 = Clock::now();
        Terrain terrain(MapsDirectory + "stage" + digit + ".hmp", MapsDirectory + "stage" + digit + ".x");
        f.terrainMean += bench::Milliseconds(t1, Clock::now()) / loads;
        gRenderer->PruneRenderLists();
    }

    SetMachineryGoing();
    const int frames = static_cast<int>(seconds / kFrame + 0.5f);
    const int settled = static_cast<int>(kSettleSeconds / kFrame + 0.5f);
    float time = 0.0f;
    long allocations = 0;
    for (int i = 0; i < frames; ++i) {
        time += kFrame;
        float dt = kFrame;
        gPartManager->Update(&dt);
        gPartManager->SpawnLavaSystems(&dt);
        // Counted once the stage has settled: the physics step and the World's update.
        const bool counted = i >= settled;
        if (counted) bench::StartCountingAllocations();
        const Clock::time_point t0 = Clock::now();
        gPhysicsWorld->Update(dt);
        const double ms = bench::Milliseconds(t0, Clock::now());
        gWorld->Update(time);
        if (counted) allocations += bench::StopCountingAllocations();
        gRenderer->PruneRenderLists();
        f.physicsMean += ms / frames;
        f.physicsWorst = std::max(f.physicsWorst, ms);
    }
    f.allocationsPerFrame = frames > settled ? static_cast<double>(allocations) / (frames - settled) : 0.0;
    for (Object* object : gWorld->GetObjects()) {
        ++f.bodies;
        if (!object->IsFrozen()) ++f.awake;
    }
    return f;
}

void PrintRow(const char* label, const StageFigures* figures, double StageFigures::*field, const char* format)
{
    std::printf("%-34s", label);
    for (int s = 0; s < kStages; ++s) std::printf(format, figures[s].*field);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::ParseRunOptions(argc, argv, 1).quick;
    const int loads = quick ? 2 : 20;
    const float seconds = quick ? 2.0f : kRunSeconds;

    StageFigures figures[kStages];
    {
        StageRig rig;
        for (int s = 0; s < kStages; ++s) figures[s] = Measure(s + 1, loads, seconds);
    }

    std::printf("bench_world: %d loads of each stage, then %.0f s of game time at 60 frames a second\n", loads,
                seconds);
    std::printf("%-34s%12s%12s%12s%12s\n", "", "stage 1", "stage 2", "stage 3", "stage 4");
    PrintRow("load ms, mean", figures, &StageFigures::loadMean, "%12.2f");
    PrintRow("load ms, worst", figures, &StageFigures::loadWorst, "%12.2f");
    PrintRow("  of which the terrain's read, ms", figures, &StageFigures::terrainMean, "%12.2f");
    PrintRow("physics ms per frame, mean", figures, &StageFigures::physicsMean, "%12.3f");
    PrintRow("physics ms per frame, worst", figures, &StageFigures::physicsWorst, "%12.3f");
    std::printf("%-34s", "bodies awake / in all at the end");
    for (const StageFigures& f : figures) std::printf("%7d / %2d", f.awake, f.bodies);
    std::printf("\n");
    PrintRow("allocations per settled frame", figures, &StageFigures::allocationsPerFrame, "%12.2f");

    bool quickLoads = true;
    bool physics = true;
    bool allocations = true;
    for (const StageFigures& f : figures) {
        quickLoads = quickLoads && f.loadWorst <= kLoadTargetMs;
        physics = physics && f.physicsMean <= kPhysicsTargetMs;
        allocations = allocations && f.allocationsPerFrame == 0.0;
    }
    std::printf("targets: load <= %.0f ms %s; physics <= %.0f ms a frame %s; no allocation a settled frame %s\n",
                kLoadTargetMs, quickLoads ? "met" : "missed", kPhysicsTargetMs, physics ? "met" : "missed",
                allocations ? "met" : "missed");
    return 0;
}
