// bench_game [--quick]: the game's own speed, side by side for each stage.
//
// First, without a device: each stage is loaded from the run tree and played
// for 10 seconds of game time at 60 frames a second with W held (the
// character walks along the camera's yaw; on stage 4 the cart drives). Each
// frame is timed in two parts: the logic (the input's poll and the delivery
// of its messages, the player's update, the scene objects' and triggers'
// update) and the physics step. Target: the logic at most 10 % of the physics
// on every stage. Then each stage's exit: World object 0 is put on the
// stage's exit and the World's update runs, the exit's action and the next
// stage's load with it: milliseconds per stage change, mean and worst of 10.
//
// Then the whole game as a player runs it (GameFrames.h), once for each
// pixel-shader tier (3.0, 2.0, 1.4), each run in a process of its own: WinMain
// on a windowless llvmpipe device at 640 x 480, each stage by its key and
// walked; everything but drawing per frame (mean and worst), the renderer's
// frame (wall and CPU), frames a second with the tier's effect and chain, the
// stage key to the first frame drawn, and the start to the first frame drawn.
// Last, the frames a second of every stage and tier in one table.
// Run it with LP_NUM_THREADS=8 and 2.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dinput.h>
#include <dinput_test.h>

#include "BenchOptions.h"
#include "BenchTiming.h"
#include "ChildRun.h"
#include "GameFrames.h"
#include "StageRig.h"
#include "Win32Host.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/Stage.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Object.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"

namespace {

const int kStages = 4;
const float kFrameSeconds = 1.0f / 60.0f;
const float kRunSeconds = 10.0f;
const int kExitRuns = 10;
const double kLogicShareTarget = 0.10;
const double kFrameLogicTargetMs = 3.0; // the heaviest stage's mean
const double kFpsTarget = 60.0;         // the 3.0 tier at 640 x 480
const double kLoadTargetMs = 100.0;
const double kStartupTargetMs = 1000.0;

struct Figures
{
    double logicMs = 0.0;   // per frame, mean
    double physicsMs = 0.0; // per frame, mean
    double logicWorst = 0.0;
    double walked = 0.0;  // how far object 0 went
    double upright = 0.0; // 1 when the character ended the run on its feet
    double exitMean = 0.0;
    double exitWorst = 0.0;
};

std::string StageFile(int stage)
{
    return "stage" + std::to_string(stage) + ".qvl";
}

void PlayStage(int stage, float seconds, Figures& f)
{
    gLevelLoader->LoadLevel(StageFile(stage));
    // Object 0: the character's first body (it stays with the character if it
    // falls), the cart on stage 4.
    const RigidBody* pushed = gWorld->GetObject(0);
    const Vector3 start = pushed != nullptr ? pushed->position : Vector3();
    TestInput::SetKey(DIK_W, true);
    const int frames = static_cast<int>(seconds / kFrameSeconds + 0.5f);
    double logic = 0.0, physics = 0.0;
    float time = 0.0f;
    for (int i = 0; i < frames; ++i) {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(kFrameSeconds * kWin32CounterFrequency));
        Clock::Tick();
        float dt = Clock::GetFrameTime(false) / 1000.0f;
        const bench::Clock::time_point t0 = bench::Clock::now();
        gInput->Update(0);
        gEventDispatcher->ProcessQueue();
        gPlayer->Update();
        const bench::Clock::time_point t1 = bench::Clock::now();
        gPhysicsWorld->Update(dt);
        const bench::Clock::time_point t2 = bench::Clock::now();
        gWorld->UpdateUpdatables();
        const bench::Clock::time_point t3 = bench::Clock::now();
        time += dt;
        gWorld->UpdateLights(time);
        gLevelLoader->RunPendingLoad();
        gRenderer->PruneRenderLists();
        const double frameLogic = bench::Milliseconds(t0, t1) + bench::Milliseconds(t2, t3);
        logic += frameLogic;
        physics += bench::Milliseconds(t1, t2);
        f.logicWorst = std::max(f.logicWorst, frameLogic);
    }
    TestInput::SetKey(DIK_W, false);
    if (pushed != nullptr) f.walked = (pushed->position - start).Length();
    f.upright = gPlayer->IsUpright() ? 1.0 : 0.0;
    f.logicMs = logic / frames;
    f.physicsMs = physics / frames;
}

