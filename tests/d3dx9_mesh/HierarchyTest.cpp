// The hierarchy loader with skin information and animation sets.
#include <d3dx9anim.h>

#include "TestFiles.h"
#include "TestHierarchyAllocator.h"

#include <cstring>
#include <map>

namespace {

struct Loaded
{
    TestHierarchyAllocator alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    HRESULT hr = E_FAIL;

    explicit Loaded(const std::string& path, bool failContainers = false)
    {
        alloc.failContainers = failContainers;
        hr = D3DXLoadMeshHierarchyFromXW(Wide(path).c_str(), 0, nullptr, &alloc, nullptr, &root, &controller);
    }
    ~Loaded()
    {
        if (controller) controller->Release();
        if (root) D3DXFrameDestroy(root, &alloc);
        EXPECT_EQ(alloc.liveFrames, 0);
        EXPECT_EQ(alloc.liveContainers, 0);
    }
};

void ExpectFramesMatch(const D3DXFRAME* loaded, const xtest::Frame& written)
{
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->Name, nullptr);
    EXPECT_STREQ(loaded->Name, written.name.c_str());
    EXPECT_EQ(D3DXMATRIX(loaded->TransformationMatrix), written.transform) << written.name;
    const D3DXFRAME* child = loaded->pFrameFirstChild;
    for (const xtest::Frame& c : written.children) {
        ExpectFramesMatch(child, c);
        if (!child) return;
        child = child->pFrameSibling;
    }
    EXPECT_EQ(child, nullptr) << "extra children under " << written.name;
    EXPECT_EQ(loaded->pMeshContainer != nullptr, !written.meshes.empty());
}

const xtest::Scene& Figure()
{
    static const xtest::Scene scene = xtest::MakeSkinnedFigure(12);
    return scene;
}

const std::string& FigurePath()
{
    static const std::string path = WriteScratch("figure.x", xtest::Write(Figure()));
    return path;
}

} // namespace

TEST(Hierarchy, FramesKeepNamesMatricesAndChildOrder)
{
    Loaded l(FigurePath());
    ASSERT_EQ(l.hr, S_OK);
    ExpectFramesMatch(l.root, Figure().frames[0]);
    EXPECT_EQ(l.root->pFrameSibling, nullptr);
    EXPECT_EQ(l.alloc.liveFrames, 12);

    const D3DXFRAME* head = D3DXFrameFind(l.root, "Bip01_Head");
    ASSERT_NE(head, nullptr);
    EXPECT_STREQ(head->pFrameFirstChild->Name, "Bip01_HeadNub");
    EXPECT_EQ(head->TransformationMatrix._42, 6.0f);
    EXPECT_EQ(D3DXFrameFind(l.root, "bip01_head"), nullptr); // case-sensitive
    EXPECT_EQ(D3DXFrameFind(l.root, "Missing"), nullptr);
    EXPECT_STREQ(D3DXFrameFind(l.root, "Bip01_R_Toe")->Name, "Bip01_R_Toe");
    // Siblings in file order: spine, then the left and the right thigh.
    const D3DXFRAME* pelvis = D3DXFrameFind(l.root, "Bip01_Pelvis");
    EXPECT_STREQ(pelvis->pFrameFirstChild->Name, "Bip01_Spine");
    EXPECT_STREQ(pelvis->pFrameFirstChild->pFrameSibling->Name, "Bip01_L_Thigh");
    EXPECT_STREQ(pelvis->pFrameFirstChild->pFrameSibling->pFrameSibling->Name, "Bip01_R_Thigh");

    D3DXVECTOR3 center;
    float radius = 0;
    ASSERT_EQ(D3DXFrameCalculateBoundingSphere(l.root, &center, &radius), S_OK);
    // The body is a column of radius 2 from y = 0 to 18 under identity frames.
    EXPECT_NEAR(center.y, 9.0f, 1e-4f);
    EXPECT_NEAR(radius, sqrtf(81.0f + 4.0f), 1e-4f);
}

