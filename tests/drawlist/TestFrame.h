// A frame context on the Direct3D stand-in for the executor tests: a real
// device and effect (the game's post-processing techniques behind a small
// scene effect), render targets made as the test asks, and scene drawing that
// writes what it saw into the device's call log and, for image tests, draws
// flat rectangles per render list.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <d3d9_egl.h>
#include <d3d9_host.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "render/DrawListFrame.h"

// The scene side an including effect provides, then the game's techniques.
const char* const kTestEffect = R"(
float4x4 mWorld;
float4x4 mLastWorld;
float4x4 mViewProjection;
float4x4 mLastViewProjection;
float time01;
sampler2D MeshTexture : register(s0);
glsl vertex {
    invariant gl_Position;
    vec4 SceneClipPosition(mat4 world) { return mViewProjection * (world * vec4(iPosition.xyz, 1.0)); }
}
#include "PostProcess.fxh"
)";

class TestFrame : public DrawListFrame
{
public:
    struct Rect
    {
        float x0, y0, x1, y1;
        D3DCOLOR colour;
    };

    IDirect3DDevice9* GetDevice() override { return device; }
    ID3DXEffect* GetEffect() override { return effect; }
    RenderTargetTable& GetRenderTargets() override { return targets; }
    IDirect3DTexture9* GetLoadedTexture(int id) override { return id == kNoiseId ? noise : nullptr; }
    IDirect3DVertexDeclaration9* GetVertexDeclaration() override { return nullptr; }
    bool IsRedrawFrame() override { return redraw; }
    void GetCropSize(UINT* width, UINT* height) override
    {
        *width = cropWidth;
        *height = cropHeight;
    }

    void DrawHeightmaps() override { LvD3D9_LogCall("DrawHeightmaps"); }

    void DrawRenderList(int list) override
    {
        DWORD z = 0, zWrite = 0, src = 0, dst = 0;
        device->GetRenderState(D3DRS_ZENABLE, &z);
        device->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
        device->GetRenderState(D3DRS_SRCBLEND, &src);
        device->GetRenderState(D3DRS_DESTBLEND, &dst);
        LvD3D9_LogCall("List " + std::to_string(list) + " z=" + std::to_string(z) + " zw=" + std::to_string(zWrite) +
                       " blend=" + std::to_string(src) + "/" + std::to_string(dst));
        if (list < int(scene.size())) {
            for (const Rect& r : scene[size_t(list)]) FillRect(r);
        }
    }

    void DrawRenderListWithStepTechnique(int list) override
    {
        D3DXTECHNIQUE_DESC desc = {};
        effect->GetTechniqueDesc(effect->GetCurrentTechnique(), &desc);
        LvD3D9_LogCall("StepList " + std::to_string(list) + " " + (desc.Name ? desc.Name : "?") +
                       " noise=" + (BoundTo("NoiseTex") == noise ? "bound" : "unbound"));
    }

    int GetHeightmapCount() override { return int(heightmaps.size()); }
    void GetHeightmapWorld(int index, D3DXMATRIX* world) override { *world = heightmaps[size_t(index)]; }
    void DrawHeightmapGeometry(int index) override
    {
        D3DXMATRIX world, last;
        effect->GetMatrix("mWorld", &world);
        effect->GetMatrix("mLastWorld", &last);
        const bool same = world == heightmaps[size_t(index)] && last == heightmaps[size_t(index)];
        LvD3D9_LogCall("Heightmap " + std::to_string(index) + (same ? " still" : " moved"));
    }

