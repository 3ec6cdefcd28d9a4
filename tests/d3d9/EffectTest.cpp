// Effects on the GL device: macros, parameters, techniques drawn, state saved
// around Begin/End, CommitChanges, unknown names and broken files.
#include "GlFixture.h"
#include "TempFiles.h"

#include <d3dx9.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kEffect = R"(
// A small effect in the team's format.
#define HALF 0.5
float4 DiffCol = {1, 0, 0, 1};
float Scale = 1.0;
float4x4 mWorld;
int MATRIX_PALETTE_SIZE = MATRIX_PALETTE_SIZE_DEFAULT;
float4x4 amPalette[MATRIX_PALETTE_SIZE_DEFAULT];
float2 g_avSampleOffsets[16];
float3 LightPos[8];
sampler2D MeshTexture : register(s0) { MinFilter = Point; MagFilter = Point; AddressU = Clamp; };

glsl {
    vec4 Tint(vec4 c) { return c * Scale; }
}

fragment Solid {
    void main()
    {
#ifdef HALVED
        oColor = Tint(DiffCol) * HALF;
#else
        oColor = Tint(DiffCol);
#endif
    }
}

technique Flat {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = One;
        DestBlend = One;
        CullMode = None;
        ZEnable = false;
        fragment = Solid;
    }
}

technique Halved {
    pass P0 { ZEnable = false; fragment = Solid(HALVED); }
}

technique Copy {
    pass P0 { ZEnable = false; fragment { void main() { oColor = texture(MeshTexture, uv + g_avSampleOffsets[1]); } } }
}

technique Cutout {
    pass P0 { ZEnable = false; AlphaTestEnable = true; AlphaRef = 128; AlphaFunc = GreaterEqual; fragment = Solid; }
}

technique Placed {
    pass P0 {
        ZEnable = false;
        CullMode = None;
        vertex { void main() { gl_Position = mWorld * vec4(iPosition.xyz, 1.0) + vec4(LightPos[2].x, 0.0, 0.0, 0.0); } }
        fragment = Solid;
    }
}
)";

const D3DXMACRO kMacros[] = {{"MATRIX_PALETTE_SIZE_DEFAULT", "35"}, {nullptr, nullptr}};

class EffectTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        if (!device) return;
        LPD3DXBUFFER errors = nullptr;
        const HRESULT hr = D3DXCreateEffect(device, kEffect, UINT(std::strlen(kEffect)), kMacros, nullptr,
                                            D3DXFX_NOT_CLONEABLE, nullptr, &effect, &errors);
        ASSERT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        EXPECT_EQ(errors, nullptr);
    }

    void TearDown() override
    {
        if (effect) {
            EXPECT_EQ(effect->Release(), 0u);
        }
        GlTest::TearDown();
    }

    // Runs every pass of the current technique over a full-screen quad.
    void DrawTechnique(float x0 = 0, float y0 = 0, float x1 = float(kWidth), float y1 = float(kHeight))
    {
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        for (UINT i = 0; i < passes; ++i) {
            effect->BeginPass(i);
            TexturedRect(x0, y0, x1, y1);
            effect->EndPass();
        }
        effect->End();
    }

    ID3DXEffect* effect = nullptr;
};

