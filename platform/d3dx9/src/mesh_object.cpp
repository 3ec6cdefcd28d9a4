// ID3DXMesh over CPU arrays. The CPU copy is the truth: locks hand it out, and
// with a device every unlock mirrors it into the device's buffers.
#include "MeshInternal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const HRESULT kInvalidCall = D3DERR_INVALIDCALL;

DWORD VertexUsage(DWORD options)
{
    return (options & D3DXMESH_VB_WRITEONLY) ? D3DUSAGE_WRITEONLY : 0;
}
DWORD IndexUsage(DWORD options)
{
    return (options & D3DXMESH_IB_WRITEONLY) ? D3DUSAGE_WRITEONLY : 0;
}
D3DPOOL VertexPool(DWORD options)
{
    return (options & D3DXMESH_VB_SYSTEMMEM) ? D3DPOOL_SYSTEMMEM
           : (options & D3DXMESH_VB_MANAGED) ? D3DPOOL_MANAGED
                                             : D3DPOOL_DEFAULT;
}
D3DPOOL IndexPool(DWORD options)
{
    return (options & D3DXMESH_IB_SYSTEMMEM) ? D3DPOOL_SYSTEMMEM
           : (options & D3DXMESH_IB_MANAGED) ? D3DPOOL_MANAGED
                                             : D3DPOOL_DEFAULT;
}

// Whether every element has a type with a size. An element of no known type
// would be copied, locked and drawn at a size its vertex never made room for.
bool EveryElementHasASize(const D3DVERTEXELEMENT9* decl)
{
    for (UINT i = 0, n = D3DXGetDeclLength(decl); i < n; ++i)
        if (LvDeclTypeSize(decl[i].Type) == 0) return false;
    return true;
}

template <class T>
void ReleaseAndNull(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

HRESULT Upload(IDirect3DVertexBuffer9* vb, IDirect3DIndexBuffer9* ib, const std::vector<BYTE>& bytes)
{
    if (bytes.empty()) return S_OK;
    void* dst = nullptr;
    const HRESULT hr = vb ? vb->Lock(0, 0, &dst, 0) : ib->Lock(0, 0, &dst, 0);
    if (FAILED(hr) || !dst) return FAILED(hr) ? hr : E_FAIL;
    std::memcpy(dst, bytes.data(), bytes.size());
    return vb ? vb->Unlock() : ib->Unlock();
}

class Mesh final : public ID3DXMesh
{
public:
    HRESULT Init(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* decl,
                 IDirect3DDevice9* device);

    ULONG AddRef() override { return ++mRefs; }
    ULONG Release() override
    {
        const ULONG refs = --mRefs;
        if (refs == 0) delete this;
        return refs;
    }

    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return mNumFaces; }
    DWORD GetNumVertices() override { return mNumVertices; }
    DWORD GetFVF() override { return mFVF; }
    HRESULT GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override
    {
        if (!declaration) return kInvalidCall;
        std::memcpy(declaration, mDecl, sizeof(D3DVERTEXELEMENT9) * (D3DXGetDeclLength(mDecl) + 1));
        return S_OK;
    }
    DWORD GetNumBytesPerVertex() override { return mStride; }
    DWORD GetOptions() override { return mOptions; }
    HRESULT GetDevice(LPDIRECT3DDEVICE9* device) override
    {
        if (!device) return kInvalidCall;
        *device = mDevice;
        if (!mDevice) return kInvalidCall;
        mDevice->AddRef();
        return S_OK;
    }
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, LPD3DXMESH* cloneMesh) override
    {
        D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
        if (FAILED(D3DXDeclaratorFromFVF(fvf, decl))) return kInvalidCall;
        return CloneMesh(options, decl, device, cloneMesh);
    }
    HRESULT CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, LPDIRECT3DDEVICE9 device,
                      LPD3DXMESH* cloneMesh) override;
    HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) override
    {
        if (!vertexBuffer) return kInvalidCall;
        *vertexBuffer = mVB;
        if (!mVB) return kInvalidCall;
        mVB->AddRef();
        return S_OK;
    }
    HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) override
    {
        if (!indexBuffer) return kInvalidCall;
        *indexBuffer = mIB;
        if (!mIB) return kInvalidCall;
        mIB->AddRef();
        return S_OK;
    }
    HRESULT LockVertexBuffer(DWORD, LPVOID* data) override
    {
        if (!data) return kInvalidCall;
        *data = mVertices.data();
        return S_OK;
    }
    HRESULT UnlockVertexBuffer() override { return mVB ? Upload(mVB, nullptr, mVertices) : S_OK; }
    HRESULT LockIndexBuffer(DWORD, LPVOID* data) override
    {
        if (!data) return kInvalidCall;
        *data = mIndices.data();
        return S_OK;
    }
    HRESULT UnlockIndexBuffer() override
    {
        RebuildAttributeTable();
        return mIB ? Upload(nullptr, mIB, mIndices) : S_OK;
    }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) override
    {
        if (!tableSize) return kInvalidCall;
        if (table) std::copy(mTable.begin(), mTable.end(), table);
        *tableSize = (DWORD)mTable.size();
        return S_OK;
    }
    HRESULT GenerateAdjacency(FLOAT, DWORD* adjacency) override
    {
        if (!adjacency) return kInvalidCall;
        const std::vector<DWORD> adj = LvComputeAdjacency(mIndices.data(), Is32Bit(), mNumFaces);
        std::copy(adj.begin(), adj.end(), adjacency);
        return S_OK;
    }
    HRESULT UpdateSemantics(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override;

    HRESULT LockAttributeBuffer(DWORD, DWORD** data) override
    {
        if (!data) return kInvalidCall;
        *data = mAttributes.data();
        return S_OK;
    }
    HRESULT UnlockAttributeBuffer() override
    {
        RebuildAttributeTable();
        return S_OK;
    }
    HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD tableSize) override
    {
        if (!table && tableSize) return kInvalidCall;
        mTable.assign(table, table + tableSize);
        return S_OK;
    }

