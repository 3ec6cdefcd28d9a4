// The player's character: a walking capsule the player's push moves, and
// fourteen limbs on hinges that follow the animated skeleton while the
// character is upright and fall under physics when it is knocked out.
//
// Animated (Disable): every sub-step the limbs take the walking body's
// motion, the character's animation advances, and each limb is laid along
// its bone, so the limbs collide with the world yet never leave the pose.
// Limp (Enable): the hinges switch on and gravity takes the limbs.
//
// Ownership: the World takes the limbs and the walking body as objects
// (StageHooks::AddObject) and deletes them at the stage clear; the ragdoll
// deletes only those no World took (headless tools and tests). The ragdoll
// itself sits in the World's controllers and is deleted after the physics
// world's clear, so its hinges (members) are never referred to once gone.
// It owns its limb drawables: the destructor gives them back to the
// renderer (ReleaseMeshInstance) without reading the limbs they follow.
#pragma once

#include <cstddef>
#include <vector>

#include "objects/RagdollLayout.h"
#include "physics/HingeJoint.h"
#include "physics/PhysicsController.h"

class Capsule;
class Object;
class PhysicsWorld;
class RigidBody;
struct D3DXFRAME;
struct MeshInstance;

struct BodySurface
{
    float elasticity;
    float staticFriction;
    float dynamicFriction;
    float restScale;
};

class Ragdoll : public PhysicsController
{
public:
    // Builds the limbs at their places around (0, 0, 0), the walking body at
    // the origin, the drawables, the left hand by stage, the hinges and the
    // no-collision pairs, and registers everything with the world. Leaves the
    // ragdoll limp: its builder animates it (Disable) and places it (MoveTo).
    Ragdoll(PhysicsWorld* world, float damping);
    ~Ragdoll() override;

    void Update(float h) override;

    // Go limp: hinges on (the torch wrist stays off but on the first stage)
    // and gravity on every limb; every limb drawable shows, as the
    // character's one figure.
    void Enable();
    // Become animated: hinges off, gravity off (the limbs are carried). The
    // skinned model is the figure then: only the torch and a worn mask show.
    void Disable();
    // Moves every limb by p minus limb 0's position. The walking body stays.
    void MoveTo(const Vector3& p);
    // The head with the mask (on) or bare (off); standing, the head shows
    // only with the mask.
    void SetLimbState(bool on);
    // When both bodies have collision data, each enters the other's ignore list.
    void IgnoreCollisionPair(RigidBody* a, RigidBody* b);

    // The walking body (type 22), which the player's push moves.
    Capsule* GetMainBody() const { return mainBody; }
    // Limb i in limb-table order (limb 0 the spine); null outside [0, GetLimbCount()).
    Object* GetLimb(int i) const;
    int GetLimbCount() const { return kRagdollLimbCount; }
    bool IsLimp() const { return limp; }
    float GetDamping() const { return damping; }

    const HingeJoint& GetJoint(int i) const { return joints[i]; }
    // The limb drawables in creation order (the head second, the left hand last).
    const std::vector<MeshInstance*>& GetLimbInstances() const { return limbInstances; }
    // Whether limb i follows its bone (false: no model, or the bone or its
    // first child is missing; the limb is then held at its place around limb 0).
    bool FollowsBone(int i) const;

private:
    void BuildLimbs(PhysicsWorld* world);
    void AddDrawable(const LimbDrawableSpec& spec);
    void BuildLeftHand(int stage);
    void SetUpJoints(PhysicsWorld* world);
    void EnterNoCollisionPairs();
    void RegisterBodies(PhysicsWorld* world);
    // Surface, rest tuning and type, then the physics world and the World
    // (which may decline it: the ragdoll then keeps the body).
    void Register(PhysicsWorld* world, Object* body, const BodySurface& surface, int type);
    // One animated sub-step.
    void FollowAnimation(float h);
    void HoldAtPlace(int limb);
    // Hides or shows each limb drawable for the state (limp, mask); every
    // drawable follows its limb until the next animated step.
    void ShowDrawables();
    // Drawable i back on its limb's body, drawn at its spec's scale.
    void DrawOnLimb(size_t i);
    // Standing, what shows of the limbs (the torch, a worn mask) is drawn on
    // the skinned model's bones: each such drawable's world becomes its place
    // on the bone this step times the bone's frame, so it stays on the model
    // however the model is posed next (a replay's step too), and never shows
    // where the physics step has carried the limb on to. Without a posed
    // model every drawable follows its limb.
    void DrawShownOnBones(bool posed);

    std::vector<Object*> limbs;
    Capsule* mainBody = nullptr;
    // Each limb's bone and the bone's first child, whose origins span it.
    std::vector<D3DXFRAME*> bones;
    std::vector<D3DXFRAME*> boneEnds;
    HingeJoint joints[kRagdollJointCount];
    float damping;
    bool limp = true;
    std::vector<MeshInstance*> limbInstances;
    // What each drawable was made from (the layout's tables), in the same order.
    std::vector<const LimbDrawableSpec*> drawableSpecs;
    bool maskOn = false;
    // Bodies no World took: deleted with the ragdoll.
    std::vector<Object*> ownedBodies;
};