TEST_F(EffectTest, MacrosAndDefaultsReachParametersAndShaders)
{
    INT size = 0;
    ASSERT_EQ(effect->GetInt("MATRIX_PALETTE_SIZE", &size), D3D_OK);
    EXPECT_EQ(size, 35);
    D3DXPARAMETER_DESC desc;
    ASSERT_EQ(effect->GetParameterDesc("amPalette", &desc), D3D_OK);
    EXPECT_EQ(desc.Elements, 35u);
    EXPECT_EQ(desc.Bytes, 35u * 64u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    ASSERT_EQ(effect->SetTechnique("Halved"), D3D_OK);
    DrawTechnique();
    EXPECT_TRUE(Near(Pixel(5, 5), {128, 0, 0, 255})) << Pixel(5, 5); // default DiffCol, file macro HALF, pass macro
}

TEST_F(EffectTest, ValuesSetBeforeBeginOrCommitReachTheNextDraw)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    const float green[4] = {0, 1, 0, 1};
    ASSERT_EQ(effect->SetValue("DiffCol", green, 16), D3D_OK);
    effect->SetTechnique("Halved");
    UINT passes = 0;
    effect->Begin(&passes, 0);
    ASSERT_EQ(passes, 1u);
    effect->BeginPass(0);
    TexturedRect(0, 0, 32, 64);
    effect->SetFloat("Scale", 2.f);
    effect->CommitChanges();
    TexturedRect(32, 0, 64, 64);
    effect->EndPass();
    effect->End();
    EXPECT_TRUE(Near(Pixel(5, 5), {0, 128, 0, 255})) << Pixel(5, 5);
    EXPECT_TRUE(Near(Pixel(40, 5), {0, 255, 0, 255})) << Pixel(40, 5);
    // Handles from GetParameterByName and plain names reach the same parameter.
    D3DXHANDLE scale = effect->GetParameterByName(nullptr, "Scale");
    ASSERT_NE(scale, nullptr);
    effect->SetFloat(scale, 0.25f);
    FLOAT value = 0;
    effect->GetFloat("Scale", &value);
    EXPECT_EQ(value, 0.25f);
}

TEST_F(EffectTest, BeginSavesAndEndRestoresThePassStates)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 100), 1.f, 0);
    effect->SetTechnique("Flat");
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    DWORD value = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(TRUE));
    TexturedRect(0, 0, 64, 64);
    effect->EndPass();
    effect->End();
    EXPECT_TRUE(Near(Pixel(5, 5), {255, 0, 100, 255}, 0)) << Pixel(5, 5); // additive: ONE, ONE
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(FALSE));
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CW));
    device->GetRenderState(D3DRS_DESTBLEND, &value);
    EXPECT_EQ(value, DWORD(D3DBLEND_INVSRCALPHA));
    device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, DWORD(D3DTADDRESS_WRAP));
    // D3DXFX_DONOTSAVESTATE leaves the pass states behind.
    effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(0);
    effect->EndPass();
    effect->End();
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(TRUE));
}

TEST_F(EffectTest, TexturesAndArraysReachTheShader)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    DWORD* row0 = static_cast<DWORD*>(locked.pBits);
    DWORD* row1 = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + locked.Pitch);
    row0[0] = D3DCOLOR_XRGB(255, 0, 0);
    row0[1] = D3DCOLOR_XRGB(0, 255, 0);
    row1[0] = D3DCOLOR_XRGB(0, 0, 255);
    row1[1] = D3DCOLOR_XRGB(255, 255, 255);
    texture->UnlockRect(0);
    ASSERT_EQ(effect->SetTexture("MeshTexture", texture), D3D_OK);
    texture->Release(); // the effect holds it
    effect->SetTechnique("Copy");
    DrawTechnique(0, 0, 2, 2);
    EXPECT_TRUE(Near(Pixel(0, 0), {255, 0, 0, 255}, 0)) << Pixel(0, 0); // v = 0 is the top row
    EXPECT_TRUE(Near(Pixel(1, 0), {0, 255, 0, 255}, 0)) << Pixel(1, 0);
    EXPECT_TRUE(Near(Pixel(0, 1), {0, 0, 255, 255}, 0)) << Pixel(0, 1);
    // Offsets array: element 1 shifts the lookup by one texel; the pass's clamp keeps the edge.
    float offsets[32] = {};
    offsets[2] = 0.5f;
    ASSERT_EQ(effect->SetValue("g_avSampleOffsets", offsets, 128), D3D_OK);
    EXPECT_EQ(effect->SetValue("g_avSampleOffsets", offsets, 132), D3DERR_INVALIDCALL);
    DrawTechnique(0, 0, 2, 2);
    EXPECT_TRUE(Near(Pixel(0, 0), {0, 255, 0, 255}, 0)) << Pixel(0, 0);
    EXPECT_TRUE(Near(Pixel(1, 0), {0, 255, 0, 255}, 0)) << Pixel(1, 0);
    effect->SetTexture("MeshTexture", nullptr);
}