private:
    ~Mesh() override
    {
        ReleaseAndNull(mDeclObject);
        ReleaseAndNull(mVB);
        ReleaseAndNull(mIB);
        ReleaseAndNull(mDevice);
    }
    bool Is32Bit() const { return (mOptions & D3DXMESH_32BIT) != 0; }
    DWORD Index(size_t i) const
    {
        if (Is32Bit()) {
            DWORD v;
            std::memcpy(&v, &mIndices[i * 4], 4);
            return v;
        }
        WORD v;
        std::memcpy(&v, &mIndices[i * 2], 2);
        return v;
    }
    void RebuildAttributeTable();

    ULONG mRefs = 1;
    DWORD mOptions = 0, mFVF = 0, mStride = 0, mNumFaces = 0, mNumVertices = 0;
    D3DVERTEXELEMENT9 mDecl[MAX_FVF_DECL_SIZE];
    std::vector<BYTE> mVertices, mIndices;
    std::vector<DWORD> mAttributes;
    std::vector<D3DXATTRIBUTERANGE> mTable;
    IDirect3DDevice9* mDevice = nullptr;
    IDirect3DVertexBuffer9* mVB = nullptr;
    IDirect3DIndexBuffer9* mIB = nullptr;
    IDirect3DVertexDeclaration9* mDeclObject = nullptr;
};

HRESULT Mesh::Init(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* decl,
                   IDirect3DDevice9* device)
{
    const UINT length = D3DXGetDeclLength(decl);
    mStride = D3DXGetDeclVertexSize(decl, 0);
    if (numFaces == 0 || numVertices == 0 || mStride == 0 || !EveryElementHasASize(decl)) return kInvalidCall;
    if (!(options & D3DXMESH_32BIT) && numVertices > 0xFFFF) return kInvalidCall;
    std::memcpy(mDecl, decl, sizeof(D3DVERTEXELEMENT9) * length);
    mDecl[length] = D3DVERTEXELEMENT9 D3DDECL_END();
    if (FAILED(D3DXFVFFromDeclarator(mDecl, &mFVF))) mFVF = 0;
    mOptions = options;
    mNumFaces = numFaces;
    mNumVertices = numVertices;
    mVertices.assign((size_t)numVertices * mStride, 0);
    mIndices.assign((size_t)numFaces * 3 * (Is32Bit() ? 4 : 2), 0);
    mAttributes.assign(numFaces, 0);
    RebuildAttributeTable();
    if (!device) return S_OK;
    mDevice = device;
    mDevice->AddRef();
    HRESULT hr = device->CreateVertexBuffer((UINT)mVertices.size(), VertexUsage(options), mFVF, VertexPool(options),
                                            &mVB, nullptr);
    if (FAILED(hr)) return hr;
    hr = device->CreateIndexBuffer((UINT)mIndices.size(), IndexUsage(options),
                                   Is32Bit() ? D3DFMT_INDEX32 : D3DFMT_INDEX16, IndexPool(options), &mIB, nullptr);
    return hr;
}

