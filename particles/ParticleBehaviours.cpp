#include "particles/ParticleBehaviours.h"

#include "particles/ParticleHooks.h"
#include "particles/ParticleRandom.h"
#include "particles/fParticle.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"

namespace {

// The push-out bias reaches the sunk depth in five steps, and never more
// than this speed.
const float kBiasSteps = 5.0f;
const float kMaxBias = 30.0f;
const float kOrbitPull = 125.0f;
const float kSpoutBaseFactor = 0.05f;
const float kSpoutRandomFactor = 0.05f;

void SpoutAlongParent(fParticle* particle, float direction)
{
    // Only an attached particle has a parent to aim by, and its sender may
    // not have given the parent's velocity.
    if (!particle->attached || !particle->parent_orientation || !particle->parent_velocity) {
        return;
    }
    Vector3 axis;
    particle->parent_orientation->GetRow2(axis);
    const float factor = kSpoutBaseFactor + kSpoutRandomFactor * ParticleRandom();
    const float speed = particle->parent_velocity->Length();
    particle->SetEmitterVelocity(axis * (direction * speed * factor));
}

} // namespace

void GroundCollision(fParticle* particle, const float* dt)
{
    // Without terrain (a dropped bitmap that failed to convert) there is
    // nothing to bounce off.
    if (!gPhysicsWorld || gPhysicsWorld->GetHeightmaps().empty()) {
        return;
    }
    const Vector3& p = particle->position;
    float height = 0.0f;
    Vector3 normal;
    gPhysicsWorld->GetHeightmaps()[0]->GetHeight(p.x, p.y, height, normal);
    if (!(height > p.z)) {
        return;
    }
    const float step = dt ? *dt : 0.0f;
    const float depth = (height - p.z) * normal.z;
    // Held time (replay freeze) gives no bias: it would build up while
    // nothing moves and throw the particle up on release.
    float bias = 0.0f;
    if (depth > 0.0f && step > 0.0f) {
        bias = depth / (kBiasSteps * step);
        if (bias > kMaxBias) {
            bias = kMaxBias;
        }
    }
    const float normalSquared = Vector3::Dot(normal, normal);
    if (!(normalSquared > 0.0f)) {
        return;
    }
    Vector3& v = particle->linearVelocity;
    const float impulse = (-(1.0f + particle->elasticity) * Vector3::Dot(v, normal) + bias) /
                          (normalSquared * particle->GetInverseMass());
    v += normal * (impulse * particle->GetInverseMass());
}

void UpdateOnPlayerMove(fParticle* particle, const float*)
{
    ParticleHooks& hooks = ParticleHookSlot::Get();
    ParticlePlayerState player;
    if (!hooks.GetPlayerState(player)) {
        return;
    }
    if (!player.upright) {
        particle->finished = 1;
    } else if (player.idleAnimation) {
        particle->Hide();
    } else if (player.touching || hooks.IsPlayerOnGround()) {
        if (particle->hidden) {
            particle->Show();
        }
    } else if (!particle->hidden) {
        particle->Hide();
    }
}

void OrbitParent(fParticle* particle, const float* dt)
{
    const fParticle* parent = particle->emitter_parent;
    if (!parent) {
        return;
    }
    Vector3 towards = parent->position - particle->position;
    towards.Normalize();
    const float step = dt ? *dt : 0.0f;
    particle->linearVelocity += towards * (kOrbitPull * step * particle->GetInverseMass());
}

void SpoutOppositeDirParent(fParticle* particle, const float*)
{
    SpoutAlongParent(particle, -1.0f);
}

void SpoutDirParent(fParticle* particle, const float*)
{
    SpoutAlongParent(particle, 1.0f);
}
