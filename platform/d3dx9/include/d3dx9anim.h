// D3DX animation stand-in: frame hierarchies loaded from .x files, the
// allocate-hierarchy callbacks, keyframed animation sets and a controller
// that holds them. The controller keeps time and track settings but does not
// pose frames: the game samples the keys itself.
#pragma once

#include "d3dx9mesh.h"

struct D3DXMESHCONTAINER;
typedef D3DXMESHCONTAINER* LPD3DXMESHCONTAINER;

struct D3DXFRAME
{
    LPSTR Name;
    D3DXMATRIX TransformationMatrix;
    LPD3DXMESHCONTAINER pMeshContainer;
    D3DXFRAME* pFrameSibling;
    D3DXFRAME* pFrameFirstChild;
};
typedef D3DXFRAME* LPD3DXFRAME;

struct D3DXMESHCONTAINER
{
    LPSTR Name;
    D3DXMESHDATA MeshData;
    LPD3DXMATERIAL pMaterials;
    LPD3DXEFFECTINSTANCE pEffects;
    DWORD NumMaterials;
    DWORD* pAdjacency;
    LPD3DXSKININFO pSkinInfo;
    D3DXMESHCONTAINER* pNextMeshContainer;
};

// The loader calls these to make every frame and mesh container, so that the
// application can allocate records with fields of its own behind them. The
// loader copies nothing out of the arguments after the call returns: the
// callee copies what it keeps (names, materials, adjacency) and adds a
// reference to the mesh and skin information it keeps.
struct ID3DXAllocateHierarchy
{
    virtual HRESULT CreateFrame(LPCSTR name, LPD3DXFRAME* newFrame) = 0;
    virtual HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                        const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials,
                                        const DWORD* adjacency, LPD3DXSKININFO skinInfo,
                                        LPD3DXMESHCONTAINER* newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(LPD3DXFRAME frame) = 0;
    virtual HRESULT DestroyMeshContainer(LPD3DXMESHCONTAINER meshContainer) = 0;
};
typedef ID3DXAllocateHierarchy* LPD3DXALLOCATEHIERARCHY;

// Custom top-level data is not read; the parameter exists for the signature.
struct ID3DXLoadUserData
{
    virtual ~ID3DXLoadUserData() = default;
};
typedef ID3DXLoadUserData* LPD3DXLOADUSERDATA;

struct D3DXKEY_VECTOR3
{
    FLOAT Time;
    D3DXVECTOR3 Value;
};
typedef D3DXKEY_VECTOR3* LPD3DXKEY_VECTOR3;

// Value holds the file's (w, x, y, z) as (x, y, z, w), signs unchanged.
struct D3DXKEY_QUATERNION
{
    FLOAT Time;
    D3DXQUATERNION Value;
};
typedef D3DXKEY_QUATERNION* LPD3DXKEY_QUATERNION;

enum D3DXPLAYBACK_TYPE : DWORD {
    D3DXPLAY_LOOP = 0,
    D3DXPLAY_ONCE = 1,
    D3DXPLAY_PINGPONG = 2,
    D3DXPLAY_FORCE_DWORD = 0x7fffffff
};

enum D3DXTRANSITION_TYPE : DWORD {
    D3DXTRANSITION_LINEAR = 0,
    D3DXTRANSITION_EASEINEASEOUT = 1,
    D3DXTRANSITION_FORCE_DWORD = 0x7fffffff
};

enum D3DXPRIORITY_TYPE : DWORD { D3DXPRIORITY_LOW = 0, D3DXPRIORITY_HIGH = 1, D3DXPRIORITY_FORCE_DWORD = 0x7fffffff };

struct D3DXTRACK_DESC
{
    D3DXPRIORITY_TYPE Priority;
    FLOAT Weight;
    FLOAT Speed;
    double Position;
    BOOL Enable;
};
typedef D3DXTRACK_DESC* LPD3DXTRACK_DESC;

typedef DWORD D3DXEVENTHANDLE;

struct ID3DXAnimationCallbackHandler
{
    virtual HRESULT HandleCallback(UINT track, LPVOID callbackData) = 0;
};
typedef ID3DXAnimationCallbackHandler* LPD3DXANIMATIONCALLBACKHANDLER;

struct ID3DXAnimationSet : public IUnknown
{
    virtual LPCSTR GetName() = 0;
    // Seconds: the last key time over the ticks per second.
    virtual double GetPeriod() = 0;
    virtual double GetPeriodicPosition(double position) = 0;
    virtual UINT GetNumAnimations() = 0;
    virtual HRESULT GetAnimationNameByIndex(UINT index, LPCSTR* name) = 0;
    virtual HRESULT GetAnimationIndexByName(LPCSTR name, UINT* index) = 0;
};
typedef ID3DXAnimationSet* LPD3DXANIMATIONSET;

