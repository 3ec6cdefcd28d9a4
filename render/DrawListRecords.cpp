// Clear colours and the per-mesh transforms of the draw-list records.
#include "render/DrawListRecords.h"

#include <array>

namespace {

constexpr float kFirstMeshScale = 0.01f;

DWORD Channel(float x)
{
    if (!(x > 0.0f)) return 0; // also NaN
    if (x >= 1.0f) return 255;
    return DWORD(x * 255.0f + 0.5f);
}

constexpr D3DMATRIX Scaling(float s)
{
    return D3DMATRIX{{{s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, 1}}};
}

constexpr std::array<D3DMATRIX, kMeshTransformCount> BuildMeshTransforms()
{
    std::array<D3DMATRIX, kMeshTransformCount> table{};
    for (auto& m : table) m = Scaling(1.0f);
    table[0] = Scaling(kFirstMeshScale);
    return table;
}

} // namespace

D3DCOLOR ClearRecord::Colour() const
{
    return D3DCOLOR_ARGB(Channel(alpha), Channel(red), Channel(green), Channel(blue));
}

// Constant-initialised, so any other initialiser may read it.
const std::array<D3DMATRIX, kMeshTransformCount> MeshTransforms = BuildMeshTransforms();
static_assert(BuildMeshTransforms()[0]._11 == kFirstMeshScale, "the table is built at compile time");