void ChangeStageThroughExit(int stage, int runs, Figures& f)
{
    double sum = 0.0;
    for (int run = 0; run < runs; ++run) {
        gLevelLoader->LoadLevel(StageFile(stage));
        const Trigger* exit = nullptr;
        for (const Trigger* t : gWorld->GetTriggers()) {
            if (t->kind == Trigger::kStageExit) exit = t;
        }
        if (exit == nullptr || gWorld->GetObject(0) == nullptr) return;
        gWorld->GetObject(0)->SetPosition(exit->position);
        const bench::Clock::time_point t0 = bench::Clock::now();
        gWorld->Update(0.0f);
        const double ms = bench::Milliseconds(t0, bench::Clock::now());
        if (CurrentStage() == stage) {
            std::printf("stage %d: the exit did not lead on\n", stage);
            return;
        }
        sum += ms;
        f.exitWorst = std::max(f.exitWorst, ms);
    }
    f.exitMean = sum / runs;
}

void PrintRow(const char* label, const Figures* figures, double Figures::*field, const char* format)
{
    std::printf("%-38s", label);
    for (int s = 0; s < kStages; ++s) std::printf(format, figures[s].*field);
    std::printf("\n");
}

void PrintGameRow(const char* label, const GameRunFigures& run, double (*field)(const GameFrameFigures&))
{
    std::printf("%-38s", label);
    for (const GameFrameFigures& f : run.stages) std::printf("%12.2f", field(f));
    std::printf("\n");
}

const char* const kTiers[] = {"3.0", "2.0", "1.4"};
const int kTierCount = 3;

void PrintGameRun(const GameRunFigures& run, const char* tier)
{
    if (!run.ran) {
        std::printf("the whole game on a device at %s: no OpenGL 3.3 context, or the run stopped early\n", tier);
        return;
    }
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("\nthe whole game at 640 x 480, pixel shaders %s, on llvmpipe (LP_NUM_THREADS %s), W held\n", tier,
                threads ? threads : "unset");
    PrintGameRow("logic + physics ms a frame (mean)", run, [](const GameFrameFigures& f) { return f.logicMean; });
    PrintGameRow("logic + physics ms a frame (worst)", run, [](const GameFrameFigures& f) { return f.logicWorst; });
    PrintGameRow("render ms a frame (wall)", run, [](const GameFrameFigures& f) { return f.renderWall; });
    PrintGameRow("render ms a frame (game thread CPU)", run, [](const GameFrameFigures& f) { return f.renderCpu; });
    PrintGameRow("fps, standing, the tier's chain", run, [](const GameFrameFigures& f) { return f.fps; });
    PrintGameRow("stage key to first frame drawn ms", run, [](const GameFrameFigures& f) { return f.loadMs; });
    std::printf("%-38s%12.2f\n", "start to first frame drawn ms", run.startupMs);

    double heaviest = 0.0, slowestFps = 1.0e9, slowestLoad = 0.0;
    for (const GameFrameFigures& f : run.stages) {
        heaviest = std::max(heaviest, f.logicMean);
        slowestFps = std::min(slowestFps, f.fps);
        slowestLoad = std::max(slowestLoad, f.loadMs);
    }
    const auto verdict = [](bool met) { return met ? "met" : "missed"; };
    std::printf("targets: logic + physics <= %.0f ms on the heaviest stage (%.2f) %s; %.0f fps (lowest %.1f) %s; "
                "stage load <= %.0f ms (slowest %.1f) %s; start-up <= %.0f ms (%.1f) %s\n",
                kFrameLogicTargetMs, heaviest, verdict(heaviest <= kFrameLogicTargetMs), kFpsTarget, slowestFps,
                verdict(slowestFps >= kFpsTarget), kLoadTargetMs, slowestLoad, verdict(slowestLoad <= kLoadTargetMs),
                kStartupTargetMs, run.startupMs, verdict(run.startupMs <= kStartupTargetMs));
}

