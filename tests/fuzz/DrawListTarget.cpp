// The draw-list reader and the builders of every pass it loaded. Whatever the
// input, a loaded chain holds only indices inside their tables and finite
// numbers.
#include "FuzzSupport.h"

#include <cmath>
#include <string>

#include "render/DrawList.h"
#include "tests/drawlist/FakeTexture.h"

namespace {

void RequireFinite(float x)
{
    FUZZ_REQUIRE(std::isfinite(x));
}

void CheckClears(const std::vector<ClearRecord>& clears)
{
    for (const ClearRecord& c : clears) {
        for (float x : {c.red, c.green, c.blue, c.alpha, c.depth}) RequireFinite(x);
    }
}

void CheckTargets(const std::vector<TextureBinding>& bindings)
{
    for (const TextureBinding& b : bindings) FUZZ_REQUIRE(IsDrawListTarget(b.index));
}

void CheckTextures(const std::vector<TextureBinding>& bindings)
{
    for (const TextureBinding& b : bindings) FUZZ_REQUIRE(IsDrawListTexture(b.index));
}

// Every builder over the sizes the screen targets take, including degenerate ones.
void ExerciseBuilders(PostProcessPass pass)
{
    FUZZ_REQUIRE(pass.filter.kind >= 0 && pass.filter.kind < SampleFilter::kKindCount);
    FUZZ_REQUIRE(pass.rect.mode >= 0 && pass.rect.mode < RectMode::kModeCount);
    RequireFinite(pass.filter.multiplier);
    if (pass.filter.kind == SampleFilter::kBloomW || pass.filter.kind == SampleFilter::kBloomH) {
        FUZZ_REQUIRE(pass.filter.deviation > 0.0f);
    }
    FakeTexture screen(165, 123), bordered(42, 32), tiny(1, 1);
    for (UINT size : {0u, 1u, 22u, 640u}) {
        pass.filter.Build(size, size / 2 + 1);
        pass.rect.Build(&screen, size % 2 ? &tiny : &bordered, size, size);
        for (const auto& o : pass.filter.offsets) RequireFinite(o[0] + o[1]);
        RequireFinite(pass.rect.coords.left + pass.rect.coords.top + pass.rect.coords.right + pass.rect.coords.bottom);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DrawList chain;
    chain.Load(WriteFuzzFile("input.cfg", data, size));
    FUZZ_REQUIRE(IsDrawListTarget(chain.sceneTarget));
    CheckTargets(chain.textureBindings);
    for (const DrawListGroup& step : chain.steps) {
        FUZZ_REQUIRE(step.renderListPasses.size() + step.postProcessPasses.size() + step.geometryPasses.size() == 1);
        for (const RenderListPass& p : step.renderListPasses) {
            FUZZ_REQUIRE(IsDrawListRenderList(p.renderList) && IsDrawListTarget(p.target));
            CheckClears(p.clears);
        }
        for (const PostProcessPass& p : step.postProcessPasses) {
            FUZZ_REQUIRE(IsDrawListTarget(p.source) && IsDrawListTarget(p.destination));
            CheckClears(p.clears);
            CheckTextures(p.textureBindings);
            CheckTargets(p.targetBindings);
            for (const TargetSwap& s : p.swaps) FUZZ_REQUIRE(IsDrawListTarget(s.first) && IsDrawListTarget(s.second));
            ExerciseBuilders(p);
        }
        for (const GeometryPass& p : step.geometryPasses) {
            FUZZ_REQUIRE(IsDrawListRenderList(p.renderList) && IsDrawListTarget(p.target));
            CheckClears(p.clears);
            CheckTextures(p.textureBindings);
        }
    }
    return 0;
}
