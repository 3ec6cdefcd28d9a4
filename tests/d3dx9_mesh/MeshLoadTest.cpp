// The single-mesh loader: values, order and counts exactly as written.
#include <d3dx9anim.h>

#include "TestFiles.h"

#include <cstring>

namespace {

struct Vertex32
{
    D3DXVECTOR3 p, n;
    D3DXVECTOR2 uv;
};

ID3DXMesh* Load(const std::string& path, DWORD* numMaterials = nullptr, ID3DXBuffer** materials = nullptr,
                ID3DXBuffer** adjacency = nullptr)
{
    ID3DXMesh* mesh = nullptr;
    const HRESULT hr = D3DXLoadMeshFromXW(Wide(path).c_str(), D3DXMESH_MANAGED, nullptr, adjacency, materials, nullptr,
                                          numMaterials, &mesh);
    EXPECT_TRUE(SUCCEEDED(hr)) << path;
    return mesh;
}

void ExpectMeshEquals(ID3DXMesh* mesh, const xtest::Mesh& m)
{
    ASSERT_EQ(mesh->GetNumVertices(), m.positions.size());
    ASSERT_EQ(mesh->GetNumFaces(), m.faces.size());
    EXPECT_EQ(mesh->GetFVF(), (DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);
    Vertex32* v = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, (LPVOID*)&v), S_OK);
    for (size_t i = 0; i < m.positions.size(); ++i) {
        ASSERT_EQ(v[i].p, m.positions[i]) << "vertex " << i;
        ASSERT_EQ(v[i].n, m.normals[i]) << "vertex " << i;
        ASSERT_EQ(v[i].uv, m.uvs[i]) << "vertex " << i;
    }
    mesh->UnlockVertexBuffer();
    WORD* idx = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, (LPVOID*)&idx), S_OK);
    for (size_t f = 0; f < m.faces.size(); ++f) {
        ASSERT_EQ(idx[f * 3], m.faces[f].a);
        ASSERT_EQ(idx[f * 3 + 1], m.faces[f].b);
        ASSERT_EQ(idx[f * 3 + 2], m.faces[f].c);
    }
    mesh->UnlockIndexBuffer();
}

} // namespace

TEST(MeshLoad, GridRoundTripKeepsFileOrder)
{
    const xtest::Mesh grid = xtest::MakeGrid(17, 13, -8.0f, -6.0f);
    ID3DXMesh* mesh = Load(WriteScratch("grid.x", xtest::WriteMesh(grid)));
    ASSERT_NE(mesh, nullptr);
    ExpectMeshEquals(mesh, grid);
    // Terrain contract: vertex 0 is the origin corner, the last the far corner.
    Vertex32* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    EXPECT_EQ(v[0].p.x, -8.0f);
    EXPECT_EQ(v[17 * 13 - 1].p.y, 6.0f);
    mesh->UnlockVertexBuffer();
    D3DXATTRIBUTERANGE table[4];
    DWORD size = 0;
    mesh->GetAttributeTable(nullptr, &size);
    ASSERT_EQ(size, 1u);
    mesh->GetAttributeTable(table, &size);
    EXPECT_EQ(table[0].FaceCount, grid.faces.size());
    EXPECT_EQ(table[0].VertexCount, grid.positions.size());
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    EXPECT_TRUE(FAILED(mesh->GetDevice(&device)));
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(mesh->Release(), 0u);
}

TEST(MeshLoad, BoxMaterialsAttributesAndAdjacency)
{
    const xtest::Mesh box = xtest::MakeBox();
    DWORD numMaterials = 0;
    ID3DXBuffer *materials = nullptr, *adjacency = nullptr;
    ID3DXMesh* mesh = Load(WriteScratch("box.x", xtest::WriteMesh(box)), &numMaterials, &materials, &adjacency);
    ASSERT_NE(mesh, nullptr);
    ExpectMeshEquals(mesh, box);
    ASSERT_EQ(numMaterials, 2u);
    const D3DXMATERIAL* mat = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    EXPECT_EQ(mat[0].MatD3D.Diffuse.r, 0.8f);
    EXPECT_EQ(mat[0].MatD3D.Diffuse.a, 1.0f);
    EXPECT_EQ(mat[0].MatD3D.Power, 12.5f);
    EXPECT_EQ(mat[0].MatD3D.Specular.b, 0.3f);
    EXPECT_EQ(mat[0].MatD3D.Emissive.b, 0.05f);
    ASSERT_NE(mat[0].pTextureFilename, nullptr);
    EXPECT_STREQ(mat[0].pTextureFilename, "crate.png");
    EXPECT_EQ(mat[1].pTextureFilename, nullptr);
    EXPECT_EQ(mat[1].MatD3D.Diffuse.a, 0.5f);

    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    for (size_t f = 0; f < box.faces.size(); ++f) EXPECT_EQ(attributes[f], box.faceMaterials[f]);
    mesh->UnlockAttributeBuffer();
    DWORD size = 0;
    D3DXATTRIBUTERANGE table[4];
    mesh->GetAttributeTable(table, &size);
    ASSERT_EQ(size, 2u);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceCount, 8u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 8u);
    EXPECT_EQ(table[1].VertexStart, 16u);
    EXPECT_EQ(table[1].VertexCount, 8u);

    // Each side's two triangles share their diagonal; side edges are open
    // because the sides have their own vertices.
    ASSERT_EQ(adjacency->GetBufferSize(), box.faces.size() * 3 * sizeof(DWORD));
    const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    for (DWORD f = 0; f < box.faces.size(); ++f) {
        int neighbours = 0;
        for (int k = 0; k < 3; ++k)
            if (adj[f * 3 + k] != 0xFFFFFFFFu) {
                ++neighbours;
                EXPECT_EQ(adj[f * 3 + k], f ^ 1u);
            }
        EXPECT_EQ(neighbours, 1);
    }
    materials->Release();
    adjacency->Release();
    mesh->Release();
}

