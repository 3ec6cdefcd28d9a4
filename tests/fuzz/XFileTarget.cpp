// The .x reader through both loaders the game uses: a single mesh (cloned and
// given normals, as the shapes' meshes are) and a frame hierarchy with skin
// and animation (blended for two palette sizes, every key read back).
#include "FuzzSupport.h"

#include "TestHierarchyAllocator.h"

#include <d3dx9anim.h>

#include <string>
#include <vector>

namespace {

void ExerciseSkin(const D3DXFRAME* frame)
{
    for (; frame; frame = frame->pFrameSibling) {
        for (const D3DXMESHCONTAINER* mc = frame->pMeshContainer; mc; mc = mc->pNextMeshContainer) {
            if (!mc->pSkinInfo) continue;
            for (DWORD palette : {35u, 12u}) {
                ID3DXMesh* blended = nullptr;
                ID3DXBuffer* combos = nullptr;
                DWORD maxInfl = 0, groups = 0;
                if (SUCCEEDED(mc->pSkinInfo->ConvertToIndexedBlendedMesh(mc->MeshData.pMesh, D3DXMESH_MANAGED, palette,
                                                                         nullptr, nullptr, nullptr, nullptr, &maxInfl,
                                                                         &groups, &combos, &blended))) {
                    for (DWORD g = 0; g < groups; ++g) blended->DrawSubset(g);
                    combos->Release();
                    blended->Release();
                }
            }
        }
        ExerciseSkin(frame->pFrameFirstChild);
    }
}

void ExerciseAnimation(ID3DXAnimationController* ac)
{
    for (UINT s = 0; s < ac->GetNumAnimationSets(); ++s) {
        ID3DXAnimationSet* set = nullptr;
        if (FAILED(ac->GetAnimationSet(s, &set))) continue;
        ID3DXKeyframedAnimationSet* kf = static_cast<ID3DXKeyframedAnimationSet*>(set);
        for (UINT a = 0; a < kf->GetNumAnimations(); ++a) {
            std::vector<D3DXKEY_QUATERNION> r(kf->GetNumRotationKeys(a));
            std::vector<D3DXKEY_VECTOR3> sc(kf->GetNumScaleKeys(a)), t(kf->GetNumTranslationKeys(a));
            kf->GetRotationKeys(a, r.data());
            kf->GetScaleKeys(a, sc.data());
            kf->GetTranslationKeys(a, t.data());
        }
        kf->GetPeriodicPosition(3.5);
        set->Release();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzFile("input.x", data, size);
    ID3DXMesh* mesh = nullptr;
    if (SUCCEEDED(
            D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr, &mesh))) {
        ID3DXMesh* clone = nullptr;
        if (SUCCEEDED(
                mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX3, nullptr, &clone))) {
            D3DXComputeNormals(clone, nullptr);
            clone->Release();
        }
        mesh->Release();
    }
    TestHierarchyAllocator alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* ac = nullptr;
    if (SUCCEEDED(D3DXLoadMeshHierarchyFromXA(path.c_str(), 0, nullptr, &alloc, nullptr, &root, &ac))) {
        D3DXVECTOR3 centre;
        float radius = 0;
        D3DXFrameCalculateBoundingSphere(root, &centre, &radius);
        ExerciseSkin(root);
        if (ac) ExerciseAnimation(ac);
        D3DXFrameFind(root, "Bip01_Head");
        if (ac) ac->Release();
        D3DXFrameDestroy(root, &alloc);
    }
    return 0;
}
