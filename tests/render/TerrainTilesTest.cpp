// The terrain drawn by tiles: the triangles regrouped without loss, only the
// tiles in view drawn, nearest first, marked by whether a point light reaches
// them; and the twin technique a material without highlights is drawn with.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "render/SceneDrawer.h"
#include "render/TechniqueNames.h"
#include "render/TerrainTiles.h"
#include "TerrainCamera.h"

namespace {

// A flat n x n grid of unit cells centred on the origin, two triangles a cell.
void FlatGrid(int nodes, std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices)
{
    vertices.assign(size_t(nodes * nodes), TangentVertex{});
    const float half = 0.5f * float(nodes - 1);
    for (int y = 0; y < nodes; ++y) {
        for (int x = 0; x < nodes; ++x) {
            TangentVertex& v = vertices[size_t(y * nodes + x)];
            v.position[0] = float(x) - half;
            v.position[1] = float(y) - half;
        }
    }
    indices.clear();
    for (int y = 0; y + 1 < nodes; ++y) {
        for (int x = 0; x + 1 < nodes; ++x) {
            const uint16_t a = uint16_t(y * nodes + x), b = uint16_t(a + 1), c = uint16_t(a + nodes),
                           d = uint16_t(c + 1);
            indices.insert(indices.end(), {a, c, b, b, c, d});
        }
    }
}

using Triangle = std::array<uint16_t, 3>;

std::multiset<Triangle> Triangles(const std::vector<uint16_t>& indices)
{
    std::multiset<Triangle> out;
    for (size_t i = 0; i + 2 < indices.size(); i += 3) out.insert({indices[i], indices[i + 1], indices[i + 2]});
    return out;
}

TEST(TerrainTiles, TrianglesRegroupWholeAndOnlyTilesInViewAreDrawnNearestFirst)
{
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    FlatGrid(65, vertices, indices); // 8192 triangles: 4 x 4 tiles of 512
    const std::multiset<Triangle> before = Triangles(indices);
    TerrainTiles tiles;
    tiles.Build(vertices, indices);
    EXPECT_EQ(Triangles(indices), before) << "regrouping keeps every triangle";
    ASSERT_EQ(tiles.GetTiles().size(), 16u);

    // Every tile holds the triangles whose vertices lie within its bounds.
    int covered = 0;
    for (const TerrainTile& tile : tiles.GetTiles()) {
        EXPECT_EQ(tile.firstIndex, 3 * covered);
        covered += tile.triangleCount;
        for (int i = tile.firstIndex; i < tile.firstIndex + 3 * tile.triangleCount; ++i) {
            const TangentVertex& v = vertices[indices[size_t(i)]];
            EXPECT_GE(indices[size_t(i)], tile.minVertex);
            EXPECT_LT(indices[size_t(i)], tile.minVertex + tile.vertexSpan);
            EXPECT_TRUE(v.position[0] >= tile.low[0] && v.position[0] <= tile.high[0]);
            EXPECT_TRUE(v.position[1] >= tile.low[1] && v.position[1] <= tile.high[1]);
        }
        EXPECT_LE(tile.high[0] - tile.low[0], 16.0f) << "a tile is a sixteenth of the ground";
    }
    EXPECT_EQ(covered, 8192);

    // Without a view every tile is drawn, in one range.
    const std::vector<TerrainTiles::Range>& all = tiles.Visible(nullptr, 0.0f);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].firstIndex, 0);
    EXPECT_EQ(all[0].triangleCount, 8192);

    const struct
    {
        D3DXVECTOR3 eye, at;
        int minTiles, maxTiles;
    } views[] = {
        {{0.0f, -60.0f, 30.0f}, {0.0f, 0.0f, 0.0f}, 16, 16},    // the whole ground in front
        {{-28.0f, -28.0f, 3.0f}, {-40.0f, -40.0f, 3.0f}, 0, 1}, // at a corner, looking off the ground
        {{-20.0f, 0.0f, 4.0f}, {20.0f, 0.0f, 0.0f}, 6, 12},     // low, along the middle
        {{0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, 40.0f}, 0, 0},       // looking up
    };
    for (const auto& view : views) {
        const D3DXMATRIX m = Camera(view.eye, view.at);
        const std::vector<TerrainTiles::Range>& ranges = tiles.Visible(&m, 0.0f);
        std::set<int> drawn;
        float lastDepth = -1e30f;
        for (const TerrainTiles::Range& r : ranges) {
            for (size_t t = 0; t < tiles.GetTiles().size(); ++t) {
                const TerrainTile& tile = tiles.GetTiles()[t];
                if (tile.firstIndex >= r.firstIndex && tile.firstIndex < r.firstIndex + 3 * r.triangleCount) {
                    drawn.insert(int(t));
                    const float centre[3] = {0.5f * (tile.low[0] + tile.high[0]), 0.5f * (tile.low[1] + tile.high[1]),
                                             0.0f};
                    const float depth = centre[0] * m._14 + centre[1] * m._24 + m._44;
                    EXPECT_GE(depth, lastDepth - 1e-3f) << "nearest first";
                    lastDepth = std::max(lastDepth, depth);
                }
            }
        }
        EXPECT_GE(int(drawn.size()), view.minTiles) << view.eye.x << " " << view.eye.y;
        EXPECT_LE(int(drawn.size()), view.maxTiles) << view.eye.x << " " << view.eye.y;
        // No tile with a vertex in view is left out.
        for (size_t t = 0; t < tiles.GetTiles().size(); ++t) {
            const TerrainTile& tile = tiles.GetTiles()[t];
            bool seen = false;
            for (int i = tile.firstIndex; i < tile.firstIndex + 3 * tile.triangleCount && !seen; ++i)
                seen = PointInView(m, vertices[indices[size_t(i)]].position);
            if (seen) {
                EXPECT_TRUE(drawn.count(int(t))) << "tile " << t << " is in view";
            }
        }
    }
}