    // The full-screen quad as the renderer draws it: pixel centres on texel centres.
    void DrawScreenQuad(float leftU, float topV, float rightU, float bottomV) override
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        effect->SetMatrix("mWorld", &identity);
        IDirect3DSurface9* target = nullptr;
        device->GetRenderTarget(0, &target);
        D3DSURFACE_DESC desc = {};
        target->GetDesc(&desc);
        target->Release();
        const float w = float(desc.Width), h = float(desc.Height);
        const float quad[4][6] = {{-0.5f, -0.5f, 0, 0.5f, leftU, topV},
                                  {w - 0.5f, -0.5f, 0, 0.5f, rightU, topV},
                                  {-0.5f, h - 0.5f, 0, 0.5f, leftU, bottomV},
                                  {w - 0.5f, h - 0.5f, 0, 0.5f, rightU, bottomV}};
        std::ostringstream entry;
        entry << "Quad " << desc.Width << "x" << desc.Height;
        for (const char* p : quadParameters) entry << " " << p << "=" << (BoundTo(p) ? "bound" : "null");
        LvD3D9_LogCall(entry.str());
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        effect->CommitChanges();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
    }

    IDirect3DBaseTexture9* BoundTo(const char* parameter)
    {
        IDirect3DBaseTexture9* t = nullptr;
        if (FAILED(effect->GetTexture(parameter, &t)) || !t) return nullptr;
        t->Release();
        return t;
    }

    void FillRect(const Rect& r)
    {
        struct Vertex
        {
            float x, y, z, rhw;
            D3DCOLOR colour;
        };
        const Vertex v[4] = {{r.x0 - 0.5f, r.y0 - 0.5f, 0.5f, 1, r.colour},
                             {r.x1 - 0.5f, r.y0 - 0.5f, 0.5f, 1, r.colour},
                             {r.x0 - 0.5f, r.y1 - 0.5f, 0.5f, 1, r.colour},
                             {r.x1 - 0.5f, r.y1 - 0.5f, 0.5f, 1, r.colour}};
        // Untextured: the fixed stage would otherwise modulate by whatever a pass left bound.
        device->SetTexture(0, nullptr);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex));
    }

    // Makes a render target in `slot` (released by ReleaseTargets).
    void MakeTarget(int slot, UINT width, UINT height, D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &t, nullptr),
                  D3D_OK);
        targets.Slot(slot) = t;
    }

    // The ten screen targets as the renderer makes them for a w x h screen.
    void MakeScreenTargets(UINT w, UINT h, bool halfFloat)
    {
        const D3DFORMAT f = halfFloat ? D3DFMT_A16B16G16R16F : D3DFMT_A8R8G8B8;
        cropWidth = w / 8 * 8;
        cropHeight = h / 8 * 8;
        for (int slot : {0, 13, 14, 15}) MakeTarget(slot, w, h, f);
        MakeTarget(1, cropWidth / 4, cropHeight / 4, D3DFMT_A16B16G16R16F);
        MakeTarget(8, cropWidth / 4 + 2, cropHeight / 4 + 2);
        for (int slot = 9; slot <= 12; ++slot) MakeTarget(slot, cropWidth / 8 + 2, cropHeight / 8 + 2);
    }

    void ReleaseTargets()
    {
        for (int slot = 0; slot < kRenderTargetSlotCount; ++slot) {
            if (targets.Slot(slot)) targets.Slot(slot)->Release();
            targets.Slot(slot) = nullptr;
        }
    }

    static constexpr int kNoiseId = 81;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DTexture9* noise = nullptr;
    RenderTargetTable targets;
    bool redraw = true;
    UINT cropWidth = 0, cropHeight = 0;
    std::vector<D3DXMATRIX> heightmaps;
    std::vector<std::vector<Rect>> scene; // flat rectangles per render list
    std::vector<const char*> quadParameters = {"SceneTex", "BloomTex", "HeatTex"};
};

// A GL device of w x h with the test effect, a noise texture and blending on
// as the game's device reset leaves it; skips where no GL context can be made.
class FrameTest : public ::testing::Test
{
public:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 48;

protected:
    static void SetUpTestSuite()
    {
        if (!Context()) Context() = LvEgl_Create(true);
    }

    void SetUp() override
    {
        if (!Context()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        frame.device = LvD3D9_CreateDevice(kWidth, kHeight);
        ASSERT_NE(frame.device, nullptr);
        const std::string folder = std::string("/tmp/lv_drawlist_fx_") + std::to_string(getpid());
        ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
        std::ofstream(folder + "/Test.fx") << kTestEffect;
        std::ifstream shared("../Effects/PostProcess.fxh");
        ASSERT_TRUE(shared.good()) << "the run tree holds the effects";
        std::ofstream(folder + "/PostProcess.fxh") << shared.rdbuf();
        const std::wstring path(folder.begin(), folder.end());
        LPD3DXBUFFER errors = nullptr;
        const HRESULT hr = D3DXCreateEffectFromFileW(frame.device, (path + L"/Test.fx").c_str(), nullptr, nullptr, 0,
                                                     nullptr, &frame.effect, &errors);
        ASSERT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        std::system(("rm -rf '" + folder + "'").c_str());
        ASSERT_EQ(frame.device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &frame.noise, nullptr),
                  D3D_OK);
        frame.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        frame.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        frame.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }

    void TearDown() override
    {
        LvD3D9_EnableCallLog(false);
        LvD3D9_ClearCallLog();
        if (!frame.device) return;
        frame.ReleaseTargets();
        if (frame.noise) frame.noise->Release();
        if (frame.effect) { EXPECT_EQ(frame.effect->Release(), 0u); }
        EXPECT_EQ(frame.device->Release(), 0u);
    }

    // One frame as the renderer draws it: cleared back buffer, then the chain.
    void DrawFrame(DrawList& chain)
    {
        frame.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        chain.Execute(frame);
    }

    // The entries of the call log that start with one of `prefixes`.
    static std::vector<std::string> Log(std::initializer_list<const char*> prefixes)
    {
        std::vector<std::string> kept;
        for (const std::string& entry : LvD3D9_GetCallLog()) {
            for (const char* p : prefixes) {
                if (entry.rfind(p, 0) == 0) {
                    kept.push_back(entry);
                    break;
                }
            }
        }
        return kept;
    }

    std::vector<uint8_t> BackBuffer()
    {
        std::vector<uint8_t> rgba;
        UINT w = 0, h = 0;
        EXPECT_TRUE(LvD3D9_ReadBackBuffer(frame.device, rgba, &w, &h));
        return rgba;
    }

    static LvEglContext*& Context()
    {
        static LvEglContext* c = nullptr;
        return c;
    }

    TestFrame frame;
};
