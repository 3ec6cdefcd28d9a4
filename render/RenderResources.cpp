// Loading and releasing what the renderer keeps on the device.
#include "render/RenderResources.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <d3dx9.h>

#include "Win32String.h"
#include "core/ErrorReport.h"
#include "d3dfont.h"
#include "render/QuadTangents.h"

CD3DFont* gDebugFont = nullptr;

const char* const EffectFileNames[kEffectSlotCount] = {"FixedFunction.fx", "effects11.fx"};

namespace {

// The loaded meshes' own vertex: position, normal, one texture pair.
constexpr DWORD kLoadedMeshFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kLoadedMeshStride = 32;
constexpr DWORD kMaxIndexedVertices = 65536; // 16-bit indices

const char* const kPaletteMacroName = "MATRIX_PALETTE_SIZE_DEFAULT";
const char* const kPaletteMacroValue = "35";

const wchar_t* const kDebugFontFace = L"Times New Roman";
constexpr DWORD kDebugFontHeight = 10;

// The creation order of the screen targets.
constexpr int kScreenTargetSlots[] = {0, 13, 14, 15, 1, 8, 9, 10, 11, 12};

std::wstring WidePath(const std::string& path)
{
    return Win32Utf8ToWide(path);
}

template <typename T>
void ReleaseAndNull(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

struct LoadedVertex
{
    float position[3];
    float normal[3];
    float u, v;
};
static_assert(sizeof(LoadedVertex) == kLoadedMeshStride, "the loaded vertex is 32 bytes");

// The mesh as plain 32-byte vertices with 16-bit indices: the mesh itself
// with one more reference when it is already so, else a converted copy
// (normals computed when the source had none). Null when it cannot be.
ID3DXMesh* PlainMesh(ID3DXMesh* mesh)
{
    const bool plain = mesh->GetNumBytesPerVertex() == kLoadedMeshStride && mesh->GetFVF() == kLoadedMeshFormat &&
                       !(mesh->GetOptions() & D3DXMESH_32BIT);
    if (plain) {
        mesh->AddRef();
        return mesh;
    }
    if (mesh->GetNumVertices() > kMaxIndexedVertices) return nullptr;
    ID3DXMesh* copy = nullptr;
    if (FAILED(mesh->CloneMeshFVF(D3DXMESH_MANAGED, kLoadedMeshFormat, nullptr, &copy)) || !copy) return nullptr;
    if (!(mesh->GetFVF() & D3DFVF_NORMAL)) D3DXComputeNormals(copy, nullptr);
    return copy;
}

} // namespace

void RenderTargetSize(int slot, UINT width, UINT height, UINT* slotWidth, UINT* slotHeight)
{
    const UINT w8 = width / 8 * 8;
    const UINT h8 = height / 8 * 8;
    UINT w = 0, h = 0;
    if (slot == 0 || (slot >= 13 && slot <= 15)) {
        w = width;
        h = height;
    } else if (slot == 1) {
        w = w8 / 4;
        h = h8 / 4;
    } else if (slot == 8) {
        w = w8 / 4 + 2;
        h = h8 / 4 + 2;
    } else if (slot >= 9 && slot <= 12) {
        w = w8 / 8 + 2;
        h = h8 / 8 + 2;
    } else {
        *slotWidth = *slotHeight = 0;
        return;
    }
    *slotWidth = std::max<UINT>(w, 1);
    *slotHeight = std::max<UINT>(h, 1);
}

D3DFORMAT RenderTargetFormat(int slot, DWORD pixelShaderVersion)
{
    const bool screenSized = slot == 0 || (slot >= 13 && slot <= 15);
    if (slot == 1 || (screenSized && pixelShaderVersion >= D3DPS_VERSION(3, 0))) return D3DFMT_A16B16G16R16F;
    return D3DFMT_A8R8G8B8;
}

RenderResources::~RenderResources()
{
    Release();
    ReleaseMeshes();
}

bool RenderResources::CreateVertexDeclaration(IDirect3DDevice9* device)
{
    ReleaseAndNull(declaration);
    if (!device) return false;
    static const D3DVERTEXELEMENT9 kElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
        {0, 44, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
        D3DDECL_END()};
    return SUCCEEDED(device->CreateVertexDeclaration(kElements, &declaration));
}

bool RenderResources::LoadEffect(IDirect3DDevice9* device, int effectIndex, bool paletteMacro)
{
    for (ID3DXEffect*& effect : effects) ReleaseAndNull(effect);
    if (effectIndex < 0 || effectIndex >= kEffectSlotCount) return false;
    const D3DXMACRO withPalette[] = {{kPaletteMacroName, kPaletteMacroValue}, {nullptr, nullptr}};
    const std::wstring path = WidePath(EffectsDirectory + EffectFileNames[effectIndex]);
    ID3DXEffect* effect = nullptr;
    const HRESULT hr = D3DXCreateEffectFromFileW(device, path.c_str(), paletteMacro ? withPalette : nullptr, nullptr,
                                                 D3DXFX_NOT_CLONEABLE, nullptr, &effect, nullptr);
    if (FAILED(hr) || !effect) {
        REPORT_ERROR(std::string("Could not load effect from file: ") + EffectFileNames[effectIndex]);
        return false;
    }
    effects[effectIndex] = effect;
    return true;
}

ID3DXEffect* RenderResources::GetEffect(int effectIndex) const
{
    return effectIndex >= 0 && effectIndex < kEffectSlotCount ? effects[effectIndex] : nullptr;
}

bool RenderResources::LoadStaticMeshes(IDirect3DDevice9* device)
{
    for (int id = 0; id < kMeshFileCount; ++id) {
        if (!staticMeshes[id].IsEmpty()) continue;
        const std::wstring path = WidePath(MeshesDirectory + MeshFileNames[id]);
        ID3DXMesh* mesh = nullptr;
        if (FAILED(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, device, nullptr, nullptr, nullptr, nullptr,
                                      &mesh)) ||
            !mesh) {
            REPORT_ERROR(kMeshLoadFailed + std::string(MeshFileNames[id]));
            return false;
        }
        staticMeshes[id] = ProcessMesh(mesh, device);
        mesh->Release();
    }
    return true;
}