// Keys are returned exactly as the file stores them; times are the file's ticks.
struct ID3DXKeyframedAnimationSet : public ID3DXAnimationSet
{
    virtual D3DXPLAYBACK_TYPE GetPlaybackType() = 0;
    virtual double GetSourceTicksPerSecond() = 0;
    virtual UINT GetNumScaleKeys(UINT animation) = 0;
    virtual HRESULT GetScaleKeys(UINT animation, LPD3DXKEY_VECTOR3 keys) = 0;
    virtual HRESULT GetScaleKey(UINT animation, UINT key, LPD3DXKEY_VECTOR3 value) = 0;
    virtual UINT GetNumRotationKeys(UINT animation) = 0;
    virtual HRESULT GetRotationKeys(UINT animation, LPD3DXKEY_QUATERNION keys) = 0;
    virtual HRESULT GetRotationKey(UINT animation, UINT key, LPD3DXKEY_QUATERNION value) = 0;
    virtual UINT GetNumTranslationKeys(UINT animation) = 0;
    virtual HRESULT GetTranslationKeys(UINT animation, LPD3DXKEY_VECTOR3 keys) = 0;
    virtual HRESULT GetTranslationKey(UINT animation, UINT key, LPD3DXKEY_VECTOR3 value) = 0;
};
typedef ID3DXKeyframedAnimationSet* LPD3DXKEYFRAMEDANIMATIONSET;

// Interface identity for QueryInterface on an animation set.
extern const IID IID_ID3DXKeyframedAnimationSet;

struct ID3DXAnimationController;
typedef ID3DXAnimationController* LPD3DXANIMATIONCONTROLLER;

// Animation sets are held in the file's order: index 0 is the first
// AnimationSet written in the file.
struct ID3DXAnimationController : public IUnknown
{
    virtual UINT GetMaxNumAnimationOutputs() = 0;
    virtual UINT GetMaxNumAnimationSets() = 0;
    virtual UINT GetMaxNumTracks() = 0;
    virtual UINT GetMaxNumEvents() = 0;
    virtual HRESULT RegisterAnimationSet(LPD3DXANIMATIONSET animSet) = 0;
    virtual HRESULT UnregisterAnimationSet(LPD3DXANIMATIONSET animSet) = 0;
    virtual UINT GetNumAnimationSets() = 0;
    // Adds a reference to the returned set.
    virtual HRESULT GetAnimationSet(UINT index, LPD3DXANIMATIONSET* animSet) = 0;
    virtual HRESULT GetAnimationSetByName(LPCSTR name, LPD3DXANIMATIONSET* animSet) = 0;
    virtual HRESULT AdvanceTime(double timeDelta, LPD3DXANIMATIONCALLBACKHANDLER callbackHandler) = 0;
    virtual HRESULT ResetTime() = 0;
    virtual double GetTime() = 0;
    virtual HRESULT SetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET animSet) = 0;
    virtual HRESULT GetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET* animSet) = 0;
    virtual HRESULT SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority) = 0;
    virtual HRESULT SetTrackSpeed(UINT track, FLOAT speed) = 0;
    virtual HRESULT SetTrackWeight(UINT track, FLOAT weight) = 0;
    virtual HRESULT SetTrackPosition(UINT track, double position) = 0;
    virtual HRESULT SetTrackEnable(UINT track, BOOL enable) = 0;
    virtual HRESULT SetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) = 0;
    virtual HRESULT GetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) = 0;
    virtual D3DXEVENTHANDLE KeyTrackSpeed(UINT track, FLOAT newSpeed, double startTime, double duration,
                                          D3DXTRANSITION_TYPE transition) = 0;
    virtual D3DXEVENTHANDLE KeyTrackWeight(UINT track, FLOAT newWeight, double startTime, double duration,
                                           D3DXTRANSITION_TYPE transition) = 0;
    virtual D3DXEVENTHANDLE KeyTrackPosition(UINT track, double newPosition, double startTime) = 0;
    virtual D3DXEVENTHANDLE KeyTrackEnable(UINT track, BOOL newEnable, double startTime) = 0;
    virtual HRESULT UnkeyAllTrackEvents(UINT track) = 0;
    virtual HRESULT CloneAnimationController(UINT maxNumAnimationOutputs, UINT maxNumAnimationSets, UINT maxNumTracks,
                                             UINT maxNumEvents, LPD3DXANIMATIONCONTROLLER* animController) = 0;
};

// Loads the frames, mesh containers (through the allocator), skin
// information and animation sets of a text .x file. Frames and siblings keep
// file order; a top-level mesh outside any frame gets an unnamed frame. The
// controller is null when the file has no animation sets. The device may be
// null.
HRESULT D3DXLoadMeshHierarchyFromXW(LPCWSTR filename, DWORD meshOptions, LPDIRECT3DDEVICE9 device,
                                    LPD3DXALLOCATEHIERARCHY allocator, LPD3DXLOADUSERDATA userDataLoader,
                                    LPD3DXFRAME* frameHierarchy, LPD3DXANIMATIONCONTROLLER* animController);
HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR filename, DWORD meshOptions, LPDIRECT3DDEVICE9 device,
                                    LPD3DXALLOCATEHIERARCHY allocator, LPD3DXLOADUSERDATA userDataLoader,
                                    LPD3DXFRAME* frameHierarchy, LPD3DXANIMATIONCONTROLLER* animController);

// Depth first (a frame, its children, then its siblings), case-sensitive.
LPD3DXFRAME D3DXFrameFind(const D3DXFRAME* frameRoot, LPCSTR name);
// Destroys the frames, siblings and mesh containers through the allocator.
HRESULT D3DXFrameDestroy(LPD3DXFRAME frameRoot, LPD3DXALLOCATEHIERARCHY allocator);
// Centre and radius enclosing every mesh vertex, each moved by its frame's
// combined matrix (frame matrix times its parents').
HRESULT D3DXFrameCalculateBoundingSphere(const D3DXFRAME* frameRoot, LPD3DXVECTOR3 objectCenter, FLOAT* objectRadius);
