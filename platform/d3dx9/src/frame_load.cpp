// The hierarchy loader: frames and mesh containers made through the caller's
// allocator, skin information, and a controller holding the animation sets
// in file order (controller index = position of the AnimationSet in the file).
#include "AnimInternal.h"
#include "MeshFromX.h"
#include "MeshInternal.h"
#include "Win32Error.h"
#include "Win32String.h"
#include "xfile/XFileLoad.h"

#include <utility>

namespace {

// Tracks and events a loaded controller offers, as the library's loader gives.
const UINT kLoadedTracks = 2;
const UINT kLoadedEvents = 30;

struct HierarchyBuilder
{
    const std::string& path;
    DWORD options;
    IDirect3DDevice9* device;
    ID3DXAllocateHierarchy* allocator;
    UINT frameCount = 0;

    HRESULT Container(const XMeshData& data, LPD3DXMESHCONTAINER* out)
    {
        *out = nullptr;
        if (data.attributes.empty()) {
            Win32ReportError("Mesh file unreadable: mesh \"" + data.name + "\" has no faces", path, data.line);
            return E_FAIL;
        }
        ID3DXMesh* mesh = nullptr;
        ID3DXSkinInfo* skin = nullptr;
        HRESULT hr = LvCreateMeshFromData(data, options, device, &mesh);
        if (SUCCEEDED(hr)) hr = LvCreateSkinInfo(data, &skin);
        std::vector<DWORD> adjacency(data.attributes.size() * 3);
        if (SUCCEEDED(hr)) hr = mesh->GenerateAdjacency(0.0f, adjacency.data());
        std::vector<D3DXMATERIAL> materials(data.materials.size());
        for (size_t i = 0; i < materials.size(); ++i) {
            materials[i].MatD3D = data.materials[i].material;
            materials[i].pTextureFilename = data.materials[i].textureFile.empty()
                                                ? nullptr
                                                : const_cast<LPSTR>(data.materials[i].textureFile.c_str());
        }
        const std::vector<D3DXEFFECTINSTANCE> effects(materials.size(), D3DXEFFECTINSTANCE{nullptr, 0, nullptr});
        if (SUCCEEDED(hr)) {
            D3DXMESHDATA meshData;
            meshData.Type = D3DXMESHTYPE_MESH;
            meshData.pMesh = mesh;
            hr = allocator->CreateMeshContainer(data.name.empty() ? nullptr : data.name.c_str(), &meshData,
                                                materials.empty() ? nullptr : materials.data(),
                                                effects.empty() ? nullptr : effects.data(), (DWORD)materials.size(),
                                                adjacency.data(), skin, out);
        }
        if (mesh) mesh->Release();
        if (skin) skin->Release();
        if (FAILED(hr)) Win32ReportError("Could not build mesh \"" + data.name + "\"", path, data.line);
        return hr;
    }

    HRESULT Frame(const XFrameData& data, LPD3DXFRAME* out)
    {
        *out = nullptr;
        HRESULT hr = allocator->CreateFrame(data.name.empty() ? nullptr : data.name.c_str(), out);
        if (FAILED(hr) || !*out) return FAILED(hr) ? hr : E_OUTOFMEMORY;
        ++frameCount;
        LPD3DXFRAME frame = *out;
        frame->TransformationMatrix = data.transform;
        frame->pMeshContainer = nullptr;
        frame->pFrameSibling = nullptr;
        frame->pFrameFirstChild = nullptr;
        LPD3DXMESHCONTAINER* nextContainer = &frame->pMeshContainer;
        for (const XMeshData& mesh : data.meshes) {
            if (FAILED(hr = Container(mesh, nextContainer))) return hr;
            if (*nextContainer) nextContainer = &(*nextContainer)->pNextMeshContainer;
        }
        return Siblings(data.children, &frame->pFrameFirstChild);
    }

    // Builds the frames in order as a sibling chain. What was built stays
    // linked so that one destroy call frees it after a failure.
    HRESULT Siblings(const std::vector<XFrameData>& frames, LPD3DXFRAME* first)
    {
        LPD3DXFRAME* link = first;
        for (const XFrameData& data : frames) {
            const HRESULT hr = Frame(data, link);
            if (FAILED(hr)) return hr;
            link = &(*link)->pFrameSibling;
        }
        return S_OK;
    }
};

// Moves the key data out of the scene into the sets.
HRESULT MakeController(XSceneData& scene, UINT outputs, ID3DXAnimationController** out)
{
    *out = nullptr;
    if (scene.animationSets.empty()) return S_OK;
    ID3DXAnimationController* controller = nullptr;
    HRESULT hr = LvCreateAnimationController(outputs, (UINT)scene.animationSets.size(), kLoadedTracks, kLoadedEvents,
                                             &controller);
    for (size_t s = 0; SUCCEEDED(hr) && s < scene.animationSets.size(); ++s) {
        ID3DXKeyframedAnimationSet* set = nullptr;
        hr = LvCreateKeyframedSet(std::move(scene.animationSets[s]), scene.ticksPerSecond, &set);
        if (SUCCEEDED(hr)) hr = controller->RegisterAnimationSet(set);
        if (SUCCEEDED(hr) && s == 0) {
            controller->SetTrackAnimationSet(0, set);
            controller->SetTrackEnable(0, TRUE);
        }
        if (set) set->Release();
    }
    if (FAILED(hr)) {
        if (controller) controller->Release();
        return hr;
    }
    *out = controller;
    return S_OK;
}

HRESULT LoadHierarchy(const std::string& path, DWORD options, LPDIRECT3DDEVICE9 device,
                      LPD3DXALLOCATEHIERARCHY allocator, LPD3DXFRAME* root, LPD3DXANIMATIONCONTROLLER* controller)
{
    if (!allocator || !root) return D3DERR_INVALIDCALL;
    *root = nullptr;
    if (controller) *controller = nullptr;
    XSceneData scene;
    if (!XLoadSceneFile(path, &scene)) return E_FAIL;
    if (scene.roots.empty()) {
        Win32ReportError("Mesh file unreadable: the file holds no frame or mesh", path, 0);
        return E_FAIL;
    }
    HierarchyBuilder builder{path, options, device, allocator};
    HRESULT hr = builder.Siblings(scene.roots, root);
    if (SUCCEEDED(hr) && controller) hr = MakeController(scene, builder.frameCount, controller);
    if (FAILED(hr)) {
        if (*root) D3DXFrameDestroy(*root, allocator);
        *root = nullptr;
        return hr;
    }
    return S_OK;
}

} // namespace

HRESULT D3DXLoadMeshHierarchyFromXW(LPCWSTR filename, DWORD meshOptions, LPDIRECT3DDEVICE9 device,
                                    LPD3DXALLOCATEHIERARCHY allocator, LPD3DXLOADUSERDATA, LPD3DXFRAME* frameHierarchy,
                                    LPD3DXANIMATIONCONTROLLER* animController)
{
    if (!filename) return D3DERR_INVALIDCALL;
    return LoadHierarchy(Win32WideToUtf8(filename), meshOptions, device, allocator, frameHierarchy, animController);
}

HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR filename, DWORD meshOptions, LPDIRECT3DDEVICE9 device,
                                    LPD3DXALLOCATEHIERARCHY allocator, LPD3DXLOADUSERDATA, LPD3DXFRAME* frameHierarchy,
                                    LPD3DXANIMATIONCONTROLLER* animController)
{
    if (!filename) return D3DERR_INVALIDCALL;
    return LoadHierarchy(filename, meshOptions, device, allocator, frameHierarchy, animController);
}
