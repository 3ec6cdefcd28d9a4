// The fourteen surface materials every drawn mesh and terrain takes its
// colours from, by material id. Id 14 (kNoMaterial) and anything else outside
// the table means "no material": the draw loops then send no colours.
#pragma once

#include "core/Resources.h" // kMaterialCount, kNoMaterial

struct Material
{
    float diffuse[4];  // "DiffCol"
    float ambient[4];  // "AmbCol"
    float specular[4]; // "SpecCol"
    float emissive[4]; // "EmisCol"
    float power;       // "Power"
};

// Diffuse colours above 1 (lava, the bright stones, the coins) are kept as
// they are: they reach the effect unclamped and glow through the float targets.
extern const Material MaterialTable[kMaterialCount];

// The row of a material id, or null for "no material" and any id past the table.
const Material* FindMaterial(int materialId);
