#include "render/MeshInstance.h"

#include "render/Renderer.h"
#include "render/TechniqueNames.h"

// Interned like every other name, so they compare equal to the same name
// coming from a file or a table.
const char* const kTechniqueNoTexture = InternTechnique("FixedFunctionNoTexture");
const char* const kTechniqueSkinnedNoTexture = InternTechnique("SkinnedNoTex");

MeshInstance::MeshInstance(bool transparent_, bool skinned_, int meshOrAnimatedMesh, const char* technique_,
                           int materialId_, int textureId_, bool faceCamera_, bool queueByTechnique_, bool overlay_)
    : queueByTechnique(queueByTechnique_ ? 1 : 0), transparent(transparent_), skinned(skinned_), removeFlag(false),
      wireframe(false), hidden(false), faceCamera(faceCamera_), overlay(overlay_),
      ownTechnique(InternTechnique(technique_)),
      technique(textureId_ == kNoTexture ? kTechniqueNoTexture : ownTechnique), materialId(materialId_),
      textureId(textureId_), position(nullptr), orientation(nullptr), worldOverride(nullptr),
      hasLastWorld(false), colour{0.0f, 0.0f, 0.0f, 0.0f}, meshId(meshOrAnimatedMesh), model(nullptr), queued(false)
{
    if (skinned && gRenderer != nullptr) {
        meshId = gRenderer->AddAnimatedModel(meshOrAnimatedMesh);
        model = gRenderer->GetModel(meshId);
    }
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&lastWorld);
}

void MeshInstance::EnableTexture(bool on)
{
    if (on) {
        technique = ownTechnique;
    } else {
        technique = skinned ? kTechniqueSkinnedNoTexture : kTechniqueNoTexture;
    }
}

void ReleaseMeshInstance(MeshInstance* instance)
{
    if (instance == nullptr) return;
    if (instance->queued) {
        instance->MarkForRemoval();
    } else {
        delete instance;
    }
}
