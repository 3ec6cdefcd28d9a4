// Frames and skinned mesh containers of the character hierarchy.
#include "render/MultiAnimAllocateHierarchy.h"

#include "render/MultiAnimation.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

// Program-wide: names keep counting on across every load.
unsigned gUnnamedFrames = 0;
unsigned gUnnamedContainers = 0;

const DWORD kWorkingMeshOptions = D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE;
// The character's skin is grey until the renderer's material and texture go on.
const D3DCOLORVALUE kSkinGrey = {0.5f, 0.5f, 0.5f, 0.0f};

char* CopyName(const std::string& name)
{
    char* copy = new (std::nothrow) char[name.size() + 1];
    if (copy) std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

template <class T>
void ReleaseAndNull(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

// The working mesh in the layout the skinned techniques read: position with
// blend weights, packed indices, a normal and one texture set.
HRESULT MatchSkinnedLayout(MultiAnimMeshContainer* mc)
{
    const DWORD oldFVF = mc->workingMesh->GetFVF();
    const DWORD wanted = (oldFVF & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_LASTBETA_UBYTE4;
    if (oldFVF != wanted) {
        IDirect3DDevice9* device = nullptr;
        mc->workingMesh->GetDevice(&device);
        ID3DXMesh* clone = nullptr;
        const HRESULT hr = mc->workingMesh->CloneMeshFVF(mc->workingMesh->GetOptions(), wanted, device, &clone);
        if (device) device->Release();
        if (FAILED(hr)) return hr;
        mc->workingMesh->Release();
        mc->workingMesh = clone;
        if (!(oldFVF & D3DFVF_NORMAL)) D3DXComputeNormals(clone, nullptr);
    }
    // The shaders read the index bytes as a colour, in memory order.
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    HRESULT hr = mc->workingMesh->GetDeclaration(decl);
    if (FAILED(hr)) return hr;
    for (D3DVERTEXELEMENT9* e = decl; e->Stream != 0xFF; ++e)
        if (e->Usage == D3DDECLUSAGE_BLENDINDICES && e->UsageIndex == 0) e->Type = D3DDECLTYPE_D3DCOLOR;
    return mc->workingMesh->UpdateSemantics(decl);
}

HRESULT FillSkinnedContainer(MultiAnimMeshContainer* mc, LPCSTR name, const D3DXMESHDATA* meshData, DWORD numMaterials,
                             const DWORD* adjacency, LPD3DXSKININFO skinInfo, MultiAnim* multiAnim)
{
    if (!meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh) return E_FAIL;
    mc->Name = CopyName(name ? std::string(name) : "mc_" + std::to_string(gUnnamedContainers++));
    if (!mc->Name) return E_OUTOFMEMORY;

    mc->MeshData.Type = D3DXMESHTYPE_MESH;
    mc->MeshData.pMesh = meshData->pMesh;
    mc->MeshData.pMesh->AddRef();
    const DWORD faces = mc->MeshData.pMesh->GetNumFaces();
    if (adjacency) {
        mc->pAdjacency = new (std::nothrow) DWORD[(size_t)faces * 3];
        if (!mc->pAdjacency) return E_OUTOFMEMORY;
        std::memcpy(mc->pAdjacency, adjacency, sizeof(DWORD) * faces * 3);
    }

    // The file's materials are not kept: the renderer chooses material and texture.
    mc->NumMaterials = std::max<DWORD>(numMaterials, 1);
    mc->pMaterials = new (std::nothrow) D3DXMATERIAL[mc->NumMaterials]();
    mc->textures = new (std::nothrow) IDirect3DTexture9*[mc->NumMaterials]();
    if (!mc->pMaterials || !mc->textures) return E_OUTOFMEMORY;
    mc->pMaterials[0].MatD3D.Diffuse = kSkinGrey;
    mc->pMaterials[0].MatD3D.Specular = kSkinGrey;

    mc->pSkinInfo = skinInfo;
    skinInfo->AddRef();
    const DWORD bones = skinInfo->GetNumBones();
    mc->boneOffsets = new (std::nothrow) D3DXMATRIX[bones ? bones : 1];
    if (!mc->boneOffsets) return E_OUTOFMEMORY;
    for (DWORD b = 0; b < bones; ++b) mc->boneOffsets[b] = *skinInfo->GetBoneOffsetMatrix(b);
    return MultiAnimAllocateHierarchy::BuildWorkingMesh(mc, multiAnim);
}

} // namespace

HRESULT MultiAnimAllocateHierarchy::CreateFrame(LPCSTR name, LPD3DXFRAME* newFrame)
{
    if (!newFrame) return D3DERR_INVALIDCALL;
    *newFrame = nullptr;
    D3DXFRAME* frame = new (std::nothrow) D3DXFRAME();
    if (!frame) return E_OUTOFMEMORY;
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    frame->Name = CopyName(name ? std::string(name) : "frame_" + std::to_string(gUnnamedFrames++));
    if (!frame->Name) {
        DestroyFrame(frame);
        return E_OUTOFMEMORY;
    }
    *newFrame = frame;
    return S_OK;
}

HRESULT MultiAnimAllocateHierarchy::CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL*,
                                                        const D3DXEFFECTINSTANCE*, DWORD numMaterials,
                                                        const DWORD* adjacency, LPD3DXSKININFO skinInfo,
                                                        LPD3DXMESHCONTAINER* newMeshContainer)
{
    if (!newMeshContainer) return D3DERR_INVALIDCALL;
    *newMeshContainer = nullptr;
    MultiAnimMeshContainer* mc = new (std::nothrow) MultiAnimMeshContainer();
    if (!mc) return E_OUTOFMEMORY;
    // A mesh without skin stays an empty container that is never drawn.
    if (skinInfo) {
        const HRESULT hr = FillSkinnedContainer(mc, name, meshData, numMaterials, adjacency, skinInfo, multiAnim);
        if (FAILED(hr)) {
            DestroyMeshContainer(mc);
            return hr;
        }
    }
    *newMeshContainer = mc;
    return S_OK;
}

HRESULT MultiAnimAllocateHierarchy::DestroyFrame(LPD3DXFRAME frame)
{
    if (!frame) return D3DERR_INVALIDCALL;
    delete[] frame->Name;
    delete frame;
    return S_OK;
}

HRESULT MultiAnimAllocateHierarchy::DestroyMeshContainer(LPD3DXMESHCONTAINER base)
{
    if (!base) return D3DERR_INVALIDCALL;
    MultiAnimMeshContainer* mc = static_cast<MultiAnimMeshContainer*>(base);
    delete[] mc->Name;
    ReleaseAndNull(mc->MeshData.pMesh);
    delete[] mc->pAdjacency;
    delete[] mc->pMaterials;
    if (mc->textures)
        for (DWORD i = 0; i < mc->NumMaterials; ++i) ReleaseAndNull(mc->textures[i]);
    delete[] mc->textures;
    ReleaseAndNull(mc->pSkinInfo);
    delete[] mc->boneOffsets;
    ReleaseAndNull(mc->workingMesh);
    ReleaseAndNull(mc->boneCombinations);
    delete[] mc->boneMatrices;
    delete mc;
    return S_OK;
}

HRESULT MultiAnimAllocateHierarchy::SetMA(MultiAnim* ma)
{
    multiAnim = ma;
    return S_OK;
}

HRESULT MultiAnimAllocateHierarchy::BuildWorkingMesh(MultiAnimMeshContainer* mc, MultiAnim* multiAnim)
{
    if (!mc || !mc->pSkinInfo || !mc->MeshData.pMesh) return D3DERR_INVALIDCALL;
    ReleaseAndNull(mc->workingMesh);
    ReleaseAndNull(mc->boneCombinations);
    const DWORD paletteSize = multiAnim ? multiAnim->GetPaletteSizeSetting() : kDefaultPaletteSize;
    mc->paletteEntries = std::min(paletteSize, mc->pSkinInfo->GetNumBones());
    HRESULT hr = mc->pSkinInfo->ConvertToIndexedBlendedMesh(
        mc->MeshData.pMesh, kWorkingMeshOptions, mc->paletteEntries, mc->pAdjacency, nullptr, nullptr, nullptr,
        &mc->maxFaceInfluences, &mc->numAttributeGroups, &mc->boneCombinations, &mc->workingMesh);
    if (SUCCEEDED(hr) && multiAnim) hr = multiAnim->GrowWorkingPalette(mc->paletteEntries);
    if (SUCCEEDED(hr)) hr = MatchSkinnedLayout(mc);
    if (FAILED(hr)) {
        ReleaseAndNull(mc->workingMesh);
        ReleaseAndNull(mc->boneCombinations);
        mc->numAttributeGroups = 0;
    }
    return hr;
}
