// The stage terrains: one height function per stage, sampled on a regular grid
// whose vertex j*rows + i sits at mesh (x0 + i, y0 + j, height / diff).
#pragma once

#include <functional>
#include <string>

#include "Mesh.h"

namespace gen {

struct TerrainSpec
{
    std::string meshFile; // in Maps/
    std::string hmpFile;  // in Maps/; empty when the mesh itself is the named file
    std::string comment;
    std::string technique;
    int material;
    int texture;
    float elastic, staticFric, dynamicFric;
    int rows, columns;
    float diff;
    float x0, y0; // mesh coordinates of vertex 0
    int stage;    // height function: 1-4 stages, 0 the developer key's extra heightmap
};

// The five terrains: stage1..stage4 and the developer key's "Heightmap.hmp" mesh.
const TerrainSpec* TerrainSpecs(int* count);

// World height (z) of a stage's terrain at world (x, y).
float StageHeight(int stage, float x, float y);

// A rows x columns grid, vertex j*rows + i at mesh (x0 + i, y0 + j, meshHeight(i, j)),
// normals from the neighbouring heights, texture coordinates a quarter per node and
// two triangles per cell split along the diagonal the physics uses.
Mesh BuildGridMesh(int rows, int columns, float x0, float y0, const std::function<float(int, int)>& meshHeight);
Mesh BuildTerrainMesh(const TerrainSpec& spec);
std::string HmpText(const TerrainSpec& spec);

} // namespace gen
