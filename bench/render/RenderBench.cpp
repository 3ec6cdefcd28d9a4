// What drawing a stage costs. The whole game runs under the headless
// framework host on a windowless llvmpipe context in a 640 x 480 window
// (-windowed -width:640 -height:480); the developer keys load each stage in turn, and once a
// stage has run a while its frame is drawn again and again from the
// framework's frame hook, the camera and the world standing still:
//   - to glFinish, for the frame's whole cost;
//   - with the stand-in's draws and clears dropped (its benchmark seam), for
//     the renderer's own CPU time, counting allocations as it goes.
// In the same process, before the game starts, the device benchmark's
// reference frame (300 instances, ten full-screen passes) is timed at the
// same size. Targets: a stage frame at most half the reference, the
// renderer's own time at most a fifth of its stage's frame, and no
// allocation in the renderer's own path once a stage runs.
//
// Run it at the machine's thread count and with LP_NUM_THREADS=2.
#include <d3d9.h>

#include "AllocationCount.h"
#include "BenchTiming.h"
#include "ReferenceFrame.h"
#include "StageBench.h"
#include "d3d9_host.h"
#include "render/RenderLists.h"
#include "render/Renderer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::Clock;

constexpr int kTimedFrames = 120;

struct StageFigures
{
    int stage = 0;
    double frameMs = 0.0; // to glFinish
    double ownMs = 0.0;   // draws dropped
    int instances = 0;
    int drawCalls = 0;
    long allocationsPerFrame = 0;
};

StageFigures MeasureStage(int stage)
{
    StageFigures f;
    f.stage = stage;
    const RenderLists& lists = gRenderer->GetRenderLists();
    for (int list = 0; list < kRenderListCount; ++list) f.instances += lists.Count(list);

    LvD3D9_ClearCallLog();
    LvD3D9_EnableCallLog(true);
    gRenderer->RenderFrame();
    LvD3D9_EnableCallLog(false);
    for (const std::string& entry : LvD3D9_GetCallLog()) f.drawCalls += entry.rfind("Draw", 0) == 0;
    LvD3D9_ClearCallLog();

    f.frameMs = stagebench::MedianMsToFinish(kTimedFrames, [] { gRenderer->RenderFrame(); });
    LvD3D9_SetDrawsDropped(true);
    gRenderer->RenderFrame();
    std::vector<double> own;
    own.reserve(kTimedFrames);
    bench::StartCountingAllocations();
    for (int i = 0; i < kTimedFrames; ++i) {
        const Clock::time_point start = Clock::now();
        gRenderer->RenderFrame();
        own.push_back(bench::Milliseconds(start, Clock::now()));
    }
    f.allocationsPerFrame = bench::StopCountingAllocations() / kTimedFrames;
    LvD3D9_SetDrawsDropped(false);
    glFinish();
    f.ownMs = bench::Median(own);
    return f;
}

std::vector<StageFigures> gStages;

} // namespace

int main()
{
    if (!stagebench::EnterRunTree(LV_RUN_BIN)) {
        std::printf("no run tree at %s\n", LV_RUN_BIN);
        return 1;
    }
    const double referenceBeforeMs = stagebench::ReferenceFrameMs(kTimedFrames);
    if (referenceBeforeMs <= 0.0) {
        std::printf("no OpenGL 3.3 context: benchmark skipped\n");
        return 0;
    }
    stagebench::RunStages("-psversion:3.0", [](int stage) { gStages.push_back(MeasureStage(stage)); });
    // Timed again once the stages ran: on a shared machine the quieter of
    // the two runs is the reference.
    const double referenceAfterMs = stagebench::ReferenceFrameMs(kTimedFrames);
    const double referenceMs = stagebench::Quieter(referenceBeforeMs, referenceAfterMs);

    std::printf("reference frame (%d instances, %d full-screen passes, %ux%u): %.2f ms (before the stages %.2f, "
                "after %.2f); llvmpipe threads: %s\n",
                kInstances, kPasses, stagebench::kWidth, stagebench::kHeight, referenceMs, referenceBeforeMs,
                referenceAfterMs, stagebench::ThreadCount());
    std::printf("stage  frame ms  / reference  instances  draws  renderer ms  / frame  allocations per frame\n");
    for (const StageFigures& f : gStages) {
        std::printf("%5d  %8.2f  %11.2f  %9d  %5d  %11.3f  %7.2f  %21ld\n", f.stage, f.frameMs, f.frameMs / referenceMs,
                    f.instances, f.drawCalls, f.ownMs, f.frameMs > 0.0 ? f.ownMs / f.frameMs : 0.0,
                    f.allocationsPerFrame);
    }
    std::printf("targets: frame / reference <= 0.50, renderer / frame <= 0.20, no allocation per frame\n");
    return 0;
}
