// Buffers, declarations, indexed drawing in chunks, reset and lifetimes.
#include "GlFixture.h"

#include <cstring>

namespace {

struct MeshVertex
{ // the game's 56-byte vertex
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    float t[3];
    float b[3];
};

const D3DVERTEXELEMENT9 kMeshElements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                           {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
                                           {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                           {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
                                           {0, 44, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
                                           D3DDECL_END()};

class GeometryTest : public GlTest
{
protected:
    // A row of `cells` quads across the top 8 rows, in clip space, two triangles each.
    void MakeStrip(int cells, IDirect3DVertexBuffer9** vb, IDirect3DIndexBuffer9** ib)
    {
        ASSERT_EQ(
            device->CreateVertexBuffer(UINT(sizeof(MeshVertex) * 4 * cells), 0, 0x312, D3DPOOL_MANAGED, vb, nullptr),
            D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(UINT(2 * 6 * cells), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            ib, nullptr),
                  D3D_OK);
        MeshVertex* v = nullptr;
        ASSERT_EQ((*vb)->Lock(0, 0, reinterpret_cast<void**>(&v), 0), D3D_OK);
        WORD* idx = nullptr;
        ASSERT_EQ((*ib)->Lock(0, 0, reinterpret_cast<void**>(&idx), 0), D3D_OK);
        const float cellWidth = 2.f / float(cells);
        for (int c = 0; c < cells; ++c) {
            const float x0 = -1.f + cellWidth * float(c), x1 = x0 + cellWidth;
            const float y0 = 1.f, y1 = 0.75f; // Direct3D clip space: +y is up, the top 8 rows of 64
            const MeshVertex corners[4] = {{x0, y0, 0.5f, 0, 0, 1, 0, 0, {}, {}},
                                           {x1, y0, 0.5f, 0, 0, 1, 1, 0, {}, {}},
                                           {x0, y1, 0.5f, 0, 0, 1, 0, 1, {}, {}},
                                           {x1, y1, 0.5f, 0, 0, 1, 1, 1, {}, {}}};
            std::memcpy(&v[c * 4], corners, sizeof corners);
            const WORD base = WORD(c * 4);
            const WORD tri[6] = {base, WORD(base + 1), WORD(base + 2), WORD(base + 1), WORD(base + 3), WORD(base + 2)};
            std::memcpy(&idx[c * 6], tri, sizeof tri);
        }
        (*vb)->Unlock();
        (*ib)->Unlock();
    }
};

TEST_F(GeometryTest, BuffersHoldWhatWasWritten)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    BYTE* p = nullptr;
    vb->Lock(16, 8, reinterpret_cast<void**>(&p), 0);
    std::memset(p, 0xAB, 8);
    vb->Unlock();
    vb->Lock(0, 0, reinterpret_cast<void**>(&p), D3DLOCK_READONLY);
    EXPECT_EQ(p[15], 0);
    EXPECT_EQ(p[16], 0xAB);
    EXPECT_EQ(p[23], 0xAB);
    EXPECT_EQ(p[24], 0);
    // A second lock while locked, or a range past the end, is refused.
    void* q = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &q, 0), D3DERR_INVALIDCALL);
    vb->Unlock();
    EXPECT_EQ(vb->Lock(60, 8, &q, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(q, nullptr);
    D3DVERTEXBUFFER_DESC desc;
    vb->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 64u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    vb->Release();
}

TEST_F(GeometryTest, IndexedDrawingRespectsThePrimitiveLimitInChunks)
{
    constexpr int kCells = 8; // 16 triangles
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    MakeStrip(kCells, &vb, &ib);
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(kMeshElements, &decl), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    device->SetVertexDeclaration(decl);
    device->SetStreamSource(0, vb, 0, sizeof(MeshVertex));
    device->SetIndices(ib);
    LvD3D9_SetMaxPrimitiveCount(5);
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    const UINT total = kCells * 2;
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kCells * 4, 0, total), D3DERR_INVALIDCALL);
    Drew();
    EXPECT_EQ(Pixel(60, 2).r, 0); // the refused draw drew nothing
    for (UINT first = 0; first < total; first += caps.MaxPrimitiveCount) {
        const UINT count = total - first < caps.MaxPrimitiveCount ? total - first : caps.MaxPrimitiveCount;
        EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kCells * 4, first * 3, count), D3D_OK);
    }
    Drew();
    for (int x = 0; x < int(kWidth); x += 3) EXPECT_EQ(Pixel(x, 3).r, 255) << "column " << x;
    EXPECT_EQ(Pixel(5, 9).r, 0);
    // Reading past the index buffer is refused rather than drawn.
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kCells * 4, 3, total), D3DERR_INVALIDCALL);
    // With no buffers bound a draw is a harmless no-op.
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    decl->Release();
    vb->Release();
    ib->Release();
}

TEST_F(GeometryTest, ReleasingABoundBufferLeavesNoDanglingBinding)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    MakeStrip(1, &vb, &ib);
    device->SetFVF(0x312);
    device->SetStreamSource(0, vb, 0, sizeof(MeshVertex));
    device->SetIndices(ib);
    vb->Release();
    ib->Release();
    IDirect3DVertexBuffer9* bound = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
    UINT offset = 1, stride = 1;
    device->GetStreamSource(0, &bound, &offset, &stride);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
}

TEST_F(GeometryTest, ResetKeepsManagedResourcesAndNeedsDefaultOnesGone)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    MakeStrip(2, &vb, &ib);
    IDirect3DTexture9* target = nullptr;
    device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr);
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL); // a default-pool target is still alive
    target->Release();
    IDirect3DSurface9* backBuffer = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL); // so is a reference to the back buffer
    backBuffer->Release();
    const int before = LvD3D9_LiveResourceCount();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(device->Reset(&pp), D3D_OK);
        device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT, &target,
                              nullptr);
        target->Release();
    }
    EXPECT_EQ(LvD3D9_LiveResourceCount(), before); // rebuilt, not piled up
    // The managed buffers still draw after the resets.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetFVF(0x312);
    device->SetStreamSource(0, vb, 0, sizeof(MeshVertex));
    device->SetIndices(ib);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 4), D3D_OK);
    Drew();
    EXPECT_EQ(Pixel(10, 2).r, 255);
    EXPECT_EQ(Pixel(50, 2).r, 255);
    vb->Release();
    ib->Release();
}

TEST_F(GeometryTest, DeviceOutlivesItsCallerUntilTheLastResourceGoes)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(device->Release(), 0u);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK); // still alive through its texture
    device = owner;                                // the fixture releases it again
    texture->Release();
}

TEST_F(GeometryTest, ABackBufferHeldPastTheDeviceStaysSafe)
{
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    D3DSURFACE_DESC desc;
    EXPECT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, kWidth);
    IDirect3DDevice9* owner = reinterpret_cast<IDirect3DDevice9*>(1);
    EXPECT_EQ(backBuffer->GetDevice(&owner), D3DERR_INVALIDCALL);
    backBuffer->Release(); // the sanitiser build checks that nothing touches the gone device
}

TEST_F(GeometryTest, CallLogNamesTheCallsInOrder)
{
    LvD3D9_EnableCallLog(true);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    FillRect(0, 0, 4, 4, 0xFFFFFFFFu);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    const std::vector<std::string> expected = {"BeginScene", "Clear", "DrawPrimitiveUP 5 2", "EndScene", "Present"};
    EXPECT_EQ(LvD3D9_GetCallLog(), expected);
}

} // namespace
