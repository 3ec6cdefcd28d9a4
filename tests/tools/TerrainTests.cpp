// The terrain contract: the written grid reads back with every vertex at its node, the
// height the terrain computes at a node is the vertex's, and each stage's features sit
// where the fixed stage content is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "Terrain.h"
#include "XFile.h"
#include "XText.h"

using namespace gen;

namespace {

// The terrain as the game builds it from the file: node heights = vertex z x DIFF and
// the height query of the heightmap (cell split along (i, j)-(i+1, j+1)).
struct Field
{
    int R = 0, C = 0;
    float d = 1, ox = 0, oy = 0;
    std::vector<float> h;

    float Height(float x, float y) const
    {
        int i = static_cast<int>((x - ox) / d), j = static_cast<int>((y - oy) / d);
        i = std::min(std::max(i, 0), R - 1);
        j = std::min(std::max(j, 0), C - 1);
        const int i1 = std::min(i + 1, R - 1), j1 = std::min(j + 1, C - 1);
        const float x0 = ox + i * d, y0 = oy + j * d;
        const float u = std::clamp((x - x0) / d, 0.0f, 1.0f), v = std::clamp((y - y0) / d, 0.0f, 1.0f);
        auto H = [&](int a, int b) { return h[static_cast<size_t>(b) * R + a]; };
        if (i == i1 || j == j1) return H(i, j);
        const Vec3 p00(x0, y0, H(i, j)), p11(x0 + d, y0 + d, H(i1, j1));
        const Vec3 p = v < u ? Vec3(x0 + d, y0, H(i1, j)) : Vec3(x0, y0 + d, H(i, j1));
        Vec3 n = Normalize(v < u ? Cross(p - p00, p11 - p00) : Cross(p11 - p00, p - p00));
        if (n.z < 0) n = -n;
        return p00.z - (n.x * (x - x0) + n.y * (y - y0)) / n.z;
    }
};

Field ReadBack(const TerrainSpec& spec, size_t* badOrder)
{
    const TextDocument doc = ParseXText(StaticMeshText(BuildTerrainMesh(spec), "Terrain"));
    EXPECT_TRUE(doc.ok) << doc.error;
    const TextNode& mesh = *doc.roots.at(0);
    Field f;
    f.R = spec.rows;
    f.C = spec.columns;
    f.d = spec.diff;
    const size_t n = static_cast<size_t>(mesh.Number(0));
    EXPECT_EQ(n, static_cast<size_t>(spec.rows) * spec.columns);
    *badOrder = 0;
    for (size_t k = 0; k < n; ++k) {
        const double x = mesh.Number(1 + 3 * k), y = mesh.Number(2 + 3 * k);
        const int i = static_cast<int>(k % spec.rows), j = static_cast<int>(k / spec.rows);
        if (x != spec.x0 + i || y != spec.y0 + j) ++*badOrder;
        f.h.push_back(static_cast<float>(mesh.Number(3 + 3 * k)) * spec.diff);
    }
    f.ox = static_cast<float>(mesh.Number(1)) * spec.diff;
    f.oy = static_cast<float>(mesh.Number(2)) * spec.diff;
    return f;
}

const TerrainSpec& Spec(int stage)
{
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    for (int i = 0; i < count; ++i)
        if (specs[i].stage == stage) return specs[i];
    return specs[0];
}

} // namespace

TEST(Terrain, GridOrderNodeHeightsAndUpwardFaces)
{
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    ASSERT_EQ(count, 5);
    for (int s = 0; s < count; ++s) {
        SCOPED_TRACE(specs[s].meshFile);
        EXPECT_LE(specs[s].rows * specs[s].columns, 65536);
        size_t badOrder = 0;
        const Field f = ReadBack(specs[s], &badOrder);
        EXPECT_EQ(badOrder, 0u) << "vertices must be in line order, one mesh unit apart";
        int mismatched = 0;
        for (int j = 0; j < f.C; ++j)
            for (int i = 0; i < f.R; ++i)
                mismatched += f.Height(f.ox + i * f.d, f.oy + j * f.d) != f.h[static_cast<size_t>(j) * f.R + i];
        EXPECT_EQ(mismatched, 0);
        const Mesh m = BuildTerrainMesh(specs[s]);
        ASSERT_EQ(m.tris.size(), 2u * (f.R - 1) * (f.C - 1));
        for (const auto& t : m.tris) {
            ASSERT_GT(Cross(m.verts[t[1]].p - m.verts[t[0]].p, m.verts[t[2]].p - m.verts[t[0]].p).z, 0);
            // Every triangle uses the physics diagonal: its first vertex is the cell's (i, j).
            EXPECT_TRUE(t[1] == t[0] + 1 || t[2] == t[0] + static_cast<uint32_t>(f.R));
        }
    }
}

