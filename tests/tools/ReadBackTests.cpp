// The generated .x files read back through the game's own D3DX stand-in: meshes with
// their vertices and indices in file order, the terrain grids, and the character's
// frames, skin and animation sets as the game's loader sees them.
#include <gtest/gtest.h>

#include <d3dx9anim.h>
#include <d3dx9mesh.h>

#include <cstdlib>
#include <cstring>

#include "texture_image.h"

#include "Character.h"
#include "DataSet.h"
#include "StaticMeshes.h"
#include "Terrain.h"
#include "Textures.h"
#include "TestHierarchyAllocator.h"
#include "XText.h"

namespace {

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

class ReadBack : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/lv_readback_XXXXXX";
        root_ = mkdtemp(pattern);
        for (const char* g : {"meshes", "character", "maps", "textures", "ui"}) gen::WriteGroup(root_, g);
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + root_ + "'").c_str()); }
    static std::string root_;
};
std::string ReadBack::root_;

struct Vertex32
{
    float p[3], n[3], uv[2];
};

ID3DXMesh* LoadMesh(const std::string& path)
{
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    const HRESULT hr = D3DXLoadMeshFromXW(Wide(path).c_str(), D3DXMESH_MANAGED, nullptr, &adjacency, &materials,
                                          nullptr, &count, &mesh);
    if (adjacency) adjacency->Release();
    if (materials) materials->Release();
    return SUCCEEDED(hr) ? mesh : nullptr;
}

// Compares what the loader returns with the mesh the generator wrote.
void ExpectSameMesh(ID3DXMesh* loaded, const gen::Mesh& written)
{
    ASSERT_EQ(loaded->GetNumVertices(), written.verts.size());
    ASSERT_EQ(loaded->GetNumFaces(), written.tris.size());
    ASSERT_EQ(loaded->GetNumBytesPerVertex(), 32u);
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(loaded->LockVertexBuffer(0, &data)));
    const Vertex32* v = static_cast<const Vertex32*>(data);
    int off = 0;
    for (size_t i = 0; i < written.verts.size(); ++i) {
        const gen::Vertex& w = written.verts[i];
        off += std::fabs(v[i].p[0] - w.p.x) > 1e-5f || std::fabs(v[i].p[1] - w.p.y) > 1e-5f ||
               std::fabs(v[i].p[2] - w.p.z) > 1e-5f || std::fabs(v[i].n[2] - w.n.z) > 1e-5f ||
               std::fabs(v[i].uv[0] - w.u) > 1e-5f || std::fabs(v[i].uv[1] - w.v) > 1e-5f;
    }
    EXPECT_EQ(off, 0);
    loaded->UnlockVertexBuffer();
    ASSERT_TRUE(SUCCEEDED(loaded->LockIndexBuffer(0, &data)));
    const uint16_t* idx = static_cast<const uint16_t*>(data);
    int wrong = 0;
    for (size_t f = 0; f < written.tris.size(); ++f)
        for (int k = 0; k < 3; ++k) wrong += idx[3 * f + k] != written.tris[f][k];
    EXPECT_EQ(wrong, 0);
    loaded->UnlockIndexBuffer();
}

const D3DXMESHCONTAINER* FindContainer(const D3DXFRAME* f)
{
    if (!f) return nullptr;
    if (f->pMeshContainer) return f->pMeshContainer;
    if (const D3DXMESHCONTAINER* c = FindContainer(f->pFrameFirstChild)) return c;
    return FindContainer(f->pFrameSibling);
}

} // namespace

TEST_F(ReadBack, StaticMeshesLoadInFileOrder)
{
    for (const gen::NamedMesh& m : gen::BuildStaticMeshes()) {
        SCOPED_TRACE(m.file);
        ID3DXMesh* mesh = LoadMesh(root_ + "/Meshes/" + m.file);
        ASSERT_NE(mesh, nullptr);
        ExpectSameMesh(mesh, m.mesh);
        mesh->Release();
    }
}

TEST_F(ReadBack, TerrainGridsLoadInLineOrder)
{
    int count = 0;
    const gen::TerrainSpec* specs = gen::TerrainSpecs(&count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(specs[i].meshFile);
        ID3DXMesh* mesh = LoadMesh(root_ + "/Maps/" + specs[i].meshFile);
        ASSERT_NE(mesh, nullptr);
        ExpectSameMesh(mesh, gen::BuildTerrainMesh(specs[i]));
        mesh->Release();
    }
    // The .hmp parameter files are not meshes: the loader must turn them away.
    EXPECT_EQ(LoadMesh(root_ + "/Maps/stage1.hmp"), nullptr);
}

