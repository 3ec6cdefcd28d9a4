// What a draw-list chain needs of the renderer to draw one frame: the device
// and active effect, the render-target table, the loaded textures, and the
// drawing of the scene's geometry. The renderer implements DrawListFrame; the
// chain itself only sets targets, clears, states, bindings and full-screen
// passes through it.
#pragma once

#include <d3d9.h>
#include <d3dx9effect.h>

#include "render/DrawListRecords.h"

// The renderer's sixteen render-target slots and the table of slot numbers
// that draw-list files index. A swap exchanges two table entries, never the
// textures, so the renderer keeps creating and releasing textures by slot
// number while files see the order every earlier swap left. The table does not
// own the textures: the renderer releases them with its other device resources.
class RenderTargetTable
{
public:
    RenderTargetTable()
    {
        for (int i = 0; i < kRenderTargetSlotCount; ++i) order[i] = i;
    }

    // A slot by its own number, for creation and release.
    IDirect3DTexture9*& Slot(int slot) { return slots[slot]; }

    // The texture a file's index names now; null for an empty slot or a bad index.
    IDirect3DTexture9* At(long long index) const
    {
        return index >= 0 && index < kRenderTargetSlotCount ? slots[order[index]] : nullptr;
    }

    // Exchanges the slots two indices name; indices out of range change nothing.
    void Swap(unsigned i, unsigned j)
    {
        if (i >= unsigned(kRenderTargetSlotCount) || j >= unsigned(kRenderTargetSlotCount)) return;
        const int slot = order[i];
        order[i] = order[j];
        order[j] = slot;
    }

private:
    IDirect3DTexture9* slots[kRenderTargetSlotCount] = {};
    int order[kRenderTargetSlotCount];
};

class DrawListFrame
{
public:
    virtual ~DrawListFrame() = default;

    virtual IDirect3DDevice9* GetDevice() = 0;
    // The effect in use this frame; no chain draws without one.
    virtual ID3DXEffect* GetEffect() = 0;
    virtual RenderTargetTable& GetRenderTargets() = 0;
    // A loaded texture by texture id; null when it failed to load.
    virtual IDirect3DTexture9* GetLoadedTexture(int id) = 0;
    // The declaration of the game's 56-byte vertices.
    virtual IDirect3DVertexDeclaration9* GetVertexDeclaration() = 0;
    // True on the first frame after the chain changed or the device was reset:
    // the only frames on which the passes' filters and rectangles are rebuilt.
    virtual bool IsRedrawFrame() = 0;
    // The screen size rounded down to multiples of eight.
    virtual void GetCropSize(UINT* width, UINT* height) = 0;

    // Every heightmap with its own technique, material and texture.
    virtual void DrawHeightmaps() = 0;
    // The instances of a render list with their own techniques, materials and
    // textures, the technique tracking reset first.
    virtual void DrawRenderList(int list) = 0;
    // The instances of a render list with the technique the step has set and
    // no material or texture of their own.
    virtual void DrawRenderListWithStepTechnique(int list) = 0;

    // The heightmaps one by one, for steps that draw them with their own
    // technique: world = Scaling(scale) x Translation(position), and the bare
    // geometry drawn inside the caller's pass.
    virtual int GetHeightmapCount() = 0;
    virtual void GetHeightmapWorld(int index, D3DXMATRIX* world) = 0;
    virtual void DrawHeightmapGeometry(int index) = 0;

    // A quad over the whole current render target with these texture
    // coordinates, through the active effect's current pass.
    virtual void DrawScreenQuad(float leftU, float topV, float rightU, float bottomV) = 0;
};
