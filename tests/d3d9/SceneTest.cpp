// A small scene through every layer: a lit cube through an effect with the
// left-handed camera, a render-target pass chain, and the bitmap font. It is
// saved as a PNG for a person to look at, and checked for what must be there.
#include "GlFixture.h"

#include <d3dx9.h>

#include "d3dfont.h"

#include <cstring>

namespace {

const char* const kSceneEffect = R"(
float4x4 mWorld;
float4x4 mViewProjection;
float3 LightDir = {0.3, 0.8, -0.5};
float4 DiffCol = {0.9, 0.6, 0.2, 1};
float2 g_avSampleOffsets[4];
sampler2D SceneTex : register(s0) { MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };

technique Lit {
    pass P0 {
        ZEnable = true;
        CullMode = CCW;
        vertex {
            out vec3 vNormal;
            void main()
            {
                vNormal = (mWorld * vec4(iNormal, 0.0)).xyz;
                gl_Position = mViewProjection * (mWorld * vec4(iPosition.xyz, 1.0));
            }
        }
        fragment {
            in vec3 vNormal;
            void main()
            {
                float light = 0.25 + 0.75 * max(dot(normalize(vNormal), normalize(LightDir)), 0.0);
                oColor = vec4(DiffCol.rgb * light, 1.0);
            }
        }
    }
}

technique Blur {
    pass P0 {
        ZEnable = false;
        AlphaBlendEnable = false;
        fragment {
            void main()
            {
                vec4 sum = vec4(0.0);
                for (int i = 0; i < 4; ++i) sum += texture(SceneTex, uv + g_avSampleOffsets[i]);
                oColor = sum * 0.25;
            }
        }
    }
}

technique Composite {
    pass P0 {
        ZEnable = false;
        fragment { void main() { oColor = vec4(texture(SceneTex, uv).rgb * vec3(0.8, 0.9, 1.1), 1.0); } }
    }
}
)";

struct CubeVertex
{
    float x, y, z, nx, ny, nz;
};

void BuildCube(std::vector<CubeVertex>& vertices, std::vector<WORD>& indices)
{
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int f = 0; f < 6; ++f) {
        // Corners in the face's (u, v) plane, v = n x u; the triangles take them in the order that is
        // clockwise seen from outside, Direct3D's front.
        const float* a = n[f];
        const float u[3] = {a[1] != 0 ? 1.f : 0.f, a[1] != 0 ? 0.f : 1.f, 0.f};
        const float v[3] = {a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]};
        const WORD base = WORD(vertices.size());
        const float s[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (const auto& c : s) {
            vertices.push_back({a[0] + c[0] * u[0] + c[1] * v[0], a[1] + c[0] * u[1] + c[1] * v[1],
                                a[2] + c[0] * u[2] + c[1] * v[2], a[0], a[1], a[2]});
        }
        const WORD tri[6] = {base, WORD(base + 2), WORD(base + 1), base, WORD(base + 3), WORD(base + 2)};
        indices.insert(indices.end(), tri, tri + 6);
    }
}

