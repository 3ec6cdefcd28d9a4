// Render targets: what a pass draws into a target is read by the next pass,
// in both formats; the viewport follows SetRenderTarget; one-level targets
// sample under mip filtering.
#include "GlFixture.h"

#include "d3d9_program.h"

#include <string>

namespace {

class RenderTargetTest : public GlTest
{
protected:
    IDirect3DTexture9* MakeTarget(UINT w, UINT h, D3DFORMAT format)
    {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
        return t;
    }

    LvProgram* Program(const char* fragment)
    {
        std::string log;
        LvProgram* p = LvD3D9_CreateProgram(device, nullptr, fragment, log);
        EXPECT_NE(p, nullptr) << log;
        return p;
    }
};

TEST_F(RenderTargetTest, FloatTargetKeepsValuesAboveOneForTheNextPass)
{
    IDirect3DTexture9* target = MakeTarget(16, 16, D3DFMT_A16B16G16R16F);
    ASSERT_NE(target, nullptr);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &backBuffer), D3D_OK);

    LvProgram* bright = Program("void main() { oColor = vec4(2.5, 0.5, uv.x, 1.0); }");
    LvProgram* quarter = Program("uniform sampler2D source;\n"
                                 "void main() { oColor = texture(source, uv) * 0.25; }");
    ASSERT_TRUE(bright && quarter);

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
    LvD3D9_UseProgram(device, bright);
    TexturedRect(0, 0, 16, 16);
    std::vector<float> values;
    UINT w = 0, h = 0;
    ASSERT_TRUE(LvD3D9_ReadSurface(surface, values, &w, &h));
    ASSERT_EQ(w, 16u);
    EXPECT_FLOAT_EQ(values[0], 2.5f);
    EXPECT_FLOAT_EQ(values[1], 0.5f);

    device->SetRenderTarget(0, backBuffer);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    LvD3D9_UseProgram(device, quarter);
    device->SetTexture(0, target);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR); // one level: must not sample black
    TexturedRect(0, 0, 16, 16);
    LvD3D9_UseProgram(device, nullptr);
    // 2.5 / 4 * 255 = 159.4; blue carries u = 3.5 / 16 of the first pass; X8 alpha reads one
    EXPECT_TRUE(Near(Pixel(3, 3), {159, 32, 14, 255}, 1)) << Pixel(3, 3);

    device->SetTexture(0, nullptr);
    LvD3D9_DestroyProgram(bright);
    LvD3D9_DestroyProgram(quarter);
    surface->Release();
    backBuffer->Release();
    target->Release();
}

TEST_F(RenderTargetTest, EightBitTargetRoundTripsExactlyWithTopRowFirst)
{
    IDirect3DTexture9* target = MakeTarget(8, 8, D3DFMT_A8R8G8B8);
    IDirect3DSurface9* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    IDirect3DSurface9* backBuffer = nullptr;
    device->GetRenderTarget(0, &backBuffer);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderTarget(0, surface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 10, 20, 30), 1.f, 0);
    FillRect(0, 0, 8, 2, D3DCOLOR_ARGB(255, 200, 0, 0)); // the top two rows
    device->SetRenderTarget(0, backBuffer);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    device->SetTexture(0, target);
    TexturedRect(0, 0, 8, 8); // texel-exact copy through the pre-transformed stage
    EXPECT_TRUE(Near(Pixel(0, 0), {200, 0, 0, 255}, 0)) << Pixel(0, 0);
    EXPECT_TRUE(Near(Pixel(7, 1), {200, 0, 0, 255}, 0)) << Pixel(7, 1);
    EXPECT_TRUE(Near(Pixel(0, 2), {10, 20, 30, 255}, 0)) << Pixel(0, 2);
    EXPECT_TRUE(Near(Pixel(7, 7), {10, 20, 30, 255}, 0)) << Pixel(7, 7);
    device->SetTexture(0, nullptr);
    surface->Release();
    backBuffer->Release();
    target->Release();
}

TEST_F(RenderTargetTest, SetRenderTargetResetsTheViewport)
{
    IDirect3DTexture9* target = MakeTarget(32, 8, D3DFMT_A8R8G8B8);
    IDirect3DSurface9* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    IDirect3DSurface9* backBuffer = nullptr;
    device->GetRenderTarget(0, &backBuffer);
    const D3DVIEWPORT9 small = {4, 4, 10, 10, 0.f, 1.f};
    device->SetViewport(&small);
    device->SetRenderTarget(0, surface);
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Width, 32u);
    EXPECT_EQ(vp.Height, 8u);
    D3DSURFACE_DESC desc;
    IDirect3DSurface9* current = nullptr;
    device->GetRenderTarget(0, &current);
    current->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 8u);
    current->Release();
    device->SetRenderTarget(0, backBuffer);
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, kWidth);
    EXPECT_EQ(vp.Height, kHeight);
    // Clear covers only the viewport.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    device->SetViewport(&small);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 0), 1.f, 0);
    Drew();
    EXPECT_EQ(Pixel(4, 4).r, 255);
    EXPECT_EQ(Pixel(13, 13).r, 255);
    EXPECT_EQ(Pixel(3, 4).r, 0);
    EXPECT_EQ(Pixel(14, 4).r, 0);
    surface->Release();
    backBuffer->Release();
    target->Release();
}

TEST_F(RenderTargetTest, ColorFillAndDescriptions)
{
    IDirect3DTexture9* target = MakeTarget(4, 4, D3DFMT_A16B16G16R16F);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(target->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A16B16G16R16F);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(target->GetLevelCount(), 1u);
    IDirect3DSurface9* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    ASSERT_EQ(device->ColorFill(surface, nullptr, D3DCOLOR_ARGB(0, 0, 0, 0)), D3D_OK);
    std::vector<float> values;
    LvD3D9_ReadSurface(surface, values, nullptr, nullptr);
    EXPECT_EQ(values[0], 0.f);
    device->ColorFill(surface, nullptr, D3DCOLOR_ARGB(255, 255, 128, 0));
    LvD3D9_ReadSurface(surface, values, nullptr, nullptr);
    EXPECT_NEAR(values[1], 128.f / 255.f, 1e-3);
    EXPECT_EQ(values[3], 1.f);
    // Render targets must be default-pool and of a renderable format.
    IDirect3DTexture9* bad = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bad, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(bad, nullptr);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_L8, D3DPOOL_DEFAULT, &bad, nullptr),
              D3DERR_INVALIDCALL);
    surface->Release();
    target->Release();
}

} // namespace