TEST(MeshLoad, SyntaxVariantsTemplatesCommentsAndReferences)
{
    // Version 0302, a template declaration, both comment styles, an unknown
    // object, a material given by reference, a quad (fanned into two
    // triangles), no normals or texture coordinates.
    const std::string text = "xof 0302txt 0032\n"
                             "template Foo { <12345678-1234-1234-1234-123456789abc> DWORD x; [...] }\n"
                             "// a comment { with braces\n"
                             "# another comment\n"
                             "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
                             "Header { 1; 0; 1; }\n"
                             "Mesh quad {\n"
                             " 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
                             " 1; 4;0,1,2,3;;\n"
                             " UnknownThing { 1; 2; 3; Nested { \"text\"; } }\n"
                             " MeshMaterialList { 1; 1; 0;; { Red } }\n"
                             "}\n";
    DWORD numMaterials = 0;
    ID3DXBuffer* materials = nullptr;
    ID3DXMesh* mesh = Load(WriteScratch("quad.x", text), &numMaterials, &materials);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetNumVertices(), 4u);
    ASSERT_EQ(mesh->GetNumFaces(), 2u);
    WORD* idx = nullptr;
    mesh->LockIndexBuffer(0, (LPVOID*)&idx);
    const WORD expected[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(idx[i], expected[i]);
    mesh->UnlockIndexBuffer();
    Vertex32* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    EXPECT_EQ(v[2].p, D3DXVECTOR3(1, 1, 0));
    EXPECT_EQ(v[2].n, D3DXVECTOR3(0, 0, 1)); // default normal
    EXPECT_EQ(v[2].uv, D3DXVECTOR2(0, 0));   // default texture coordinate
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(numMaterials, 1u);
    EXPECT_EQ(static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())->MatD3D.Diffuse.r, 1.0f);
    materials->Release();
    mesh->Release();
}

TEST(MeshLoad, FramesAreCollapsedWithTheirTransforms)
{
    xtest::Mesh box = xtest::MakeBox();
    box.materials.clear();
    box.faceMaterials.clear();
    xtest::Scene scene;
    D3DXMATRIX t, s;
    D3DXMatrixTranslation(&t, 10, 0, 0);
    D3DXMatrixScaling(&s, 2, 2, 2);
    xtest::Frame child{"Inner", t, {box}, {}};
    xtest::Frame outer{"Outer", s, {box}, {child}};
    scene.frames.push_back(outer);
    ID3DXMesh* mesh = Load(WriteScratch("frames.x", xtest::Write(scene)));
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetNumVertices(), 48u);
    ASSERT_EQ(mesh->GetNumFaces(), 24u);
    Vertex32* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    // The outer copy is scaled; the inner one moved by 10 then scaled by 2.
    EXPECT_EQ(v[0].p, box.positions[0] * 2.0f);
    EXPECT_EQ(v[24].p, (box.positions[0] + D3DXVECTOR3(10, 0, 0)) * 2.0f);
    EXPECT_NEAR(D3DXVec3Length(&v[24].n), 1.0f, 1e-6f);
    EXPECT_EQ(v[24].n, box.normals[0]);
    mesh->UnlockVertexBuffer();
    WORD* idx = nullptr;
    mesh->LockIndexBuffer(0, (LPVOID*)&idx);
    EXPECT_EQ(idx[12 * 3], box.faces[0].a + 24);
    mesh->UnlockIndexBuffer();
    mesh->Release();
}

