// The player character's skinned hierarchy: one MultiAnim holds the frame
// tree loaded from the animated model file, its skinned containers, the
// controller and the shared working palette, and the AnimInstances drawn
// from it. Loading it also builds the one keyframe animator.
//
// Lifetime: the hierarchy, the animator's tracks and the bone pointers handed
// out by FindFrame live from the first successful Setup until Cleanup (the
// renderer calls it once, at exit). Device changes never unload it: a later
// Setup only moves the hierarchy onto the new device and effect.
#pragma once

#include <d3dx9.h>

#include <utility>
#include <vector>

#include "render/AnimInstance.h"
#include "render/MultiAnimAllocateHierarchy.h"

class MultiAnim
{
public:
    MultiAnim();
    // Deletes every instance still held and unloads the hierarchy. Models
    // must be deleted first: each gives its instance back.
    virtual ~MultiAnim();

    // Loads "../Meshes/" + fileName through the allocator, points every skinned
    // container's bones at their frames and rebuilds the keyframe animator
    // (entry 11 playing). Works without a device (device and effect null):
    // frames, bones and animator are all there, only drawing is not.
    // Once loaded, a call keeps the hierarchy and only takes the device and
    // effect: the working meshes move to a new device, or are rebuilt when
    // the effect's palette size changes. Failures are reported with the file
    // name and leave nothing loaded.
    virtual HRESULT Setup(IDirect3DDevice9* device, ULONG_PTR setupValue, const char* fileName, ID3DXEffect* effect,
                          MultiAnimAllocateHierarchy* allocator, ID3DXLoadUserData* userDataLoader = nullptr);
    // The same load without keyframe tables; a hierarchy without a controller
    // is refused with a message box. Every existing instance gets a clone of
    // the new controller.
    virtual HRESULT SetupWithCheck(IDirect3DDevice9* device, ULONG_PTR setupValue, const char* fileName,
                                   ID3DXEffect* effect, MultiAnimAllocateHierarchy* allocator,
                                   ID3DXLoadUserData* userDataLoader = nullptr);
    // Unloads: working palette, controller, frames (through the allocator, or
    // one of our own when null), device reference; empties the animator if it
    // was built on these frames. Safe to call again; instances are kept.
    virtual HRESULT Cleanup(MultiAnimAllocateHierarchy* allocator);
    virtual HRESULT SetValue(ULONG_PTR value);
    // Draws every instance; the last failure, or S_OK.
    virtual HRESULT DrawAll();
    // A new instance with a clone of the controller, appended; its index is
    // the last. Fails when nothing is loaded.
    virtual HRESULT CreateNewInstance(DWORD* index);

    AnimInstance* GetInstance(DWORD index) const { return index < instances.size() ? instances[index] : nullptr; }
    DWORD GetInstanceCount() const { return static_cast<DWORD>(instances.size()); }
    // Takes the instance out of the vector and deletes it.
    HRESULT DestroyInstance(AnimInstance* instance);

    bool IsLoaded() const { return frameRoot != nullptr; }
    D3DXFRAME* GetFrameRoot() const { return frameRoot; }
    // The frame of that name, or null (nothing loaded, no such frame). Case-sensitive.
    D3DXFRAME* FindFrame(const char* name) const;
    // The radius of the sphere around the bind-pose mesh; 0 when nothing is loaded.
    float GetBoundingRadius() const { return boundingRadius; }
    IDirect3DDevice9* GetDevice() const { return device; }
    ID3DXEffect* GetEffect() const { return effect; }
    ULONG_PTR GetSetupValue() const { return setupValue; }

    // Every frame back to the matrix the file gave it.
    void RestoreBindPose();

    // The effect's "MATRIX_PALETTE_SIZE"; kDefaultPaletteSize without an
    // effect or when the effect does not define a positive one.
    DWORD GetPaletteSizeSetting() const;
    // Grows the palette shared by every container to at least entries matrices.
    HRESULT GrowWorkingPalette(DWORD entries);
    D3DXMATRIX* GetWorkingPalette() const { return workingPalette; }
    DWORD GetWorkingPaletteSize() const { return workingPaletteSize; }

    MultiAnim(const MultiAnim&) = delete;
    MultiAnim& operator=(const MultiAnim&) = delete;

private:
    // What both set-ups share: the device and effect taken, then either the
    // kept hierarchy moved onto them or the file loaded.
    HRESULT Prepare(IDirect3DDevice9* newDevice, ULONG_PTR newSetupValue, const char* fileName, ID3DXEffect* newEffect,
                    MultiAnimAllocateHierarchy* allocator, ID3DXLoadUserData* userDataLoader);
    HRESULT SetupBoneMatrixPointers();

    IDirect3DDevice9* device = nullptr; // one reference held
    ID3DXEffect* effect = nullptr;      // the renderer's active effect, not referenced
    ULONG_PTR value = 0;                // settable, read nowhere
    DWORD workingPaletteSize = 0;
    D3DXMATRIX* workingPalette = nullptr;
    std::vector<AnimInstance*> instances; // owned
    D3DXFRAME* frameRoot = nullptr;
    ID3DXAnimationController* controller = nullptr;
    float boundingRadius = 0.0f;
    ULONG_PTR setupValue = 0;
    // Each frame with the matrix the file gave it, for RestoreBindPose.
    std::vector<std::pair<D3DXFRAME*, D3DXMATRIX>> bindPose;
};

// The renderer's load of one animated model: the allocator serves the
// MultiAnim, then MultiAnim::Setup. A failure is reported as "Could not load
// model: " + the file name, then a line naming the result.
HRESULT LoadAnimatedModelFile(MultiAnim* multiAnim, MultiAnimAllocateHierarchy* allocator, IDirect3DDevice9* device,
                              const char* fileName, ID3DXEffect* effect);
