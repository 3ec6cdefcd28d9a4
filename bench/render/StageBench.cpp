// The renderer benchmarks' shared run: the game under the headless host, the
// reference frame, frames timed to glFinish.
#include "StageBench.h"

#include <d3d9.h>

#include "BenchTiming.h"
#include "DXUTHeadless.h"
#include "ReferenceFrame.h"
#include "Win32Host.h"
#include "d3d9_egl.h"
#include "game/Lumveran.h"
#include "render/Renderer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>

namespace stagebench {

namespace {

using bench::Clock;

std::function<void(int)> gOnStage;

// Stage s's key goes down at its first frame; it is measured once settled.
void OnFrame(int frame)
{
    const int stage = frame / (kSettleFrames + 1) + 1;
    const int within = frame % (kSettleFrames + 1);
    if (within != kSettleFrames) return;
    if (gRenderer && gOnStage) gOnStage(stage);
    if (stage >= kStageCount) PostQuitMessage(0);
}

} // namespace

Cost TimeOnce(const std::function<void()>& draw)
{
    timespec cpuStart = {}, cpuEnd = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const Clock::time_point start = Clock::now();
    draw();
    glFinish();
    const Clock::time_point end = Clock::now();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    Cost cost;
    cost.wallMs = bench::Milliseconds(start, end);
    cost.cpuMs = double(cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + double(cpuEnd.tv_nsec - cpuStart.tv_nsec) * 1e-6;
    return cost;
}

Cost Median(const std::vector<Cost>& costs)
{
    std::vector<double> wall, cpu;
    for (const Cost& c : costs) {
        wall.push_back(c.wallMs);
        cpu.push_back(c.cpuMs);
    }
    return {bench::Median(wall), bench::Median(cpu)};
}

Cost MedianToFinish(int samples, const std::function<void()>& draw)
{
    for (int i = 0; i < kWarmUpFrames; ++i) draw();
    glFinish();
    std::vector<Cost> costs;
    costs.reserve(size_t(samples));
    for (int i = 0; i < samples; ++i) costs.push_back(TimeOnce(draw));
    return Median(costs);
}

double MedianMsToFinish(int samples, const std::function<void()>& draw)
{
    return MedianToFinish(samples, draw).wallMs;
}

Cost ReferenceFrame(int samples)
{
    LvEglContext* context = LvEgl_Create(true);
    if (!context) return Cost();
    StandInFrame reference(kWidth, kHeight);
    Cost cost;
    if (reference.Init()) cost = MedianToFinish(samples, [&] { reference.Frame(); });
    reference.Release();
    LvEgl_Destroy(context);
    return cost;
}

double ReferenceFrameMs(int samples)
{
    return ReferenceFrame(samples).wallMs;
}

bool EnterRunTree(const char* runBin)
{
    return chdir(runBin) == 0;
}

void RunStages(const char* pixelShaderSwitch, const std::function<void(int)>& onStage)
{
    gOnStage = onStage;
    // A 640 x 480 window whatever Vid.cfg says.
    const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480", pixelShaderSwitch};
    Win32SetCommandLine(5, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    DXUTHeadlessEnableDevice();
    for (int stage = 1; stage <= kStageCount; ++stage) {
        const int frame = (stage - 1) * (kSettleFrames + 1);
        DXUTHeadlessScheduleKey(frame, UINT('0' + stage), true);
        DXUTHeadlessScheduleKey(frame + 1, UINT('0' + stage), false);
    }
    DXUTHeadlessSetFrameHook(OnFrame);
    WinMain(nullptr, nullptr, nullptr, 0);
    gOnStage = nullptr;
}

double Quieter(double before, double after)
{
    return after > 0.0 ? std::min(before, after) : before;
}

Cost Quieter(const Cost& before, const Cost& after)
{
    if (after.wallMs <= 0.0) return before;
    return {std::min(before.wallMs, after.wallMs), std::min(before.cpuMs, after.cpuMs)};
}

const char* ThreadCount()
{
    const char* threads = std::getenv("LP_NUM_THREADS");
    return threads ? threads : "all";
}

} // namespace stagebench