MeshBuffers RenderResources::ProcessMesh(ID3DXMesh* source, IDirect3DDevice9* device)
{
    MeshBuffers out;
    ID3DXMesh* mesh = source ? PlainMesh(source) : nullptr;
    if (!mesh) {
        REPORT_ERROR(kMeshVertexBufferFailed);
        return out;
    }
    const DWORD vertexCount = mesh->GetNumVertices();
    const DWORD faceCount = mesh->GetNumFaces();
    void* vertexData = nullptr;
    void* indexData = nullptr;
    std::vector<TangentVertex> staging(vertexCount);
    std::vector<uint16_t> indices;
    if (SUCCEEDED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertexData)) && vertexData) {
        // Every vertex first, so one that no triangle uses is still defined.
        const LoadedVertex* loaded = static_cast<const LoadedVertex*>(vertexData);
        for (DWORD i = 0; i < vertexCount; ++i) {
            TangentVertex& v = staging[i];
            std::memset(&v, 0, sizeof(v));
            std::memcpy(v.position, loaded[i].position, sizeof(v.position));
            std::memcpy(v.normal, loaded[i].normal, sizeof(v.normal));
            v.u = loaded[i].u;
            v.v = loaded[i].v;
        }
        mesh->UnlockVertexBuffer();
    }
    if (SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indexData)) && indexData) {
        const uint16_t* loaded = static_cast<const uint16_t*>(indexData);
        indices.assign(loaded, loaded + size_t(faceCount) * 3);
        mesh->UnlockIndexBuffer();
    }
    mesh->Release();
    for (size_t k = 0; k + 2 < indices.size(); k += 3) {
        if (indices[k] >= vertexCount || indices[k + 1] >= vertexCount || indices[k + 2] >= vertexCount) continue;
        ComputeTriangleTangent(staging[indices[k]], staging[indices[k + 1]], staging[indices[k + 2]]);
    }
    ReportMeshBufferResult(CreateMeshBuffers(device, staging.data(), static_cast<int>(staging.size()), indices.data(),
                                             static_cast<int>(indices.size()), 0, out, nullptr));
    return out;
}

