// One animated model the renderer draws: an AnimInstance of the character
// hierarchy with its animation time and the renderer's bookkeeping (which
// animated mesh it is, whether it animates).
//
// Ownership: the renderer creates Models, keeps them across device changes
// and deletes one when its skinned drawable is pruned (or at exit). Deleting
// a Model gives its AnimInstance back to the MultiAnim, so Models must go
// before their MultiAnim does.
#pragma once

#include <d3dx9.h>

class AnimInstance;
class MultiAnim;

class Model
{
public:
    Model();
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Both times start at startTime; a new instance of the hierarchy is made
    // and its controller set to play track 0 alone. Without an instance (no
    // hierarchy loaded) the failure is reported, E_OUTOFMEMORY returned, and
    // the Model stays without one: advancing it does nothing, the renderer
    // skips drawing it.
    HRESULT Setup(MultiAnim* multiAnim, double startTime);
    // Moves the time on and advances the instance (and so the one animator).
    void AdvanceTime(double dt);

    AnimInstance* GetInstance() const { return instance; }
    MultiAnim* GetMultiAnim() const { return multiAnim; }
    // Whether the instance has been given a pose of its own (advanced once).
    bool IsPosed() const { return posed; }
    bool IsActive() const { return active; }
    void SetActive(bool on) { active = on; }
    int GetAnimatedMesh() const { return animatedMesh; }
    void SetAnimatedMesh(int index) { animatedMesh = index; }
    // Uniform scaling to a size of 1/7 of the model's bounding radius; identity
    // when the radius is unknown.
    const D3DXMATRIX& GetScale() const { return scale; }
    double GetTime() const { return currentTime; }
    double GetPreviousTime() const { return previousTime; }

private:
    D3DXMATRIX scale;
    MultiAnim* multiAnim = nullptr;
    AnimInstance* instance = nullptr; // owned by the MultiAnim; handed back by the destructor
    double previousTime = 0.0;
    double currentTime = 0.0;
    int animatedMesh = 0;
    bool active = true;
    bool posed = false;
};
