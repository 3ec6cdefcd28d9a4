// Frame tree helpers: search, destruction and the bounding sphere.
#include <d3dx9anim.h>

#include "MeshInternal.h"

#include <cmath>
#include <cstring>
#include <vector>

LPD3DXFRAME D3DXFrameFind(const D3DXFRAME* frame, LPCSTR name)
{
    for (; frame; frame = frame->pFrameSibling) {
        if (name && frame->Name && std::strcmp(frame->Name, name) == 0) return const_cast<LPD3DXFRAME>(frame);
        if (!name && !frame->Name) return const_cast<LPD3DXFRAME>(frame);
        if (LPD3DXFRAME found = D3DXFrameFind(frame->pFrameFirstChild, name)) return found;
    }
    return nullptr;
}

HRESULT D3DXFrameDestroy(LPD3DXFRAME frame, LPD3DXALLOCATEHIERARCHY allocator)
{
    if (!frame || !allocator) return D3DERR_INVALIDCALL;
    HRESULT result = S_OK;
    while (frame) {
        LPD3DXFRAME sibling = frame->pFrameSibling;
        for (LPD3DXMESHCONTAINER mc = frame->pMeshContainer; mc;) {
            LPD3DXMESHCONTAINER next = mc->pNextMeshContainer;
            if (FAILED(allocator->DestroyMeshContainer(mc))) result = E_FAIL;
            mc = next;
        }
        if (frame->pFrameFirstChild && FAILED(D3DXFrameDestroy(frame->pFrameFirstChild, allocator))) result = E_FAIL;
        if (FAILED(allocator->DestroyFrame(frame))) result = E_FAIL;
        frame = sibling;
    }
    return result;
}

namespace {

void GatherPositions(const D3DXFRAME* frame, const D3DXMATRIX& parent, std::vector<D3DXVECTOR3>* out)
{
    for (; frame; frame = frame->pFrameSibling) {
        const D3DXMATRIX combined = frame->TransformationMatrix * parent;
        for (const D3DXMESHCONTAINER* mc = frame->pMeshContainer; mc; mc = mc->pNextMeshContainer) {
            ID3DXMesh* mesh = mc->MeshData.pMesh;
            if (!mesh) continue;
            D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
            mesh->GetDeclaration(decl);
            const int pos = LvFindElement(decl, D3DDECLUSAGE_POSITION, 0);
            const BYTE* vertices = nullptr;
            if (pos < 0 || FAILED(mesh->LockVertexBuffer(0, (LPVOID*)&vertices))) continue;
            const DWORD stride = mesh->GetNumBytesPerVertex();
            for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
                D3DXVECTOR3 p;
                std::memcpy(&p, vertices + (size_t)v * stride + pos, sizeof(p));
                D3DXVec3TransformCoord(&p, &p, &combined);
                out->push_back(p);
            }
            mesh->UnlockVertexBuffer();
        }
        GatherPositions(frame->pFrameFirstChild, combined, out);
    }
}

} // namespace

HRESULT D3DXFrameCalculateBoundingSphere(const D3DXFRAME* root, LPD3DXVECTOR3 center, FLOAT* radius)
{
    if (!center || !radius) return D3DERR_INVALIDCALL;
    *center = D3DXVECTOR3(0, 0, 0);
    *radius = 0.0f;
    if (!root) return D3DERR_INVALIDCALL;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    std::vector<D3DXVECTOR3> points;
    GatherPositions(root, identity, &points);
    if (points.empty()) return S_OK;
    double sx = 0, sy = 0, sz = 0;
    for (const D3DXVECTOR3& p : points) {
        sx += p.x;
        sy += p.y;
        sz += p.z;
    }
    const double n = (double)points.size();
    *center = D3DXVECTOR3((float)(sx / n), (float)(sy / n), (float)(sz / n));
    for (const D3DXVECTOR3& p : points) {
        const D3DXVECTOR3 d = p - *center;
        *radius = std::fmax(*radius, D3DXVec3Length(&d));
    }
    return S_OK;
}
