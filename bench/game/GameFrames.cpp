#include "GameFrames.h"

#include <dinput.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "BenchTiming.h"
#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"

namespace {

// The run's frames, stage after stage: the key, the walk (timed callbacks),
// then a few frames to settle and the timed ones, standing still.
struct Timeline
{
    int start = 10; // frames before the first stage key (the splash screens)
    int walk = 600;
    int settle = 10;
    int timed = 120;

    int Period() const { return 1 + walk + settle + timed; }
    int KeyFrame(int stage) const { return start + stage * Period(); }
    int End() const { return KeyFrame(kGameStages); }
};

enum class Phase { Before, Key, Walk, Settle, Timed, After };

struct FramePhase
{
    Phase phase = Phase::Before;
    int stage = 0; // 0 based
    bool firstOfPhase = false;
};

Timeline gLine;
GameRunFigures gFigures;
int gFrame = 0; // the frame moving now
bench::Clock::time_point gRunStart, gLastHook, gKeyDown;
// The walk's per-frame samples of the stage walking now.
std::vector<double> gLogic, gRenderWall, gRenderCpu;
double gFrameLogic = 0.0;
std::vector<double> gChainFrames;

FramePhase PhaseOf(int frame)
{
    FramePhase p;
    if (frame < gLine.start) return p;
    if (frame >= gLine.End()) {
        p.phase = Phase::After;
        return p;
    }
    p.stage = (frame - gLine.start) / gLine.Period();
    int within = (frame - gLine.start) % gLine.Period();
    if (within == 0) {
        p.phase = Phase::Key;
        p.firstOfPhase = true;
        return p;
    }
    within -= 1;
    if (within < gLine.walk) {
        p.phase = Phase::Walk;
        p.firstOfPhase = within == 0;
        return p;
    }
    within -= gLine.walk;
    p.phase = within < gLine.settle ? Phase::Settle : Phase::Timed;
    p.firstOfPhase = within == 0 || within == gLine.settle;
    return p;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1.0e6;
}

bool Walking()
{
    return PhaseOf(gFrame).phase == Phase::Walk;
}

void CALLBACK TimedFrameMove(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext)
{
    const bench::Clock::time_point start = bench::Clock::now();
    OnFrameMove(device, time, elapsedTime, userContext);
    gFrameLogic = bench::Milliseconds(start, bench::Clock::now());
}

// The frame render callback's two halves timed apart: the World's update is
// game logic, the HUD's update and the renderer's frame are drawing.
void CALLBACK TimedFrameRender(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext)
{
    const bench::Clock::time_point start = bench::Clock::now();
    if (gWorld) gWorld->Update(static_cast<float>(time));
    const bench::Clock::time_point drawStart = bench::Clock::now();
    const double cpuStart = ThreadCpuMs();
    if (gRenderer) {
        if (gHUDManager) gHUDManager->Update();
        gRenderer->RenderFrame();
    }
    const double cpu = ThreadCpuMs() - cpuStart;
    if (!Walking()) return;
    gLogic.push_back(gFrameLogic + bench::Milliseconds(start, drawStart));
    gRenderWall.push_back(bench::Milliseconds(drawStart, bench::Clock::now()));
    gRenderCpu.push_back(cpu);
}

double Mean(const std::vector<double>& v)
{
    double sum = 0.0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / v.size();
}

void CloseWalk(GameFrameFigures& f)
{
    f.logicMean = Mean(gLogic);
    f.logicWorst = gLogic.empty() ? 0.0 : *std::max_element(gLogic.begin(), gLogic.end());
    f.renderWall = Mean(gRenderWall);
    f.renderCpu = Mean(gRenderCpu);
    gLogic.clear();
    gRenderWall.clear();
    gRenderCpu.clear();
}

void OnFrame(int frame)
{
    glFinish();
    const bench::Clock::time_point now = bench::Clock::now();
    if (frame == 0) {
        gFigures.startupMs = bench::Milliseconds(gRunStart, now);
        DXUTSetCallbackFrameMove(TimedFrameMove);
        DXUTSetCallbackFrameRender(TimedFrameRender);
    }
    const FramePhase ran = PhaseOf(frame);
    GameFrameFigures& f = gFigures.stages[ran.stage];
    if (ran.phase == Phase::Key) f.loadMs = bench::Milliseconds(gKeyDown, now);
    if (ran.phase == Phase::Timed) gChainFrames.push_back(bench::Milliseconds(gLastHook, now));

    gFrame = frame + 1;
    const FramePhase next = PhaseOf(gFrame);
    if (ran.phase == Phase::Walk && next.phase != Phase::Walk) CloseWalk(f);
    if (ran.phase == Phase::Timed && next.phase != Phase::Timed) {
        const double mean = Mean(gChainFrames);
        f.fps = mean > 0.0 ? 1000.0 / mean : 0.0;
        gChainFrames.clear();
    }
    if (next.phase == Phase::After) PostQuitMessage(0);
    gLastHook = bench::Clock::now();
    if (next.phase == Phase::Key) gKeyDown = gLastHook;
}

} // namespace

GameRunFigures RunGameFrames(bool quick, const char* psVersion)
{
    if (quick) gLine = Timeline{10, 60, 5, 20};
    // A 640 x 480 window whatever Vid.cfg says, at the tier asked for.
    static std::string tier;
    tier = std::string("-psversion:") + psVersion;
    static const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480", nullptr};
    argv[4] = tier.c_str();
    Win32SetCommandLine(5, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    DXUTHeadlessEnableDevice();
    for (int stage = 0; stage < kGameStages; ++stage) {
        const int key = gLine.KeyFrame(stage);
        DXUTHeadlessScheduleKey(key, UINT('1' + stage), true);
        DXUTHeadlessScheduleKey(key + 1, UINT('1' + stage), false);
        DXUTHeadlessScheduleInputKeyHold(key + 1, DIK_W, gLine.walk);
    }
    DXUTHeadlessSetFrameHook(OnFrame);
    gRunStart = bench::Clock::now();
    const int result = WinMain(nullptr, nullptr, nullptr, 0);
    DXUTHeadlessSetFrameHook(nullptr);
    gFigures.ran = result == 0 && gFrame >= gLine.End();
    return gFigures;
}