TEST(Terrain, HmpFilesListTheKeysInReadingOrder)
{
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    for (int s = 0; s < count; ++s) {
        if (specs[s].hmpFile.empty()) continue;
        std::istringstream in(HmpText(specs[s]));
        const char* keys[] = {"TECHNIQUE",    "MATERIAL", "TEXTURE", "ELASTIC", "STATIC_FRIC",
                              "DYNAMIC_FRIC", "ROWS",     "COLUMNS", "DIFF"};
        std::string word, technique;
        int material = -1, texture = -1, rows = 0, columns = 0;
        float elastic = -1, sf = -1, df = -1, diff = 0;
        for (const char* key : keys) {
            while (in >> word && word != key) {}
            ASSERT_EQ(word, key) << specs[s].hmpFile;
            if (word == "TECHNIQUE")
                in >> technique;
            else if (word == "MATERIAL")
                in >> material;
            else if (word == "TEXTURE")
                in >> texture;
            else if (word == "ELASTIC")
                in >> elastic;
            else if (word == "STATIC_FRIC")
                in >> sf;
            else if (word == "DYNAMIC_FRIC")
                in >> df;
            else if (word == "ROWS")
                in >> rows;
            else if (word == "COLUMNS")
                in >> columns;
            else
                in >> diff;
            ASSERT_FALSE(in.fail()) << key;
        }
        EXPECT_EQ(technique, "Phong1Opaque");
        EXPECT_TRUE(material >= 0 && material < 14);
        EXPECT_TRUE(texture >= 0 && texture < 86);
        EXPECT_EQ(rows, specs[s].rows);
        EXPECT_EQ(columns, specs[s].columns);
        EXPECT_FLOAT_EQ(diff, specs[s].diff);
    }
    // The developer key reads "Heightmap.hmp" as a 101 x 101 mesh at spacing 4.
    const TerrainSpec& extra = Spec(0);
    EXPECT_EQ(extra.meshFile, "Heightmap.hmp");
    EXPECT_EQ(extra.rows, 101);
    EXPECT_EQ(extra.columns, 101);
    EXPECT_FLOAT_EQ(extra.diff, 4.0f);
}

TEST(Terrain, StageOneBridgeEndsAndCanyon)
{
    size_t bad;
    const Field f = ReadBack(Spec(1), &bad);
    // Bridge at (-36, -42, -1.8): boxes span y -94.5..5.5 and x -40..-32.
    for (float x : {-40.0f, -36.0f, -32.0f}) {
        EXPECT_NEAR(f.Height(x, 6.0f), -1.8f, 0.3f);
        EXPECT_NEAR(f.Height(x, -95.0f), -1.8f, 0.3f);
    }
    for (float y = -80; y <= -10; y += 5) EXPECT_LT(f.Height(-36, y), -25.0f) << y;
    // Walkable ground stays above the fall limit away from the canyon.
    for (float x = -200; x <= 200; x += 20)
        for (float y : {-200.0f, -120.0f, 20.0f, 100.0f, 200.0f}) EXPECT_GT(f.Height(x, y), -18.0f) << x << " " << y;
    // The water spout at (-227, -44, 190) sits on the western peak.
    EXPECT_GT(f.Height(-235, -44), 120.0f);
    EXPECT_LT(f.Height(-115, -34), 100.0f); // room for the mist emitter
}

TEST(Terrain, StageTwoLogAreas)
{
    size_t bad;
    const Field f = ReadBack(Spec(2), &bad);
    // Whips at (-6, -20, 0) and (-6, 13, 0) sweep over a hollow the player can stand in.
    EXPECT_NEAR(f.Height(-6, -20), -4.0f, 0.6f);
    EXPECT_NEAR(f.Height(-6, 13), -4.0f, 0.6f);
    // Spinning logs at (16, 129, 25) and (16, 160, 25), radius 15, over a pit; the mesa
    // around the pit is level with their tops.
    EXPECT_LT(f.Height(16, 145), -10.0f);
    EXPECT_LT(f.Height(-20, 120), -10.0f);
    EXPECT_NEAR(f.Height(16, 100), 38.0f, 1.5f);
    EXPECT_NEAR(f.Height(16, 190), 38.0f, 1.5f);
    // Upright drums at (125, 80) and (135, 150) stand on the ground.
    EXPECT_NEAR(f.Height(125, 80), 0.0f, 1.6f);
    EXPECT_NEAR(f.Height(135, 150), 0.0f, 1.6f);
    // Swinging logs at (-75, -127, 15) and (-95, -127, 15) sweep the causeway at torso
    // height, with a pit either side.
    EXPECT_NEAR(f.Height(-85, -127), 10.0f, 0.5f);
    EXPECT_LT(f.Height(-85, -110), -10.0f);
    EXPECT_LT(f.Height(-85, -145), -10.0f);
    EXPECT_GT(f.Height(0, -60), -10.0f);
}

TEST(Terrain, StageThreeBasinAndPlatform)
{
    size_t bad;
    const Field f = ReadBack(Spec(3), &bad);
    // Lava at z 4 over |x|, |y| <= 120: the basin floor lies under it.
    for (float x = -110; x <= 110; x += 20) {
        if (std::fabs(x + 35) > 10) {
            EXPECT_LT(f.Height(x, -75), 5.0f) << x; // off the causeway
        }
    }
    // Room under the platform at (-35, 40), hanging at 45.5.
    EXPECT_LT(f.Height(-35, 40), 5.0f);
    EXPECT_NEAR(f.Height(-35, 17), 44.0f, 0.5f);
    EXPECT_NEAR(f.Height(-35, 63), 44.0f, 0.5f);
    // A causeway rises from the rim to the south mesa; the rim is above the lava.
    EXPECT_GT(f.Height(-35, -60), 5.0f);
    EXPECT_GT(f.Height(0, -150), 5.0f);
    EXPECT_GT(f.Height(150, 0), 5.0f);
}

TEST(Terrain, StageFourTrackAndPit)
{
    size_t bad;
    const Field f = ReadBack(Spec(4), &bad);
    // The cart starts at (0, -150, 12.5), about 2 above the track.
    for (float x = -200; x <= 100; x += 25) EXPECT_NEAR(f.Height(x, -150), 10.5f, 0.3f) << x;
    // A pit deeper than the cart's fall limit (-400) across the whole map.
    for (float y = -250; y <= 250; y += 50) EXPECT_LT(f.Height(172, y), -400.0f) << y;
    EXPECT_GT(f.Height(225, -150), 0.0f);
}
