// The allocator the hierarchy loader calls for every frame and mesh
// container of the character file: names unnamed frames "frame_N" and
// skinned containers "mc_N" (program-wide counters from 0), and turns every
// skinned container into an indexed, matrix-palette blended mesh.
#pragma once

#include <d3dx9.h>

class MultiAnim;

// A mesh container with what the palette draw needs behind the library's
// fields. Made and freed only by MultiAnimAllocateHierarchy.
struct MultiAnimMeshContainer : public D3DXMESHCONTAINER
{
    IDirect3DTexture9** textures; // one slot per material, never filled
    ID3DXMesh* workingMesh;       // the indexed blended copy that is drawn
    D3DXMATRIX* boneOffsets;      // one per bone
    D3DXMATRIX** boneMatrices;    // one per bone: the bone frame's matrix (set by MultiAnim)
    DWORD paletteEntries;         // palette matrices one attribute group uses
    DWORD maxFaceInfluences;
    DWORD numAttributeGroups;
    ID3DXBuffer* boneCombinations; // numAttributeGroups D3DXBONECOMBINATION records
};

// The palette size a container gets when the effect does not say.
constexpr DWORD kDefaultPaletteSize = 35;

class MultiAnimAllocateHierarchy : public ID3DXAllocateHierarchy
{
public:
    MultiAnimAllocateHierarchy() = default;
    virtual ~MultiAnimAllocateHierarchy() = default;

    HRESULT CreateFrame(LPCSTR name, LPD3DXFRAME* newFrame) override;
    HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials, const DWORD* adjacency,
                                LPD3DXSKININFO skinInfo, LPD3DXMESHCONTAINER* newMeshContainer) override;
    HRESULT DestroyFrame(LPD3DXFRAME frame) override;
    HRESULT DestroyMeshContainer(LPD3DXMESHCONTAINER meshContainer) override;
    // The MultiAnim whose effect decides the palette size and whose shared
    // working palette grows with the containers.
    virtual HRESULT SetMA(MultiAnim* multiAnim);

    // (Re)builds a skinned container's working mesh from its mesh, on the
    // mesh's device, with the palette size of the MultiAnim's effect.
    // Whatever working mesh it had is released first.
    static HRESULT BuildWorkingMesh(MultiAnimMeshContainer* container, MultiAnim* multiAnim);

private:
    MultiAnim* multiAnim = nullptr;
};