// A band of heights keeps exactly the tiles in view whose heights reach into
// it, in the same order and with the same triangles as without it.
TEST(TerrainTiles, AHeightBandKeepsOnlyTheTilesReachingIntoIt)
{
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    FlatGrid(65, vertices, indices);
    for (TangentVertex& v : vertices) v.position[2] = 0.5f * v.position[0]; // a ramp along x
    TerrainTiles tiles;
    tiles.Build(vertices, indices);
    const D3DXMATRIX m = Camera({0.0f, -60.0f, 30.0f}, {0.0f, 0.0f, 0.0f});
    const std::vector<TerrainTiles::Range> whole = tiles.Visible(&m, 0.0f);
    const struct
    {
        float low, high;
        size_t tiles; // columns of tiles kept, of four (each four tiles long)
    } bands[] = {{-1.0f, 1.0f, 2}, {-20.0f, -9.0f, 1}, {3.0f, 40.0f, 2}, {40.0f, 50.0f, 0}, {-40.0f, 40.0f, 4}};
    for (const auto& b : bands) {
        const TerrainTiles::HeightBand band = {b.low, b.high};
        std::vector<int> kept;
        for (const TerrainTiles::Range& r : tiles.Visible(&m, 0.0f, &band)) {
            for (size_t t = 0; t < tiles.GetTiles().size(); ++t) {
                const TerrainTile& tile = tiles.GetTiles()[t];
                if (tile.firstIndex < r.firstIndex || tile.firstIndex >= r.firstIndex + 3 * r.triangleCount) continue;
                EXPECT_TRUE(tile.high[2] >= b.low && tile.low[2] <= b.high) << b.low << " " << b.high;
                kept.push_back(int(t));
            }
        }
        EXPECT_EQ(kept.size(), b.tiles * 4) << b.low << " " << b.high;
    }
    const TerrainTiles::HeightBand everything = {-1e9f, 1e9f};
    const std::vector<TerrainTiles::Range>& all = tiles.Visible(&m, 0.0f, &everything);
    ASSERT_EQ(all.size(), whole.size());
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].firstIndex, whole[i].firstIndex);
}

TEST(TerrainTiles, SmallOrEmptyGroundsStayWhole)
{
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    FlatGrid(9, vertices, indices); // 128 triangles
    TerrainTiles tiles;
    tiles.Build(vertices, indices);
    ASSERT_EQ(tiles.GetTiles().size(), 1u);
    EXPECT_EQ(tiles.GetTiles()[0].vertexSpan, 81);

    indices.clear();
    tiles.Build(vertices, indices);
    EXPECT_TRUE(tiles.GetTiles().empty());
    EXPECT_TRUE(tiles.Visible(nullptr, 0.0f).empty());
}

