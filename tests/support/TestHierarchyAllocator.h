// The hierarchy allocator of the tests and benchmarks that load .x frame
// hierarchies: it keeps what a game allocator keeps (names, the mesh, the
// materials with their texture names, the adjacency, the skin), counts what
// is still alive so a test can see that a failed or destroyed load gave
// everything back, and can refuse mesh containers to drive the loader's
// failure path.
#pragma once

#include <d3dx9anim.h>

class TestHierarchyAllocator : public ID3DXAllocateHierarchy
{
public:
    HRESULT CreateFrame(LPCSTR name, LPD3DXFRAME* out) override;
    HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* data, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effects, DWORD numMaterials, const DWORD* adjacency,
                                LPD3DXSKININFO skin, LPD3DXMESHCONTAINER* out) override;
    HRESULT DestroyFrame(LPD3DXFRAME frame) override;
    HRESULT DestroyMeshContainer(LPD3DXMESHCONTAINER container) override;

    int liveFrames = 0;
    int liveContainers = 0;
    // Set: every CreateMeshContainer fails with E_OUTOFMEMORY.
    bool failContainers = false;
};
