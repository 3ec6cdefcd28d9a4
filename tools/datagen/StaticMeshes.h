// The static meshes of the game's mesh table, in table order, at the sizes the
// object factories and collision shapes expect (world units, z up).
#pragma once

#include <string>
#include <vector>

#include "Mesh.h"

namespace gen {

struct NamedMesh
{
    std::string file; // exact file name in Meshes/
    Mesh mesh;
    bool closed; // a solid: every edge shared by two faces, wound outward
};

std::vector<NamedMesh> BuildStaticMeshes();

} // namespace gen
