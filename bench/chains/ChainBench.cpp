// What the post-processing chains cost. The game runs at pixel shader 3.0 in
// a 640 x 480 window on a windowless llvmpipe context (the shared stage run);
// once a stage has settled its frame is drawn again and again, the camera
// and the world standing still:
//   - under each chain the stage is measured with (stage 1: "2_0.cfg",
//     "Blur.cfg", "HDR.cfg"; stage 3: the heat chains; stage 4:
//     "MotionBlur.cfg");
//   - under a chain of the scene steps alone with a one-tap close;
//   - a plain one-tap full-screen copy of the scene target onto the back
//     buffer.
// A chain's cost is its frame less the scene-only frame, printed in ms and in
// copies; geometry passes count as the chain's. Every stage's whole frame with
// its 3.0 chain is printed against the device benchmark's reference frame,
// timed in the same run. At this tier every screen target is a float one, so
// the 2.0 chains cost here at most what they cost on their own tier.
//
// Targets: "2_0.cfg" at most 2 copies; "Blur.cfg", "HDR.cfg", "Heat2_0.cfg"
// at most 12; "HeatandHDR.cfg", "MotionBlur.cfg" at most 24; a stage's whole
// frame at most the reference. Run it at the machine's thread count and with
// LP_NUM_THREADS=2.
#include <d3d9.h>
#include <d3dx9effect.h>

#include "ReferenceFrame.h"
#include "StageBench.h"
#include "core/Resources.h"
#include "render/EffectPasses.h"
#include "render/Renderer.h"
#include "tests/support/SceneDrawListSteps.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kSamples = 25;
// Copies are timed in batches: one copy alone is shorter than the wait for it.
constexpr int kCopiesPerSample = 10;

struct ChainCase
{
    const char* file; // in the Config folder
    int stage;
    double maxCopies;
};

const ChainCase kChains[] = {
    {"2_0.cfg", 1, 2.0},      {"Blur.cfg", 1, 12.0},       {"HDR.cfg", 1, 12.0},
    {"Heat2_0.cfg", 3, 12.0}, {"HeatandHDR.cfg", 3, 24.0}, {"MotionBlur.cfg", 4, 24.0},
};

// The scene steps every shipped chain starts with, closed by one tap of the
// scene target.
const std::string kSceneOnlyChain = std::string(R"(Name SceneOnly
Closing FinalLDR
SceneTarget 0
Bind SceneTex 0
Binds END
Sampler 8 1 3
Sampler 8 2 3
Samplers END
)") + kSceneDrawListSteps;

using stagebench::Cost;

struct ChainFigures
{
    ChainFigures(std::string file, int stage, double maxCopies)
        : file(std::move(file)), stage(stage), maxCopies(maxCopies)
    {}
    std::string file;
    int stage = 0;
    double maxCopies = 0.0; // 0: no target (a chain named on the command line)
    Cost chain, scene, copy;
};

struct StageFigures
{
    int stage = 0;
    Cost frame; // with its 3.0 chain
};

std::string gSceneOnlyPath;
std::vector<ChainFigures> gChains;
std::vector<StageFigures> gStages;

// One frame under the chain, after one untimed frame that rebuilds its filters.
Cost FrameUnder(const std::string& chainPath)
{
    gRenderer->ClearDrawLists();
    gRenderer->AddDrawList(chainPath);
    gRenderer->RenderFrame();
    glFinish();
    return stagebench::TimeOnce([] { gRenderer->RenderFrame(); });
}

// One tap of the scene target over the whole back buffer, per copy of a batch.
Cost CopyOnce()
{
    ID3DXEffect* effect = gRenderer->GetEffect();
    IDirect3DTexture9* scene = gRenderer->GetRenderTargets().At(0);
    if (!effect || !scene) return Cost();
    effect->SetTechnique("PassThrough");
    effect->SetTexture("MeshTexture", scene);
    Cost cost = stagebench::TimeOnce([&] {
        for (int i = 0; i < kCopiesPerSample; ++i)
            ForEachEffectPass(effect, [] { gRenderer->DrawScreenQuad(0.0f, 0.0f, 1.0f, 1.0f); });
    });
    effect->SetTexture("MeshTexture", nullptr);
    cost.wallMs /= kCopiesPerSample;
    cost.cpuMs /= kCopiesPerSample;
    return cost;
}