TEST(MeshLoad, DifferentNormalIndicesRepeatVerticesAfterTheFileOnes)
{
    const std::string text = "xof 0303txt 0032\n"
                             "Mesh {\n 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n 2; 3;0,1,2;, 3;0,2,3;;\n"
                             " MeshNormals { 2; 0;0;1;, 0;1;0;; 2; 3;0,0,0;, 3;1,1,1;; }\n"
                             " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
                             " XSkinMeshHeader { 1; 1; 1; }\n"
                             " SkinWeights { \"B\"; 2; 0, 2; 0.5, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
                             "}\n"
                             "Frame B { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n";
    ID3DXMesh* mesh = Load(WriteScratch("split.x", text));
    ASSERT_NE(mesh, nullptr);
    // Vertices 0 and 2 appear with both normals: two repeats at the end.
    ASSERT_EQ(mesh->GetNumVertices(), 6u);
    Vertex32* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    EXPECT_EQ(v[0].n, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(v[3].n, D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(v[4].p, v[0].p);
    EXPECT_EQ(v[4].n, D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(v[5].p, v[2].p);
    EXPECT_EQ(v[5].uv, v[2].uv);
    mesh->UnlockVertexBuffer();
    WORD* idx = nullptr;
    mesh->LockIndexBuffer(0, (LPVOID*)&idx);
    EXPECT_EQ(idx[3], 4);
    EXPECT_EQ(idx[4], 5);
    EXPECT_EQ(idx[5], 3);
    mesh->UnlockIndexBuffer();
    mesh->Release();
}

TEST(MeshLoad, WindowsPathsMapToTheFileSystem)
{
    const xtest::Mesh box = xtest::MakeBox();
    const std::string folder = ScratchDir() + "Meshes";
    ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
    xtest::WriteFile(folder + "/Cube.x", xtest::WriteMesh(box));
    const std::string windowsPath = ScratchDir() + "MESHES\\cube.X";
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(Wide(windowsPath).c_str(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &mesh),
              S_OK);
    EXPECT_EQ(mesh->GetNumFaces(), 12u);
    mesh->Release();
}

TEST(MeshLoad, CloneToTheRendererLayoutAndComputeNormals)
{
    const xtest::Mesh box = xtest::MakeBox();
    ID3DXMesh* mesh = Load(WriteScratch("box2.x", xtest::WriteMesh(box)));
    ASSERT_NE(mesh, nullptr);
    // 56 bytes: position, normal, uv, then two float3 sets for tangent and binormal.
    const DWORD fvf56 = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE3(2);
    EXPECT_EQ(D3DXGetFVFVertexSize(fvf56), 56u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX3), 48u);
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, fvf56, nullptr, &clone), S_OK);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 56u);
    EXPECT_EQ(clone->GetFVF(), fvf56);
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    clone->GetDeclaration(decl);
    EXPECT_EQ(decl[3].Offset, 32);
    EXPECT_EQ(decl[3].Type, D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(decl[3].UsageIndex, 1);
    EXPECT_EQ(decl[4].Offset, 44);
    const BYTE* v = nullptr;
    clone->LockVertexBuffer(0, (LPVOID*)&v);
    for (DWORD i = 0; i < box.positions.size(); ++i) {
        D3DXVECTOR3 p, n, tangent;
        D3DXVECTOR2 uv;
        std::memcpy(&p, v + i * 56, 12);
        std::memcpy(&n, v + i * 56 + 12, 12);
        std::memcpy(&uv, v + i * 56 + 24, 8);
        std::memcpy(&tangent, v + i * 56 + 32, 12);
        EXPECT_EQ(p, box.positions[i]);
        EXPECT_EQ(n, box.normals[i]);
        EXPECT_EQ(uv, box.uvs[i]);
        EXPECT_EQ(tangent, D3DXVECTOR3(0, 0, 0));
    }
    clone->UnlockVertexBuffer();

    // Scramble the normals, then recompute them from the faces: the box's
    // outward winding gives back the side normals.
    BYTE* w = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&w);
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) std::memset(w + i * 32 + 12, 0, 12);
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), S_OK);
    mesh->LockVertexBuffer(0, (LPVOID*)&w);
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
        D3DXVECTOR3 n;
        std::memcpy(&n, w + i * 32 + 12, 12);
        EXPECT_NEAR(n.x, box.normals[i].x, 1e-6f);
        EXPECT_NEAR(n.y, box.normals[i].y, 1e-6f);
        EXPECT_NEAR(n.z, box.normals[i].z, 1e-6f);
    }
    mesh->UnlockVertexBuffer();

    // A declaration the renderer builds, cloned and re-declared.
    D3DVERTEXELEMENT9 renderer[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                    {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                    {0, 32, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TEXCOORD, 1},
                                    {0, 44, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TEXCOORD, 2},
                                    D3DDECL_END()};
    ID3DXMesh* clone2 = nullptr;
    ASSERT_EQ(mesh->CloneMesh(D3DXMESH_MANAGED, renderer, nullptr, &clone2), S_OK);
    EXPECT_EQ(clone2->GetNumBytesPerVertex(), 56u);
    EXPECT_EQ(clone2->GetFVF(), fvf56);
    renderer[3].Usage = D3DDECLUSAGE_TANGENT;
    renderer[3].UsageIndex = 0;
    EXPECT_EQ(clone2->UpdateSemantics(renderer), S_OK);
    EXPECT_EQ(clone2->GetFVF(), 0u);       // a tangent has no flexible-format bit
    renderer[4].Type = D3DDECLTYPE_FLOAT4; // a different vertex size is refused
    EXPECT_TRUE(FAILED(clone2->UpdateSemantics(renderer)));
    clone2->Release();
    clone->Release();
    mesh->Release();
}

