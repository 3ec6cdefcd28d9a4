// ID3DXSkinInfo: bone names, offset matrices and per-bone vertex weights.
#include "SkinInternal.h"

#include "MeshFromX.h"

#include <algorithm>
#include <new>

LvSkinInfo::LvSkinInfo(DWORD numVertices, DWORD fvf, DWORD numBones)
    : mNumVertices(numVertices), mFVF(fvf), mBones(numBones)
{
    for (LvBone& b : mBones) D3DXMatrixIdentity(&b.offset);
}

HRESULT LvSkinInfo::SetBoneName(DWORD bone, LPCSTR name)
{
    if (bone >= mBones.size() || !name) return D3DERR_INVALIDCALL;
    mBones[bone].name = name;
    return S_OK;
}

HRESULT LvSkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset)
{
    if (bone >= mBones.size() || !offset) return D3DERR_INVALIDCALL;
    mBones[bone].offset = *offset;
    return S_OK;
}

HRESULT LvSkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights)
{
    if (bone >= mBones.size() || !vertices || !weights) return D3DERR_INVALIDCALL;
    std::copy(mBones[bone].vertices.begin(), mBones[bone].vertices.end(), vertices);
    std::copy(mBones[bone].weights.begin(), mBones[bone].weights.end(), weights);
    return S_OK;
}

HRESULT LvSkinInfo::SetBoneInfluence(DWORD bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights)
{
    if (bone >= mBones.size() || (numInfluences && (!vertices || !weights))) return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < numInfluences; ++i)
        if (vertices[i] >= mNumVertices) return D3DERR_INVALIDCALL;
    mBones[bone].vertices.assign(vertices, vertices + numInfluences);
    mBones[bone].weights.assign(weights, weights + numInfluences);
    return S_OK;
}

HRESULT LvSkinInfo::GetMaxVertexInfluences(DWORD* maxVertexInfluences)
{
    if (!maxVertexInfluences) return D3DERR_INVALIDCALL;
    std::vector<DWORD> counts(mNumVertices, 0);
    for (const LvBone& b : mBones)
        for (DWORD v : b.vertices) ++counts[v];
    *maxVertexInfluences = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    return S_OK;
}

HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, LPD3DXSKININFO* skinInfo)
{
    if (!skinInfo) return D3DERR_INVALIDCALL;
    *skinInfo = new (std::nothrow) LvSkinInfo(numVertices, fvf, numBones);
    return *skinInfo ? S_OK : E_OUTOFMEMORY;
}

HRESULT LvCreateSkinInfo(const XMeshData& data, ID3DXSkinInfo** skin)
{
    *skin = nullptr;
    if (data.bones.empty()) return S_OK;
    HRESULT hr = D3DXCreateSkinInfoFVF((DWORD)data.positions.size(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                                       (DWORD)data.bones.size(), skin);
    if (FAILED(hr)) return hr;
    for (DWORD b = 0; b < data.bones.size(); ++b) {
        const XBoneData& bone = data.bones[b];
        (*skin)->SetBoneName(b, bone.name.c_str());
        (*skin)->SetBoneOffsetMatrix(b, &bone.offset);
        (*skin)->SetBoneInfluence(b, (DWORD)bone.vertices.size(), bone.vertices.data(), bone.weights.data());
    }
    return S_OK;
}
