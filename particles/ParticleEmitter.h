// The live copy of one emitter definition inside a particle: its own timer,
// and velocities a behaviour may overwrite.
#pragma once

#include <string>

#include "core/Vector3.h"
#include "particles/ParticleDefs.h"

struct ParticleEmitter
{
    unsigned int numemitted = 0;
    float delay = 0.0f;
    float timer = 0.0f; // seconds since the last burst
    float minscale = 1.0f;
    float maxscale = 1.0f;
    Vector3 minvel;
    Vector3 maxvel;
    std::string type;
    int align = 0;
    int emit_once = 0;

    ParticleEmitter() = default;
    explicit ParticleEmitter(const EmissionDef& def)
        : numemitted(def.numemitted), delay(def.delay), minscale(def.minscale), maxscale(def.maxscale),
          minvel(def.minvel), maxvel(def.maxvel), type(def.type), align(def.align_to_motion), emit_once(def.emit_once)
    {}
};
