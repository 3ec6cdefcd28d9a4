// Vertex copying between layouts, adjacency and normals.
#include "MeshInternal.h"

#include <cstring>
#include <unordered_map>

int LvFindElement(const D3DVERTEXELEMENT9* decl, BYTE usage, BYTE usageIndex, BYTE* type)
{
    for (UINT i = 0, n = D3DXGetDeclLength(decl); i < n; ++i) {
        if (decl[i].Stream == 0 && decl[i].Usage == usage && decl[i].UsageIndex == usageIndex) {
            if (type) *type = decl[i].Type;
            return decl[i].Offset;
        }
    }
    return -1;
}

namespace {

UINT FloatCount(BYTE type)
{
    return type <= D3DDECLTYPE_FLOAT4 ? (UINT)type + 1 : 0;
}

} // namespace

void LvCopyVertices(const D3DVERTEXELEMENT9* srcDecl, UINT srcStride, const BYTE* src, const D3DVERTEXELEMENT9* dstDecl,
                    UINT dstStride, BYTE* dst, const DWORD* vertexMap, DWORD numVertices)
{
    std::memset(dst, 0, (size_t)dstStride * numVertices);
    for (UINT e = 0, n = D3DXGetDeclLength(dstDecl); e < n; ++e) {
        const D3DVERTEXELEMENT9& d = dstDecl[e];
        BYTE srcType = 0;
        const int srcOffset = LvFindElement(srcDecl, d.Usage, d.UsageIndex, &srcType);
        if (srcOffset < 0) continue;
        const UINT srcFloats = FloatCount(srcType), dstFloats = FloatCount(d.Type);
        size_t bytes = 0;
        if (srcFloats && dstFloats)
            bytes = 4 * (srcFloats < dstFloats ? srcFloats : dstFloats);
        else if (srcType == d.Type)
            bytes = LvDeclTypeSize(d.Type);
        if (bytes == 0) continue;
        for (DWORD v = 0; v < numVertices; ++v)
            std::memcpy(dst + (size_t)v * dstStride + d.Offset, src + (size_t)vertexMap[v] * srcStride + srcOffset,
                        bytes);
    }
}

std::vector<DWORD> LvComputeAdjacency(const void* indices, bool indices32, DWORD numFaces)
{
    auto index = [&](size_t i) -> DWORD {
        return indices32 ? static_cast<const DWORD*>(indices)[i] : static_cast<const WORD*>(indices)[i];
    };
    // Each directed edge a->b belongs to one face; its neighbour owns b->a.
    std::unordered_map<unsigned long long, DWORD> owner;
    owner.reserve((size_t)numFaces * 3);
    auto key = [](DWORD a, DWORD b) { return ((unsigned long long)a << 32) | b; };
    for (DWORD f = 0; f < numFaces; ++f)
        for (int k = 0; k < 3; ++k) owner.emplace(key(index(f * 3 + k), index(f * 3 + (k + 1) % 3)), f);
    std::vector<DWORD> adjacency((size_t)numFaces * 3, 0xFFFFFFFFu);
    for (DWORD f = 0; f < numFaces; ++f)
        for (int k = 0; k < 3; ++k) {
            const auto it = owner.find(key(index(f * 3 + (k + 1) % 3), index(f * 3 + k)));
            if (it != owner.end() && it->second != f) adjacency[(size_t)f * 3 + k] = it->second;
        }
    return adjacency;
}

HRESULT D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* adjacency)
{
    (void)adjacency; // faces share normals through shared vertices only
    if (!mesh) return D3DERR_INVALIDCALL;
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    mesh->GetDeclaration(decl);
    BYTE posType = 0, normalType = 0;
    const int pos = LvFindElement(decl, D3DDECLUSAGE_POSITION, 0, &posType);
    const int nrm = LvFindElement(decl, D3DDECLUSAGE_NORMAL, 0, &normalType);
    if (pos < 0 || nrm < 0 || posType < D3DDECLTYPE_FLOAT3 || posType > D3DDECLTYPE_FLOAT4 ||
        normalType != D3DDECLTYPE_FLOAT3)
        return D3DERR_INVALIDCALL;
    const DWORD stride = mesh->GetNumBytesPerVertex(), numVertices = mesh->GetNumVertices(),
                numFaces = mesh->GetNumFaces();
    BYTE* vertices = nullptr;
    void* indices = nullptr;
    if (FAILED(mesh->LockVertexBuffer(0, (LPVOID*)&vertices))) return D3DERR_INVALIDCALL;
    if (FAILED(mesh->LockIndexBuffer(0, &indices))) {
        mesh->UnlockVertexBuffer();
        return D3DERR_INVALIDCALL;
    }
    const bool indices32 = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    auto position = [&](DWORD v) {
        D3DXVECTOR3 p;
        std::memcpy(&p, vertices + (size_t)v * stride + pos, sizeof(p));
        return p;
    };
    std::vector<D3DXVECTOR3> sums(numVertices, D3DXVECTOR3(0, 0, 0));
    for (DWORD f = 0; f < numFaces; ++f) {
        DWORD v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = indices32 ? static_cast<const DWORD*>(indices)[f * 3 + k]
                             : static_cast<const WORD*>(indices)[f * 3 + k];
        if (v[0] >= numVertices || v[1] >= numVertices || v[2] >= numVertices) continue;
        const D3DXVECTOR3 a = position(v[0]), e1 = position(v[1]) - a, e2 = position(v[2]) - a;
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &e1, &e2); // length is twice the area: larger faces count more
        for (DWORD i : v) sums[i] += n;
    }
    for (DWORD v = 0; v < numVertices; ++v) {
        D3DXVec3Normalize(&sums[v], &sums[v]);
        std::memcpy(vertices + (size_t)v * stride + nrm, &sums[v], sizeof(D3DXVECTOR3));
    }
    mesh->UnlockIndexBuffer();
    return mesh->UnlockVertexBuffer();
}
