// The height field built in memory: queries and the validation of what a
// build is given.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "CollisionTestSupport.h"

namespace {

float Bumpy(int i, int j)
{
    return 0.3f * static_cast<float>((i * 7 + j * 13) % 5) - 0.4f * static_cast<float>(j % 3);
}

Vector3 TriangleUpNormal(const Vector3& a, const Vector3& b, const Vector3& c)
{
    Vector3 n;
    Vector3::Cross(n, b - a, c - a);
    n *= 1.0f / n.Length();
    return n.z < 0.0f ? -n : n;
}

} // namespace

TEST(HeightmapQuery, NodesCellCentresAndTheDiagonalFollowTheGrid)
{
    const float d = 2.5f;
    auto terrain = MakeTerrain(9, 7, d, -3.0f, -2.0f, Bumpy);
    const HeightGrid& grid = terrain->GetGrid();
    ASSERT_TRUE(grid.IsBuilt());
    EXPECT_FLOAT_EQ(grid.originX, -7.5f);
    EXPECT_FLOAT_EQ(grid.farY, 10.0f);
    float h = 0.0f;
    Vector3 n;
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 9; ++i) {
            terrain->GetHeight(grid.originX + d * i, grid.originY + d * j, h, n);
            EXPECT_NEAR(h, d * Bumpy(i, j), 1e-4f) << i << "," << j;
            if (i < 8 && j < 6) {
                terrain->GetHeight(grid.originX + d * (i + 0.5f), grid.originY + d * (j + 0.5f), h, n);
                EXPECT_NEAR(h, 0.5f * d * (Bumpy(i, j) + Bumpy(i + 1, j + 1)), 1e-4f);
                EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
                EXPECT_GT(n.z, 0.0f);
            }
        }
    }
    // On the diagonal (u = v) the second triangle (i,j), (i1,j1), (i,j1) is used.
    const Vector3 p00(grid.originX, grid.originY, d * Bumpy(0, 0));
    const Vector3 p11(grid.originX + d, grid.originY + d, d * Bumpy(1, 1));
    const Vector3 p01(grid.originX, grid.originY + d, d * Bumpy(0, 1));
    const Vector3 expected = TriangleUpNormal(p00, p11, p01);
    terrain->GetHeight(grid.originX + 0.25f * d, grid.originY + 0.25f * d, h, n);
    EXPECT_NEAR(n.x, expected.x, 1e-5f);
    EXPECT_NEAR(n.y, expected.y, 1e-5f);
}

TEST(HeightmapQuery, OutsideTheGridTheEdgeHoldsBeyondAndThePlaneExtendsBefore)
{
    // A ramp rising 0.5 mesh units per node along x, DIFF 2: slope 0.5.
    auto terrain = MakeTerrain(5, 5, 2.0f, 0.0f, 0.0f, [](int i, int) { return 0.5f * i; });
    float h = 0.0f;
    Vector3 n;
    terrain->GetHeight(100.0f, 4.0f, h, n);
    EXPECT_FLOAT_EQ(h, 4.0f);
    EXPECT_EQ(n, Vector3(0.0f, 0.0f, 1.0f));
    terrain->GetHeight(-4.0f, 3.0f, h, n);
    EXPECT_NEAR(h, -2.0f, 1e-5f);
    EXPECT_LT(n.x, 0.0f);
}

TEST(HeightmapQuery, UnbuiltGridsAndBrokenInputsGiveFlatGroundWithoutReadingOutside)
{
    Heightmap unbuilt;
    float h = 5.0f;
    Vector3 n;
    unbuilt.GetHeight(3.0f, 4.0f, h, n);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(n, Vector3(0.0f, 0.0f, 1.0f));

    auto terrain = MakeTerrain(4, 4, 1.0f, 0.0f, 0.0f, [](int i, int j) { return 1.0f + i + j; });
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    terrain->GetHeight(nan, 1.0f, h, n);
    EXPECT_EQ(h, 0.0f);
    terrain->GetHeight(1.0f, -inf, h, n);
    EXPECT_EQ(h, 0.0f);
    terrain->GetHeight(3.0e38f, 3.0e38f, h, n);
    EXPECT_FLOAT_EQ(h, 7.0f);
    terrain->GetHeight(-3.0e38f, 1.0f, h, n);
    EXPECT_TRUE(std::isfinite(n.x));
}

