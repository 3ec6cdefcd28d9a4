// The drawable record of one mesh. Its owner (object, scene object, particle,
// HUD element) creates it, points it at its own pose and queues it with the
// renderer; when the owner goes it only marks the record, and the renderer
// frees it at the next frame.
#pragma once

#include <d3dx9math.h>

#include "core/Matrix3.h"
#include "core/Resources.h" // kNoMaterial, kNoTexture
#include "core/Vector3.h"

class Model;

// The untextured techniques an instance falls back to.
extern const char* const kTechniqueNoTexture;        // "FixedFunctionNoTexture"
extern const char* const kTechniqueSkinnedNoTexture; // "SkinnedNoTex"

struct MeshInstance
{
    // meshOrAnimatedMesh is the static mesh id, or for a skinned instance the
    // animated mesh the renderer makes its model from (Renderer::AddAnimatedModel;
    // without a renderer the instance has no model and draws nothing). Technique
    // names are interned (render/TechniqueNames.h): the lists compare them by
    // address.
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
    // Kept in its list and pruned as usual, but not drawn while set; its
    // owner shows it again by clearing it (the character's limbs, which draw
    // only while it lies limp). False at construction.
    bool hidden;
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
    // False until the instance is first drawn: before that lastWorld holds
    // no earlier place, and a new instance must not smear in from the origin.
    bool hasLastWorld;
    float colour[4];
    // The static mesh id; for a skinned instance its model's index in the
    // renderer's models, kept current when an earlier model is pruned.
    int meshId;
    // A skinned instance's own animated model: the renderer deletes it with
    // the instance, so instance and model never lose each other.
    Model* model;
    // Set once the instance is in a render list: queueing it again does
    // nothing, so the renderer never deletes one instance twice.
    bool queued;
};

// What an owner does with its instance when it goes: a queued instance is
// marked and the renderer frees it at its next frame; one never queued (no
// renderer, or never shown) is deleted here, as nothing else would.
void ReleaseMeshInstance(MeshInstance* instance);
