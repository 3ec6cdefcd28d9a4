// Meshes loaded with a device: the device buffers hold what the CPU copy holds,
// unlocking sends edits through, and DrawSubset draws each attribute group.
#include <d3dx9anim.h>

#include "TestFiles.h"
#include "TestHierarchyAllocator.h"
#include "d3d9_egl.h"
#include "d3d9_host.h"

#include <cstring>

namespace {

class DeviceMesh : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!sContext) sContext = LvEgl_Create(true);
    }
    void SetUp() override
    {
        if (!sContext) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        baseline = LvD3D9_LiveResourceCount();
        device = LvD3D9_CreateDevice(64, 64);
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override
    {
        if (!device) return;
        LvD3D9_EnableCallLog(false);
        LvD3D9_ClearCallLog();
        EXPECT_EQ(device->Release(), 0u);
        EXPECT_EQ(LvD3D9_LiveResourceCount(), baseline) << "device objects leaked";
    }

    // The device copy of a mesh's buffers equals its CPU copy.
    void ExpectBuffersMirrored(ID3DXMesh* mesh)
    {
        IDirect3DVertexBuffer9* vb = nullptr;
        IDirect3DIndexBuffer9* ib = nullptr;
        ASSERT_EQ(mesh->GetVertexBuffer(&vb), S_OK);
        ASSERT_EQ(mesh->GetIndexBuffer(&ib), S_OK);
        D3DVERTEXBUFFER_DESC vd;
        vb->GetDesc(&vd);
        EXPECT_EQ(vd.Size, mesh->GetNumVertices() * mesh->GetNumBytesPerVertex());
        EXPECT_EQ(vd.Pool, D3DPOOL_MANAGED);
        D3DINDEXBUFFER_DESC id;
        ib->GetDesc(&id);
        EXPECT_EQ(id.Format, D3DFMT_INDEX16);
        EXPECT_EQ(id.Size, mesh->GetNumFaces() * 6);
        void *cpu = nullptr, *gpu = nullptr;
        mesh->LockVertexBuffer(0, &cpu);
        vb->Lock(0, 0, &gpu, 0);
        EXPECT_EQ(0, std::memcmp(cpu, gpu, vd.Size));
        vb->Unlock();
        mesh->UnlockVertexBuffer();
        mesh->LockIndexBuffer(0, &cpu);
        ib->Lock(0, 0, &gpu, 0);
        EXPECT_EQ(0, std::memcmp(cpu, gpu, id.Size));
        ib->Unlock();
        mesh->UnlockIndexBuffer();
        vb->Release();
        ib->Release();
    }

    static LvEglContext* sContext;
    IDirect3DDevice9* device = nullptr;
    int baseline = 0;
};
LvEglContext* DeviceMesh::sContext = nullptr;

} // namespace

TEST_F(DeviceMesh, LoadedMeshUploadsAndKeepsEdits)
{
    const std::string path = WriteScratch("devgrid.x", xtest::WriteMesh(xtest::MakeGrid(9, 7, 0, 0)));
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(
        D3DXLoadMeshFromXW(Wide(path).c_str(), D3DXMESH_MANAGED, device, nullptr, nullptr, nullptr, nullptr, &mesh),
        S_OK);
    IDirect3DDevice9* got = nullptr;
    ASSERT_EQ(mesh->GetDevice(&got), S_OK);
    EXPECT_EQ(got, device);
    got->Release();
    ExpectBuffersMirrored(mesh);
    float* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    v[2] = 42.0f; // vertex 0's height
    mesh->UnlockVertexBuffer();
    ExpectBuffersMirrored(mesh);
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device, &clone), S_OK);
    ExpectBuffersMirrored(clone);
    clone->Release();
    mesh->Release();
}

TEST_F(DeviceMesh, BlendedMeshDrawsOneCallPerGroup)
{
    const std::string path = WriteScratch("devfigure.x", xtest::Write(xtest::MakeSkinnedFigure(1)));
    TestHierarchyAllocator alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* ac = nullptr;
    ASSERT_EQ(D3DXLoadMeshHierarchyFromXW(Wide(path).c_str(), D3DXMESH_MANAGED, device, &alloc, nullptr, &root, &ac),
              S_OK);
    const D3DXFRAME* body = D3DXFrameFind(root, "Body");
    ASSERT_NE(body, nullptr);
    const D3DXMESHCONTAINER* mc = body->pMeshContainer;
    ExpectBuffersMirrored(mc->MeshData.pMesh);
    ID3DXMesh* blended = nullptr;
    ID3DXBuffer* combos = nullptr;
    DWORD groups = 0, maxInfl = 0;
    ASSERT_EQ(mc->pSkinInfo->ConvertToIndexedBlendedMesh(mc->MeshData.pMesh, D3DXMESH_MANAGED, 5, nullptr, nullptr,
                                                         nullptr, nullptr, &maxInfl, &groups, &combos, &blended),
              S_OK);
    ExpectBuffersMirrored(blended);
    LvD3D9_ClearCallLog();
    LvD3D9_EnableCallLog(true);
    for (DWORD g = 0; g < groups; ++g) EXPECT_EQ(blended->DrawSubset(g), S_OK);
    LvD3D9_EnableCallLog(false);
    int draws = 0;
    for (const std::string& call : LvD3D9_GetCallLog()) draws += call.find("DrawIndexedPrimitive") != std::string::npos;
    EXPECT_EQ(draws, (int)groups);
    combos->Release();
    blended->Release();
    ac->Release();
    D3DXFrameDestroy(root, &alloc);
}