TEST(HeightmapQuery, TheCeilingOverARectangleBoundsEveryHeightInIt)
{
    // Steep and rough: cliffs of 40 units across a 1.5-unit cell.
    auto cliffs = [](int i, int j) {
        return static_cast<float>(((i * 37 + j * 91) % 11) * 4) - 0.01f * static_cast<float>(i * j);
    };
    const float d = 1.5f;
    auto terrain = MakeTerrain(21, 17, d, -4.0f, -6.0f, cliffs);
    const HeightGrid& grid = terrain->GetGrid();
    ASSERT_TRUE(grid.IsBuilt());
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float width = grid.farX - grid.originX;
    const float depth = grid.farY - grid.originY;
    float h = 0.0f;
    Vector3 n;
    for (int r = 0; r < 300; ++r) {
        // Rectangles inside the grid and reaching past its far edges.
        const float x0 = grid.originX + unit(random) * width;
        const float y0 = grid.originY + unit(random) * depth;
        const float x1 = x0 + unit(random) * 6.0f;
        const float y1 = y0 + unit(random) * 6.0f;
        const float ceiling = grid.GetCeilingOver(x0, x1, y0, y1);
        ASSERT_TRUE(std::isfinite(ceiling));
        for (int k = 0; k < 60; ++k) {
            const float x = k == 0 ? x0 : (k == 1 ? x1 : x0 + unit(random) * (x1 - x0));
            const float y = k == 0 ? y0 : (k == 1 ? y1 : y0 + unit(random) * (y1 - y0));
            terrain->GetHeight(x, y, h, n);
            ASSERT_LE(h, ceiling) << x << "," << y;
        }
        // A bound, not a guess: within the allowance of the highest node.
        EXPECT_LT(ceiling, 4.0f * d * 10.0f + 0.2f);
    }
    const float inf = std::numeric_limits<float>::infinity();
    // Before the origin the edge planes are extended: no bound there.
    EXPECT_EQ(grid.GetCeilingOver(grid.originX - 0.1f, grid.originX + 1.0f, grid.originY, grid.originY + 1.0f), inf);
    EXPECT_EQ(grid.GetCeilingOver(grid.originX, grid.originX + 1.0f, grid.originY - 0.1f, grid.originY), inf);
    EXPECT_EQ(grid.GetCeilingOver(grid.originX, inf, grid.originY, grid.originY + 1.0f), inf);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(grid.GetCeilingOver(nan, grid.originX + 1.0f, grid.originY, grid.originY + 1.0f), inf);
    EXPECT_EQ(grid.GetCeilingOver(grid.originX + 2.0f, grid.originX + 1.0f, grid.originY, grid.originY + 1.0f), inf);
}

TEST(HeightmapQuery, SegmentsHitOnlyGoingDownThroughTheSurface)
{
    auto terrain = MakeTerrain(5, 5, 2.0f, -2.0f, -2.0f, [](int, int) { return 0.5f; });
    float t = 0.0f;
    Vector3 point;
    Vector3 normal;
    EXPECT_TRUE(
        terrain->IntersectSegment(Segment{Vector3(0.0f, 0.0f, 3.0f), Vector3(0.0f, 0.0f, -4.0f)}, t, point, normal));
    EXPECT_NEAR(t, 0.5f, 1e-3f);
    EXPECT_NEAR(point.z, 1.0f, 1e-2f);
    EXPECT_NEAR(normal.z, 1.0f, 1e-5f);
    EXPECT_FALSE(
        terrain->IntersectSegment(Segment{Vector3(0.0f, 0.0f, 3.0f), Vector3(1.0f, 0.0f, 0.0f)}, t, point, normal));
    EXPECT_FALSE(
        terrain->IntersectSegment(Segment{Vector3(0.0f, 0.0f, 0.5f), Vector3(0.0f, 0.0f, -1.0f)}, t, point, normal));
    EXPECT_FALSE(
        terrain->IntersectSegment(Segment{Vector3(0.0f, 0.0f, 3.0f), Vector3(0.0f, 0.0f, -1.0f)}, t, point, normal));
    EXPECT_TRUE(
        terrain->IntersectSegment(Segment{Vector3(0.0f, 0.0f, 1.0f), Vector3(0.0f, 0.0f, -1.0f)}, t, point, normal));
    EXPECT_EQ(t, 0.0f);
}

