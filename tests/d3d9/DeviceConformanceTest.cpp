// Direct3D conventions on the GL device: clears, pixel-exact pre-transformed
// quads, culling, depth, blending.
#include "GlFixture.h"

namespace {

const Rgba kBlack = {0, 0, 0, 255};

TEST_F(GlTest, ClearWritesTheQuantisedArgbColour)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(200, 1, 128, 254), 1.f, 0),
              D3D_OK);
    Drew();
    EXPECT_TRUE(Near(Pixel(0, 0), {1, 128, 254, 255}, 0)) << Pixel(0, 0); // X8R8G8B8: alpha reads as one
    EXPECT_TRUE(Near(Pixel(63, 63), {1, 128, 254, 255}, 0)) << Pixel(63, 63);
}

TEST_F(GlTest, PretransformedQuadCoversExactPixelsTopRowFirst)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.f, 0);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FillRect(10, 5, 20, 15, D3DCOLOR_XRGB(255, 0, 0));
    const Rgba red = {255, 0, 0, 255};
    EXPECT_TRUE(Near(Pixel(10, 5), red, 0)) << Pixel(10, 5);
    EXPECT_TRUE(Near(Pixel(19, 14), red, 0)) << Pixel(19, 14);
    EXPECT_TRUE(Near(Pixel(9, 5), kBlack, 0)) << Pixel(9, 5);
    EXPECT_TRUE(Near(Pixel(20, 5), kBlack, 0)) << Pixel(20, 5);
    EXPECT_TRUE(Near(Pixel(10, 4), kBlack, 0)) << Pixel(10, 4);
    EXPECT_TRUE(Near(Pixel(10, 15), kBlack, 0)) << Pixel(10, 15);
    // Rows count from the top: the mirror row stays black.
    EXPECT_TRUE(Near(Pixel(10, 63 - 5), kBlack, 0));
}

} // namespace

namespace {

// Two triangles side by side: the left one clockwise on screen, the right one counter-clockwise.
void DrawWindingPair(IDirect3DDevice9* device)
{
    struct V
    {
        float x, y, z, rhw;
        D3DCOLOR c;
    };
    const D3DCOLOR white = D3DCOLOR_XRGB(255, 255, 255);
    const V v[6] = {{2, 2, 0.5f, 1, white},  {30, 2, 0.5f, 1, white},  {2, 30, 0.5f, 1, white},  // clockwise
                    {34, 2, 0.5f, 1, white}, {34, 30, 0.5f, 1, white}, {62, 2, 0.5f, 1, white}}; // counter-clockwise
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(V));
}

TEST_F(GlTest, CullModesFollowDirect3DWinding)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    const DWORD modes[] = {D3DCULL_CCW, D3DCULL_CW, D3DCULL_NONE};
    const bool leftShown[] = {true, false, true};
    const bool rightShown[] = {false, true, true};
    for (int i = 0; i < 3; ++i) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
        device->SetRenderState(D3DRS_CULLMODE, modes[i]);
        DrawWindingPair(device);
        Drew();
        EXPECT_EQ(Pixel(8, 8).r == 255, leftShown[i]) << "cull mode " << modes[i];
        EXPECT_EQ(Pixel(40, 8).r == 255, rightShown[i]) << "cull mode " << modes[i];
    }
}