TEST(TerrainTiles, MaterialsWithoutHighlightsDrawWithTheHighlightFreeTwin)
{
    const struct
    {
        const char* technique;
        int material;
        const char* drawn;
    } cases[] = {
        {"Phong1Opaque", 2, "PhongNoSpecOpaque"},        // black highlights
        {"Phong1Opaque", 1, "Phong1Opaque"},             // grey highlights
        {"Phong1Opaque", 14, "Phong1Opaque"},            // no material: highlights unknown
        {"PhongTransNoTex", 12, "PhongTransNoTex"},      // the water shines
        {"PhongTransNoTex", 2, "PhongTransNoSpecNoTex"}, //
        {"PhongNoSpecTrans", 2, "PhongNoSpecTrans"},     // no twin needed
        {"XFORMTest", 2, "XFORMTest"},                   //
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SceneDrawer::DrawnTechnique(InternTechnique(c.technique), c.material), InternTechnique(c.drawn))
            << c.technique << " with material " << c.material;
    }
}

TEST(TerrainTiles, TilesAreMarkedByWhetherAPointLightReachesThem)
{
    // Sphere against the unit box [0, 1]^3, with the margin the shader's
    // rounding needs and no more than a hair of it.
    const float low[3] = {0.0f, 0.0f, 0.0f}, high[3] = {1.0f, 1.0f, 1.0f};
    const struct
    {
        TerrainTiles::LightSphere sphere;
        bool reaches;
    } cases[] = {
        {{{0.5f, 0.5f, 0.5f}, 0.1f}, true},   // inside
        {{{3.0f, 0.5f, 0.5f}, 2.01f}, true},  // past a face, long enough
        {{{3.0f, 0.5f, 0.5f}, 1.999f}, true}, // short by less than the margin
        {{{3.0f, 0.5f, 0.5f}, 1.99f}, false}, // short by more
        {{{2.0f, 2.0f, 2.0f}, 1.74f}, true},  // at a corner: sqrt 3 away
        {{{2.0f, 2.0f, 2.0f}, 1.7f}, false},  // past the faces' reach, short of the corner
        {{{0.5f, 0.5f, 0.5f}, 0.0f}, false},  // no range: no light
        {{{0.5f, 0.5f, 0.5f}, -1.0f}, false}, //
        {{{50.0f, 0.0f, 0.0f}, NAN}, true},   // not a number: taken to reach anything
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerrainTiles::SphereReachesBox(c.sphere, low, high), c.reaches)
            << c.sphere.centre[0] << " " << c.sphere.centre[1] << " range " << c.sphere.radius;
    }

    // A 4 x 4 grid of 16-unit tiles over [-32, 32]^2: a light over one
    // corner tile marks it alone, and neighbours merge only when they agree.
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    FlatGrid(65, vertices, indices);
    TerrainTiles tiles;
    tiles.Build(vertices, indices);
    ASSERT_EQ(tiles.GetTiles().size(), 16u);
    const std::vector<TerrainTiles::LightSphere> corner = {{{-24.0f, -24.0f, 2.0f}, 6.0f}};
    const std::vector<TerrainTiles::LightSphere> none = {{{0.0f, 0.0f, 0.0f}, 0.0f}};
    const std::vector<TerrainTiles::LightSphere> middle = {{{0.0f, 0.0f, 1.0f}, 3.0f}};
    const struct
    {
        const std::vector<TerrainTiles::LightSphere>* lights;
        int litTriangles;
        size_t ranges;
    } marks[] = {
        {nullptr, 8192, 1},    // no lights given: every range lit
        {&none, 0, 1},         // a light with no range
        {&corner, 512, 2},     // the first tile in the buffer, then the rest
        {&middle, 4 * 512, 5}, // the four tiles meeting at the centre
    };
    for (const auto& m : marks) {
        const std::vector<TerrainTiles::Range>& ranges = tiles.Visible(nullptr, 0.0f, nullptr, m.lights);
        int lit = 0, total = 0;
        for (size_t i = 0; i < ranges.size(); ++i) {
            total += ranges[i].triangleCount;
            if (ranges[i].lit) lit += ranges[i].triangleCount;
            if (i > 0 && ranges[i - 1].firstIndex + 3 * ranges[i - 1].triangleCount == ranges[i].firstIndex) {
                EXPECT_NE(ranges[i - 1].lit, ranges[i].lit) << "neighbours that agree are one range";
            }
        }
        EXPECT_EQ(total, 8192);
        EXPECT_EQ(lit, m.litTriangles);
        EXPECT_EQ(ranges.size(), m.ranges);
    }
}

} // namespace