// WinMain runs once a process, so each tier's run is a child process that
// hands its figures back (plain data: no pointers).
GameRunFigures RunTierInChild(bool quick, const char* tier)
{
    const ChildRun child = RunInChild(
        [quick, tier](std::string& bytes) {
            const GameRunFigures figures = RunGameFrames(quick, tier);
            bytes.assign(reinterpret_cast<const char*>(&figures), sizeof figures);
            return 0;
        },
        true);
    GameRunFigures run;
    if (child.exitStatus == 0 && child.bytes.size() == sizeof run) std::memcpy(&run, child.bytes.data(), sizeof run);
    return run;
}

void PrintFpsTable(const GameRunFigures* runs)
{
    std::printf("\nframes a second at 640 x 480, standing after the walk\n%-38s%12s%12s%12s%12s\n", "", "stage 1",
                "stage 2", "stage 3", "stage 4");
    for (int t = 0; t < kTierCount; ++t) {
        std::printf("pixel shaders %-24s", kTiers[t]);
        for (const GameFrameFigures& f : runs[t].stages) {
            if (runs[t].ran) {
                std::printf("%12.1f", f.fps);
            } else {
                std::printf("%12s", "-");
            }
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::ParseRunOptions(argc, argv, 1).quick;
    if (!bench::EnterRunTree()) return 1;
    const float seconds = quick ? 2.0f : kRunSeconds;
    const int exitRuns = quick ? 2 : kExitRuns;
    Win32UseVirtualCounter(Win32ReadRealCounter());
    StageRig rig;
    gInput = new Input();
    Clock::Init();
    Figures figures[kStages];
    for (int s = 0; s < kStages; ++s) PlayStage(s + 1, seconds, figures[s]);
    for (int s = 0; s < kStages; ++s) ChangeStageThroughExit(s + 1, exitRuns, figures[s]);
    delete gInput;
    gInput = nullptr;

    std::printf("bench_game: %.0f s of each stage at 60 frames a second, W held; %d stage changes through each exit\n",
                seconds, exitRuns);
    std::printf("%-38s%12s%12s%12s%12s\n", "", "stage 1", "stage 2", "stage 3", "stage 4");
    PrintRow("distance walked (driven on stage 4)", figures, &Figures::walked, "%12.1f");
    PrintRow("upright at the end (1 yes)", figures, &Figures::upright, "%12.0f");
    PrintRow("logic ms a frame (mean)", figures, &Figures::logicMs, "%12.4f");
    PrintRow("logic ms a frame (worst)", figures, &Figures::logicWorst, "%12.4f");
    PrintRow("physics ms a frame (mean)", figures, &Figures::physicsMs, "%12.4f");
    bool met = true;
    std::printf("%-38s", "logic / physics");
    for (const Figures& f : figures) {
        const double share = f.physicsMs > 0.0 ? f.logicMs / f.physicsMs : 0.0;
        met = met && share <= kLogicShareTarget;
        std::printf("%11.1f%%", 100.0 * share);
    }
    std::printf("\n");
    PrintRow("stage change through the exit ms (mean)", figures, &Figures::exitMean, "%12.2f");
    PrintRow("stage change through the exit ms (worst)", figures, &Figures::exitWorst, "%12.2f");
    std::printf("target: logic <= %.0f %% of physics on every stage %s\n", 100.0 * kLogicShareTarget,
                met ? "met" : "missed");
    GameRunFigures runs[kTierCount];
    for (int t = 0; t < kTierCount; ++t) {
        runs[t] = RunTierInChild(quick, kTiers[t]);
        PrintGameRun(runs[t], kTiers[t]);
    }
    PrintFpsTable(runs);
    return 0;
}
