// The drawable record of one mesh. Its owner (object, scene object, particle,
// HUD element) creates it, points it at its own pose and queues it with the
// renderer; when the owner goes it only marks the record, and the renderer
// frees it at the next frame.
#pragma once

#include <d3dx9math.h>

#include "core/Matrix3.h"
#include "core/Resources.h" // kNoMaterial, kNoTexture
#include "core/Vector3.h"

// Technique names are string constants; the render lists compare them by
// address, so instances naming the same constant share it.
extern const char* const kTechniqueNoTexture;        // "FixedFunctionNoTexture"
extern const char* const kTechniqueSkinnedNoTexture; // "SkinnedNoTex"

struct MeshInstance
{
    // meshOrAnimatedMesh is the static mesh id, or for a skinned instance the
    // animated mesh the renderer makes its model from.
    MeshInstance(bool transparent_, bool skinned_, int meshOrAnimatedMesh, const char* technique_, int materialId_,
                 int textureId_, bool faceCamera_, bool queueByTechnique_, bool overlay_);

    // The renderer deletes the instance at its next frame; the owner must not.
    void MarkForRemoval() { removeFlag = true; }
    // Off draws untextured; on returns to the technique the creator asked for.
    void EnableTexture(bool on);

    // Stored as 32-bit words, as the render-list code reads them.
    int queueByTechnique;
    bool transparent;
    bool skinned;
    bool removeFlag;
    bool wireframe;
    bool faceCamera;
    bool overlay;
    const char* ownTechnique;
    const char* technique;
    int materialId;
    int textureId;
    Vector3 offset;
    const Vector3* position;
    const Matrix3* orientation;
    const D3DXMATRIX* worldOverride;
    D3DXMATRIX world;
    D3DXMATRIX lastWorld;
    float colour[4];
    int meshId;
};
