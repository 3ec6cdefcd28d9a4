#include "particles/fParticle.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "core/MathConstants.h"
#include "core/Resources.h"
#include "particles/ParticleEmitter.h"
#include "particles/ParticleHooks.h"
#include "particles/ParticleQuad.h"
#include "particles/ParticleRandom.h"
#include "particles/fPartFactory.h"
#include "physics/PhysicsWorld.h"

namespace {

// The open batch's dead, in the order they died; null while none is open.
std::vector<fParticle*>* sDying = nullptr;

const float kParticleElasticity = 0.5f;

int liveParticles = 0;

// The axis quads turn about: towards the viewer.
Vector3 ViewAxis()
{
    Vector3 axis = -ParticleHookSlot::Get().GetCameraForward();
    return axis.Normalize();
}

} // namespace

fParticle::fParticle()
    : align(0), attached(0), has_appearance(0), aging(0), resting(0), has_emitters(0), gravity(0), finished(0),
      cycle_tex(0), random_cycle(0), colour_on(0), scale_in_on(0), rotating(0), hidden(0), angle(0.0f),
      angles_per_sec(0.0f), tex_interval(0.0f), tex_timer(0.0f), age(0.0f), lifetime(0.0f), scale_in_life(0.0f),
      current_scale(0.0f), target_scale(0.0f), life_fraction(0.0f), parent_position(nullptr),
      parent_orientation(nullptr), parent_velocity(nullptr), start_tex(0), end_tex(0), colour_keys(nullptr),
      key_index(0), emitter_parent(nullptr), generation(0), quad(nullptr), quadQueued(false), inWorld(false)
{
    ++liveParticles;
    // The rest pass leaves id 0 alone, so a particle never freezes by resting:
    // a slow drift would otherwise stop dead after a second. Resting types
    // still start frozen (InitFromDef).
    id = 0;
}

fParticle::~fParticle()
{
    --liveParticles;
    for (ParticleEmitter* emitter : emitters) {
        delete emitter;
    }
    emitters.clear();
    DeleteChildren();
    if (inWorld && gPhysicsWorld) {
        gPhysicsWorld->RemoveBody(this);
    }
    ReleaseQuad();
}

void fParticle::ApplyForces(float)
{
    if (gravity) {
        ApplyGravity();
    }
}

void fParticle::InitFromDef(const ParticleSystemDef& def, const float* scale)
{
    const float uniformScale = scale ? *scale : 1.0f;
    aging = def.aging;
    lifetime = def.lifetime;
    has_appearance = def.appearance.present;
    rotating = def.rotating;
    angles_per_sec = def.angles_per_sec;
    resting = def.resting;
    SetFreezeState(resting, 1.0f);

    has_emitters = def.emissions.empty() ? 0 : 1;
    for (const EmissionDef& emission : def.emissions) {
        if (ParticleEmitter* emitter = new (std::nothrow) ParticleEmitter(emission)) {
            emitters.push_back(emitter);
        }
    }
    behaviours.insert(behaviours.end(), def.behaviours.begin(), def.behaviours.end());

    SetMass(def.mass);
    elasticity = kParticleElasticity;
    gravity = def.gravity;

    if (has_appearance) {
        const AppearanceDef& appearance = def.appearance;
        ReleaseQuad();
        start_tex = static_cast<int>(appearance.start_tex);
        end_tex = static_cast<int>(appearance.end_tex);
        const int texture = appearance.random_start_tex ? PickTexture() : start_tex;
        quad = CreateParticleQuad(kScreenQuadMeshId, ParticleHookSlot::Get().InternTechnique(appearance.technique),
                                  texture, appearance.blendmode, &position, &GetOrientation());
        cycle_tex = appearance.cycle_tex;
        random_cycle = appearance.random_cycle;
        tex_interval = appearance.tex_interval;
        tex_timer = 0.0f;
        if (appearance.colours.size() >= 2) {
            colour_on = 1;
            key_index = 0;
            colour_keys = &appearance.colours;
            SetParticleQuadColour(quad, appearance.colours[0]);
        } else {
            colour_on = 0;
        }
        if (appearance.scale_in) {
            // Drawn at its current size from the first frame, not full size
            // until its first update.
            current_scale = 0.0f;
            target_scale = uniformScale;
            scale_in_life = appearance.scale_in_life;
            scale_in_on = 1;
            SetParticleQuadScale(quad, current_scale);
        } else {
            SetParticleQuadScale(quad, uniformScale);
        }
        quadQueued = QueueParticleQuad(quad);
    }

    if (gPhysicsWorld) {
        gPhysicsWorld->AddBody(this);
        inWorld = true;
    }
}

