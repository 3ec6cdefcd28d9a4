// The draw-list executor. Every surface taken from the device or a texture is
// held by a SurfacePtr and released when the step ends: a surface reference
// left behind makes the next device reset fail.
#include "render/DrawListExecute.h"

#include <memory>

#include "render/DrawList.h"
#include "render/DrawListFrame.h"
#include "render/EffectParameterNames.h"
#include "render/EffectPasses.h"

namespace {

// The target index of the straight scene: whatever the device draws into.
constexpr int kDeviceTarget = -1;

const char* const kSourceTextureParameter = fx::kTexture;
const char* const kSampleOffsetsParameter = fx::kSampleOffsets;
const char* const kSampleWeightsParameter = fx::kSampleWeights;
const char* const kWorldParameter = fx::kWorld;
const char* const kLastWorldParameter = fx::kLastWorld;

// The closing pass covers the whole back buffer with the whole image.
constexpr TexCoordRect kWholeImage;

struct SurfaceRelease
{
    void operator()(IDirect3DSurface9* surface) const { surface->Release(); }
};
using SurfacePtr = std::unique_ptr<IDirect3DSurface9, SurfaceRelease>;

SurfacePtr TopSurface(IDirect3DTexture9* texture)
{
    IDirect3DSurface9* surface = nullptr;
    if (!texture || FAILED(texture->GetSurfaceLevel(0, &surface))) return SurfacePtr();
    return SurfacePtr(surface);
}

SurfacePtr CurrentRenderTarget(IDirect3DDevice9* device)
{
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->GetRenderTarget(0, &surface))) return SurfacePtr();
    return SurfacePtr(surface);
}

RenderStateRecord State(D3DRENDERSTATETYPE type, DWORD value)
{
    return {unsigned(type), unsigned(value)};
}

RenderListPass StraightPass(int list, std::vector<RenderStateRecord> before, std::vector<RenderStateRecord> after)
{
    RenderListPass pass;
    pass.renderList = list;
    pass.target = kDeviceTarget;
    pass.renderStatesBefore = std::move(before);
    pass.renderStatesAfter = std::move(after);
    return pass;
}

// The scene steps every chain starts with: opaque, skinned, transparent
// without depth writes, then additive particles.
const std::vector<RenderListPass>& StraightScene()
{
    static const std::vector<RenderListPass> passes = {
        StraightPass(0, {}, {}),
        StraightPass(2, {}, {}),
        StraightPass(1, {State(D3DRS_ZWRITEENABLE, FALSE)}, {State(D3DRS_ZWRITEENABLE, TRUE)}),
        StraightPass(3,
                     {State(D3DRS_ZWRITEENABLE, FALSE), State(D3DRS_SRCBLEND, D3DBLEND_ONE),
                      State(D3DRS_DESTBLEND, D3DBLEND_ONE)},
                     {State(D3DRS_ZWRITEENABLE, TRUE), State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                      State(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA)}),
    };
    return passes;
}

class Executor
{
public:
    explicit Executor(DrawListFrame& frame)
        : frame(frame), device(frame.GetDevice()), effect(frame.GetEffect()), targets(frame.GetRenderTargets())
    {}

    bool Ready() const { return device && effect; }

    void Run(DrawList& list)
    {
        // Without its scene target a chain has nowhere to draw: the scene
        // goes to the back buffer as it would without a chain.
        SurfacePtr sceneSurface = list.IsEmpty() ? SurfacePtr() : TopSurface(targets.At(list.sceneTarget));
        if (!sceneSurface) {
            RunStraight();
            return;
        }
        SurfacePtr backBuffer = CurrentRenderTarget(device);
        if (!backBuffer) return;
        device->SetRenderTarget(0, sceneSurface.get());
        currentTarget = list.sceneTarget;
        effect->CommitChanges();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        frame.DrawHeightmaps();

        for (DrawListGroup& step : list.steps) {
            for (const RenderListPass& pass : step.renderListPasses) {
                SetDepth(TRUE);
                RunRenderListPass(pass);
            }
            for (PostProcessPass& pass : step.postProcessPasses) {
                SetDepth(FALSE);
                RunPostProcessPass(pass);
            }
            for (const GeometryPass& pass : step.geometryPasses) RunGeometryPass(pass);
        }

        ApplySamplerStates(list.samplerStates);
        effect->SetTechnique(list.closingTechnique.c_str());
        BindTargets(list.textureBindings);
        device->SetRenderTarget(0, backBuffer.get());
        effect->CommitChanges();
        ForEachEffectPass(effect, [&] { DrawQuad(kWholeImage); });
        for (const TextureBinding& binding : list.textureBindings)
            effect->SetTexture(binding.parameter.c_str(), nullptr);
        SetDepth(TRUE);
    }

    void RunStraight()
    {
        currentTarget = kDeviceTarget;
        frame.DrawHeightmaps();
        for (const RenderListPass& pass : StraightScene()) {
            SetDepth(TRUE);
            RunRenderListPass(pass);
        }
    }

private:
    void SetDepth(BOOL on)
    {
        device->SetRenderState(D3DRS_ZENABLE, on);
        device->SetRenderState(D3DRS_ZWRITEENABLE, on);
    }

    void ApplyClears(const std::vector<ClearRecord>& clears)
    {
        for (const ClearRecord& c : clears) device->Clear(0, nullptr, c.flags, c.Colour(), c.depth, c.stencil);
    }