TEST_F(EffectTest, RowVectorMatricesPlaceGeometryAsDirect3DDoes)
{
    // Translation in the fourth row moves x by +0.5 (16 pixels); LightPos[2].x adds another +0.25.
    D3DXMATRIX world(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1);
    ASSERT_EQ(effect->SetMatrix("mWorld", &world), D3D_OK);
    float lights[24] = {};
    lights[6] = 0.25f;
    ASSERT_EQ(effect->SetValue("LightPos", lights, 96), D3D_OK);
    struct V
    {
        float x, y, z;
    };
    const V quad[4] = {{-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}};
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    effect->SetTechnique("Placed");
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetFVF(D3DFVF_XYZ);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    effect->EndPass();
    effect->End();
    Drew();
    // Clip x from 0.25 to 1.25: pixels 40..63; y from -0.5 to 0.5: rows 16..47 (top row first).
    EXPECT_EQ(Pixel(39, 32).r, 0);
    EXPECT_EQ(Pixel(41, 32).r, 255);
    EXPECT_EQ(Pixel(63, 16).r, 255);
    EXPECT_EQ(Pixel(50, 15).r, 0);
    EXPECT_EQ(Pixel(50, 47).r, 255);
    EXPECT_EQ(Pixel(50, 48).r, 0);
}

TEST_F(EffectTest, AlphaTestedPassesSeeTheCurrentValues)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    const float opaqueBlue[4] = {0, 0, 1, 1};
    effect->SetValue("DiffCol", opaqueBlue, 16);
    effect->SetTechnique("Halved"); // no alpha test: the plain program
    DrawTechnique(0, 0, 64, 8);
    EXPECT_TRUE(Near(Pixel(2, 2), {0, 0, 128, 255})) << Pixel(2, 2);
    effect->SetTechnique("Cutout");
    const float faint[4] = {1, 0, 0, 0.4f}, strong[4] = {0, 1, 0, 0.6f};
    effect->SetValue("DiffCol", faint, 16);
    DrawTechnique(0, 8, 64, 16);
    EXPECT_TRUE(Near(Pixel(2, 10), {0, 0, 0, 255}, 0)) << Pixel(2, 10); // alpha 102 < 128: discarded
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    effect->SetValue("DiffCol", strong, 16);
    effect->CommitChanges();
    TexturedRect(0, 16, 64, 24);
    effect->SetFloat("Scale", 0.5f); // alpha 0.3 now: the next draw is cut
    effect->CommitChanges();
    TexturedRect(0, 24, 64, 32);
    effect->EndPass();
    effect->End();
    EXPECT_TRUE(Near(Pixel(2, 18), {0, 255, 0, 255}, 0)) << Pixel(2, 18);
    EXPECT_TRUE(Near(Pixel(2, 26), {0, 0, 0, 255}, 0)) << Pixel(2, 26);
    DWORD enabled = 1;
    device->GetRenderState(D3DRS_ALPHATESTENABLE, &enabled);
    EXPECT_EQ(enabled, DWORD(FALSE));
}