void fParticle::Update(const float* dt)
{
    const float step = dt ? *dt : 0.0f;
    if (!resting) {
        if (aging) {
            age += step;
            if (age >= lifetime) {
                finished = 1;
            }
            // Without a lifetime the particle is at its end at once.
            life_fraction = lifetime > 0.0f ? age / lifetime : 1.0f;
        }
        if (!hidden) {
            Emit(step);
        }
        if (cycle_tex) {
            AnimateTexture(step);
        }
        if (colour_on) {
            AnimateColour();
        }
        if (scale_in_on) {
            ScaleIn();
        }
        if (align) {
            AlignToMotion();
        } else if (rotating) {
            Spin(step);
        }
        if (attached) {
            FollowParent();
        }
        for (size_t i = 0; i < behaviours.size(); ++i) {
            behaviours[i](this, &step);
        }
    }
    UpdateChildren(&step);
}

int fParticle::GetLiveCount()
{
    return liveParticles;
}

void fParticle::Emit(float dt)
{
    if (!has_emitters || emitters.empty() || finished || generation >= kMaxParticleGenerations) {
        return;
    }
    size_t i = 0;
    while (i < emitters.size()) {
        ParticleEmitter* emitter = emitters[i];
        emitter->timer += dt;
        bool emitted = false;
        if (emitter->timer >= emitter->delay) {
            for (unsigned int n = 0; n < emitter->numemitted; ++n) {
                const float r1 = ParticleRandom();
                const float r2 = ParticleRandom();
                const float r3 = ParticleRandom();
                const float r4 = ParticleRandom();
                Vector3 velocity;
                velocity.z = emitter->minvel.z + r1 * (emitter->maxvel.z - emitter->minvel.z);
                velocity.y = emitter->minvel.y + r2 * (emitter->maxvel.y - emitter->minvel.y);
                velocity.x = emitter->minvel.x + r3 * (emitter->maxvel.x - emitter->minvel.x);
                const float scale = emitter->minscale + r4 * (emitter->maxscale - emitter->minscale);
                fParticle* child =
                    gPartFactory ? gPartFactory->CreateSystem(emitter->type, &position, &scale, &velocity) : nullptr;
                if (!child) {
                    // An unknown type (one report is enough) or the particle limit fails the rest of the burst too.
                    break;
                }
                child->emitter_parent = this;
                child->generation = generation + 1;
                child->align = emitter->align;
                children.push_back(child);
            }
            emitter->timer = 0.0f;
            emitted = true;
        }
        if (emitted && emitter->emit_once == 1) {
            delete emitter;
            emitters.erase(emitters.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void fParticle::AnimateTexture(float dt)
{
    tex_timer += dt;
    if (tex_timer < tex_interval) {
        return;
    }
    int texture;
    if (random_cycle) {
        texture = PickTexture();
    } else {
        texture = GetParticleQuadTexture(quad) + 1;
        if (texture > end_tex) {
            texture = start_tex;
        }
    }
    SetParticleQuadTexture(quad, texture);
    tex_timer = 0.0f;
}

// start + (end - start) r in signed arithmetic, so a reversed range picks
// inside it instead of wrapping round to billions.
int fParticle::PickTexture() const
{
    const float pick = static_cast<float>(start_tex) + static_cast<float>(end_tex - start_tex) * ParticleRandom();
    const int texture = static_cast<int>(pick);
    return std::min(std::max(texture, std::min(start_tex, end_tex)), std::max(start_tex, end_tex));
}

void fParticle::AnimateColour()
{
    const std::vector<ColourKey>& keys = *colour_keys;
    const ColourKey& from = keys[key_index];
    const ColourKey& to = keys[key_index + 1];
    const float span = to.life - from.life;
    if (span > 0.0f) {
        const float t = std::min(std::max((life_fraction - from.life) / span, 0.0f), 1.0f);
        SetParticleQuadColour(quad, from, to, t);
    } else {
        // Keys out of order or at the same life: the later one holds.
        SetParticleQuadColour(quad, to);
    }
    if (to.life <= life_fraction) {
        ++key_index;
        SetParticleQuadColour(quad, keys[key_index]);
        if (key_index + 1 >= keys.size()) {
            colour_on = 0;
        }
    }
}

void fParticle::ScaleIn()
{
    if (life_fraction < scale_in_life) {
        current_scale = target_scale * life_fraction / scale_in_life;
    } else {
        current_scale = target_scale;
        scale_in_on = 0;
    }
    SetParticleQuadScale(quad, current_scale);
}

void fParticle::AlignToMotion()
{
    // The velocity is taken as a direction, so the cosine stays within acos's
    // domain; at rest it counts as square to the quad's y axis.
    float cosine = 0.0f;
    const float speedSquared = linearVelocity.LengthSquared();
    if (speedSquared > 0.0f) {
        Vector3 row1;
        GetOrientation().GetRow1(row1);
        const Vector3 direction = linearVelocity * (1.0f / std::sqrt(speedSquared));
        cosine = std::min(std::max(Vector3::Dot(row1, direction), -1.0f), 1.0f);
    }
    Matrix3 rotation;
    Matrix3::FromAxisAngle(rotation, std::acos(cosine) * kDegreesPerRadianFloat, ViewAxis());
    SetOrientation(rotation);
}

void fParticle::Spin(float dt)
{
    angle += angles_per_sec * dt;
    Matrix3 rotation;
    Matrix3::FromAxisAngle(rotation, angle, ViewAxis());
    SetOrientation(rotation);
}

void fParticle::FollowParent()
{
    if (!parent_position) {
        return;
    }
    const Matrix3& frame = parent_orientation ? *parent_orientation : Matrix3::Identity();
    Vector3 row0, row1, row2;
    frame.GetRow0(row0);
    frame.GetRow1(row1);
    frame.GetRow2(row2);
    SetPosition(*parent_position + row0 * offset.x + row1 * offset.y + row2 * offset.z);
}

// Walked by index with a separate write index: deletions keep the order of
// the rest, and anything appended meanwhile is still visited.
void fParticle::UpdateChildren(const float* dt)
{
    size_t kept = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        fParticle* child = children[i];
        if (child->finished && child->children.empty()) {
            ParticleRemovalBatch::Dispose(child);
            continue;
        }
        child->Update(dt);
        children[kept++] = child;
    }
    children.resize(kept);
}

void fParticle::AttachTo(const Vector3& offset_, const Vector3* position_, const Matrix3* orientation_,
                         const Vector3* velocity_)
{
    attached = 1;
    offset = offset_;
    parent_position = position_;
    parent_orientation = orientation_;
    parent_velocity = velocity_;
}

void fParticle::Hide()
{
    hidden = 1;
    for (fParticle* child : children) {
        child->Hide();
    }
}

void fParticle::Show()
{
    hidden = 0;
    for (fParticle* child : children) {
        child->Show();
    }
}

int fParticle::CountSystems() const
{
    int count = 1;
    for (const fParticle* child : children) {
        count += child->CountSystems();
    }
    return count;
}

void fParticle::SetEmitterVelocity(const Vector3& v)
{
    for (ParticleEmitter* emitter : emitters) {
        emitter->minvel = v;
        emitter->maxvel = v;
    }
}

void fParticle::DeleteChildren()
{
    std::vector<fParticle*> doomed;
    doomed.swap(children);
    for (fParticle* child : doomed) {
        ParticleRemovalBatch::Dispose(child);
    }
}

void fParticle::ReleaseQuad()
{
    ReleaseParticleQuad(quad, quadQueued);
    quad = nullptr;
    quadQueued = false;
}

void fParticle::GatherWorldBodies(std::vector<RigidBody*>& out)
{
    if (inWorld) {
        out.push_back(this);
        inWorld = false;
    }
    for (fParticle* child : children) {
        child->GatherWorldBodies(out);
    }
}

ParticleRemovalBatch::ParticleRemovalBatch() : outermost(sDying == nullptr)
{
    if (outermost) {
        sDying = new std::vector<fParticle*>();
    }
}

ParticleRemovalBatch::~ParticleRemovalBatch()
{
    if (!outermost) {
        return;
    }
    // Closed before the deletions, so the subtrees they delete go at once:
    // their bodies have left with the rest.
    std::unique_ptr<std::vector<fParticle*>> dying(sDying);
    sDying = nullptr;
    std::vector<RigidBody*> bodies;
    for (fParticle* particle : *dying) {
        particle->GatherWorldBodies(bodies);
    }
    if (gPhysicsWorld) {
        gPhysicsWorld->RemoveBodies(bodies);
    }
    for (fParticle* particle : *dying) {
        delete particle;
    }
}

void ParticleRemovalBatch::Dispose(fParticle* particle)
{
    if (!particle) {
        return;
    }
    if (sDying) {
        sDying->push_back(particle);
    } else {
        delete particle;
    }
}
