// The three point lights a frame hands the effect, as the arrays of eight
// the effect declares ("LightPos", "LightCol", "LightAtten").
#pragma once

#include <cstring>
#include <vector>

// Lights the effect reads; the entries after them stay zero.
constexpr int kFrameLightCount = 3;
constexpr int kLightArraySize = 8;

struct LightArrays
{
    float position[kLightArraySize][3];
    float colour[kLightArraySize][4];
    // A range in world units; 0 means no light.
    float attenuation[kLightArraySize];
};

// The first three lights of the list in order, each with its position,
// colour and current attenuation. A shorter list (or none) leaves the
// missing lights black with no range, so the effect adds nothing for them.
// Light: anything with `position` (x, y, z), `colour[4]` and `attenuation`.
template <class Light>
int FillLightArrays(const std::vector<Light*>* lights, LightArrays& out)
{
    std::memset(&out, 0, sizeof(out));
    int filled = 0;
    if (!lights) return 0;
    for (const Light* light : *lights) {
        if (filled == kFrameLightCount) break;
        if (!light) continue;
        out.position[filled][0] = light->position.x;
        out.position[filled][1] = light->position.y;
        out.position[filled][2] = light->position.z;
        std::memcpy(out.colour[filled], light->colour, sizeof(out.colour[filled]));
        out.attenuation[filled] = light->attenuation;
        ++filled;
    }
    return filled;
}
