// What the stage machinery built here (chains and bridges, logs, the ragdoll,
// the mine cart) asks of the game above: the World's adders and scene-object
// factory, the player and the particle manager. The game installs its side in
// game/GameHooks.cpp; without it nothing is added or told and the builders
// run headless in tests. The stage number is core/Stage.h's.
#pragma once

#include "core/HookSlot.h"

struct Matrix3;
struct Vector3;
class Object;
class NPObj;      // the World's non-physical scene objects (chain visuals among them)
class PointLight; // the renderer's point light
class RigidBody;
class fEventObj;

// The scene-object type of the first stage's sun (game/Sun.h), which the
// ragdoll's builder asks CreateSceneObject for.
constexpr int kSunSceneObjectType = 43;

class StageHooks
{
public:
    virtual ~StageHooks() = default;

    // World::AddObject. True when the World took the object (it deletes it at
    // the stage clear); false without a World, and the builder keeps it.
    virtual bool AddObject(Object* object) { return false; }
    // World::AddUpdatable, ownership as for AddObject.
    virtual bool AddUpdatable(NPObj* sceneObject) { return false; }
    // World::AddLight with the owner's pose, a colour of four floats and the
    // light's three values; the light the World made and owns, or null.
    virtual PointLight* AddLight(const Vector3* position, const Matrix3* orientation, const float* colour, float range,
                                 float attenuation0, float attenuation1)
    {
        return nullptr;
    }
    // World::CreateNPObject (the ragdoll's sun on stage 1, kSunSceneObjectType).
    virtual void CreateSceneObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy,
                                   float sz, int texture)
    {}
    // Player::KnockOut (the spinning logs' hazard).
    virtual void KnockOutPlayer() {}
    // Player::ResetForNewLevel (a ragdoll being built).
    virtual void ResetPlayerForNewLevel() {}
    // The main body of the player's character; null without a Player.
    virtual const RigidBody* GetPlayerBody() const { return nullptr; }
    // The particle manager, the receiver of the ragdoll's "TorchEmitter"
    // (message 1, sent at once); null, and the message is only freed.
    virtual fEventObj* GetParticleManager() const { return nullptr; }
};

using StageHookSlot = HookSlot<StageHooks>;
