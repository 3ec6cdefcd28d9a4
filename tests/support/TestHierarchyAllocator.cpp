#include "TestHierarchyAllocator.h"

#include <cstring>

namespace {

char* CopyName(LPCSTR s)
{
    if (!s) {
        return nullptr;
    }
    char* out = new char[std::strlen(s) + 1];
    std::strcpy(out, s);
    return out;
}

} // namespace

HRESULT TestHierarchyAllocator::CreateFrame(LPCSTR name, LPD3DXFRAME* out)
{
    D3DXFRAME* frame = new D3DXFRAME();
    frame->Name = CopyName(name);
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    ++liveFrames;
    *out = frame;
    return S_OK;
}

HRESULT TestHierarchyAllocator::CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* data,
                                                    const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                    DWORD numMaterials, const DWORD* adjacency, LPD3DXSKININFO skin,
                                                    LPD3DXMESHCONTAINER* out)
{
    if (failContainers) {
        return E_OUTOFMEMORY;
    }
    D3DXMESHCONTAINER* container = new D3DXMESHCONTAINER();
    container->Name = CopyName(name);
    container->MeshData.Type = data->Type;
    container->MeshData.pMesh = data->pMesh;
    data->pMesh->AddRef();
    container->NumMaterials = numMaterials;
    container->pMaterials = new D3DXMATERIAL[numMaterials ? numMaterials : 1];
    for (DWORD i = 0; i < numMaterials; ++i) {
        container->pMaterials[i] = materials[i];
        container->pMaterials[i].pTextureFilename = CopyName(materials[i].pTextureFilename);
    }
    const DWORD faces = data->pMesh->GetNumFaces();
    container->pAdjacency = new DWORD[faces * 3];
    std::memcpy(container->pAdjacency, adjacency, faces * 3 * sizeof(DWORD));
    container->pSkinInfo = skin;
    if (skin) {
        skin->AddRef();
    }
    ++liveContainers;
    *out = container;
    return S_OK;
}

HRESULT TestHierarchyAllocator::DestroyFrame(LPD3DXFRAME frame)
{
    delete[] frame->Name;
    delete frame;
    --liveFrames;
    return S_OK;
}

HRESULT TestHierarchyAllocator::DestroyMeshContainer(LPD3DXMESHCONTAINER container)
{
    delete[] container->Name;
    for (DWORD i = 0; i < container->NumMaterials; ++i) {
        delete[] container->pMaterials[i].pTextureFilename;
    }
    delete[] container->pMaterials;
    delete[] container->pAdjacency;
    if (container->pSkinInfo) {
        container->pSkinInfo->Release();
    }
    container->MeshData.pMesh->Release();
    delete container;
    --liveContainers;
    return S_OK;
}
