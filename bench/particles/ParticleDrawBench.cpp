// bench_particles_draw [--repeat R]: what drawing the heaviest authored
// effect costs. The whole game runs under the headless framework host on a
// windowless llvmpipe context in a 640 x 480 window; once stage 1 has settled,
// its frame is drawn R times to glFinish, standing still, for the frame
// without the effect. Then an "Explosion" goes off where the camera looks and
// the game runs on; every few frames of its life the frame is drawn R times
// again. Prints, per measured frame, the explosion's live quads, the frame's
// time and the explosion's share (the frame less the frame without it), then
// the peak. Once the explosion is gone the frame without it is drawn again;
// the quieter of the two is the one taken. Each time is the least disturbed
// (shortest) of its R draws.
//
// Run it at the machine's thread count and with LP_NUM_THREADS=2.
#include <d3d9.h>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "game/Lumveran.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "render/Renderer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSettleFrames = 120;
constexpr int kMeasureEvery = 6; // frames of the explosion's life between measurements
constexpr int kLifeFrames = 200; // past its longest-lived quad
constexpr int kWarmUpDraws = 3;

int gRepeat = 30;

struct Measured
{
    int frame = 0; // of the explosion's life
    int quads = 0;
    double frameMs = 0.0;
};

double gWithoutBeforeMs = 0.0;
double gWithoutAfterMs = 0.0;
std::vector<Measured> gMeasured;
const fParticle* gExplosion = nullptr;

double DrawMs()
{
    for (int i = 0; i < kWarmUpDraws; ++i) gRenderer->RenderFrame();
    glFinish();
    std::vector<double> times;
    for (int i = 0; i < gRepeat; ++i) {
        const Clock::time_point start = Clock::now();
        gRenderer->RenderFrame();
        glFinish();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return *std::min_element(times.begin(), times.end());
}

bool ExplosionLives()
{
    const std::vector<fParticle*>& systems = gPartManager->GetSystems();
    return std::find(systems.begin(), systems.end(), gExplosion) != systems.end();
}

// Stage 1 loads at the first frame; the explosion goes off once it settled.
void OnFrame(int frame)
{
    if (!gRenderer || !gPartManager) return;
    if (frame == kSettleFrames) {
        gWithoutBeforeMs = DrawMs();
        const Vector3 at = gRenderer->GetCamera()->GetTargetPosition();
        const Vector3 still;
        const float scale = 1.0f;
        EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                     new fCreateSystem("Explosion", &at, &still, &scale));
        gExplosion = gPartManager->GetSystems().empty() ? nullptr : gPartManager->GetSystems().back();
        return;
    }
    const int life = frame - kSettleFrames;
    if (life <= 0) return;
    if (life > kLifeFrames || !gExplosion || !ExplosionLives()) {
        gWithoutAfterMs = DrawMs();
        PostQuitMessage(0);
        return;
    }
    if (life % kMeasureEvery != 0) return;
    Measured m;
    m.frame = life;
    m.quads = gExplosion->CountSystems() - 1;
    m.frameMs = DrawMs();
    gMeasured.push_back(m);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) gRepeat = std::max(1, std::atoi(argv[++i]));
    }
    if (chdir(LV_RUN_BIN) != 0) {
        std::printf("no run tree at %s\n", LV_RUN_BIN);
        return 1;
    }
    const char* args[] = {"Lumveran", "-windowed", "-width:640", "-height:480"};
    Win32SetCommandLine(4, const_cast<char**>(args));
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    DXUTHeadlessEnableDevice();
    DXUTHeadlessScheduleKey(0, '1', true);
    DXUTHeadlessScheduleKey(1, '1', false);
    DXUTHeadlessSetFrameHook(OnFrame);
    WinMain(nullptr, nullptr, nullptr, 0);
    if (gMeasured.empty()) {
        std::printf("no device or no explosion: benchmark skipped\n");
        return 0;
    }

    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("the explosion drawn on stage 1, 640x480, llvmpipe threads: %s, shortest of %d draws\n",
                threads ? threads : "all", gRepeat);
    const double withoutMs = gWithoutAfterMs > 0.0 ? std::min(gWithoutBeforeMs, gWithoutAfterMs) : gWithoutBeforeMs;
    std::printf("frame without it: %.2f ms (before it %.2f, after %.2f)\n", withoutMs, gWithoutBeforeMs,
                gWithoutAfterMs);
    std::printf("%6s %6s %10s %12s %14s\n", "frame", "quads", "frame ms", "effect ms", "us per quad");
    const Measured* peak = &gMeasured.front();
    double largest = 0.0;
    for (const Measured& m : gMeasured) {
        const double effect = m.frameMs - withoutMs;
        std::printf("%6d %6d %10.2f %12.2f %14.1f\n", m.frame, m.quads, m.frameMs, effect,
                    m.quads > 0 ? 1000.0 * effect / m.quads : 0.0);
        if (m.quads > peak->quads) peak = &m;
        largest = std::max(largest, effect);
    }
    std::printf("at its most quads (frame %d of its life, %d quads): %.2f ms drawing the effect, %.2f ms the frame; "
                "largest share seen %.2f ms\n",
                peak->frame, peak->quads, peak->frameMs - withoutMs, peak->frameMs, largest);
    return 0;
}
