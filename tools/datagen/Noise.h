// Deterministic hash-based value noise shared by the mesh, terrain and texture
// generators. No global state, no library random numbers: same bytes every build.
#pragma once

#include <cstdint>

namespace gen {

uint32_t Hash(uint32_t x);
uint32_t Hash3(int x, int y, int z, uint32_t seed);
float HashFloat(int x, int y, int z, uint32_t seed); // [0, 1)

// Smooth value noise in [0, 1). Periodic variants wrap with the given period so
// textures tile.
float ValueNoise2(float x, float y, uint32_t seed, int period = 0);
float ValueNoise3(float x, float y, float z, uint32_t seed);
// Fractal sums normalised to [0, 1).
float Fbm2(float x, float y, int octaves, uint32_t seed, int period = 0);
float Fbm3(float x, float y, float z, int octaves, uint32_t seed);
// Distance to the nearest feature point of a periodic cell grid, in cell units,
// and the id of that cell (for cobbles and cracks).
float Cellular2(float x, float y, uint32_t seed, int period, uint32_t* cellId = nullptr,
                float* secondDistance = nullptr);

// A small deterministic generator for scattering things.
class Rng
{
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    uint32_t Next()
    {
        state_ = Hash(state_ + 0x9e3779b9u);
        return state_;
    }
    float Uniform() { return (Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float a, float b) { return a + (b - a) * Uniform(); }

private:
    uint32_t state_;
};

} // namespace gen