TEST(Hierarchy, SkinInfoHoldsBonesOffsetsAndWeights)
{
    Loaded l(FigurePath());
    ASSERT_EQ(l.hr, S_OK);
    const D3DXFRAME* body = D3DXFrameFind(l.root, "Body");
    ASSERT_NE(body, nullptr);
    const D3DXMESHCONTAINER* mc = body->pMeshContainer;
    ASSERT_NE(mc, nullptr);
    EXPECT_STREQ(mc->Name, "BodyMesh");
    EXPECT_EQ(mc->MeshData.Type, D3DXMESHTYPE_MESH);
    EXPECT_EQ(mc->NumMaterials, 1u);
    EXPECT_STREQ(mc->pMaterials[0].pTextureFilename, "skin.png");
    const xtest::Mesh& written = Figure().frames[0].children[1].meshes[0];
    ID3DXMesh* mesh = mc->MeshData.pMesh;
    EXPECT_EQ(mesh->GetNumVertices(), written.positions.size());
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);

    ID3DXSkinInfo* skin = mc->pSkinInfo;
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GetNumBones(), written.bones.size());
    std::vector<float> sums(written.positions.size(), 0.0f);
    for (DWORD b = 0; b < skin->GetNumBones(); ++b) {
        const xtest::Bone& wb = written.bones[b];
        EXPECT_STREQ(skin->GetBoneName(b), wb.name.c_str());
        EXPECT_EQ(*skin->GetBoneOffsetMatrix(b), wb.offset);
        EXPECT_NE(D3DXFrameFind(l.root, skin->GetBoneName(b)), nullptr);
        ASSERT_EQ(skin->GetNumBoneInfluences(b), wb.vertices.size());
        std::vector<DWORD> v(wb.vertices.size());
        std::vector<float> w(wb.vertices.size());
        ASSERT_EQ(skin->GetBoneInfluence(b, v.data(), w.data()), S_OK);
        EXPECT_EQ(v, wb.vertices);
        EXPECT_EQ(w, wb.weights);
        for (size_t i = 0; i < v.size(); ++i) sums[v[i]] += w[i];
    }
    for (float s : sums) EXPECT_FLOAT_EQ(s, 1.0f);
    DWORD maxInfl = 0;
    skin->GetMaxVertexInfluences(&maxInfl);
    EXPECT_EQ(maxInfl, 3u);
    EXPECT_EQ(skin->GetBoneName(99), nullptr);
    EXPECT_EQ(skin->GetBoneOffsetMatrix(99), nullptr);
}

