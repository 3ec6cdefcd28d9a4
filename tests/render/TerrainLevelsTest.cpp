// The terrain's levels of detail: near tiles keep the mesh's own triangles,
// far ones draw fewer, neighbours meet without cracks, and a mesh that is not
// a regular grid is drawn whole, with its own triangles at every distance.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "render/TerrainGrid.h"
#include "render/TerrainTiles.h"
#include "TerrainCamera.h"

namespace {

constexpr int kNodes = 129; // a stage's ground: 8 x 8 tiles of 16 x 16 cells
constexpr int kTileCells = 16;
constexpr int kTilesPerSide = 8;
constexpr float kScreenHeight = 480.0f;

using Triangle = std::array<uint16_t, 3>;

// Rolling hills with a fine ripple, one unit a cell, nodes a side; the cells'
// diagonals run both ways so the mesh's own triangulation is not the coarse
// levels'.
void HillyGrid(std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices, int nodes = kNodes)
{
    vertices.assign(size_t(nodes * nodes), TangentVertex{});
    for (int row = 0; row < nodes; ++row) {
        for (int column = 0; column < nodes; ++column) {
            float* p = vertices[size_t(row * nodes + column)].position;
            p[0] = float(column);
            p[1] = float(row);
            p[2] = 4.0f * std::sin(float(column) / 9.0f) * std::cos(float(row) / 13.0f) +
                   0.05f * float((column * 7 + row * 13) % 5);
        }
    }
    indices.clear();
    for (int row = 0; row + 1 < nodes; ++row) {
        for (int column = 0; column + 1 < nodes; ++column) {
            const uint16_t a = uint16_t(row * nodes + column), b = uint16_t(a + 1), c = uint16_t(a + nodes),
                           d = uint16_t(c + 1);
            if ((row + column) % 3 == 0) {
                indices.insert(indices.end(), {a, c, d, a, d, b});
            } else {
                indices.insert(indices.end(), {a, c, b, b, c, d});
            }
        }
    }
}

int TileOfPoint(float column, float row)
{
    return int(row) / kTileCells * kTilesPerSide + int(column) / kTileCells;
}

int TileOf(const Triangle& t)
{
    float column = 0.0f, row = 0.0f;
    for (const uint16_t v : t) {
        column += float(v % kNodes) / 3.0f;
        row += float(v / kNodes) / 3.0f;
    }
    return TileOfPoint(column, row);
}

// The drawn triangles by tile, read from the buffer the device would hold.
std::map<int, std::multiset<Triangle>> DrawnByTile(const std::vector<TerrainTiles::Range>& ranges,
                                                   const std::vector<uint16_t>& buffer)
{
    std::map<int, std::multiset<Triangle>> drawn;
    for (const TerrainTiles::Range& r : ranges) {
        for (int i = r.firstIndex; i < r.firstIndex + 3 * r.triangleCount; i += 3) {
            const Triangle t{buffer[size_t(i)], buffer[size_t(i) + 1], buffer[size_t(i) + 2]};
            for (const uint16_t v : t) {
                EXPECT_TRUE(v >= r.minVertex && v < r.minVertex + r.vertexSpan) << "vertex outside its range";
            }
            drawn[TileOf(t)].insert(t);
        }
    }
    return drawn;
}

// The same ranges drawn in the same order.
void ExpectSameRanges(const std::vector<TerrainTiles::Range>& a, const std::vector<TerrainTiles::Range>& b,
                      const char* what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].firstIndex, b[i].firstIndex) << what;
        EXPECT_EQ(a[i].triangleCount, b[i].triangleCount) << what;
    }
}

long TwiceArea(const Triangle& t)
{
    const int c0 = t[0] % kNodes, r0 = t[0] / kNodes, c1 = t[1] % kNodes, r1 = t[1] / kNodes, c2 = t[2] % kNodes,
              r2 = t[2] / kNodes;
    return long(c1 - c0) * (r2 - r0) - long(c2 - c0) * (r1 - r0);
}

