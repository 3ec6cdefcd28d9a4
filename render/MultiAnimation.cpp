// Loading, keeping and unloading the character hierarchy, and its instances.
#include "render/MultiAnimation.h"

#include "core/ErrorReport.h"
#include "core/Resources.h"
#include "render/KeyframeAnimator.h"

#include <Win32String.h>

#include <algorithm>
#include <new>
#include <string>

namespace {

// Managed buffers survive device resets, so the hierarchy can stay loaded.
const DWORD kHierarchyOptions = D3DXMESH_MANAGED;
// The animation the character stands in after every load.
const unsigned kIdleEntry = 11;

const wchar_t kNoAnimationTitle[] = L"Mesh Load Error";
const wchar_t kNoAnimationText[] =
    L"The sample is attempting to load a mesh without animation or incompatible animation.  The program will now exit.";

template <class T>
void ReleaseAndNull(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

// Visits every frame: the frame, its children, then its siblings. Stops at
// the first failure. Siblings are walked in a loop so a long chain costs no stack.
template <class Visit>
HRESULT ForEachFrame(D3DXFRAME* frame, Visit&& visit)
{
    for (; frame; frame = frame->pFrameSibling) {
        HRESULT hr = visit(frame);
        if (SUCCEEDED(hr)) hr = ForEachFrame(frame->pFrameFirstChild, visit);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

template <class Visit>
HRESULT ForEachSkinnedContainer(D3DXFRAME* root, Visit&& visit)
{
    return ForEachFrame(root, [&](D3DXFRAME* frame) {
        for (D3DXMESHCONTAINER* mc = frame->pMeshContainer; mc; mc = mc->pNextMeshContainer) {
            if (!mc->pSkinInfo) continue;
            const HRESULT hr = visit(static_cast<MultiAnimMeshContainer*>(mc));
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    });
}

// The container's mesh and working mesh rebuilt on another device.
HRESULT MoveContainer(MultiAnimMeshContainer* mc, IDirect3DDevice9* device, MultiAnim* multiAnim)
{
    IDirect3DDevice9* meshDevice = nullptr;
    mc->MeshData.pMesh->GetDevice(&meshDevice);
    if (meshDevice) meshDevice->Release();
    const bool moved = meshDevice != device;
    if (moved) {
        D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
        ID3DXMesh* clone = nullptr;
        HRESULT hr = mc->MeshData.pMesh->GetDeclaration(decl);
        if (SUCCEEDED(hr)) hr = mc->MeshData.pMesh->CloneMesh(mc->MeshData.pMesh->GetOptions(), decl, device, &clone);
        if (FAILED(hr)) return hr;
        mc->MeshData.pMesh->Release();
        mc->MeshData.pMesh = clone;
    }
    const DWORD entries = std::min(multiAnim->GetPaletteSizeSetting(), mc->pSkinInfo->GetNumBones());
    if (!moved && mc->workingMesh && entries == mc->paletteEntries) return S_OK;
    return MultiAnimAllocateHierarchy::BuildWorkingMesh(mc, multiAnim);
}

} // namespace

MultiAnim::MultiAnim() = default;

MultiAnim::~MultiAnim()
{
    for (AnimInstance* instance : instances) delete instance;
    instances.clear();
    Cleanup(nullptr);
}

HRESULT MultiAnim::Setup(IDirect3DDevice9* newDevice, ULONG_PTR newSetupValue, const char* fileName,
                         ID3DXEffect* newEffect, MultiAnimAllocateHierarchy* allocator,
                         ID3DXLoadUserData* userDataLoader)
{
    const bool fresh = frameRoot == nullptr;
    const HRESULT hr = Prepare(newDevice, newSetupValue, fileName, newEffect, allocator, userDataLoader);
    if (FAILED(hr) || !fresh) return hr;
    gKeyframeAnimator->Build(controller, frameRoot);
    gKeyframeAnimator->SwitchTo(kIdleEntry);
    return S_OK;
}

HRESULT MultiAnim::SetupWithCheck(IDirect3DDevice9* newDevice, ULONG_PTR newSetupValue, const char* fileName,
                                  ID3DXEffect* newEffect, MultiAnimAllocateHierarchy* allocator,
                                  ID3DXLoadUserData* userDataLoader)
{
    const HRESULT hr = Prepare(newDevice, newSetupValue, fileName, newEffect, allocator, userDataLoader);
    if (FAILED(hr)) return hr;
    if (!controller) {
        MessageBoxW(nullptr, kNoAnimationText, kNoAnimationTitle, MB_OK);
        Cleanup(allocator);
        return E_FAIL;
    }
    for (AnimInstance* instance : instances) {
        ID3DXAnimationController* clone = nullptr;
        if (FAILED(controller->CloneAnimationController(
                controller->GetMaxNumAnimationOutputs(), controller->GetMaxNumAnimationSets(),
                controller->GetMaxNumTracks(), controller->GetMaxNumEvents(), &clone)))
            continue;
        instance->Setup(clone);
        clone->Release();
    }
    return S_OK;
}

HRESULT MultiAnim::Prepare(IDirect3DDevice9* newDevice, ULONG_PTR newSetupValue, const char* fileName,
                           ID3DXEffect* newEffect, MultiAnimAllocateHierarchy* allocator,
                           ID3DXLoadUserData* userDataLoader)
{
    setupValue = newSetupValue;
    if (!allocator || !fileName) return D3DERR_INVALIDCALL;
    allocator->SetMA(this);
    if (newDevice) newDevice->AddRef();
    if (device) device->Release();
    device = newDevice;
    effect = newEffect;
    if (frameRoot)
        return ForEachSkinnedContainer(frameRoot,
                                       [&](MultiAnimMeshContainer* mc) { return MoveContainer(mc, device, this); });

    const std::wstring path = Win32Utf8ToWide(MeshesDirectory + fileName);
    HRESULT hr = D3DXLoadMeshHierarchyFromXW(path.c_str(), kHierarchyOptions, device, allocator, userDataLoader,
                                             &frameRoot, &controller);
    if (SUCCEEDED(hr)) hr = SetupBoneMatrixPointers();
    if (FAILED(hr)) {
        REPORT_ERROR(std::string("could not create Mesh Hierarchy from file: ") + fileName);
        Cleanup(allocator);
        return hr;
    }
    ForEachFrame(frameRoot, [&](D3DXFRAME* frame) {
        bindPose.emplace_back(frame, frame->TransformationMatrix);
        return S_OK;
    });
    D3DXVECTOR3 centre;
    D3DXFrameCalculateBoundingSphere(frameRoot, &centre, &boundingRadius);
    return S_OK;
}

// Every skinned container's bone pointers aimed at the matrices of the frames
// its bones name. A bone without a frame fails the load.
HRESULT MultiAnim::SetupBoneMatrixPointers()
{
    return ForEachSkinnedContainer(frameRoot, [&](MultiAnimMeshContainer* mc) -> HRESULT {
        const DWORD bones = mc->pSkinInfo->GetNumBones();
        delete[] mc->boneMatrices;
        mc->boneMatrices = new (std::nothrow) D3DXMATRIX*[bones ? bones : 1];
        if (!mc->boneMatrices) return E_OUTOFMEMORY;
        for (DWORD b = 0; b < bones; ++b) {
            D3DXFRAME* frame = FindFrame(mc->pSkinInfo->GetBoneName(b));
            if (!frame) return E_FAIL;
            mc->boneMatrices[b] = &frame->TransformationMatrix;
        }
        return S_OK;
    });
}

HRESULT MultiAnim::Cleanup(MultiAnimAllocateHierarchy* allocator)
{
    delete[] workingPalette;
    workingPalette = nullptr;
    workingPaletteSize = 0;
    ReleaseAndNull(controller);
    if (frameRoot) {
        if (gKeyframeAnimator->GetFrameRoot() == frameRoot) gKeyframeAnimator->Clear();
        // Freeing needs nothing an allocator holds, so one of our own will do.
        MultiAnimAllocateHierarchy own;
        own.SetMA(this);
        D3DXFrameDestroy(frameRoot, allocator ? allocator : &own);
        frameRoot = nullptr;
    }
    bindPose.clear();
    boundingRadius = 0.0f;
    ReleaseAndNull(device);
    effect = nullptr;
    return S_OK;
}

HRESULT MultiAnim::SetValue(ULONG_PTR newValue)
{
    value = newValue;
    return S_OK;
}

HRESULT MultiAnim::DrawAll()
{
    HRESULT result = S_OK;
    for (AnimInstance* instance : instances) {
        const HRESULT hr = instance->Draw();
        if (FAILED(hr)) result = hr;
    }
    return result;
}

HRESULT MultiAnim::CreateNewInstance(DWORD* index)
{
    if (!index) return D3DERR_INVALIDCALL;
    if (!frameRoot) return E_FAIL;
    ID3DXAnimationController* clone = nullptr;
    if (controller) {
        const HRESULT hr = controller->CloneAnimationController(
            controller->GetMaxNumAnimationOutputs(), controller->GetMaxNumAnimationSets(),
            controller->GetMaxNumTracks(), controller->GetMaxNumEvents(), &clone);
        if (FAILED(hr)) return hr;
    }
    AnimInstance* instance = new (std::nothrow) AnimInstance(this);
    if (!instance) {
        if (clone) clone->Release();
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = instance->Setup(clone);
    if (clone) clone->Release();
    if (FAILED(hr)) {
        delete instance;
        return hr;
    }
    instances.push_back(instance);
    *index = static_cast<DWORD>(instances.size() - 1);
    return S_OK;
}

HRESULT MultiAnim::DestroyInstance(AnimInstance* instance)
{
    const auto it = std::find(instances.begin(), instances.end(), instance);
    if (it == instances.end()) return D3DERR_INVALIDCALL;
    instances.erase(it);
    delete instance;
    return S_OK;
}

D3DXFRAME* MultiAnim::FindFrame(const char* name) const
{
    return frameRoot && name ? D3DXFrameFind(frameRoot, name) : nullptr;
}

void MultiAnim::RestoreBindPose()
{
    for (const auto& entry : bindPose) entry.first->TransformationMatrix = entry.second;
}

DWORD MultiAnim::GetPaletteSizeSetting() const
{
    INT size = 0;
    if (effect && SUCCEEDED(effect->GetInt("MATRIX_PALETTE_SIZE", &size)) && size > 0) return static_cast<DWORD>(size);
    return kDefaultPaletteSize;
}

HRESULT MultiAnim::GrowWorkingPalette(DWORD entries)
{
    if (entries <= workingPaletteSize) return S_OK;
    delete[] workingPalette;
    workingPalette = new (std::nothrow) D3DXMATRIX[entries];
    workingPaletteSize = workingPalette ? entries : 0;
    return workingPalette ? S_OK : E_OUTOFMEMORY;
}

HRESULT LoadAnimatedModelFile(MultiAnim* multiAnim, MultiAnimAllocateHierarchy* allocator, IDirect3DDevice9* device,
                              const char* fileName, ID3DXEffect* effect)
{
    HRESULT hr = D3DERR_INVALIDCALL;
    if (multiAnim && allocator) {
        allocator->SetMA(multiAnim);
        hr = multiAnim->Setup(device, 0, fileName, effect, allocator);
    }
    if (FAILED(hr)) {
        REPORT_ERROR(std::string("Could not load model: ") + (fileName ? fileName : ""));
        REPORT_ERROR(hr == D3DERR_INVALIDCALL ? "Invalid call"
                     : hr == E_OUTOFMEMORY    ? "Out of memory"
                                              : "Unknown Error!!!");
    }
    return hr;
}
