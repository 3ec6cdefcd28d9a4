// The records a draw-list file is made of: the small list records (texture
// bindings, sampler and render states, target swaps, clears), the three kinds
// of step, and the limits that every index read from a file is checked against.
#pragma once

#include <d3d9.h>

#include <array>
#include <string>
#include <vector>

#include "core/Resources.h"
#include "render/DrawListFilters.h"
#include "render/DrawListRects.h"
#include "render/RenderLists.h"

// Indices a file may name. Slots 2 to 7 of the render-target table are never
// filled, so no file may name them: an index there could only reach an empty
// slot, directly or through a swap.
constexpr int kRenderTargetSlotCount = 16;
constexpr int kFirstUnusedTargetSlot = 2;
constexpr int kLastUnusedTargetSlot = 7;
constexpr int kLoadedTextureCount = kTextureFileCount;

inline bool IsDrawListTarget(long long index)
{
    return index >= 0 && index < kRenderTargetSlotCount &&
           (index < kFirstUnusedTargetSlot || index > kLastUnusedTargetSlot);
}
inline bool IsDrawListRenderList(long long index)
{
    return index >= 0 && index < kRenderListCount;
}
inline bool IsDrawListTexture(long long index)
{
    return index >= 0 && index < kLoadedTextureCount;
}
// A device has 16 pixel samplers; the state types and render states are
// those the device knows (0 is left to a line whose value is missing, which
// is reported on its own).
constexpr unsigned kSamplerCount = 16;
inline bool IsDrawListSampler(unsigned sampler)
{
    return sampler < kSamplerCount;
}
inline bool IsDrawListSamplerState(unsigned type)
{
    return type <= D3DSAMP_DMAPOFFSET;
}
inline bool IsDrawListRenderState(unsigned type)
{
    return type <= D3DRS_BLENDOPALPHA;
}

// An effect parameter and the render target or loaded texture it samples.
struct TextureBinding
{
    std::string parameter;
    int index = 0;
};

struct SamplerStateRecord
{
    unsigned sampler = 0;
    unsigned type = 0; // D3DSAMPLERSTATETYPE
    unsigned value = 0;
};

struct RenderStateRecord
{
    unsigned type = 0; // D3DRENDERSTATETYPE
    unsigned value = 0;
};

// Two render-target indices whose slots change places for good.
struct TargetSwap
{
    unsigned first = 0;
    unsigned second = 0;
};

struct ClearRecord
{
    unsigned flags = 0; // D3DCLEAR_* bits
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
    float depth = 0.0f;
    unsigned stencil = 0;

    // 32-bit ARGB: 255 at or above 1, 0 at or below 0 (and for NaN), else
    // the component x 255 rounded half up.
    D3DCOLOR Colour() const;
};

// What a step that draws the scene's geometry does around its drawing: the
// target it draws into, clears, then states before and after.
struct SceneStepStates
{
    std::string name;
    int renderList = 0;
    int target = 0;
    std::vector<ClearRecord> clears;
    std::vector<RenderStateRecord> renderStatesBefore;
    std::vector<RenderStateRecord> renderStatesAfter;
    std::vector<SamplerStateRecord> samplerStatesBefore;
    std::vector<SamplerStateRecord> samplerStatesAfter;
};

// "DrawList": one render list drawn into one target with the instances' own techniques.
struct RenderListPass : SceneStepStates
{
    std::vector<TextureBinding> textureBindings; // read, never drawn with
};

// "FSE": a full-screen effect from one target into another.
struct PostProcessPass
{
    std::string name;
    std::string technique;
    int source = 0;
    int destination = 0;
    SampleFilter filter;
    RectMode rect;
    std::vector<ClearRecord> clears;
    std::vector<SamplerStateRecord> samplerStatesBefore;
    std::vector<SamplerStateRecord> samplerStatesAfter;
    std::vector<TextureBinding> textureBindings; // loaded textures
    std::vector<TextureBinding> targetBindings;  // render targets
    std::vector<TargetSwap> swaps;
};

// "GEDL": one render list, and optionally the heightmaps, drawn with one technique.
struct GeometryPass : SceneStepStates
{
    std::string technique;
    int withHeightmaps = 0;
    std::vector<TextureBinding> textureBindings; // loaded textures
};

// One step of a chain: exactly one of the three vectors holds one entry.
struct DrawListGroup
{
    std::vector<PostProcessPass> postProcessPasses;
    std::vector<RenderListPass> renderListPasses;
    std::vector<GeometryPass> geometryPasses;
};

// Per mesh id, applied first to an ordinary instance's world matrix: the
// first mesh is modelled a hundred times too large, the rest are as drawn.
constexpr int kMeshTransformCount = 26;
extern const std::array<D3DMATRIX, kMeshTransformCount> MeshTransforms;