// Runs of equal attributes in face order, each with the span of vertices its
// faces use.
void Mesh::RebuildAttributeTable()
{
    mTable.clear();
    for (DWORD f = 0; f < mNumFaces; ++f) {
        DWORD lo = 0xFFFFFFFFu, hi = 0;
        for (int k = 0; k < 3; ++k) {
            const DWORD v = Index((size_t)f * 3 + k);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        if (mTable.empty() || mTable.back().AttribId != mAttributes[f]) {
            mTable.push_back(D3DXATTRIBUTERANGE{mAttributes[f], f, 0, lo, 0});
            mTable.back().VertexCount = hi - lo + 1;
        }
        D3DXATTRIBUTERANGE& r = mTable.back();
        ++r.FaceCount;
        const DWORD end = std::max(r.VertexStart + r.VertexCount, hi + 1);
        r.VertexStart = std::min(r.VertexStart, lo);
        r.VertexCount = end - r.VertexStart;
    }
}

HRESULT Mesh::DrawSubset(DWORD attribId)
{
    if (!mDevice || !mVB || !mIB) return kInvalidCall;
    if (!mDeclObject) {
        const HRESULT hr = mDevice->CreateVertexDeclaration(mDecl, &mDeclObject);
        if (FAILED(hr)) return hr;
    }
    mDevice->SetVertexDeclaration(mDeclObject);
    mDevice->SetStreamSource(0, mVB, 0, mStride);
    mDevice->SetIndices(mIB);
    HRESULT result = S_OK;
    for (const D3DXATTRIBUTERANGE& r : mTable) {
        if (r.AttribId != attribId || r.FaceCount == 0) continue;
        const HRESULT hr = mDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, r.VertexStart, r.VertexCount,
                                                         r.FaceStart * 3, r.FaceCount);
        if (FAILED(hr)) result = hr;
    }
    return result;
}

HRESULT Mesh::CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, LPDIRECT3DDEVICE9 device,
                        LPD3DXMESH* cloneMesh)
{
    if (!declaration || !cloneMesh) return kInvalidCall;
    *cloneMesh = nullptr;
    ID3DXMesh* out = nullptr;
    HRESULT hr = D3DXCreateMesh(mNumFaces, mNumVertices, options, declaration, device, &out);
    if (FAILED(hr)) return hr;
    D3DVERTEXELEMENT9 dstDecl[MAX_FVF_DECL_SIZE];
    out->GetDeclaration(dstDecl);
    std::vector<DWORD> identity(mNumVertices);
    for (DWORD v = 0; v < mNumVertices; ++v) identity[v] = v;
    BYTE* dst = nullptr;
    out->LockVertexBuffer(0, (LPVOID*)&dst);
    LvCopyVertices(mDecl, mStride, mVertices.data(), dstDecl, out->GetNumBytesPerVertex(), dst, identity.data(),
                   mNumVertices);
    hr = out->UnlockVertexBuffer();
    void* idx = nullptr;
    out->LockIndexBuffer(0, &idx);
    const bool dst32 = (options & D3DXMESH_32BIT) != 0;
    for (size_t i = 0; i < (size_t)mNumFaces * 3; ++i) {
        const DWORD v = Index(i);
        if (dst32)
            static_cast<DWORD*>(idx)[i] = v;
        else
            static_cast<WORD*>(idx)[i] = (WORD)v;
    }
    DWORD* attributes = nullptr;
    out->LockAttributeBuffer(0, &attributes);
    std::copy(mAttributes.begin(), mAttributes.end(), attributes);
    out->UnlockAttributeBuffer();
    const HRESULT hrIndices = out->UnlockIndexBuffer();
    if (FAILED(hr) || FAILED(hrIndices)) {
        out->Release();
        return FAILED(hr) ? hr : hrIndices;
    }
    *cloneMesh = out;
    return S_OK;
}

HRESULT Mesh::UpdateSemantics(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE])
{
    if (!declaration || !EveryElementHasASize(declaration) || D3DXGetDeclVertexSize(declaration, 0) != mStride)
        return kInvalidCall;
    const UINT length = D3DXGetDeclLength(declaration);
    std::memcpy(mDecl, declaration, sizeof(D3DVERTEXELEMENT9) * length);
    mDecl[length] = D3DVERTEXELEMENT9 D3DDECL_END();
    if (FAILED(D3DXFVFFromDeclarator(mDecl, &mFVF))) mFVF = 0;
    ReleaseAndNull(mDeclObject);
    return S_OK;
}

} // namespace

HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       LPDIRECT3DDEVICE9 device, LPD3DXMESH* mesh)
{
    if (!declaration || !mesh) return kInvalidCall;
    *mesh = nullptr;
    Mesh* m = new (std::nothrow) Mesh();
    if (!m) return E_OUTOFMEMORY;
    const HRESULT hr = m->Init(numFaces, numVertices, options, declaration, device);
    if (FAILED(hr)) {
        m->Release();
        return hr;
    }
    *mesh = m;
    return S_OK;
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                          LPD3DXMESH* mesh)
{
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    if (FAILED(D3DXDeclaratorFromFVF(fvf, decl))) return kInvalidCall;
    return D3DXCreateMesh(numFaces, numVertices, options, decl, device, mesh);
}