TEST_F(ReadBack, CharacterFramesSkinAndSets)
{
    const gen::SkinnedModel model = gen::BuildCharacter();
    TestHierarchyAllocator alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    ASSERT_TRUE(SUCCEEDED(D3DXLoadMeshHierarchyFromXW(Wide(root_ + "/Meshes/male.x").c_str(), 0, nullptr, &alloc,
                                                      nullptr, &root, &controller)));
    ASSERT_NE(root, nullptr);
    ASSERT_NE(controller, nullptr);
    for (const std::string& bone : gen::RagdollBoneNames()) {
        const D3DXFRAME* f = D3DXFrameFind(root, bone.c_str());
        ASSERT_NE(f, nullptr) << bone;
        ASSERT_NE(f->pFrameFirstChild, nullptr) << bone;
        EXPECT_EQ(f->pFrameFirstChild->pFrameSibling, nullptr) << bone;
    }
    EXPECT_STREQ(D3DXFrameFind(root, "Bip01_Spine")->pFrameFirstChild->Name, "Bip01_Neck");
    const D3DXMESHCONTAINER* mc = FindContainer(root);
    ASSERT_NE(mc, nullptr);
    ASSERT_NE(mc->pSkinInfo, nullptr);
    ASSERT_EQ(mc->pSkinInfo->GetNumBones(), model.bones.size());
    for (DWORD b = 0; b < mc->pSkinInfo->GetNumBones(); ++b) {
        EXPECT_STREQ(mc->pSkinInfo->GetBoneName(b), model.bones[b].name.c_str());
        EXPECT_EQ(mc->pSkinInfo->GetNumBoneInfluences(b), model.bones[b].vertices.size());
        const D3DXMATRIX* offset = mc->pSkinInfo->GetBoneOffsetMatrix(b);
        EXPECT_NEAR(offset->_42, model.bones[b].offset.m[3][1], 1e-5f);
    }
    EXPECT_EQ(mc->MeshData.pMesh->GetNumVertices(), model.mesh.verts.size());
    ASSERT_EQ(controller->GetNumAnimationSets(), static_cast<UINT>(gen::kSetCount));
    for (UINT s : {static_cast<UINT>(gen::kWalkSet), static_cast<UINT>(gen::kIdleSet)}) {
        ID3DXAnimationSet* set = nullptr;
        ASSERT_TRUE(SUCCEEDED(controller->GetAnimationSet(s, &set)));
        EXPECT_STREQ(set->GetName(), model.sets[s].name.c_str());
        ASSERT_EQ(set->GetNumAnimations(), model.frames.size());
        ID3DXKeyframedAnimationSet* keyed = nullptr;
        ASSERT_TRUE(SUCCEEDED(set->QueryInterface(IID_ID3DXKeyframedAnimationSet, reinterpret_cast<void**>(&keyed))));
        const UINT track = 7;
        LPCSTR name = nullptr;
        keyed->GetAnimationNameByIndex(track, &name);
        EXPECT_STREQ(name, model.sets[s].tracks[track].frame.c_str());
        const auto& keys = model.sets[s].tracks[track].keys;
        ASSERT_EQ(keyed->GetNumRotationKeys(track), keys.size());
        ASSERT_EQ(keyed->GetNumScaleKeys(track), keys.size());
        ASSERT_EQ(keyed->GetNumTranslationKeys(track), keys.size());
        D3DXKEY_QUATERNION q;
        keyed->GetRotationKey(track, 1, &q);
        EXPECT_FLOAT_EQ(q.Time, static_cast<float>(keys[1].time));
        EXPECT_NEAR(q.Value.w, keys[1].rotation.w, 1e-6f); // stored as the conjugate
        EXPECT_NEAR(q.Value.x, -keys[1].rotation.x, 1e-6f);
        D3DXKEY_VECTOR3 last;
        keyed->GetScaleKey(track, keyed->GetNumScaleKeys(track) - 1, &last);
        EXPECT_FLOAT_EQ(last.Time, static_cast<float>(keys.back().time));
        keyed->Release();
        set->Release();
    }
    controller->Release();
    D3DXFrameDestroy(root, &alloc);
}

TEST_F(ReadBack, TexturesDecodeThroughTheGameLoader)
{
    auto decode = [](const std::string& path, lvtex::Image* image) {
        const std::string text = ReadWholeFile(path);
        std::string reason;
        const bool ok = lvtex::DecodeImage(std::vector<uint8_t>(text.begin(), text.end()), *image, reason);
        EXPECT_TRUE(ok) << path << ": " << reason;
        return ok;
    };
    for (const gen::TextureDef& d : gen::TextureTable()) {
        std::string name = d.name;
        for (char& c : name)
            if (c == '\\') c = '/';
        lvtex::Image image;
        if (!decode(root_ + "/Textures/" + name, &image)) continue;
        EXPECT_GE(image.width, 8u) << name;
        EXPECT_EQ(image.rgba.size(), size_t(image.width) * image.height * image.depth * 4) << name;
        if (name == "NoiseVolume.dds") {
            EXPECT_EQ(image.depth, 32u);
        }
        if (name == "male.bmp" || name == "kaw2.jpg") {
            EXPECT_EQ(image.rgba[3], 255) << "opaque formats read with alpha 255";
        }
    }
    lvtex::Image skin;
    ASSERT_TRUE(decode(root_ + "/bin/UI/DXUTControls.dds", &skin));
    EXPECT_EQ(skin.width, 256u);
    EXPECT_EQ(skin.height, 256u);
    EXPECT_EQ(skin.depth, 1u);
}