    void ApplyRenderStates(const std::vector<RenderStateRecord>& states)
    {
        for (const RenderStateRecord& s : states) device->SetRenderState(D3DRENDERSTATETYPE(s.type), s.value);
    }

    void ApplySamplerStates(const std::vector<SamplerStateRecord>& states)
    {
        for (const SamplerStateRecord& s : states)
            device->SetSamplerState(s.sampler, D3DSAMPLERSTATETYPE(s.type), s.value);
    }

    // An empty slot binds null, so a pass never samples a stale texture.
    void BindTargets(const std::vector<TextureBinding>& bindings)
    {
        for (const TextureBinding& b : bindings) effect->SetTexture(b.parameter.c_str(), targets.At(b.index));
    }

    void BindTextures(const std::vector<TextureBinding>& bindings)
    {
        for (const TextureBinding& b : bindings)
            effect->SetTexture(b.parameter.c_str(), frame.GetLoadedTexture(b.index));
    }

    void DrawQuad(const TexCoordRect& c) { frame.DrawScreenQuad(c.left, c.top, c.right, c.bottom); }

    // The frame of a "DrawList" or "GEDL" step: its target for the step's
    // length (the home target stays current), states before and after. A
    // target whose slot holds no texture skips the step.
    template <class Body>
    void RunListStep(const SceneStepStates& pass, Body body)
    {
        SurfacePtr remembered;
        if (pass.target != currentTarget) {
            SurfacePtr surface = TopSurface(targets.At(pass.target));
            remembered = CurrentRenderTarget(device);
            if (!surface || !remembered) return;
            device->SetRenderTarget(0, surface.get());
            effect->CommitChanges();
        }
        device->SetVertexDeclaration(frame.GetVertexDeclaration());
        ApplyClears(pass.clears);
        ApplySamplerStates(pass.samplerStatesBefore);
        ApplyRenderStates(pass.renderStatesBefore);
        effect->CommitChanges();
        body();
        ApplySamplerStates(pass.samplerStatesAfter);
        ApplyRenderStates(pass.renderStatesAfter);
        effect->CommitChanges();
        if (remembered) {
            device->SetRenderTarget(0, remembered.get());
            effect->CommitChanges();
        }
    }

    void RunRenderListPass(const RenderListPass& pass)
    {
        RunListStep(pass, [&] { frame.DrawRenderList(pass.renderList); });
    }

    void RunGeometryPass(const GeometryPass& pass)
    {
        RunListStep(pass, [&] {
            effect->SetTechnique(pass.technique.c_str());
            BindTextures(pass.textureBindings);
            if (pass.withHeightmaps) DrawHeightmapsWithStepTechnique();
            frame.DrawRenderListWithStepTechnique(pass.renderList);
        });
    }

    // Terrain never moves: its previous world is its world, so a velocity
    // pass sees only the camera's motion on it.
    void DrawHeightmapsWithStepTechnique()
    {
        const int count = frame.GetHeightmapCount();
        for (int i = 0; i < count; ++i) {
            D3DXMATRIX world;
            frame.GetHeightmapWorld(i, &world);
            effect->SetMatrix(kWorldParameter, &world);
            effect->SetMatrix(kLastWorldParameter, &world);
            ForEachEffectPass(effect, [&] { frame.DrawHeightmapGeometry(i); });
        }
    }

    void RunPostProcessPass(PostProcessPass& pass)
    {
        IDirect3DTexture9* destination = targets.At(pass.destination);
        SurfacePtr surface = TopSurface(destination);
        if (!surface) return;
        currentTarget = pass.destination;
        device->SetRenderTarget(0, surface.get());
        IDirect3DTexture9* source = targets.At(pass.source);
        effect->SetTexture(kSourceTextureParameter, source);
        effect->SetTechnique(pass.technique.c_str());
        if (frame.IsRedrawFrame()) {
            D3DSURFACE_DESC desc = {};
            destination->GetLevelDesc(0, &desc);
            pass.filter.Build(desc.Width, desc.Height);
            UINT cropWidth = 0, cropHeight = 0;
            frame.GetCropSize(&cropWidth, &cropHeight);
            pass.rect.Build(source, destination, cropWidth, cropHeight);
        }
        effect->SetValue(kSampleOffsetsParameter, pass.filter.offsets, sizeof(pass.filter.offsets));
        effect->SetValue(kSampleWeightsParameter, pass.filter.weights, sizeof(pass.filter.weights));
        ApplySamplerStates(pass.samplerStatesBefore);
        BindTextures(pass.textureBindings);
        BindTargets(pass.targetBindings);
        ApplyClears(pass.clears);
        ForEachEffectPass(effect, [&] { DrawQuad(pass.rect.coords); });
        ApplySamplerStates(pass.samplerStatesAfter);
        surface.reset();
        for (const TargetSwap& swap : pass.swaps) DrawList::SwapRenderTargets(swap, targets);
    }

    DrawListFrame& frame;
    IDirect3DDevice9* device;
    ID3DXEffect* effect;
    RenderTargetTable& targets;
    int currentTarget = kDeviceTarget;
};

} // namespace

void ExecuteDrawList(DrawList& list, DrawListFrame& frame)
{
    Executor executor(frame);
    if (executor.Ready()) executor.Run(list);
}

void DrawSceneStraight(DrawListFrame& frame)
{
    Executor executor(frame);
    if (executor.Ready()) executor.RunStraight();
}