// Every figure of the stage is taken once per round, the rounds one after
// another, so a machine that gets busier slows them all alike.
void MeasureStage(int stage)
{
    std::vector<ChainFigures*> chains;
    for (ChainFigures& f : gChains) {
        if (f.stage == stage) chains.push_back(&f);
    }
    std::vector<Cost> whole, scene, copy;
    std::vector<std::vector<Cost>> chain(chains.size());
    for (int round = 0; round < kSamples; ++round) {
        gRenderer->ClearDrawLists();
        gRenderer->SelectLevelDrawList(stage);
        gRenderer->RenderFrame();
        glFinish();
        whole.push_back(stagebench::TimeOnce([] { gRenderer->RenderFrame(); }));
        if (chains.empty()) continue;
        scene.push_back(FrameUnder(gSceneOnlyPath));
        copy.push_back(CopyOnce());
        for (size_t i = 0; i < chains.size(); ++i) chain[i].push_back(FrameUnder(chains[i]->file));
    }
    gStages.push_back({stage, stagebench::Median(whole)});
    for (size_t i = 0; i < chains.size(); ++i) {
        chains[i]->scene = stagebench::Median(scene);
        chains[i]->copy = stagebench::Median(copy);
        chains[i]->chain = stagebench::Median(chain[i]);
    }
    gRenderer->ClearDrawLists();
    gRenderer->SelectLevelDrawList(stage);
}

void PrintChain(const ChainFigures& f)
{
    const std::string name = f.file.substr(f.file.find_last_of("/\\") + 1);
    const double wallCost = f.chain.wallMs - f.scene.wallMs;
    const double cpuCost = f.chain.cpuMs - f.scene.cpuMs;
    std::printf("%-16s  %5d  %8.2f  %8.2f  %7.3f  %7.2f  %6.1f  %10.1f  ", name.c_str(), f.stage, f.chain.wallMs,
                f.scene.wallMs, f.copy.wallMs, wallCost, f.copy.wallMs > 0.0 ? wallCost / f.copy.wallMs : 0.0,
                f.copy.cpuMs > 0.0 ? cpuCost / f.copy.cpuMs : 0.0);
    if (f.maxCopies > 0.0) {
        std::printf("%6.0f\n", f.maxCopies);
    } else {
        std::printf("%6s\n", "-");
    }
}

} // namespace

// Arguments "stage:path" add a chain file of one's own, timed over that stage.
int main(int argc, char** argv)
{
    if (!stagebench::EnterRunTree(LV_RUN_BIN)) {
        std::printf("no run tree at %s\n", LV_RUN_BIN);
        return 1;
    }
    const Cost referenceBefore = stagebench::ReferenceFrame(kSamples);
    if (referenceBefore.wallMs <= 0.0) {
        std::printf("no OpenGL 3.3 context: benchmark skipped\n");
        return 0;
    }
    for (const ChainCase& c : kChains) gChains.emplace_back(ConfigDirectory + c.file, c.stage, c.maxCopies);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t colon = arg.find(':');
        const int stage = colon == std::string::npos ? 0 : std::atoi(arg.substr(0, colon).c_str());
        if (stage < 1 || stage > stagebench::kStageCount) {
            std::printf("ignored %s: give stage:path\n", arg.c_str());
            continue;
        }
        gChains.emplace_back(arg.substr(colon + 1), stage, 0.0);
    }
    gSceneOnlyPath = "/tmp/lv_chain_bench_scene_" + std::to_string(getpid()) + ".cfg";
    std::ofstream(gSceneOnlyPath) << kSceneOnlyChain;
    stagebench::RunStages("-psversion:3.0", MeasureStage);
    std::remove(gSceneOnlyPath.c_str());
    const Cost reference = stagebench::Quieter(referenceBefore, stagebench::ReferenceFrame(kSamples));

    std::printf("reference frame (%d instances, %d full-screen passes, %ux%u): %.2f ms, %.2f ms of processor time; "
                "llvmpipe threads: %s\n",
                kInstances, kPasses, stagebench::kWidth, stagebench::kHeight, reference.wallMs, reference.cpuMs,
                stagebench::ThreadCount());
    std::printf("A chain's cost is its frame less the scene-only frame; in copies of the one-tap copy, by time "
                "and by processor time.\n");
    std::printf("chain             stage  chain ms  scene ms  copy ms  cost ms  copies  cpu copies  target\n");
    for (const ChainFigures& f : gChains) PrintChain(f);
    std::printf("processor ms per frame:");
    for (const ChainFigures& f : gChains)
        std::printf(" %s %.1f (scene %.1f)", f.file.substr(f.file.find_last_of("/\\") + 1).c_str(), f.chain.cpuMs,
                    f.scene.cpuMs);
    std::printf("\n");
    std::printf("stage  frame ms with its 3.0 chain  / reference (target <= 1.00)  processor ms  / reference\n");
    for (const StageFigures& s : gStages)
        std::printf("%5d  %27.2f  %32.2f  %12.2f  %11.2f\n", s.stage, s.frame.wallMs, s.frame.wallMs / reference.wallMs,
                    s.frame.cpuMs, s.frame.cpuMs / reference.cpuMs);
    return 0;
}
