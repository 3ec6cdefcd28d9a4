// The single-mesh loader and the conversion of loaded data into meshes and
// the buffers that come with them.
#include "MeshFromX.h"

#include "MeshInternal.h"
#include "Win32Error.h"
#include "Win32String.h"
#include "xfile/XFileLoad.h"

#include <algorithm>
#include <cstring>

namespace {

const DWORD kLoadedFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

struct LoadedVertex
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    D3DXVECTOR2 uv;
};
static_assert(sizeof(LoadedVertex) == 32, "the game relies on 32-byte loaded vertices");

template <class T>
void ReleaseAndNull(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

} // namespace

HRESULT LvCreateMeshFromData(const XMeshData& data, DWORD options, IDirect3DDevice9* device, ID3DXMesh** mesh)
{
    const DWORD numVertices = (DWORD)data.positions.size(), numFaces = (DWORD)data.attributes.size();
    // The reader only ever fills 16-bit meshes.
    ID3DXMesh* m = nullptr;
    HRESULT hr = D3DXCreateMeshFVF(numFaces, numVertices, options & ~D3DXMESH_32BIT, kLoadedFVF, device, &m);
    if (FAILED(hr)) return hr;
    LoadedVertex* v = nullptr;
    m->LockVertexBuffer(0, (LPVOID*)&v);
    for (DWORD i = 0; i < numVertices; ++i) v[i] = LoadedVertex{data.positions[i], data.normals[i], data.uvs[i]};
    hr = m->UnlockVertexBuffer();
    WORD* indices = nullptr;
    m->LockIndexBuffer(0, (LPVOID*)&indices);
    for (size_t i = 0; i < data.indices.size(); ++i) indices[i] = (WORD)data.indices[i];
    DWORD* attributes = nullptr;
    m->LockAttributeBuffer(0, &attributes);
    std::copy(data.attributes.begin(), data.attributes.end(), attributes);
    m->UnlockAttributeBuffer();
    const HRESULT hrIndices = m->UnlockIndexBuffer();
    if (FAILED(hr) || FAILED(hrIndices)) {
        m->Release();
        return FAILED(hr) ? hr : hrIndices;
    }
    *mesh = m;
    return S_OK;
}

HRESULT LvCreateMaterialBuffer(const std::vector<XMaterialData>& materials, ID3DXBuffer** buffer)
{
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const XMaterialData& m : materials)
        if (!m.textureFile.empty()) bytes += m.textureFile.size() + 1;
    HRESULT hr = D3DXCreateBuffer((DWORD)bytes, buffer);
    if (FAILED(hr)) return hr;
    BYTE* base = static_cast<BYTE*>((*buffer)->GetBufferPointer());
    char* names = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (size_t i = 0; i < materials.size(); ++i) {
        D3DXMATERIAL out{};
        out.MatD3D = materials[i].material;
        if (!materials[i].textureFile.empty()) {
            std::memcpy(names, materials[i].textureFile.c_str(), materials[i].textureFile.size() + 1);
            out.pTextureFilename = names;
            names += materials[i].textureFile.size() + 1;
        }
        std::memcpy(base + i * sizeof(D3DXMATERIAL), &out, sizeof(out));
    }
    return S_OK;
}

HRESULT LvCreateEffectInstanceBuffer(size_t count, ID3DXBuffer** buffer)
{
    return D3DXCreateBuffer((DWORD)(count * sizeof(D3DXEFFECTINSTANCE)), buffer);
}

HRESULT LvCreateAdjacencyBuffer(ID3DXMesh* mesh, ID3DXBuffer** buffer)
{
    HRESULT hr = D3DXCreateBuffer(mesh->GetNumFaces() * 3 * sizeof(DWORD), buffer);
    if (FAILED(hr)) return hr;
    return mesh->GenerateAdjacency(0.0f, static_cast<DWORD*>((*buffer)->GetBufferPointer()));
}

static HRESULT LoadMesh(const std::string& path, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                        LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials, LPD3DXMESH* mesh)
{
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (adjacency) *adjacency = nullptr;
    if (materials) *materials = nullptr;
    if (effectInstances) *effectInstances = nullptr;
    if (numMaterials) *numMaterials = 0;
    XSceneData scene;
    if (!XLoadSceneFile(path, &scene)) return E_FAIL;
    XMeshData data;
    XLoadError error;
    if (!XCollapseScene(scene, &data, &error)) {
        Win32ReportError("Mesh file unreadable: " + error.message, path, error.line);
        return E_FAIL;
    }
    if (data.attributes.empty()) {
        Win32ReportError("Mesh file unreadable: the mesh has no faces", path, data.line);
        return E_FAIL;
    }
    ID3DXMesh* m = nullptr;
    ID3DXBuffer *adj = nullptr, *mat = nullptr, *fx = nullptr;
    HRESULT hr = LvCreateMeshFromData(data, options, device, &m);
    if (SUCCEEDED(hr) && adjacency) hr = LvCreateAdjacencyBuffer(m, &adj);
    if (SUCCEEDED(hr) && materials) hr = LvCreateMaterialBuffer(data.materials, &mat);
    if (SUCCEEDED(hr) && effectInstances) hr = LvCreateEffectInstanceBuffer(data.materials.size(), &fx);
    if (FAILED(hr)) {
        ReleaseAndNull(m);
        ReleaseAndNull(adj);
        ReleaseAndNull(mat);
        ReleaseAndNull(fx);
        Win32ReportError("Could not create the mesh's buffers", path, 0);
        return hr;
    }
    *mesh = m;
    if (adjacency) *adjacency = adj;
    if (materials) *materials = mat;
    if (effectInstances) *effectInstances = fx;
    if (numMaterials) *numMaterials = (DWORD)data.materials.size();
    return S_OK;
}

HRESULT D3DXLoadMeshFromXW(LPCWSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh)
{
    if (!filename) return D3DERR_INVALIDCALL;
    return LoadMesh(Win32WideToUtf8(filename), options, device, adjacency, materials, effectInstances, numMaterials,
                    mesh);
}

HRESULT D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh)
{
    if (!filename) return D3DERR_INVALIDCALL;
    return LoadMesh(filename, options, device, adjacency, materials, effectInstances, numMaterials, mesh);
}
