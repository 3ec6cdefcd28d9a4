// The ".hmp" reader and what its keys decide: the file's TECHNIQUE .. DIFF set
// up a terrain that then takes a small grid mesh, as a stage's terrain takes
// its grid, and the ground is asked for heights, ceilings and probes across
// and beyond it. The mesh is fixed so the fuzzer works on the keys: any
// ROWS x COLUMNS of 24 nodes fits it, anything else must be refused.
#include "FuzzSupport.h"

#include <cmath>
#include <vector>

#include "core/Resources.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsSettings.h"
#include "render/Terrain.h"

namespace {

const int kGridRows = 6;
const int kGridColumns = 4;
// Points per side of the lattice of queries, and how far past the grid it
// reaches in grid widths.
const int kQuerySteps = 9;
const float kQueryReach = 1.5f;

struct Grid
{
    std::vector<TerrainSourceVertex> vertices;
    std::vector<uint16_t> indices;
};

const Grid& FixedGrid()
{
    static const Grid grid = [] {
        Grid g;
        std::vector<float> heights;
        for (int n = 0; n < kGridRows * kGridColumns; ++n) heights.push_back(float((n * 7) % 5) - 1.5f);
        MakeGridArrays(heights, kGridRows, kGridColumns, -2.0f, -1.0f, g.vertices, g.indices);
        return g;
    }();
    return grid;
}

// Heights and normals are finite everywhere, and no point of a rectangle is
// above the ceiling the ground gives for it.
void QueryGround(const Heightmap& ground)
{
    const HeightGrid& grid = ground.GetGrid();
    const float span = std::fmax(std::fabs(grid.farX - grid.originX), std::fabs(grid.farY - grid.originY)) + 1.0f;
    const float step = 2.0f * kQueryReach * span / float(kQuerySteps - 1);
    std::vector<float> xs, ys;
    for (int k = 0; k < kQuerySteps; ++k) {
        xs.push_back(ground.GetCentreX() - kQueryReach * span + step * float(k));
        ys.push_back(ground.GetCentreY() - kQueryReach * span + step * float(k));
    }
    for (float y : ys) {
        for (float x : xs) {
            float h = 0.0f;
            Vector3 n;
            ground.GetHeight(x, y, h, n);
            FUZZ_REQUIRE(std::isfinite(h) && AllFinite(n));
            float t = 0.0f;
            Vector3 point, normal;
            if (ground.IntersectSegment(Segment{Vector3(x, y, h + 5.0f), Vector3(0.0f, 0.0f, -10.0f)}, t, point,
                                        normal)) {
                FUZZ_REQUIRE(std::isfinite(t) && AllFinite(point));
            }
        }
    }
    for (int j = 0; j + 1 < kQuerySteps; ++j) {
        for (int i = 0; i + 1 < kQuerySteps; ++i) {
            const float ceiling = grid.GetCeilingOver(xs[i], xs[i + 1], ys[j], ys[j + 1]);
            for (float x : {xs[i], 0.5f * (xs[i] + xs[i + 1]), xs[i + 1]}) {
                for (float y : {ys[j], 0.5f * (ys[j] + ys[j + 1]), ys[j + 1]}) {
                    float h = 0.0f;
                    Vector3 n;
                    grid.GetHeight(x, y, h, n);
                    FUZZ_REQUIRE(h <= ceiling);
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzFile("input.hmp", data, size);
    const Grid& grid = FixedGrid();
    Terrain terrain;
    terrain.LoadConfig(path.c_str());
    const Heightmap& ground = terrain.GetGround();
    // Whatever the file says, the ids name an entry or none and the surface
    // is one a contact can use (unread keys keep the fresh terrain's zeros).
    const TerrainMesh& mesh = terrain.GetMesh();
    FUZZ_REQUIRE(mesh.materialId >= 0 && mesh.materialId <= kNoMaterial);
    FUZZ_REQUIRE(mesh.textureId >= 0 && mesh.textureId <= kNoTexture);
    FUZZ_REQUIRE(ground.elasticity >= 0.0f && ground.elasticity <= kMaxElasticity);
    FUZZ_REQUIRE(ground.staticFriction >= 0.0f && ground.staticFriction <= kMaxFriction);
    FUZZ_REQUIRE(ground.dynamicFriction >= 0.0f && ground.dynamicFriction <= kMaxFriction);
    const bool built = terrain.BuildFromArrays(grid.vertices.data(), int(grid.vertices.size()), grid.indices.data(),
                                               int(grid.indices.size()));
    // A grid the keys do not describe is never taken.
    const bool fits = ground.ROWS >= 1 && ground.COLUMNS >= 1 &&
                      (long long)ground.ROWS * ground.COLUMNS == (long long)grid.vertices.size() &&
                      ground.DIFF > 0.0f && std::isfinite(ground.DIFF);
    FUZZ_REQUIRE(!built || fits);
    FUZZ_REQUIRE(built == ground.GetGrid().IsBuilt());
    if (built) {
        FUZZ_REQUIRE(terrain.GetMesh().GetVertices().size() == grid.vertices.size());
        FUZZ_REQUIRE(terrain.GetMesh().GetIndices().size() == grid.indices.size());
    }
    QueryGround(ground);
    return 0;
}
