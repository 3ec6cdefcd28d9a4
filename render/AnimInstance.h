// One drawn copy of the character hierarchy: its own world matrix and a
// clone of the loaded controller. Advancing it poses the shared frames
// (through the one keyframe animator) and combines them down the tree under
// its world matrix; drawing it runs the palette draw of every skinned
// container with the technique the caller has set.
#pragma once

#include <d3dx9.h>

class MultiAnim;
struct MultiAnimMeshContainer;

class AnimInstance
{
public:
    // Made by MultiAnim::CreateNewInstance, owned by that MultiAnim's instance
    // vector; a Model gives it back with MultiAnim::DestroyInstance.
    explicit AnimInstance(MultiAnim* owner);

    // Keeps a reference to the controller and disables every one of its tracks.
    virtual HRESULT Setup(ID3DXAnimationController* controller);
    // Each frame's matrix becomes itself times the parent matrix, in place;
    // siblings take the same parent, children the frame's new matrix.
    virtual void UpdateFrames(D3DXFRAME* frame, const D3DXMATRIX* parent);
    virtual void DrawFrames(D3DXFRAME* frame);
    // The palette draw of the frame's skinned containers: for every attribute
    // group, palette entry i = offset x matrix of bone BoneId[i] into
    // "amPalette", "CurNumBones" = maximum influences - 1, and every pass of
    // the effect's current technique draws the group.
    virtual void DrawMeshFrame(D3DXFRAME* frame);
    virtual ~AnimInstance();
    // Releases the controller.
    virtual void Cleanup();
    // Puts every frame back to its bind pose, advances the one keyframe
    // animator by dt and combines the frames under the world matrix. The
    // controller is not advanced: the game samples the keys itself.
    virtual HRESULT AdvanceTime(double dt, ID3DXAnimationCallbackHandler* callbackHandler);
    virtual HRESULT ResetTime();
    virtual HRESULT Draw();

    // Adds a reference for the caller; null when there is no controller.
    ID3DXAnimationController* GetAnimController();
    void SetWorldTransform(const D3DXMATRIX* world);
    const D3DXMATRIX& GetWorldTransform() const { return world; }
    MultiAnim* GetMultiAnim() const { return multiAnim; }

    AnimInstance(const AnimInstance&) = delete;
    AnimInstance& operator=(const AnimInstance&) = delete;

private:
    MultiAnim* multiAnim;
    D3DXMATRIX world;
    ID3DXAnimationController* controller = nullptr;
};

// Palette entries of one attribute group: offset x bone matrix for each entry
// that names a bone. Entries naming no bone are left as they are.
void FillBonePalette(const MultiAnimMeshContainer& container, DWORD group, D3DXMATRIX* palette);
