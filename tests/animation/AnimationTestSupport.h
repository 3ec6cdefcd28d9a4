// Shared by the animation tests: a scratch run tree to load model files from
// (the game opens "../Meshes/<name>" from its bin folder), the generated
// character, small hand-written hierarchies, and matrix comparisons.
#pragma once

#include <gtest/gtest.h>

#include <d3dx9.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Character.h"
#include "XTestWriter.h"
#include "render/Model.h"
#include "render/MultiAnimation.h"

// A temporary <root>/bin working directory beside <root>/Meshes for one test;
// the previous working directory comes back when it goes.
class ScratchRunTree
{
public:
    ScratchRunTree();
    ~ScratchRunTree();
    ScratchRunTree(const ScratchRunTree&) = delete;
    ScratchRunTree& operator=(const ScratchRunTree&) = delete;

    // Writes text as Meshes/<name>; the name is what MultiAnim::Setup takes.
    void WriteMesh(const std::string& name, const std::string& text) const;
    const std::string& Root() const { return root; }

private:
    std::string root;
    std::string previous;
};

// The character exactly as the data generator builds it.
const gen::SkinnedModel& Character();
// The text of the character's file after change.
std::string CharacterText(const std::function<void(gen::SkinnedModel&)>& change);

// A scratch tree holding the character (or a variant of it) as "male.x".
struct CharacterTree
{
    ScratchRunTree tree;
    explicit CharacterTree(const gen::SkinnedModel& character = Character())
    {
        tree.WriteMesh("male.x", gen::SkinnedModelText(character));
    }
};

// A MultiAnim with its allocator, unloaded when the test ends.
struct LoadedModel
{
    MultiAnimAllocateHierarchy allocator;
    MultiAnim anim;
    HRESULT hr = E_FAIL;

    LoadedModel() = default;
    LoadedModel(const std::string& fileName, IDirect3DDevice9* device = nullptr, ID3DXEffect* effect = nullptr)
    {
        Load(fileName, device, effect);
    }
    ~LoadedModel() { anim.Cleanup(&allocator); }
    HRESULT Load(const std::string& fileName, IDirect3DDevice9* device = nullptr, ID3DXEffect* effect = nullptr)
    {
        hr = anim.Setup(device, 0, fileName.c_str(), effect, &allocator);
        return hr;
    }
};

// "male.x" of the current scratch tree loaded, with one Model drawing it.
struct LoadedCharacter
{
    LoadedModel model;
    Model drawn;

    explicit LoadedCharacter(IDirect3DDevice9* device = nullptr, ID3DXEffect* effect = nullptr)
        : model("male.x", device, effect)
    {
        if (SUCCEEDED(model.hr)) drawn.Setup(&model.anim, 0.0);
    }
    bool Ready() const { return SUCCEEDED(model.hr) && drawn.GetInstance(); }
    MultiAnim& Anim() { return model.anim; }
};

// The first skinned container of the hierarchy, or null.
MultiAnimMeshContainer* FirstSkinnedContainer(D3DXFRAME* root);

// Key helpers for hand-written sets. The file holds the inverse of every
// local rotation, so a key for "rotate by q" stores q's conjugate.
xtest::QuatKey RotationKey(DWORD time, const D3DXQUATERNION& intended);
xtest::Vec3Key VectorKey(DWORD time, float x, float y, float z);

// A root frame "Bone" with one child "Tip" and one animation set whose tracks
// are the given animations (each naming its frame).
xtest::Scene BoneScene(const std::vector<xtest::Animation>& animations);

D3DXQUATERNION AxisRotation(float x, float y, float z, float radians);
// Largest element difference.
float MatrixDistance(const D3DXMATRIX& a, const D3DXMATRIX& b);
bool AllFinite(const D3DXMATRIX& m);

// The keyframe animator's current entry and its position in ticks.
using AnimatorPlace = std::pair<unsigned, float>;
AnimatorPlace CurrentAnimation();
