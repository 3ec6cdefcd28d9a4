#include "FuzzDrawList.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "../FakeTexture.h"
#include "render/DrawList.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

void RequireFinite(float x)
{
    Require(std::isfinite(x));
}

void CheckClears(const std::vector<ClearRecord>& clears)
{
    for (const ClearRecord& c : clears) {
        for (float x : {c.red, c.green, c.blue, c.alpha, c.depth}) RequireFinite(x);
    }
}

void CheckTargets(const std::vector<TextureBinding>& bindings)
{
    for (const TextureBinding& b : bindings) Require(IsDrawListTarget(b.index));
}

void CheckTextures(const std::vector<TextureBinding>& bindings)
{
    for (const TextureBinding& b : bindings) Require(IsDrawListTexture(b.index));
}

// Every builder over the sizes the screen targets take, including degenerate ones.
void ExerciseBuilders(PostProcessPass pass)
{
    Require(pass.filter.kind >= 0 && pass.filter.kind < SampleFilter::kKindCount);
    Require(pass.rect.mode >= 0 && pass.rect.mode < RectMode::kModeCount);
    RequireFinite(pass.filter.multiplier);
    if (pass.filter.kind == SampleFilter::kBloomW || pass.filter.kind == SampleFilter::kBloomH) {
        Require(pass.filter.deviation > 0.0f);
    }
    FakeTexture screen(165, 123), bordered(42, 32), tiny(1, 1);
    for (UINT size : {0u, 1u, 22u, 640u}) {
        pass.filter.Build(size, size / 2 + 1);
        pass.rect.Build(&screen, size % 2 ? &tiny : &bordered, size, size);
        for (const auto& o : pass.filter.offsets) RequireFinite(o[0] + o[1]);
        RequireFinite(pass.rect.coords.left + pass.rect.coords.top + pass.rect.coords.right + pass.rect.coords.bottom);
    }
}

const std::string& ScratchPath()
{
    static const std::string path = "/tmp/lv_fuzz_drawlist_" + std::to_string(getpid()) + ".cfg";
    return path;
}

} // namespace

int LvFuzzDrawList(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(ScratchPath().c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    DrawList chain;
    chain.Load(ScratchPath());
    Require(IsDrawListTarget(chain.sceneTarget));
    CheckTargets(chain.textureBindings);
    for (const DrawListGroup& step : chain.steps) {
        Require(step.renderListPasses.size() + step.postProcessPasses.size() + step.geometryPasses.size() == 1);
        for (const RenderListPass& p : step.renderListPasses) {
            Require(IsDrawListRenderList(p.renderList) && IsDrawListTarget(p.target));
            CheckClears(p.clears);
        }
        for (const PostProcessPass& p : step.postProcessPasses) {
            Require(IsDrawListTarget(p.source) && IsDrawListTarget(p.destination));
            CheckClears(p.clears);
            CheckTextures(p.textureBindings);
            CheckTargets(p.targetBindings);
            for (const TargetSwap& s : p.swaps) Require(IsDrawListTarget(s.first) && IsDrawListTarget(s.second));
            ExerciseBuilders(p);
        }
        for (const GeometryPass& p : step.geometryPasses) {
            Require(IsDrawListRenderList(p.renderList) && IsDrawListTarget(p.target));
            CheckClears(p.clears);
            CheckTextures(p.textureBindings);
        }
    }
    return 0;
}