namespace {

// Checks one conversion: every group within the palette, every vertex's
// blended position equal to what the skin weights say.
void CheckBlendedMesh(ID3DXSkinInfo* skin, ID3DXMesh* source, DWORD paletteSize, DWORD* groupsOut)
{
    DWORD maxInfl = 0, groups = 0;
    ID3DXBuffer* combos = nullptr;
    ID3DXMesh* blended = nullptr;
    ID3DXBuffer* remap = nullptr;
    ASSERT_EQ(skin->ConvertToIndexedBlendedMesh(source, D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE, paletteSize,
                                                nullptr, nullptr, nullptr, &remap, &maxInfl, &groups, &combos,
                                                &blended),
              S_OK);
    *groupsOut = groups;
    EXPECT_EQ(maxInfl, 3u);
    const DWORD wanted = D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1;
    EXPECT_EQ(blended->GetFVF(), wanted);
    const DWORD stride = blended->GetNumBytesPerVertex();
    EXPECT_EQ(stride, 12u + 8u + 4u + 12u + 8u);
    const D3DXBONECOMBINATION* bc = static_cast<const D3DXBONECOMBINATION*>(combos->GetBufferPointer());
    const DWORD* vertexMap = static_cast<const DWORD*>(remap->GetBufferPointer());
    const BYTE* v = nullptr;
    blended->LockVertexBuffer(0, (LPVOID*)&v);
    const BYTE* src = nullptr;
    source->LockVertexBuffer(0, (LPVOID*)&src);
    // Expected weights per source vertex and bone.
    std::vector<std::map<DWORD, float>> expected(source->GetNumVertices());
    for (DWORD b = 0; b < skin->GetNumBones(); ++b) {
        std::vector<DWORD> vs(skin->GetNumBoneInfluences(b));
        std::vector<float> ws(vs.size());
        skin->GetBoneInfluence(b, vs.data(), ws.data());
        for (size_t i = 0; i < vs.size(); ++i) expected[vs[i]][b] = ws[i];
    }
    DWORD faces = 0;
    for (DWORD g = 0; g < groups; ++g) {
        DWORD used = 0;
        for (DWORD i = 0; i < paletteSize; ++i) used += bc[g].BoneId[i] != 0xFFFFFFFFu;
        EXPECT_LE(used, paletteSize);
        EXPECT_EQ(bc[g].AttribId, 0u);
        EXPECT_EQ(bc[g].FaceStart, faces);
        faces += bc[g].FaceCount;
        for (DWORD vi = bc[g].VertexStart; vi < bc[g].VertexStart + bc[g].VertexCount; ++vi) {
            const BYTE* p = v + vi * stride;
            EXPECT_EQ(0, std::memcmp(p, src + vertexMap[vi] * 32, 12)) << "position copied";
            EXPECT_EQ(0, std::memcmp(p + 24, src + vertexMap[vi] * 32 + 12, 20)) << "normal and uv copied";
            float w[3] = {0, 0, 0};
            std::memcpy(w, p + 12, 8);
            w[2] = 1.0f - w[0] - w[1];
            std::map<DWORD, float> got;
            for (int k = 0; k < 3; ++k) {
                const DWORD bone = bc[g].BoneId[p[20 + k]];
                if (w[k] > 1e-6f) {
                    ASSERT_NE(bone, 0xFFFFFFFFu);
                    got[bone] += w[k];
                }
            }
            ASSERT_EQ(got.size(), expected[vertexMap[vi]].size());
            for (const auto& e : expected[vertexMap[vi]]) EXPECT_NEAR(got[e.first], e.second, 1e-6f);
        }
    }
    EXPECT_EQ(faces, source->GetNumFaces());
    EXPECT_EQ(blended->GetNumFaces(), source->GetNumFaces());
    // DrawSubset(g) draws group g: the attribute of each face is its group.
    D3DXATTRIBUTERANGE table[64];
    DWORD size = 64;
    blended->GetAttributeTable(table, &size);
    ASSERT_EQ(size, groups);
    for (DWORD g = 0; g < groups; ++g) {
        EXPECT_EQ(table[g].AttribId, g);
        EXPECT_EQ(table[g].FaceStart, bc[g].FaceStart);
    }
    source->UnlockVertexBuffer();
    blended->UnlockVertexBuffer();
    // The game retypes the indices as a colour and updates the semantics.
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    blended->GetDeclaration(decl);
    for (UINT i = 0; i < D3DXGetDeclLength(decl); ++i)
        if (decl[i].Usage == D3DDECLUSAGE_BLENDINDICES) decl[i].Type = D3DDECLTYPE_D3DCOLOR;
    EXPECT_EQ(blended->UpdateSemantics(decl), S_OK);
    combos->Release();
    remap->Release();
    blended->Release();
}

} // namespace

TEST(Hierarchy, IndexedBlendedMeshRespectsThePaletteSize)
{
    Loaded l(FigurePath());
    ASSERT_EQ(l.hr, S_OK);
    const D3DXMESHCONTAINER* mc = D3DXFrameFind(l.root, "Body")->pMeshContainer;
    DWORD groups = 0;
    CheckBlendedMesh(mc->pSkinInfo, mc->MeshData.pMesh, 35, &groups);
    EXPECT_EQ(groups, 1u); // seven bones fit one palette
    CheckBlendedMesh(mc->pSkinInfo, mc->MeshData.pMesh, 5, &groups);
    EXPECT_GT(groups, 1u);
    // A face whose vertices name more bones than the palette holds cannot be drawn.
    ID3DXMesh* out = nullptr;
    EXPECT_TRUE(FAILED(mc->pSkinInfo->ConvertToIndexedBlendedMesh(
        mc->MeshData.pMesh, D3DXMESH_MANAGED, 2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &out)));
    EXPECT_EQ(out, nullptr);
}

