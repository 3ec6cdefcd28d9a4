// bench_soak [frames]: the whole game left running. 100,000 frames (by
// default) of a scripted loop under the headless framework host at a constant
// frame time of a 60th of a second: each stage in turn loaded by its key,
// walked with W held while the mouse turns the camera and Space jumps, the
// jukebox started and skipped, a knock-out and its replay, the pause menu.
// Every 10,000 frames it prints the resident memory and the wall time of the
// frames since the last line. Targets: resident memory flat (under 1 %
// growth from the first line to the last) and no creep of the frame time.
//
// Run it in the release build, from anywhere: it works in the run tree.
#include <dinput.h>
#include <windows.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "BenchOptions.h"
#include "BenchTiming.h"
#include "DXUTHeadless.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/World.h"

namespace {

const int kDefaultFrames = 100000;
const int kReportEvery = 10000;
// One stage's share of the loop.
const int kStagePeriod = 2500;
const int kStages = 4;
const double kGrowthTarget = 0.01;

enum class Action { DirectInputKey, Motion, WindowKey };

// The loop as data: what happens at a frame of each stage's period, once or
// every `every` frames up to `until`.
struct ScriptEntry
{
    int at;
    int every; // 0: once
    int until;
    Action action;
    int code;     // a DIK code or a virtual key
    int holdOrDx; // frames a DirectInput key stays down, or the mouse's x motion
};

const ScriptEntry kScript[] = {
    {30, 0, 0, Action::DirectInputKey, DIK_W, 900},       // walk (drive on the cart stage)
    {30, 10, 930, Action::Motion, 0, 4},                  // turn the camera as it goes
    {60, 120, 900, Action::DirectInputKey, DIK_SPACE, 2}, // jump now and then
    {100, 0, 0, Action::DirectInputKey, DIK_RSHIFT, 2},   // the jukebox plays
    {1000, 0, 0, Action::DirectInputKey, DIK_K, 2},       // knocked out: the replay follows
    {1500, 0, 0, Action::DirectInputKey, DIK_COMMA, 2},   // the next track
    {2200, 0, 0, Action::WindowKey, VK_ESCAPE, 0},        // the pause menu, until the next stage key
};

bool Due(const ScriptEntry& e, int offset)
{
    if (e.every == 0) return offset == e.at;
    return offset >= e.at && offset <= e.until && (offset - e.at) % e.every == 0;
}

// Input for frame f, scheduled from the hook of the frame before.
void ScheduleFrame(int f)
{
    const int offset = f % kStagePeriod;
    if (offset == 0) {
        const UINT key = static_cast<UINT>('1' + (f / kStagePeriod) % kStages);
        DXUTHeadlessScheduleKey(f, key, true);
        DXUTHeadlessScheduleKey(f + 1, key, false);
    }
    for (const ScriptEntry& e : kScript) {
        if (!Due(e, offset)) continue;
        switch (e.action) {
        case Action::DirectInputKey:
            DXUTHeadlessScheduleInputKeyHold(f, e.code, e.holdOrDx);
            break;
        case Action::Motion:
            DXUTHeadlessScheduleMouseMotion(f, e.holdOrDx, 0);
            break;
        case Action::WindowKey:
            DXUTHeadlessScheduleKey(f, static_cast<UINT>(e.code), true);
            DXUTHeadlessScheduleKey(f + 1, static_cast<UINT>(e.code), false);
            break;
        }
    }
}

long ResidentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Sample
{
    int frame;
    long residentKb;
    double meanMs;
    double worstMs;
    int stage;
    int objects;
};

std::vector<Sample> gSamples;
bench::Clock::time_point gLast;
double gBlockMs = 0.0;
double gBlockWorst = 0.0;
int gTotalFrames = kDefaultFrames;

void OnFrame(int frame)
{
    const bench::Clock::time_point now = bench::Clock::now();
    if (frame > 0) {
        const double ms = bench::Milliseconds(gLast, now);
        gBlockMs += ms;
        gBlockWorst = std::max(gBlockWorst, ms);
    }
    const int done = frame + 1;
    if (done % kReportEvery == 0 || frame == 0) {
        const int frames = frame == 0 ? 1 : kReportEvery;
        const Sample s{done,
                       ResidentKilobytes(),
                       gBlockMs / frames,
                       gBlockWorst,
                       CurrentStage(),
                       gWorld ? gWorld->GetNumObjects() : -1};
        gSamples.push_back(s);
        std::printf("%8d frames  resident %8ld kB  frame ms mean %7.3f  worst %8.3f  (stage %d, %d bodies)\n", s.frame,
                    s.residentKb, s.meanMs, s.worstMs, s.stage, s.objects);
        std::fflush(stdout);
        gBlockMs = 0.0;
        gBlockWorst = 0.0;
    }
    if (done >= gTotalFrames) {
        PostQuitMessage(0);
        return;
    }
    ScheduleFrame(frame + 1);
    gLast = bench::Clock::now();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) gTotalFrames = std::max(kReportEvery, std::atoi(argv[1]));
    if (!bench::EnterRunTree()) return 1;
    // No sound device: the loop's jukebox keys still go through the sound system.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    ScheduleFrame(0);
    DXUTHeadlessSetFrameHook(OnFrame);
    gLast = bench::Clock::now();
    const int result = WinMain(nullptr, nullptr, nullptr, 0);
    DXUTHeadlessSetFrameHook(nullptr);
    if (gSamples.size() < 3) return result;

    // From the first full block on: start-up and the first loads are behind it.
    const Sample& first = gSamples[1];
    const Sample& last = gSamples.back();
    const double growth = static_cast<double>(last.residentKb - first.residentKb) / first.residentKb;
    const double creep = first.meanMs > 0.0 ? last.meanMs / first.meanMs : 0.0;
    std::printf("bench_soak: %d frames at 1/60 s, a stage every %d frames; exit code %d\n", last.frame, kStagePeriod,
                result);
    std::printf("resident memory frame %d -> %d: %ld -> %ld kB, growth %+.2f %% (target under %.0f %%) %s\n",
                first.frame, last.frame, first.residentKb, last.residentKb, 100.0 * growth, 100.0 * kGrowthTarget,
                growth < kGrowthTarget ? "met" : "missed");
    std::printf("frame time mean, first block -> last: %.3f -> %.3f ms (x%.2f)\n", first.meanMs, last.meanMs, creep);
    return result;
}