// Every edge lying on a border between two drawn tiles has triangles on both
// sides: a T-junction or a gap would leave an edge seen from one side only.
void ExpectNoCracks(const std::map<int, std::multiset<Triangle>>& drawn, const char* view)
{
    std::map<std::pair<int, int>, std::set<int>> sides; // edge -> the sides its triangles lie on
    for (const auto& [tile, triangles] : drawn) {
        for (const Triangle& t : triangles) {
            for (int k = 0; k < 3; ++k) {
                const int a = t[size_t(k)], b = t[size_t((k + 1) % 3)], other = t[size_t((k + 2) % 3)];
                const bool sameColumn = a % kNodes == b % kNodes, sameRow = a / kNodes == b / kNodes;
                const int line = sameColumn ? a % kNodes : a / kNodes;
                if ((!sameColumn && !sameRow) || line % kTileCells != 0 || line == 0 || line == kNodes - 1) continue;
                const int otherLine = sameColumn ? other % kNodes : other / kNodes;
                sides[{std::min(a, b), std::max(a, b)}].insert(otherLine < line ? -1 : 1);
            }
        }
    }
    for (const auto& [edge, seen] : sides) {
        const int a = edge.first, b = edge.second;
        const bool vertical = a % kNodes == b % kNodes;
        const float column = 0.5f * float(a % kNodes + b % kNodes), row = 0.5f * float(a / kNodes + b / kNodes);
        const int low = vertical ? TileOfPoint(column - 0.5f, row) : TileOfPoint(column, row - 0.5f);
        const int high = vertical ? TileOfPoint(column + 0.5f, row) : TileOfPoint(column, row + 0.5f);
        if (drawn.count(low) && drawn.count(high)) {
            EXPECT_EQ(seen.size(), 2u) << view << ": edge " << a << "-" << b << " between tiles " << low << " and "
                                       << high;
        }
    }
}

struct ViewCase
{
    const char* name;
    D3DXVECTOR3 eye, at;
    float maxDrawnShare; // drawn triangles over the drawn tiles' full detail
};

TEST(TerrainLevels, TilesDrawTheirOwnOrCoarserTrianglesWithoutCracks)
{
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    HillyGrid(vertices, indices);
    std::map<int, std::multiset<Triangle>> original =
        DrawnByTile({{0, int(indices.size() / 3), 0, kNodes * kNodes, true}}, indices);
    TerrainTiles tiles;
    tiles.Build(vertices, indices);
    ASSERT_FALSE(tiles.GetCoarseIndices().empty()) << "a regular grid gets coarse levels";
    std::vector<uint16_t> buffer = indices;
    buffer.insert(buffer.end(), tiles.GetCoarseIndices().begin(), tiles.GetCoarseIndices().end());

    const ViewCase views[] = {
        {"near, over the middle", {64.0f, 50.0f, 12.0f}, {64.0f, 70.0f, 0.0f}, 0.8f},
        {"from afar", {64.0f, -300.0f, 120.0f}, {64.0f, 64.0f, 0.0f}, 0.05f},
        {"grazing, low at one edge", {64.0f, -2.0f, 6.0f}, {64.0f, 128.0f, 2.0f}, 0.5f},
        {"looking down from high", {64.0f, 64.0f, 400.0f}, {64.0f, 64.5f, 0.0f}, 0.05f},
        {"from a corner, across", {-20.0f, -20.0f, 30.0f}, {128.0f, 128.0f, 0.0f}, 0.25f},
    };
    for (const ViewCase& view : views) {
        const D3DXMATRIX m = Camera(view.eye, view.at);
        const std::vector<TerrainTiles::Range> ranges = tiles.Visible(&m, kScreenHeight);
        const std::vector<int> levels = tiles.GetLevels();
        const std::map<int, std::multiset<Triangle>> drawn = DrawnByTile(ranges, buffer);
        ASSERT_FALSE(drawn.empty()) << view.name;

        size_t drawnCount = 0, fullCount = 0;
        for (const auto& [tile, triangles] : drawn) {
            drawnCount += triangles.size();
            fullCount += original[tile].size();
            if (levels[size_t(tile)] == 0) {
                EXPECT_EQ(triangles, original[tile]) << view.name << ": tile " << tile << " at full detail";
            }
            long area = 0;
            for (const Triangle& t : triangles) area += std::abs(TwiceArea(t));
            EXPECT_EQ(area, 2L * kTileCells * kTileCells) << view.name << ": tile " << tile << " covered once";
        }
        ExpectNoCracks(drawn, view.name);
        for (int tile = 0; tile < kTilesPerSide * kTilesPerSide; ++tile) {
            for (const int n : tiles.GetTiles()[size_t(tile)].neighbours) {
                if (n >= 0) {
                    EXPECT_LE(std::abs(levels[size_t(tile)] - levels[size_t(n)]), 1) << view.name;
                }
            }
        }
        EXPECT_LE(double(drawnCount), view.maxDrawnShare * double(fullCount)) << view.name;

        // The same view draws the same triangles in every pass; a taller
        // picture never draws coarser; an unknown one draws every tile whole.
        ExpectSameRanges(tiles.Visible(&m, kScreenHeight), ranges, view.name);
        tiles.Visible(&m, 4.0f * kScreenHeight);
        for (size_t tile = 0; tile < levels.size(); ++tile) EXPECT_LE(tiles.GetLevels()[tile], levels[tile]);
        size_t wholeCount = 0;
        for (const auto& [tile, triangles] : DrawnByTile(tiles.Visible(&m, 0.0f), buffer)) {
            EXPECT_EQ(triangles, original[tile]) << view.name;
            wholeCount += triangles.size();
        }
        EXPECT_EQ(wholeCount, fullCount) << view.name;
    }
    // The near view keeps the ground under the eye whole.
    const D3DXMATRIX nearView = Camera(views[0].eye, views[0].at);
    tiles.Visible(&nearView, kScreenHeight);
    EXPECT_EQ(tiles.GetLevels()[size_t(TileOfPoint(64.0f, 56.0f))], 0);
}

