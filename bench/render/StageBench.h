// What the renderer's benchmarks share: the game run under the headless
// framework host on a windowless llvmpipe context in a 640 x 480 window, each
// stage loaded by its developer key and handed to the caller once settled;
// frames timed to glFinish; and the device benchmark's reference frame timed
// at the same size in the same process.
#pragma once

#include <functional>
#include <vector>

namespace stagebench {

constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;
constexpr int kStageCount = 4;
// Frames a stage runs before it is measured: bodies settle, torches and
// particles start.
constexpr int kSettleFrames = 120;
constexpr int kWarmUpFrames = 10;

// What one piece of drawing cost: the time it took to glFinish, and the
// processor time the whole process spent on it meanwhile (every driver thread
// included). On a shared machine the second moves far less with the load.
struct Cost
{
    double wallMs = 0.0;
    double cpuMs = 0.0;
};

// `draw` once, waited for to glFinish.
Cost TimeOnce(const std::function<void()>& draw);
// The medians of `samples` calls of `draw`, each waited for to glFinish,
// after a few untimed calls.
Cost MedianToFinish(int samples, const std::function<void()>& draw);
Cost Median(const std::vector<Cost>& costs);
// The median wall time alone.
double MedianMsToFinish(int samples, const std::function<void()>& draw);

// The reference frame (300 instances, ten full-screen passes) on its own
// context and device at 640 x 480; zero when there is no OpenGL 3.3 context.
Cost ReferenceFrame(int samples);
double ReferenceFrameMs(int samples);

// Moves into the run tree's bin/ folder, as the game expects; false without one.
bool EnterRunTree(const char* runBin);

// Runs the game at the given pixel-shader switch ("-psversion:3.0"); each
// stage from 1 to 4 is loaded by its key and, once settled, handed to
// `onStage` with the renderer drawing it. The run ends after stage 4.
void RunStages(const char* pixelShaderSwitch, const std::function<void(int stage)>& onStage);

// The quieter of two reference timings (a shared machine), and the thread
// count the driver was given, for the figures' header.
double Quieter(double before, double after);
Cost Quieter(const Cost& before, const Cost& after);
const char* ThreadCount();

} // namespace stagebench