TEST_F(EffectTest, UnknownNamesFailAndLeaveNoPasses)
{
    EXPECT_EQ(effect->SetFloat("NoSuchParameter", 1.f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->GetParameterByName(nullptr, "NoSuchParameter"), nullptr);
    EXPECT_EQ(effect->SetMatrix("Scale", nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTexture("Scale", nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->GetTechniqueByName("Missing"), nullptr);
    EXPECT_NE(effect->GetTechniqueByName("Copy"), nullptr);
    EXPECT_EQ(effect->SetTechnique("Missing"), D3DERR_INVALIDCALL);
    UINT passes = 7;
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 0u);
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTechnique(effect->GetTechniqueByName("Copy")), D3D_OK);
}

TEST_F(EffectTest, CallLogTracesTechniquesAndPasses)
{
    LvD3D9_EnableCallLog(true);
    effect->SetTechnique("Halved");
    DrawTechnique(0, 0, 4, 4);
    const std::vector<std::string> expected = {"SetTechnique Halved", "Begin Halved", "BeginPass Halved.P0",
                                               "DrawPrimitiveUP 5 2", "End Halved"};
    EXPECT_EQ(LvD3D9_GetCallLog(), expected);
}

// ---------------------------------------------------------------- broken files

std::string ErrorsOf(IDirect3DDevice9* device, const std::string& text, HRESULT* result = nullptr)
{
    LPD3DXEFFECT effect = reinterpret_cast<LPD3DXEFFECT>(1);
    LPD3DXBUFFER errors = nullptr;
    const HRESULT hr =
        D3DXCreateEffect(device, text.data(), UINT(text.size()), nullptr, nullptr, 0, nullptr, &effect, &errors);
    if (result) *result = hr;
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(effect, nullptr);
    std::string message = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    if (errors) errors->Release();
    return message;
}

TEST_F(EffectTest, BrokenEffectsGiveAClearErrorWithTheLine)
{
    const std::string head = "float4 DiffCol;\n";
    EXPECT_NE(ErrorsOf(device, head + "technique T { pass P { ZEnable = maybe; fragment { void main() {} } } }\n")
                  .find("(memory)(2): error: unknown state value 'maybe'"),
              std::string::npos);
    EXPECT_NE(ErrorsOf(device, head + "float4 Other\ntechnique T { pass P { fragment { void main() {} } } }")
                  .find("(memory)(3): error: expected ';'"),
              std::string::npos);
    // A GLSL mistake is reported on its line in the effect file.
    const std::string glsl = ErrorsOf(device, head + "technique T {\n"
                                                     "  pass P {\n"
                                                     "    fragment {\n"
                                                     "      void main() {\n"
                                                     "        oColor = DiffCol * undefinedThing;\n"
                                                     "      }\n"
                                                     "    }\n"
                                                     "  }\n"
                                                     "}\n");
    EXPECT_NE(glsl.find("(memory)(6): error:"), std::string::npos) << glsl;
    EXPECT_NE(glsl.find("undefinedThing"), std::string::npos) << glsl;
    EXPECT_NE(ErrorsOf(device, "#if 1\nfloat x;\n").find("#if without #endif"), std::string::npos);
    EXPECT_NE(ErrorsOf(device, "float4 x;\n").find("no technique"), std::string::npos);
    EXPECT_NE(ErrorsOf(device, "float a[MISSING_MACRO];\n").find("expected a number"), std::string::npos);
    EXPECT_NE(ErrorsOf(device, "technique T { pass P { fragment { void main() { } } }").find("expected 'pass'"),
              std::string::npos);
    EXPECT_NE(ErrorsOf(device, "fragment F { void main() {\n").find("unbalanced braces"), std::string::npos);
}

TEST_F(EffectTest, FilesIncludeTheirNeighboursAndMissingFilesFail)
{
    const std::string folder = ScratchPath("effects");
    std::string command = "mkdir -p '" + folder + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ofstream(folder + "/Shared.fxh")
        << "float4 DiffCol = {0, 0, 1, 1};\nglsl { vec4 Shade() { return DiffCol; } }\n";
    std::ofstream(folder + "/Main.fx")
        << "#include \"shared.FXH\"\n" // letter case as Windows forgives it
           "technique T { pass P { ZEnable = false; fragment { void main() { oColor = Shade(); } } } }\n";
    const std::wstring path(folder.begin(), folder.end());
    LPD3DXEFFECT fx = nullptr;
    LPD3DXBUFFER errors = nullptr;
    ASSERT_EQ(
        D3DXCreateEffectFromFileW(device, (path + L"\\Main.fx").c_str(), nullptr, nullptr, 0, nullptr, &fx, &errors),
        D3D_OK)
        << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    fx->SetTechnique("T");
    UINT passes = 0;
    fx->Begin(&passes, 0);
    fx->BeginPass(0);
    TexturedRect(0, 0, 4, 4);
    fx->EndPass();
    fx->End();
    EXPECT_TRUE(Near(Pixel(1, 1), {0, 0, 255, 255}, 0)) << Pixel(1, 1);
    fx->Release();
    EXPECT_EQ(
        D3DXCreateEffectFromFileW(device, (path + L"/Nothing.fx").c_str(), nullptr, nullptr, 0, nullptr, &fx, &errors),
        D3DERR_NOTFOUND);
    EXPECT_EQ(fx, nullptr);
    ASSERT_NE(errors, nullptr);
    errors->Release();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