// (how the mesh is spoiled) -> drawn exactly as without levels.
TEST(TerrainLevels, MeshesThatAreNotRegularGridsKeepTheirTrianglesAsTheyAre)
{
    std::vector<TangentVertex> gridVertices;
    std::vector<uint16_t> gridIndices;
    HillyGrid(gridVertices, gridIndices);
    const struct
    {
        const char* name;
        void (*spoil)(std::vector<TangentVertex>&, std::vector<uint16_t>&);
    } cases[] = {
        {"a triangle reaching across two cells",
         [](std::vector<TangentVertex>&, std::vector<uint16_t>& i) { i[2] = uint16_t(i[2] + 1); }},
        {"a vertex off its column",
         [](std::vector<TangentVertex>& v, std::vector<uint16_t>&) { v[size_t(5 * kNodes + 7)].position[0] += 0.3f; }},
        {"a cell drawn twice, its neighbour not",
         [](std::vector<TangentVertex>&, std::vector<uint16_t>& i) {
             for (int k = 0; k < 6; ++k) i[size_t(6 + k)] = i[size_t(k)];
         }},
        {"one triangle wound the other way",
         [](std::vector<TangentVertex>&, std::vector<uint16_t>& i) { std::swap(i[300], i[301]); }},
        {"a grid whose cells do not split into even tiles",
         [](std::vector<TangentVertex>& v, std::vector<uint16_t>& i) { HillyGrid(v, i, 100); }}, // 99 cells a side
    };
    const D3DXMATRIX far = Camera({64.0f, -300.0f, 120.0f}, {64.0f, 64.0f, 0.0f});
    TerrainTiles tiles;
    for (const auto& c : cases) {
        // Each case rebuilds tiles that held a levelled grid before.
        std::vector<TangentVertex> vertices = gridVertices;
        std::vector<uint16_t> indices = gridIndices;
        tiles.Build(vertices, indices);
        ASSERT_FALSE(tiles.GetCoarseIndices().empty());
        c.spoil(vertices, indices);
        tiles.Build(vertices, indices);
        EXPECT_TRUE(tiles.GetCoarseIndices().empty()) << c.name;
        const std::vector<TerrainTiles::Range> whole = tiles.Visible(&far, 0.0f);
        ExpectSameRanges(tiles.Visible(&far, kScreenHeight), whole, c.name);
        for (const int level : tiles.GetLevels()) EXPECT_EQ(level, 0) << c.name;
    }
}

// A coarse level's error is the worst height it drops: none for a plane, the
// bump's full height for a bump on a vertex only the finest level keeps.
TEST(TerrainLevels, CoarseErrorIsTheWorstHeightALevelDrops)
{
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    HillyGrid(vertices, indices);
    for (TangentVertex& v : vertices) v.position[2] = 0.25f * v.position[0] - 0.5f * v.position[1] + 3.0f;
    TerrainGridShape shape;
    std::vector<int> cellOf;
    ASSERT_TRUE(DetectTerrainGrid(vertices, indices, shape, cellOf));
    EXPECT_EQ(shape.columns, kNodes);
    EXPECT_EQ(shape.rows, kNodes);
    const CellBlock block{16, 32, kTileCells, kTileCells};
    for (const int step : {2, 4, 8, 16}) EXPECT_NEAR(CoarseBlockError(shape, vertices, block, step), 0.0f, 1e-4f);

    vertices[size_t(21 * kNodes + 37)].position[2] += 1.5f; // odd row and column: only step 1 keeps it
    EXPECT_NEAR(CoarseBlockError(shape, vertices, block, 2), 1.5f, 1e-4f);
    EXPECT_NEAR(CoarseBlockError(shape, vertices, block, 8), 1.5f, 1e-4f);
    const CellBlock elsewhere{48, 48, kTileCells, kTileCells};
    EXPECT_NEAR(CoarseBlockError(shape, vertices, elsewhere, 2), 0.0f, 1e-4f);
}

} // namespace