TEST_F(GlTest, DepthIsZeroToOneAndTestsCompare)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.f, 0);
    // Far plane: depth 1 still passes LESSEQUAL against a clear of 1.
    FillRect(0, 0, 16, 16, D3DCOLOR_XRGB(255, 0, 0), 1.f);
    EXPECT_EQ(Pixel(4, 4).r, 255);
    // Near plane: z = 0 is drawn, z below 0 is clipped away.
    FillRect(16, 0, 32, 16, D3DCOLOR_XRGB(0, 255, 0), 0.f);
    FillRect(32, 0, 48, 16, D3DCOLOR_XRGB(0, 255, 0), -0.01f);
    EXPECT_EQ(Pixel(20, 4).g, 255);
    EXPECT_EQ(Pixel(36, 4).g, 0);
    // Depth test: nearer wins, farther is rejected; GREATER inverts it.
    FillRect(0, 20, 40, 40, D3DCOLOR_XRGB(0, 0, 255), 0.5f);
    FillRect(0, 20, 20, 40, D3DCOLOR_XRGB(255, 0, 0), 0.25f);
    FillRect(20, 20, 40, 40, D3DCOLOR_XRGB(0, 255, 0), 0.75f);
    EXPECT_TRUE(Near(Pixel(5, 25), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(Near(Pixel(25, 25), {0, 0, 255, 255}, 0));
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    FillRect(20, 20, 40, 40, D3DCOLOR_XRGB(0, 255, 0), 0.75f);
    EXPECT_TRUE(Near(Pixel(25, 25), {0, 255, 0, 255}, 0));
    // No depth writes: a later farther quad still shows where writes were off.
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    FillRect(0, 44, 20, 60, D3DCOLOR_XRGB(255, 0, 0), 0.1f);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    FillRect(0, 44, 20, 60, D3DCOLOR_XRGB(0, 255, 0), 0.9f);
    EXPECT_TRUE(Near(Pixel(5, 50), {0, 255, 0, 255}, 0));
    // ZENABLE off draws whatever the depth.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FillRect(20, 44, 40, 60, D3DCOLOR_XRGB(255, 255, 0), 0.99f);
    EXPECT_TRUE(Near(Pixel(25, 50), {255, 255, 0, 255}, 0)) << Pixel(25, 50);
}

TEST_F(GlTest, BlendModesMatchTheirFormulas)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(100, 100, 100), 1.f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    FillRect(0, 0, 16, 16, D3DCOLOR_ARGB(64, 255, 0, 0));
    // 255 * 64/255 + 100 * (1 - 64/255) = 64 + 74.9
    EXPECT_TRUE(Near(Pixel(4, 4), {139, 75, 75, 255})) << Pixel(4, 4);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    FillRect(16, 0, 32, 16, D3DCOLOR_ARGB(255, 100, 20, 200));
    EXPECT_TRUE(Near(Pixel(20, 4), {200, 120, 255, 255}, 0)) << Pixel(20, 4);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    FillRect(32, 0, 48, 16, D3DCOLOR_ARGB(255, 30, 200, 0));
    EXPECT_TRUE(Near(Pixel(36, 4), {70, 0, 100, 255}, 0)) << Pixel(36, 4);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_MAX);
    FillRect(48, 0, 64, 16, D3DCOLOR_ARGB(255, 30, 200, 0));
    EXPECT_TRUE(Near(Pixel(52, 4), {100, 200, 100, 255}, 0)) << Pixel(52, 4);
    // Blending off: the source replaces.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    FillRect(0, 16, 16, 32, D3DCOLOR_ARGB(10, 1, 2, 3));
    EXPECT_TRUE(Near(Pixel(4, 20), {1, 2, 3, 255}, 0)) << Pixel(4, 20);
}

TEST_F(GlTest, AlphaTestAndColourWriteMask)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 128);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    FillRect(0, 0, 8, 8, D3DCOLOR_ARGB(127, 255, 0, 0));
    FillRect(8, 0, 16, 8, D3DCOLOR_ARGB(128, 255, 0, 0));
    EXPECT_EQ(Pixel(2, 2).r, 0);
    EXPECT_EQ(Pixel(10, 2).r, 255);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
    FillRect(16, 0, 24, 8, D3DCOLOR_XRGB(255, 255, 255));
    EXPECT_TRUE(Near(Pixel(18, 2), {0, 255, 0, 255}, 0)) << Pixel(18, 2);
    // A clear ignores the write mask, as in Direct3D.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(9, 9, 9), 1.f, 0);
    Drew();
    EXPECT_TRUE(Near(Pixel(18, 2), {9, 9, 9, 255}, 0));
}

TEST_F(GlTest, StatesPersistAndResetRestoresDefaults)
{
    DWORD value = 0;
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CCW));
    device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, DWORD(D3DZB_TRUE));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetSamplerState(3, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_POINTSIZE, 0x40000000u); // stored though not drawn
    FillRect(0, 0, 4, 4, 0xFFFFFFFFu);
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_NONE));
    device->GetRenderState(D3DRS_POINTSIZE, &value);
    EXPECT_EQ(value, 0x40000000u);
    device->GetSamplerState(3, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 16;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CCW));
    device->GetSamplerState(3, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_POINT));
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 32u);
    EXPECT_EQ(vp.Height, 16u);
}

TEST_F(GlTest, CapsReportTheShaderTierAndPrimitiveLimit)
{
    D3DCAPS9 caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(3, 0));
    EXPECT_EQ(caps.PixelShaderVersion, 0xFFFF0300u);
    EXPECT_EQ(caps.MaxPrimitiveCount, 0xFFFFFu);
    LvD3D9_SetPixelShaderVersion(D3DPS_VERSION(1, 4));
    LvD3D9_SetMaxPrimitiveCount(100);
    device->GetDeviceCaps(&caps);
    EXPECT_EQ(caps.PixelShaderVersion, 0xFFFF0104u);
    EXPECT_EQ(caps.MaxPrimitiveCount, 100u);
    IDirect3D9* d3d = nullptr;
    ASSERT_EQ(device->GetDirect3D(&d3d), D3D_OK);
    D3DDISPLAYMODE mode;
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    d3d->Release();
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
}

} // namespace
