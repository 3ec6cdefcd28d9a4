// What the renderer keeps on the device: the vertex declaration of the lit
// vertices, the one active effect, the static meshes and the unit quad, the
// textures by texture id, the screen-sized render targets and the debug font.
//
// Lifetimes: the effect, the textures, the render targets and the font live
// from one device reset to the next settings change (Release); the static
// meshes and the quad live in the managed pool and are kept until the
// renderer goes (ReleaseMeshes). The declaration is made anew at every reset,
// the old one released first.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <d3d9.h>
#include <d3dx9effect.h>

#include "core/Resources.h"
#include "render/DrawListFrame.h"
#include "render/MeshBuffers.h"

class CD3DFont;

struct ID3DXMesh;

// The two effect files by effect index; only the active one is loaded.
constexpr int kEffectSlotCount = 2;
extern const char* const EffectFileNames[kEffectSlotCount];
// The reduced effect, below pixel shaders 2.0: it lights at the vertices.
constexpr int kVertexLitEffect = 1;

// The screen's size and the size rounded down to multiples of eight, which
// the down-scaled targets and the crop rectangles are measured against.
struct ScreenSize
{
    UINT width = 0;
    UINT height = 0;
    UINT cropWidth = 0;
    UINT cropHeight = 0;
};

// The size of render-target slot `slot` for a client area of width x height;
// every size is at least 1, so tiny windows still get every target. Slots 2
// to 7 are never filled: 0 x 0.
void RenderTargetSize(int slot, UINT width, UINT height, UINT* slotWidth, UINT* slotHeight);
// A16B16G16R16F for the float slots at pixel shaders 3.0 and up, A8R8G8B8 otherwise.
D3DFORMAT RenderTargetFormat(int slot, DWORD pixelShaderVersion);

class RenderResources
{
public:
    RenderResources() = default;
    ~RenderResources();
    RenderResources(const RenderResources&) = delete;
    RenderResources& operator=(const RenderResources&) = delete;

    // The declaration of the 56-byte vertex; the old one is released first.
    bool CreateVertexDeclaration(IDirect3DDevice9* device);
    IDirect3DVertexDeclaration9* GetVertexDeclaration() const { return declaration; }

    // Loads "../Effects/" + the file of effectIndex with the palette macro
    // (or none) into that slot. A failure is reported ("Could not load effect
    // from file: " and the file name) and leaves no active effect.
    bool LoadEffect(IDirect3DDevice9* device, int effectIndex, bool paletteMacro);
    // The effect of effectIndex, or null (none loaded, or an index past the slots).
    ID3DXEffect* GetEffect(int effectIndex) const;

    // Fills the empty slots of the static-mesh table in id order and stops at
    // the first file that does not load ("Could not load mesh: " and its
    // name); slots already filled are kept, so a device reset loads nothing
    // twice. False when a file failed.
    bool LoadStaticMeshes(IDirect3DDevice9* device);
    // A loaded mesh as lit vertices with tangent frames in new managed
    // buffers. Every vertex is copied (unused ones too), then each triangle's
    // tangent written in index order. A mesh whose vertices are not the plain
    // 32-byte position, normal and texture pair is converted to it first.
    // Failed buffers are reported and leave the record empty.
    static MeshBuffers ProcessMesh(ID3DXMesh* mesh, IDirect3DDevice9* device);
    // Builds the unit quad once for the renderer's life; later calls return
    // what the first one did.
    bool CreatePrimitives(IDirect3DDevice9* device);
    bool ArePrimitivesBuilt() const { return primitivesBuilt; }

    // Every texture of the texture table, by texture id; one that does not
    // load is reported ("Could not load texture: " and its name) and leaves
    // its id empty, so the ids after it stay where they are.
    void LoadTextures(IDirect3DDevice9* device);
    // Null for texture 86 (none), an id past the table or a failed load.
    IDirect3DTexture9* GetTexture(int textureId) const;
    int GetTextureCount() const { return static_cast<int>(textures.size()); }

    // The ten screen targets for a client area of width x height, in the
    // order 0, 13, 14, 15, 1, 8, 9, 10, 11, 12, each filled with black.
    void CreateScreenResources(IDirect3DDevice9* device, UINT width, UINT height, DWORD pixelShaderVersion);
    RenderTargetTable& GetRenderTargets() { return targets; }
    const ScreenSize& GetScreenSize() const { return screen; }

    // The debug font ("Times New Roman", 10), made on the device; the
    // global gDebugFont points at it.
    void CreateFont(IDirect3DDevice9* device);

    // The geometry of a mesh id: 0 to 24 the static meshes, 25 the unit quad;
    // null for an id with no mesh or a slot whose file did not load.
    const MeshBuffers* GetMesh(int meshId) const;
    bool IsStaticMeshLoaded(int meshId) const;

    // Releases, in this order, the effect, the textures, the render targets
    // that hold a texture and the font; meshes and the declaration stay.
    void Release();
    // The meshes and the declaration, at the renderer's end.
    void ReleaseMeshes();

private:
    void ReleaseFont();

    IDirect3DVertexDeclaration9* declaration = nullptr;
    ID3DXEffect* effects[kEffectSlotCount] = {};
    std::array<MeshBuffers, kMeshFileCount> staticMeshes;
    MeshBuffers quad;
    bool primitivesBuilt = false;
    bool primitivesResult = false;
    std::vector<IDirect3DTexture9*> textures;
    RenderTargetTable targets;
    ScreenSize screen;
};