TEST(Hierarchy, AnimationSetsInFileOrderWithKeysAsWritten)
{
    Loaded l(FigurePath());
    ASSERT_EQ(l.hr, S_OK);
    ID3DXAnimationController* ac = l.controller;
    ASSERT_NE(ac, nullptr);
    const xtest::Scene& scene = Figure();
    ASSERT_EQ(ac->GetNumAnimationSets(), 12u);
    EXPECT_EQ(ac->GetMaxNumAnimationSets(), 12u);
    EXPECT_EQ(ac->GetMaxNumAnimationOutputs(), 12u); // one per frame
    EXPECT_GE(ac->GetMaxNumTracks(), 1u);
    for (UINT s = 0; s < 12; ++s) {
        ID3DXAnimationSet* set = nullptr;
        ASSERT_EQ(ac->GetAnimationSet(s, &set), S_OK);
        const xtest::AnimationSet& ws = scene.sets[s];
        EXPECT_STREQ(set->GetName(), ws.name.c_str()) << "controller index = file order";
        ID3DXKeyframedAnimationSet* kf = nullptr;
        ASSERT_EQ(set->QueryInterface(IID_ID3DXKeyframedAnimationSet, (void**)&kf), S_OK);
        EXPECT_EQ(kf, static_cast<ID3DXKeyframedAnimationSet*>(set));
        EXPECT_EQ(kf->GetSourceTicksPerSecond(), 4800.0);
        EXPECT_DOUBLE_EQ(kf->GetPeriod(), (4800.0 + 160.0 * s) / 4800.0);
        ASSERT_EQ(kf->GetNumAnimations(), ws.animations.size());
        for (UINT a = 0; a < kf->GetNumAnimations(); ++a) {
            const xtest::Animation& wa = ws.animations[a];
            LPCSTR name = nullptr;
            ASSERT_EQ(kf->GetAnimationNameByIndex(a, &name), S_OK);
            EXPECT_STREQ(name, wa.frame.c_str());
            ASSERT_EQ(kf->GetNumRotationKeys(a), wa.rotations.size());
            ASSERT_EQ(kf->GetNumScaleKeys(a), wa.scales.size());
            ASSERT_EQ(kf->GetNumTranslationKeys(a), wa.translations.size());
            std::vector<D3DXKEY_QUATERNION> rk(wa.rotations.size());
            std::vector<D3DXKEY_VECTOR3> sk(wa.scales.size()), tk(wa.translations.size());
            kf->GetRotationKeys(a, rk.data());
            kf->GetScaleKeys(a, sk.data());
            kf->GetTranslationKeys(a, tk.data());
            for (size_t k = 0; k < rk.size(); ++k) {
                EXPECT_EQ(rk[k].Time, (float)wa.rotations[k].time);
                EXPECT_EQ(rk[k].Value, wa.rotations[k].value) << "no sign change";
                EXPECT_EQ(sk[k].Time, (float)wa.scales[k].time);
                EXPECT_EQ(sk[k].Value, wa.scales[k].value);
                EXPECT_EQ(tk[k].Time, (float)wa.translations[k].time);
                EXPECT_EQ(tk[k].Value, wa.translations[k].value);
            }
            D3DXKEY_QUATERNION one;
            EXPECT_EQ(kf->GetRotationKey(a, 1, &one), S_OK);
            EXPECT_EQ(one.Value, wa.rotations[1].value);
            EXPECT_TRUE(FAILED(kf->GetRotationKey(a, 99, &one)));
        }
        UINT index = 99;
        EXPECT_EQ(kf->GetAnimationIndexByName("Bip01_Head", &index), S_OK);
        EXPECT_STREQ(ws.animations[index].frame.c_str(), "Bip01_Head");
        kf->Release();
        set->Release();
    }
    ID3DXAnimationSet* none = nullptr;
    EXPECT_TRUE(FAILED(ac->GetAnimationSet(12, &none)));
}