bool RenderResources::CreatePrimitives(IDirect3DDevice9* device)
{
    if (primitivesBuilt) return primitivesResult;
    primitivesBuilt = true;
    primitivesResult = CreateUnitQuad(device, quad, nullptr);
    return primitivesResult;
}

void RenderResources::LoadTextures(IDirect3DDevice9* device)
{
    for (IDirect3DTexture9*& texture : textures) ReleaseAndNull(texture);
    textures.assign(kTextureFileCount, nullptr);
    for (int id = 0; id < kTextureFileCount; ++id) {
        const std::wstring path = WidePath(TexturesDirectory + TextureFileNames[id]);
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(D3DXCreateTextureFromFileW(device, path.c_str(), &texture)) || !texture) {
            REPORT_ERROR(std::string("Could not load texture: ") + TextureFileNames[id]);
            continue;
        }
        textures[id] = texture;
    }
}

IDirect3DTexture9* RenderResources::GetTexture(int textureId) const
{
    return textureId >= 0 && textureId < static_cast<int>(textures.size()) ? textures[textureId] : nullptr;
}

void RenderResources::CreateScreenResources(IDirect3DDevice9* device, UINT width, UINT height, DWORD pixelShaderVersion)
{
    screen.width = std::max<UINT>(width, 1);
    screen.height = std::max<UINT>(height, 1);
    screen.cropWidth = std::max<UINT>(screen.width / 8 * 8, 1);
    screen.cropHeight = std::max<UINT>(screen.height / 8 * 8, 1);
    if (!device) return;
    for (int slot : kScreenTargetSlots) {
        ReleaseAndNull(targets.Slot(slot));
        UINT w = 0, h = 0;
        RenderTargetSize(slot, width, height, &w, &h);
        if (FAILED(device->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, RenderTargetFormat(slot, pixelShaderVersion),
                                         D3DPOOL_DEFAULT, &targets.Slot(slot), nullptr))) {
            targets.Slot(slot) = nullptr;
            REPORT_ERROR("");
        }
    }
    // Cleared in the table's order, so swapped slots are all reached too.
    for (int index = 0; index < kRenderTargetSlotCount; ++index) {
        IDirect3DTexture9* texture = targets.At(index);
        IDirect3DSurface9* surface = nullptr;
        if (!texture || FAILED(texture->GetSurfaceLevel(0, &surface)) || !surface) continue;
        device->ColorFill(surface, nullptr, 0);
        surface->Release();
    }
}

void RenderResources::CreateFont(IDirect3DDevice9* device)
{
    ReleaseFont();
    gDebugFont = new CD3DFont(kDebugFontFace, kDebugFontHeight, 0);
    gDebugFont->InitDeviceObjects(device);
    gDebugFont->RestoreDeviceObjects();
}

void RenderResources::ReleaseFont()
{
    if (!gDebugFont) return;
    gDebugFont->InvalidateDeviceObjects();
    gDebugFont->DeleteDeviceObjects();
    delete gDebugFont;
    gDebugFont = nullptr;
}

const MeshBuffers* RenderResources::GetMesh(int meshId) const
{
    if (meshId == kScreenQuadMeshId) return quad.IsEmpty() ? nullptr : &quad;
    if (!IsStaticMeshLoaded(meshId)) return nullptr;
    return &staticMeshes[meshId];
}

bool RenderResources::IsStaticMeshLoaded(int meshId) const
{
    return IsValidMeshFileId(meshId) && !staticMeshes[meshId].IsEmpty();
}

void RenderResources::Release()
{
    for (ID3DXEffect*& effect : effects) ReleaseAndNull(effect);
    for (IDirect3DTexture9*& texture : textures) ReleaseAndNull(texture);
    textures.clear();
    for (int slot = 0; slot < kRenderTargetSlotCount; ++slot) ReleaseAndNull(targets.Slot(slot));
    ReleaseFont();
}

void RenderResources::ReleaseMeshes()
{
    for (MeshBuffers& mesh : staticMeshes) ReleaseMeshBuffers(mesh);
    ReleaseMeshBuffers(quad);
    ReleaseAndNull(declaration);
}
