// The skin information object, shared by its source and the blending code.
#pragma once

#include <d3dx9mesh.h>

#include <string>
#include <vector>

struct LvBone
{
    std::string name;
    D3DXMATRIX offset;
    std::vector<DWORD> vertices;
    std::vector<float> weights;
};

class LvSkinInfo final : public ID3DXSkinInfo
{
public:
    LvSkinInfo(DWORD numVertices, DWORD fvf, DWORD numBones);

    ULONG AddRef() override { return ++mRefs; }
    ULONG Release() override
    {
        const ULONG refs = --mRefs;
        if (refs == 0) delete this;
        return refs;
    }
    DWORD GetNumBones() override { return (DWORD)mBones.size(); }
    LPCSTR GetBoneName(DWORD bone) override { return bone < mBones.size() ? mBones[bone].name.c_str() : nullptr; }
    HRESULT SetBoneName(DWORD bone, LPCSTR name) override;
    LPD3DXMATRIX GetBoneOffsetMatrix(DWORD bone) override
    {
        return bone < mBones.size() ? &mBones[bone].offset : nullptr;
    }
    HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) override;
    DWORD GetNumBoneInfluences(DWORD bone) override
    {
        return bone < mBones.size() ? (DWORD)mBones[bone].vertices.size() : 0;
    }
    HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) override;
    HRESULT SetBoneInfluence(DWORD bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights) override;
    HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) override;
    DWORD GetFVF() override { return mFVF; }
    HRESULT ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize, const DWORD* adjacencyIn,
                                        LPDWORD adjacencyOut, DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                        DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                        LPD3DXBUFFER* boneCombinationTable, LPD3DXMESH* newMesh) override;

    DWORD NumVertices() const { return mNumVertices; }
    const std::vector<LvBone>& Bones() const { return mBones; }

private:
    ~LvSkinInfo() override = default;

    ULONG mRefs = 1;
    DWORD mNumVertices;
    DWORD mFVF;
    std::vector<LvBone> mBones;
};