TEST(Hierarchy, ControllerTracksAndClones)
{
    Loaded l(FigurePath());
    ASSERT_EQ(l.hr, S_OK);
    ID3DXAnimationController* ac = l.controller;
    ID3DXAnimationController* clone = nullptr;
    ASSERT_EQ(ac->CloneAnimationController(ac->GetMaxNumAnimationOutputs(), ac->GetMaxNumAnimationSets(),
                                           ac->GetMaxNumTracks(), ac->GetMaxNumEvents(), &clone),
              S_OK);
    ASSERT_EQ(clone->GetNumAnimationSets(), 12u);
    ID3DXAnimationSet *a = nullptr, *b = nullptr;
    ac->GetAnimationSet(4, &a);
    clone->GetAnimationSet(4, &b);
    EXPECT_EQ(a, b); // sets are shared, not copied
    a->Release();
    b->Release();
    for (UINT t = 0; t < clone->GetMaxNumTracks(); ++t) EXPECT_EQ(clone->SetTrackEnable(t, FALSE), S_OK);
    EXPECT_EQ(clone->AdvanceTime(0.0, nullptr), S_OK);
    clone->KeyTrackEnable(1, FALSE, clone->GetTime());
    clone->KeyTrackSpeed(1, 0.0f, clone->GetTime(), 0, D3DXTRANSITION_LINEAR);
    clone->KeyTrackWeight(1, 0.0f, clone->GetTime(), 0, D3DXTRANSITION_LINEAR);
    clone->SetTrackEnable(0, TRUE);
    clone->KeyTrackSpeed(0, 2.0f, clone->GetTime(), 0, D3DXTRANSITION_LINEAR);
    clone->KeyTrackWeight(0, 0.5f, clone->GetTime(), 0, D3DXTRANSITION_LINEAR);
    clone->AdvanceTime(0.25, nullptr);
    EXPECT_DOUBLE_EQ(clone->GetTime(), 0.25);
    D3DXTRACK_DESC desc;
    ASSERT_EQ(clone->GetTrackDesc(0, &desc), S_OK);
    EXPECT_TRUE(desc.Enable);
    EXPECT_EQ(desc.Speed, 2.0f);
    EXPECT_EQ(desc.Weight, 0.5f);
    EXPECT_DOUBLE_EQ(desc.Position, 0.5);
    ASSERT_EQ(clone->GetTrackDesc(1, &desc), S_OK);
    EXPECT_FALSE(desc.Enable);
    EXPECT_EQ(clone->SetTrackPosition(0, 0.0), S_OK);
    EXPECT_EQ(clone->ResetTime(), S_OK);
    EXPECT_EQ(clone->GetTime(), 0.0);
    EXPECT_TRUE(FAILED(clone->SetTrackEnable(99, TRUE)));
    EXPECT_EQ(ac->GetTime(), 0.0); // the controller cloned from is untouched
    EXPECT_EQ(clone->Release(), 0u);
}

TEST(Hierarchy, StaticFileGivesFramesWithoutController)
{
    xtest::Scene scene;
    scene.topMeshes.push_back(xtest::MakeBox());
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    scene.frames.push_back(xtest::Frame{"Second", m, {}, {}});
    Loaded l(WriteScratch("static.x", xtest::Write(scene)));
    ASSERT_EQ(l.hr, S_OK);
    EXPECT_EQ(l.controller, nullptr);
    // The top-level mesh gets an unnamed identity frame; the file's frame follows as its sibling.
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(l.root->Name, nullptr);
    ASSERT_NE(l.root->pMeshContainer, nullptr);
    EXPECT_EQ(l.root->pMeshContainer->pSkinInfo, nullptr);
    EXPECT_EQ(l.root->pMeshContainer->MeshData.pMesh->GetNumFaces(), 12u);
    ASSERT_NE(l.root->pFrameSibling, nullptr);
    EXPECT_STREQ(l.root->pFrameSibling->Name, "Second");
    EXPECT_EQ(l.root->pFrameSibling->TransformationMatrix._43, 3.0f);
}

TEST(Hierarchy, AllocatorFailureFreesEverythingBuilt)
{
    Loaded l(FigurePath(), true);
    EXPECT_EQ(l.hr, E_OUTOFMEMORY);
    EXPECT_EQ(l.root, nullptr);
    EXPECT_EQ(l.controller, nullptr);
    EXPECT_EQ(l.alloc.liveFrames, 0);
}
