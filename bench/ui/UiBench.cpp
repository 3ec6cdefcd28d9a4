// What the menus, the HUD and the replay cost. The whole game runs under the
// headless framework host on a windowless llvmpipe device at 640 x 480; once
// stage 1 has run a while, its frame (HUD update and the renderer's frame, to
// glFinish) is drawn again and again from the framework's frame hook:
//   - with no menu open;
//   - with the replay menu open (13 items and the pointer);
//   - with the main menu open (its blur chain in front).
// With the replay menu open the HUD pass is also timed alone. Then one replay
// tick (a recording, then a playback of it) over stage 1's objects is timed
// beside one frame's physics step, counting allocations.
// Targets: the HUD pass at most a tenth of its frame; a replay tick at most a
// twentieth of the physics step, with no allocation.
//
// Run it at the machine's thread count and with LP_NUM_THREADS=2.
#include <d3d9.h>

#include "AllocationCount.h"
#include "BenchTiming.h"
#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "d3d9_host.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Frames before the measures: the splash screens go, bodies settle, the
// replay's ring fills.
constexpr int kSettleFrames = 240;
constexpr int kTimedFrames = 60;
constexpr int kWarmUpFrames = 10;
constexpr int kTimedTicks = 2000;
constexpr float kFrameSeconds = 1.0f / 60.0f;

template <typename F>
double MedianMs(int runs, F f)
{
    return bench::MedianMs(kWarmUpFrames, runs, f);
}

// The frame-render step as the spine runs it, to glFinish.
void DrawFrame()
{
    gHUDManager->Update();
    gRenderer->RenderFrame();
    glFinish();
}

// The HUD's own pass inside a scene, as the renderer's frame calls it.
void DrawHudOnly()
{
    IDirect3DDevice9* device = gRenderer->GetDevice();
    device->BeginScene();
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    gHUDManager->Render();
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->EndScene();
    glFinish();
}

struct Figures
{
    double noMenuMs = 0.0;
    double replayMenuMs = 0.0;
    double mainMenuMs = 0.0;
    double hudMs = 0.0;
    int replayItems = 0;
    double tickMs = 0.0;
    double physicsMs = 0.0;
    long tickAllocations = 0;
    int objects = 0;
    bool measured = false;
};

Figures gFigures;

void Measure()
{
    Figures& f = gFigures;
    gMenuMan->CloseAllMenus();
    f.noMenuMs = MedianMs(kTimedFrames, DrawFrame);

    gMenuMan->OpenMenu(kMenuReplay);
    f.replayItems = gMenuMan->GetCurrentMenu()->GetItemCount();
    f.replayMenuMs = MedianMs(kTimedFrames, DrawFrame);
    DrawFrame();
    f.hudMs = MedianMs(kTimedFrames, DrawHudOnly);
    gMenuMan->CloseAllMenus();

    gMenuMan->OpenMenu(kMenuMain);
    f.mainMenuMs = MedianMs(kTimedFrames, DrawFrame);
    gMenuMan->CloseAllMenus();

    // One tick each way over the same snapshot: the bodies end where they were.
    f.objects = gWorld ? gWorld->GetNumObjects() : 0;
    auto tick = [] {
        gReplaySystem->RecordFrame();
        gReplaySystem->ApplyFrame();
    };
    tick();
    std::vector<double> ticks;
    ticks.reserve(kTimedTicks);
    bench::StartCountingAllocations();
    for (int i = 0; i < kTimedTicks; ++i) {
        const bench::Clock::time_point start = bench::Clock::now();
        tick();
        ticks.push_back(bench::Milliseconds(start, bench::Clock::now()));
    }
    f.tickAllocations = bench::StopCountingAllocations();
    f.tickMs = bench::Median(ticks);
    f.physicsMs = MedianMs(kTimedFrames, [] { gPhysicsWorld->Update(kFrameSeconds); });
    f.measured = true;
}

void OnFrame(int frame)
{
    if (frame != kSettleFrames) return;
    if (gRenderer && gRenderer->GetDevice() && gMenuMan && gReplaySystem && gPhysicsWorld) Measure();
    PostQuitMessage(0);
}

} // namespace

int main()
{
    if (chdir(LV_RUN_BIN) != 0) {
        std::printf("no run tree at %s\n", LV_RUN_BIN);
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    static char name[] = "Lumveran", windowed[] = "-windowed", width[] = "-width:640", height[] = "-height:480";
    char* argv[] = {name, windowed, width, height};
    Win32SetCommandLine(4, argv);
    DXUTHeadlessEnable(kFrameSeconds, 0);
    DXUTHeadlessEnableDevice();
    DXUTHeadlessSetFrameHook(OnFrame);
    WinMain(nullptr, nullptr, nullptr, 0);

    const Figures& f = gFigures;
    if (!f.measured) {
        std::printf("no device or no game: benchmark skipped\n");
        return 0;
    }
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("stage 1 at %dx%d, llvmpipe threads: %s\n", kWidth, kHeight, threads ? threads : "all");
    std::printf("frame, no menu:                    %8.3f ms\n", f.noMenuMs);
    std::printf("frame, replay menu (%2d items + pointer): %8.3f ms  (x%.2f)\n", f.replayItems, f.replayMenuMs,
                f.noMenuMs > 0.0 ? f.replayMenuMs / f.noMenuMs : 0.0);
    std::printf("frame, main menu (blur chain):     %8.3f ms  (x%.2f)\n", f.mainMenuMs,
                f.noMenuMs > 0.0 ? f.mainMenuMs / f.noMenuMs : 0.0);
    std::printf("HUD pass, replay menu:             %8.3f ms  (%.1f %% of its frame)\n", f.hudMs,
                f.replayMenuMs > 0.0 ? 100.0 * f.hudMs / f.replayMenuMs : 0.0);
    std::printf("replay tick (record + apply), %d objects: %8.4f ms  (%.2f %% of a physics step of %.3f ms)\n",
                f.objects, f.tickMs, f.physicsMs > 0.0 ? 100.0 * f.tickMs / f.physicsMs : 0.0, f.physicsMs);
    std::printf("allocations in %d ticks: %ld\n", kTimedTicks, f.tickAllocations);
    std::printf("targets: HUD pass <= 10 %% of its frame, replay tick <= 5 %% of the physics step, no allocation\n");
    return 0;
}
