// The device benchmark's reference frame.
#include "ReferenceFrame.h"

#include "d3d9_host.h"

#include <cmath>
#include <cstdio>
#include <cstring>

Mesh Cube()
{
    Mesh m;
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& a : n) {
        const float u[3] = {a[1] != 0 ? 1.f : 0.f, a[1] != 0 ? 0.f : 1.f, 0.f};
        const float v[3] = {a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]};
        const uint16_t base = uint16_t(m.vertices.size());
        const float s[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (const auto& c : s) {
            m.vertices.push_back({0.1f * (a[0] + c[0] * u[0] + c[1] * v[0]), 0.1f * (a[1] + c[0] * u[1] + c[1] * v[1]),
                                  0.1f * (a[2] + c[0] * u[2] + c[1] * v[2]), a[0], a[1], a[2]});
        }
        for (uint16_t i : {uint16_t(0), uint16_t(2), uint16_t(1), uint16_t(0), uint16_t(3), uint16_t(2)}) {
            m.indices.push_back(uint16_t(base + i));
        }
    }
    return m;
}

void InstanceWorld(int i, float* m)
{
    const float angle = float(i) * 0.1f, c = std::cos(angle), s = std::sin(angle);
    const float x = float(i % 20) / 10.f - 0.95f, y = float(i / 20) / 8.f - 0.9f;
    const float rows[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, y, 0.5f, 1};
    std::memcpy(m, rows, sizeof rows);
}

const char* const kMeshVertex = R"(
    out vec3 vNormal;
    void main()
    {
        vNormal = (mWorld * vec4(iNormal, 0.0)).xyz;
        gl_Position = mViewProjection * (mWorld * vec4(iPosition.xyz, 1.0));
    }
)";
const char* const kMeshFragment = R"(
    in vec3 vNormal;
    void main() { oColor = DiffCol * (0.3 + 0.7 * max(dot(normalize(vNormal), LightDir), 0.0)); }
)";
const char* const kPassFragment = R"(
    void main()
    {
        vec4 sum = vec4(0.0);
        for (int i = 0; i < 4; ++i) sum += texture(Source, uv + g_avSampleOffsets[i]);
        oColor = sum * 0.25 * Gain;
    }
)";

std::string StandInEffect()
{
    return std::string("float4x4 mWorld;\nfloat4x4 mViewProjection;\nfloat4 DiffCol = {0.8, 0.6, 0.3, 1};\n"
                       "float3 LightDir = {0, 0.8, 0.6};\nfloat2 g_avSampleOffsets[4];\nfloat Gain = 1;\n"
                       "sampler2D Source : register(s0);\n"
                       "technique Mesh { pass P0 { ZEnable = true; vertex { ") +
           kMeshVertex + " } fragment { " + kMeshFragment + " } } }\n" +
           "technique Filter { pass P0 { ZEnable = false; AlphaBlendEnable = false; fragment { " + kPassFragment +
           " } } }\n";
}

StandInFrame::StandInFrame(UINT width, UINT height) : width_(width), height_(height) {}

bool StandInFrame::Init()
{
    device_ = LvD3D9_CreateDevice(width_, height_);
    if (!device_) return false;
    const std::string text = StandInEffect();
    LPD3DXBUFFER errors = nullptr;
    if (FAILED(D3DXCreateEffect(device_, text.data(), UINT(text.size()), nullptr, nullptr, 0, nullptr, &effect_,
                                &errors))) {
        std::fprintf(stderr, "%s\n", errors ? static_cast<const char*>(errors->GetBufferPointer()) : "effect failed");
        return false;
    }
    const Mesh mesh = Cube();
    device_->CreateVertexBuffer(UINT(mesh.vertices.size() * sizeof(Vertex)), 0, D3DFVF_XYZ | D3DFVF_NORMAL,
                                D3DPOOL_MANAGED, &vb_, nullptr);
    device_->CreateIndexBuffer(UINT(mesh.indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib_,
                               nullptr);
    void* p = nullptr;
    vb_->Lock(0, 0, &p, 0);
    std::memcpy(p, mesh.vertices.data(), mesh.vertices.size() * sizeof(Vertex));
    vb_->Unlock();
    ib_->Lock(0, 0, &p, 0);
    std::memcpy(p, mesh.indices.data(), mesh.indices.size() * 2);
    ib_->Unlock();
    indexCount_ = UINT(mesh.indices.size());
    vertexCount_ = UINT(mesh.vertices.size());
    for (int i = 0; i < 2; ++i) {
        device_->CreateTexture(width_, height_, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT,
                               &targets_[i], nullptr);
        targets_[i]->GetSurfaceLevel(0, &surfaces_[i]);
    }
    device_->GetRenderTarget(0, &backBuffer_);
    for (int i = 0; i < kInstances; ++i) InstanceWorld(i, &worlds_[size_t(i)]._11);
    mWorld_ = effect_->GetParameterByName(nullptr, "mWorld");
    return true;
}

void StandInFrame::Frame()
{
    D3DXMATRIX viewProjection;
    D3DXMatrixIdentity(&viewProjection);
    device_->BeginScene();
    device_->SetRenderTarget(0, surfaces_[0]);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(20, 30, 50), 1.f, 0);
    effect_->SetMatrix("mViewProjection", &viewProjection);
    effect_->SetTechnique("Mesh");
    UINT passes = 0;
    effect_->Begin(&passes, 0);
    effect_->BeginPass(0);
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    device_->SetStreamSource(0, vb_, 0, sizeof(Vertex));
    device_->SetIndices(ib_);
    for (int i = 0; i < kInstances; ++i) {
        effect_->SetMatrix(mWorld_, &worlds_[size_t(i)]);
        effect_->CommitChanges();
        device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount_, 0, indexCount_ / 3);
    }
    effect_->EndPass();
    effect_->End();
    const float offsets[8] = {-1.f / width_, 0, 1.f / width_, 0, 0, -1.f / height_, 0, 1.f / height_};
    effect_->SetValue("g_avSampleOffsets", offsets, sizeof offsets);
    effect_->SetTechnique("Filter");
    for (int pass = 0; pass < kPasses; ++pass) {
        const int from = pass % 2, to = 1 - from;
        device_->SetRenderTarget(0, pass == kPasses - 1 ? backBuffer_ : surfaces_[to]);
        effect_->SetTexture("Source", targets_[from]);
        effect_->SetFloat("Gain", pass == kPasses - 1 ? 1.5f : 1.f);
        effect_->Begin(&passes, 0);
        effect_->BeginPass(0);
        struct Quad
        {
            float x, y, z, rhw, u, v;
        };
        const float w = float(width_), h = float(height_);
        const Quad q[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0},
                           {w - 0.5f, -0.5f, 0.5f, 1, 1, 0},
                           {-0.5f, h - 0.5f, 0.5f, 1, 0, 1},
                           {w - 0.5f, h - 0.5f, 0.5f, 1, 1, 1}};
        device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(Quad));
        effect_->EndPass();
        effect_->End();
    }
    effect_->SetTexture("Source", nullptr);
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
}

void StandInFrame::Release()
{
    for (int i = 0; i < 2; ++i) {
        if (surfaces_[i]) surfaces_[i]->Release();
        if (targets_[i]) targets_[i]->Release();
    }
    if (backBuffer_) backBuffer_->Release();
    if (vb_) vb_->Release();
    if (ib_) ib_->Release();
    if (effect_) effect_->Release();
    if (device_) device_->Release();
}
