// One particle: a rigid body of the physics world (which moves it, with or
// without gravity) drawn as one camera-facing quad, carrying emitters that
// create further particles. A particle owns what it emits; the manager owns
// the roots. Destroying a particle destroys its subtree, takes its body out
// of the physics world and lets its quad go (the renderer frees a queued quad
// a frame later; an unqueued one is freed here).
//
// Particles die in numbers every frame, so their deletion is batched: while a
// ParticleRemovalBatch is open (the manager opens one around its update and
// its DestroyAll), a dying particle is only taken out of its tree; when the
// batch closes, every body of the dead leaves the physics world in one pass
// and the particles are deleted.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "particles/ParticleDefs.h"
#include "physics/RigidBody.h"

struct MeshInstance;
struct ParticleEmitter;

// A definition may emit its own type, directly or through others, so a
// family is bounded twice: a particle this many emissions below its root
// emits nothing (children emitted in an update are updated in that same
// update, so each generation is a level of the stack), and the factory makes
// no particle while this many are alive (a burst may be up to 1000).
const int kMaxParticleGenerations = 8;
const int kMaxLiveParticles = 10000;

class fParticle : public RigidBody
{
public:
    fParticle();
    ~fParticle() override;
    fParticle(const fParticle&) = delete;
    fParticle& operator=(const fParticle&) = delete;

    // Gravity only, and only for types that fall.
    void ApplyForces(float h) override;

    // Takes on a type: flags, emitters, behaviours, mass, the quad (queued
    // with the renderer), and enters the physics world. scale may be null (1).
    void InitFromDef(const ParticleSystemDef& def, const float* scale);
    // One frame: aging, emission, animation, parent following, behaviours,
    // then the children (finished, childless ones are deleted).
    void Update(const float* dt);
    void Emit(float dt);
    // Follows a parent from now on: the pointers are kept, not owned, and must
    // stay valid while this particle lives. Any of them may be null.
    void AttachTo(const Vector3& offset, const Vector3* position, const Matrix3* orientation, const Vector3* velocity);
    // Stops (starts) emission of the whole subtree.
    void Hide();
    void Show();
    // This particle and all its descendants.
    int CountSystems() const;
    // Particles alive in the whole game.
    static int GetLiveCount();
    // Every emitter's minimum and maximum start velocity.
    void SetEmitterVelocity(const Vector3& v);
    void DeleteChildren();

    MeshInstance* GetQuad() const { return quad; }
    const std::vector<fParticle*>& GetChildren() const { return children; }
    const std::vector<ParticleEmitter*>& GetEmitters() const { return emitters; }
    const std::vector<BehaviourFn>& GetBehaviours() const { return behaviours; }

    int align;
    int attached;
    int has_appearance;
    int aging;
    int resting;
    int has_emitters;
    int gravity;
    int finished;
    int cycle_tex;
    int random_cycle;
    int colour_on;
    int scale_in_on;
    int rotating;
    int hidden;
    float angle;          // degrees
    float angles_per_sec; // degrees per second
    float tex_interval;
    float tex_timer;
    float age;
    float lifetime;
    float scale_in_life;
    float current_scale;
    float target_scale;
    float life_fraction;
    Vector3 offset; // in the parent's frame
    const Vector3* parent_position;
    const Matrix3* parent_orientation;
    const Vector3* parent_velocity;
    int start_tex;
    int end_tex;
    // Points into the factory's definition, which outlives the particle.
    const std::vector<ColourKey>* colour_keys;
    unsigned int key_index;
    fParticle* emitter_parent; // the particle that emitted this one; null for roots
    int generation;            // 0 for roots, one more than the emitter's for an emitted particle

private:
    void AnimateTexture(float dt);
    void AnimateColour();
    void ScaleIn();
    void AlignToMotion();
    void Spin(float dt);
    void FollowParent();
    void UpdateChildren(const float* dt);
    void ReleaseQuad();
    int PickTexture() const;
    // This particle's body and its descendants' leave the world through the
    // caller's list; their destructors then leave the world alone.
    void GatherWorldBodies(std::vector<RigidBody*>& out);
    friend class ParticleRemovalBatch;

    std::vector<BehaviourFn> behaviours;
    std::vector<ParticleEmitter*> emitters; // owned
    std::vector<fParticle*> children;       // owned
    MeshInstance* quad;                     // see ReleaseQuad for who frees it
    bool quadQueued;                        // the renderer took the quad
    bool inWorld;                           // the body is in the physics world
};

class ParticleRemovalBatch
{
public:
    // Opens a batch; one opened inside another joins it, and the outermost
    // close deletes.
    ParticleRemovalBatch();
    ~ParticleRemovalBatch();
    ParticleRemovalBatch(const ParticleRemovalBatch&) = delete;
    ParticleRemovalBatch& operator=(const ParticleRemovalBatch&) = delete;

    // The end of a particle and its subtree: at the batch's close while one
    // is open, at once otherwise. The caller has already unlinked it.
    static void Dispose(fParticle* particle);

private:
    bool outermost;
};