TEST(SceneTest, DrawsTheTestSceneAndSavesIt)
{
    static LvEglContext* context = LvEgl_Create(true);
    if (!context) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
    constexpr UINT kW = 320, kH = 240;
    IDirect3DDevice9* device = LvD3D9_CreateDevice(kW, kH);
    ASSERT_NE(device, nullptr);
    LPD3DXEFFECT effect = nullptr;
    LPD3DXBUFFER errors = nullptr;
    ASSERT_EQ(D3DXCreateEffect(device, kSceneEffect, UINT(std::strlen(kSceneEffect)), nullptr, nullptr, 0, nullptr,
                               &effect, &errors),
              D3D_OK)
        << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");

    std::vector<CubeVertex> vertices;
    std::vector<WORD> indices;
    BuildCube(vertices, indices);
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    device->CreateVertexBuffer(UINT(vertices.size() * sizeof(CubeVertex)), 0, D3DFVF_XYZ | D3DFVF_NORMAL,
                               D3DPOOL_MANAGED, &vb, nullptr);
    device->CreateIndexBuffer(UINT(indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib,
                              nullptr);
    void* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    std::memcpy(p, vertices.data(), vertices.size() * sizeof(CubeVertex));
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, indices.data(), indices.size() * 2);
    ib->Unlock();

    IDirect3DTexture9* scene = nullptr;
    IDirect3DTexture9* blurred = nullptr;
    device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT, &scene, nullptr);
    device->CreateTexture(kW / 2, kH / 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &blurred,
                          nullptr);
    IDirect3DSurface9 *sceneSurface = nullptr, *blurSurface = nullptr, *backBuffer = nullptr;
    scene->GetSurfaceLevel(0, &sceneSurface);
    blurred->GetSurfaceLevel(0, &blurSurface);
    device->GetRenderTarget(0, &backBuffer);

    CD3DFont font(L"Times New Roman", 12, D3DFONT_BOLD);
    ASSERT_EQ(font.InitDeviceObjects(device), S_OK);
    font.RestoreDeviceObjects();

    // The camera the game uses: left-handed look-at and perspective.
    D3DXMATRIX world, view, projection, spin, tilt;
    const D3DXVECTOR3 eye(0, 2.5f, -5.f), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 3.14159265f / 4, float(kW) / float(kH), 1.f, 1000.f);
    D3DXMatrixRotationY(&spin, 0.6f);
    D3DXMatrixRotationX(&tilt, 0.2f);
    world = spin * tilt;
    const D3DXMATRIX viewProjection = view * projection;

    device->BeginScene();
    device->SetRenderTarget(0, sceneSurface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(30, 40, 70), 1.f, 0);
    effect->SetTechnique("Lit");
    effect->SetMatrix("mWorld", &world);
    effect->SetMatrix("mViewProjection", &viewProjection);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    device->SetStreamSource(0, vb, 0, sizeof(CubeVertex));
    device->SetIndices(ib);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(vertices.size()), 0, UINT(indices.size() / 3));
    effect->EndPass();
    effect->End();

    const float offsets[8] = {-1.f / kW, -1.f / kH, 1.f / kW, -1.f / kH, -1.f / kW, 1.f / kH, 1.f / kW, 1.f / kH};
    effect->SetValue("g_avSampleOffsets", offsets, sizeof offsets);
    struct Quad
    {
        float x, y, z, rhw, u, v;
    };
    auto screenQuad = [&](float w, float h) {
        const Quad q[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0},
                           {w - 0.5f, -0.5f, 0.5f, 1, 1, 0},
                           {-0.5f, h - 0.5f, 0.5f, 1, 0, 1},
                           {w - 0.5f, h - 0.5f, 0.5f, 1, 1, 1}};
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(Quad));
    };
    const struct
    {
        const char* technique;
        IDirect3DSurface9* target;
        IDirect3DTexture9* source;
        float w, h;
    } chain[] = {{"Blur", blurSurface, scene, kW / 2.f, kH / 2.f},
                 {"Composite", backBuffer, blurred, float(kW), float(kH)}};
    for (const auto& step : chain) {
        device->SetRenderTarget(0, step.target);
        effect->SetTechnique(step.technique);
        effect->SetTexture("SceneTex", step.source);
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        screenQuad(step.w, step.h);
        effect->EndPass();
        effect->End();
    }
    effect->SetTexture("SceneTex", nullptr);
    font.DrawText(8, 8, D3DCOLOR_XRGB(255, 255, 0), L"Lumveran device test\nsecond line: 0123456789");
    device->EndScene();

    const std::string path = ::testing::TempDir() + "d3d9_test_scene.png";
    ASSERT_TRUE(LvD3D9_SaveBackBufferPNG(device, path.c_str()));
    std::printf("scene saved to %s\n", path.c_str());
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    LvD3D9_ReadBackBuffer(device, rgba, &w, &h);
    auto at2 = [&](UINT x, UINT y) { return &rgba[(size_t(y) * w + x) * 4]; };
    // The cube fills the middle with its warm colour; the corner keeps the blue-grey sky.
    EXPECT_GT(at2(160, 130)[0], 70);
    EXPECT_GT(at2(160, 130)[0], at2(160, 130)[2] + 30);
    EXPECT_LT(at2(300, 230)[0], 60);
    EXPECT_GT(at2(300, 230)[2], 60);
    // Yellow text near the top left.
    int yellow = 0;
    for (UINT y = 8; y < 40; ++y)
        for (UINT x = 8; x < 200; ++x) yellow += at2(x, y)[0] > 200 && at2(x, y)[1] > 200 && at2(x, y)[2] < 120;
    EXPECT_GT(yellow, 100);

    font.InvalidateDeviceObjects();
    font.DeleteDeviceObjects();
    sceneSurface->Release();
    blurSurface->Release();
    backBuffer->Release();
    scene->Release();
    blurred->Release();
    vb->Release();
    ib->Release();
    effect->Release();
    EXPECT_EQ(device->Release(), 0u);
}

} // namespace