namespace {

struct GridArrays
{
    std::vector<TerrainSourceVertex> vertices;
    std::vector<uint16_t> indices;
};

GridArrays Grid(int rows, int columns, float z)
{
    GridArrays g;
    for (int v = 0; v < rows * columns; ++v) {
        g.vertices.push_back(TerrainSourceVertex{
            {static_cast<float>(v % rows), static_cast<float>(v / rows), z}, {0.0f, 0.0f, 1.0f}, 0.0f, 0.0f});
    }
    for (int j = 0; j + 1 < columns; ++j) {
        for (int i = 0; i + 1 < rows; ++i) {
            const int v00 = j * rows + i;
            for (const int v : {v00, v00 + 1, v00 + rows + 1, v00, v00 + rows + 1, v00 + rows}) {
                g.indices.push_back(static_cast<uint16_t>(v));
            }
        }
    }
    return g;
}

float HeightAt(const Heightmap& terrain, float x, float y)
{
    float h = 0.0f;
    Vector3 n;
    terrain.GetHeight(x, y, h, n);
    return h;
}

// Builds a 3 x 3 terrain at height 2, then tries a bad build and checks the
// error text and that the first terrain still answers.
void ExpectRejected(const char* expectedText, const std::function<bool(Heightmap&)>& badBuild)
{
    Heightmap terrain;
    terrain.ROWS = 3;
    terrain.COLUMNS = 3;
    terrain.DIFF = 1.0f;
    GridArrays good = Grid(3, 3, 2.0f);
    ASSERT_TRUE(
        terrain.BuildFromArrays(good.vertices.data(), 9, good.indices.data(), static_cast<int>(good.indices.size())));
    ErrorCapture errors;
    EXPECT_FALSE(badBuild(terrain)) << expectedText;
    EXPECT_NE(errors.Text().find(expectedText), std::string::npos) << errors.Text();
    EXPECT_NE(errors.Text().find("Failed in file: "), std::string::npos);
    EXPECT_NE(errors.Text().find("On line: "), std::string::npos);
    EXPECT_FLOAT_EQ(HeightAt(terrain, 1.5f, 0.5f), 2.0f);
    EXPECT_FLOAT_EQ(HeightAt(terrain, 2.0f, 2.0f), 2.0f);
}

bool BuildWith(Heightmap& terrain, int rows, int columns, float diff, GridArrays g)
{
    terrain.ROWS = rows;
    terrain.COLUMNS = columns;
    terrain.DIFF = diff;
    return terrain.BuildFromArrays(g.vertices.data(), static_cast<int>(g.vertices.size()), g.indices.data(),
                                   static_cast<int>(g.indices.size()));
}

} // namespace

TEST(HeightmapValidation, BadGridsAreReportedAndTheGroundThatWasThereStays)
{
    ExpectRejected("is empty", [](Heightmap& t) { return BuildWith(t, 0, 3, 1.0f, Grid(3, 3, 5.0f)); });
    ExpectRejected("is empty", [](Heightmap& t) { return BuildWith(t, 3, 0, 1.0f, Grid(3, 3, 5.0f)); });
    ExpectRejected("has 12 vertices, expected 9",
                   [](Heightmap& t) { return BuildWith(t, 3, 3, 1.0f, Grid(4, 3, 5.0f)); });
    ExpectRejected("has 6 vertices, expected 9",
                   [](Heightmap& t) { return BuildWith(t, 3, 3, 1.0f, Grid(3, 2, 5.0f)); });
    ExpectRejected("exceeds 65536", [](Heightmap& t) { return BuildWith(t, 257, 257, 1.0f, Grid(3, 3, 5.0f)); });
    ExpectRejected("must be positive", [](Heightmap& t) { return BuildWith(t, 3, 3, 0.0f, Grid(3, 3, 5.0f)); });
    ExpectRejected("must be positive", [](Heightmap& t) { return BuildWith(t, 3, 3, -4.0f, Grid(3, 3, 5.0f)); });
    ExpectRejected("must be positive", [](Heightmap& t) {
        return BuildWith(t, 3, 3, std::numeric_limits<float>::quiet_NaN(), Grid(3, 3, 5.0f));
    });
    ExpectRejected("is too small", [](Heightmap& t) { return BuildWith(t, 3, 3, 9.0e-13f, Grid(3, 3, 5.0f)); });
    ExpectRejected("invalid coordinate", [](Heightmap& t) {
        GridArrays g = Grid(3, 3, 5.0f);
        g.vertices[4].position[2] = std::numeric_limits<float>::quiet_NaN();
        return BuildWith(t, 3, 3, 1.0f, g);
    });
    ExpectRejected("invalid coordinate", [](Heightmap& t) {
        GridArrays g = Grid(3, 3, 5.0f);
        g.vertices[8].position[0] = 1.0e30f;
        return BuildWith(t, 3, 3, 1.0f, g);
    });
    ExpectRejected("uses vertex 9 of 9", [](Heightmap& t) {
        GridArrays g = Grid(3, 3, 5.0f);
        g.indices[5] = 9;
        return BuildWith(t, 3, 3, 1.0f, g);
    });
    ExpectRejected("is empty", [](Heightmap& t) {
        GridArrays g = Grid(3, 3, 5.0f);
        g.indices.clear();
        return BuildWith(t, 3, 3, 1.0f, g);
    });
}

TEST(HeightmapValidation, VerticesNoFaceUsesStayAtHeightZero)
{
    Heightmap terrain;
    GridArrays g = Grid(3, 3, 2.0f);
    g.indices.resize(6); // only the first cell
    ASSERT_TRUE(BuildWith(terrain, 3, 3, 1.0f, g));
    EXPECT_FLOAT_EQ(HeightAt(terrain, 0.0f, 0.0f), 2.0f);
    EXPECT_FLOAT_EQ(HeightAt(terrain, 2.0f, 2.0f), 0.0f);
}
