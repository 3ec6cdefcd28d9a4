// The in-memory form of one particle type as the definition files describe it:
// how it looks, what it emits, how it moves and how long it lives. The factory
// keeps one per type name for the whole run; live particles point into them
// (the colour keys), so definitions must outlive every particle.
#pragma once

#include <cfloat>
#include <string>
#include <vector>

#include "core/Vector3.h"

class fParticle;

// Called once per update of a particle, after its own animation, with the
// step time in seconds.
typedef void (*BehaviourFn)(fParticle* particle, const float* dt);

// The quad's diffuse colour at a life fraction (0 at birth, 1 at the end).
struct ColourKey
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
    float life = 0.0f;
};

struct AppearanceDef
{
    int blendmode = 0; // 0: blended, sorted back to front; otherwise drawn additively
    int present = 0;   // the type has a quad at all
    std::string technique;
    unsigned int start_tex = 0; // texture id range, inclusive
    unsigned int end_tex = 0;
    int cycle_tex = 0;
    int random_cycle = 0;
    int random_start_tex = 0;
    float tex_interval = 0.0f; // seconds
    std::vector<ColourKey> colours;
    int scale_in = 0;
    float scale_in_life = 0.0f; // life fraction over which the quad grows
};

// One emitter: every `delay` seconds a burst of `numemitted` particles of
// `type`, with random velocity in the box [minvel, maxvel] and random scale.
struct EmissionDef
{
    float delay = FLT_MAX; // an emitter without a delay never fires
    Vector3 minvel;
    Vector3 maxvel;
    unsigned int numemitted = 0;
    std::string type;
    int align_to_motion = 0;
    int emit_once = 0;
    float minscale = 1.0f;
    float maxscale = 1.0f;
};

struct ParticleSystemDef
{
    AppearanceDef appearance;
    std::vector<EmissionDef> emissions;
    int gravity = 1;
    float mass = 1.0f;
    int resting = 0;
    int aging = 1;
    float lifetime = 0.0f; // seconds
    int rotating = 0;
    float angles_per_sec = 0.0f; // degrees per second
    std::vector<BehaviourFn> behaviours;
};
