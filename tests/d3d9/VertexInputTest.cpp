// Vertex inputs reach the shaders as the declarations say, and the device's
// own stage draws transformed geometry with the fixed-function transforms.
#include "GlFixture.h"

#include "d3d9_program.h"

#include <d3dx9mesh.h>

#include <string>

namespace {

TEST_F(GlTest, BlendIndicesArriveAsTheBytesWritten)
{
    struct V
    {
        float x, y, z;
        BYTE indices[4];
    };
    const D3DVERTEXELEMENT9 colourElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0},
        D3DDECL_END()};
    const D3DVERTEXELEMENT9 byteElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_UBYTE4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0},
        D3DDECL_END()};
    std::string log;
    LvProgram* program =
        LvD3D9_CreateProgram(device,
                             "flat out ivec4 vIndices;\n"
                             "void main() { vIndices = iBlendIndices; gl_Position = vec4(iPosition.xyz, 1.0); }\n",
                             "flat in ivec4 vIndices;\n"
                             "void main() { oColor = vec4(vec3(vIndices.xyz) * 10.0 / 255.0, 1.0); }\n",
                             log);
    ASSERT_NE(program, nullptr) << log;
    const V quad[4] = {{-1, 1, 0.5f, {3, 1, 2, 0}},
                       {1, 1, 0.5f, {3, 1, 2, 0}},
                       {-1, -1, 0.5f, {3, 1, 2, 0}},
                       {1, -1, 0.5f, {3, 1, 2, 0}}};
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (const D3DVERTEXELEMENT9* elements : {colourElements, byteElements}) {
        IDirect3DVertexDeclaration9* decl = nullptr;
        ASSERT_EQ(device->CreateVertexDeclaration(elements, &decl), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
        device->SetVertexDeclaration(decl);
        LvD3D9_UseProgram(device, program);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V)), D3D_OK);
        LvD3D9_UseProgram(device, nullptr);
        Drew();
        EXPECT_TRUE(Near(Pixel(10, 10), {30, 10, 20, 255}, 0)) << Pixel(10, 10);
        UINT count = 0;
        decl->GetDeclaration(nullptr, &count);
        EXPECT_EQ(count, 3u);
        decl->Release();
    }
    LvD3D9_DestroyProgram(program);
}

// (format) -> the vertex size of the declaration SetFVF gives the device; a
// format with more than four blend weights or eight texture sets, or without
// a position, is refused.
TEST_F(GlTest, FvfCodesGiveTheDeclarationsOfTheirElements)
{
    const struct
    {
        DWORD fvf;
        UINT vertexSize; // 0: refused
    } cases[] = {
        {D3DFVF_XYZB1 | D3DFVF_NORMAL, 12 + 4 + 12},
        {D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, 12 + 4 + 4 + 12 + 8},
        {D3DFVF_XYZB3 | D3DFVF_NORMAL | D3DFVF_TEX2, 12 + 12 + 12 + 16},
        {D3DFVF_XYZB4 | D3DFVF_LASTBETA_D3DCOLOR, 12 + 12 + 4},
        {D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, 12 + 16 + 4 + 12 + 8},
        {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 16 + 4 + 8},
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), 12 + 12 + 12},
        {D3DFVF_XYZW | D3DFVF_PSIZE | D3DFVF_SPECULAR, 16 + 4 + 4},
        {D3DFVF_XYZB5 | D3DFVF_NORMAL, 0}, // five weights
        {D3DFVF_DIFFUSE | D3DFVF_TEX1, 0},
        {D3DFVF_XYZ | (9 << D3DFVF_TEXCOUNT_SHIFT), 0}, // nine texture sets
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << c.fvf);
        const HRESULT set = device->SetFVF(c.fvf);
        IDirect3DVertexDeclaration9* decl = nullptr;
        device->GetVertexDeclaration(&decl);
        if (c.vertexSize == 0) {
            EXPECT_EQ(set, D3DERR_INVALIDCALL);
            if (decl) decl->Release();
            continue;
        }
        ASSERT_EQ(set, D3D_OK);
        ASSERT_NE(decl, nullptr);
        D3DVERTEXELEMENT9 elements[MAX_FVF_DECL_SIZE];
        UINT count = 0;
        decl->GetDeclaration(elements, &count);
        decl->Release();
        EXPECT_EQ(D3DXGetDeclVertexSize(elements, 0), c.vertexSize);
    }
}

TEST_F(GlTest, FixedFunctionTransformsAndIndexedUserPointerDraws)
{
    struct V
    {
        float x, y, z;
        D3DCOLOR colour;
    };
    // Row vectors: a translation in the fourth row of the world moves the quad right by half the screen.
    D3DMATRIX world = {};
    world._11 = world._22 = world._33 = 0.5f;
    world._44 = 1.f;
    world._41 = 0.5f;
    device->SetTransform(D3DTS_WORLD, &world);
    const V v[4] = {{-1, 1, 0.5f, D3DCOLOR_XRGB(0, 255, 0)},
                    {1, 1, 0.5f, D3DCOLOR_XRGB(0, 255, 0)},
                    {-1, -1, 0.5f, D3DCOLOR_XRGB(0, 255, 0)},
                    {1, -1, 0.5f, D3DCOLOR_XRGB(0, 255, 0)}};
    const WORD indices[6] = {0, 1, 2, 1, 3, 2};
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v, sizeof(V)),
              D3D_OK);
    Drew();
    // x from 0 to 1 in clip space: columns 32..63; y from -0.5 to 0.5: rows 16..47.
    EXPECT_EQ(Pixel(31, 32).g, 0);
    EXPECT_EQ(Pixel(33, 32).g, 255);
    EXPECT_EQ(Pixel(60, 17).g, 255);
    EXPECT_EQ(Pixel(60, 14).g, 0);
    IDirect3DIndexBuffer9* bound = reinterpret_cast<IDirect3DIndexBuffer9*>(1);
    device->GetIndices(&bound);
    EXPECT_EQ(bound, nullptr); // a user-pointer draw leaves no index buffer set, as in Direct3D
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(V)), D3DERR_INVALIDCALL);
}

} // namespace