TEST(MeshLoad, FlexibleFormatsAndDeclarationsConvertBothWays)
{
    const DWORD formats[] = {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                             D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1,
                             D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1,
                             D3DFVF_XYZRHW | D3DFVF_TEX1, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2};
    const UINT sizes[] = {32, 48, 36, 24, 36};
    for (int i = 0; i < 5; ++i) {
        D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
        ASSERT_EQ(D3DXDeclaratorFromFVF(formats[i], decl), S_OK);
        EXPECT_EQ(D3DXGetDeclVertexSize(decl, 0), sizes[i]) << i;
        DWORD back = 0;
        ASSERT_EQ(D3DXFVFFromDeclarator(decl, &back), S_OK);
        EXPECT_EQ(back, formats[i]);
    }
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    D3DXDeclaratorFromFVF(D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, decl);
    EXPECT_EQ(decl[1].Usage, D3DDECLUSAGE_BLENDWEIGHT);
    EXPECT_EQ(decl[1].Type, D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(decl[2].Usage, D3DDECLUSAGE_BLENDINDICES);
    EXPECT_EQ(decl[2].Offset, 24);
}

TEST(MeshLoad, AnElementWithoutASizeIsRefused)
{
    // 16 bytes: position and one float; then a third element whose type has
    // no size, which the vertex size leaves out.
    const D3DVERTEXELEMENT9 sized[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                       {0, 12, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                       D3DDECL_END()};
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMesh(1, 3, D3DXMESH_MANAGED, sized, nullptr, &mesh), S_OK);
    for (const BYTE type : {BYTE(D3DDECLTYPE_UNUSED), BYTE(0x40)}) {
        D3DVERTEXELEMENT9 unsized[] = {sized[0], sized[1], {0, 12, type, 0, D3DDECLUSAGE_TEXCOORD, 1}, D3DDECL_END()};
        EXPECT_EQ(D3DXGetDeclVertexSize(unsized, 0), 16u) << int(type);
        ID3DXMesh* made = nullptr;
        EXPECT_EQ(D3DXCreateMesh(1, 3, D3DXMESH_MANAGED, unsized, nullptr, &made), D3DERR_INVALIDCALL) << int(type);
        EXPECT_EQ(made, nullptr);
        EXPECT_EQ(mesh->CloneMesh(D3DXMESH_MANAGED, unsized, nullptr, &made), D3DERR_INVALIDCALL) << int(type);
        EXPECT_EQ(made, nullptr);
        EXPECT_EQ(mesh->UpdateSemantics(unsized), D3DERR_INVALIDCALL) << int(type);
    }
    mesh->Release();
}

TEST(MeshLoad, NumberFormatsOfExporters)
{
    // Exponents, a bare leading or trailing point, a plus sign, CRLF line ends,
    // commas or semicolons or plain spaces between values.
    const std::string text = "xof 0303txt 0032\r\n"
                             "Mesh {\r\n 3;\r\n 1.000000e+000;-.5;+2.;,\r\n .25 1E-2 -0;\r\n 3.5,4.5,5.5;;\r\n"
                             " 1;\r\n 3;0,1,2;;\r\n"
                             " MeshTextureCoords { 3; 0.5;1.;, 1e0;0.;, -1.5e+1;.125;; }\r\n}\r\n";
    ID3DXMesh* mesh = Load(WriteScratch("numbers.x", text));
    ASSERT_NE(mesh, nullptr);
    Vertex32* v = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    EXPECT_EQ(v[0].p, D3DXVECTOR3(1.0f, -0.5f, 2.0f));
    EXPECT_EQ(v[1].p, D3DXVECTOR3(0.25f, 0.01f, 0.0f));
    EXPECT_EQ(v[2].p, D3DXVECTOR3(3.5f, 4.5f, 5.5f));
    EXPECT_EQ(v[2].uv, D3DXVECTOR2(-15.0f, 0.125f));
    mesh->UnlockVertexBuffer();
    mesh->Release();
}
