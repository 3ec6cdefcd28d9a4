// The clip volume of a row-vector transform as six planes, and the tests the
// renderer culls by: a box (terrain tiles) or a sphere (a mesh under its world
// matrix) that lies wholly outside one plane is not drawn.
#pragma once

#include <d3dx9math.h>

struct ViewPlane
{
    float a, b, c, d; // inside where a x + b y + c z + d >= 0
};

struct ViewVolume
{
    ViewPlane planes[6]; // of unit normal, unless degenerate (a zero normal)

    // x and y within +-w, z within [0, w], as Direct3D clips.
    explicit ViewVolume(const D3DXMATRIX& transform);

    bool BoxInside(const float low[3], const float high[3]) const;
    // A sphere given in the transform's input space.
    bool SphereInside(const float centre[3], float radius) const;
};

// Whether a mesh whose bounding sphere is (centre, radius) in mesh units can
// show under `world` in `view` (the frame's view x projection); a negative
// radius means the bounds are unknown and the mesh is drawn.
bool MeshMayShow(const float centre[3], float radius, const D3DXMATRIX& world, const ViewVolume& view);

// Whether that mesh under `world` may reach world heights (z) from low to
// high; unknown bounds may.
bool MeshMayReachHeights(const float centre[3], float radius, const D3DXMATRIX& world, float low, float high);
