// Terrain from files: the .hmp keys, the grid mesh, the height contract and
// malformed input.
#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "Terrain.h"
#include "XFile.h"
#include "render/Terrain.h"
#include "tests/collision/CollisionTestSupport.h"

namespace {

// A grid .x file in the stage layout, written by the data generator.
std::string GridMeshText(int rows, int columns, float x0, float y0, const MeshHeightFunction& height)
{
    return gen::StaticMeshText(gen::BuildGridMesh(rows, columns, x0, y0, height), "Terrain");
}

std::string HmpText(int rows, int columns, float diff)
{
    gen::TerrainSpec spec = {};
    spec.comment = "# test terrain";
    spec.technique = "Phong1Opaque";
    spec.material = 2;
    spec.texture = 2;
    spec.elastic = 1.0f;
    spec.staticFric = 0.5f;
    spec.dynamicFric = 0.5f;
    spec.rows = rows;
    spec.columns = columns;
    spec.diff = diff;
    return gen::HmpText(spec);
}

float Hills(int i, int j)
{
    return 0.75f * std::sin(0.7f * static_cast<float>(i)) + 0.25f * static_cast<float>(j % 4) - 1.0f;
}

// For every vertex of the terrain's own (mesh-unit) geometry, the height at
// its scaled (x, y) is its scaled z.
void ExpectHeightsMatchVertices(const Terrain& terrain)
{
    const Heightmap& ground = terrain.GetGround();
    const float d = ground.GetGrid().diff;
    const std::vector<TangentVertex>& vertices = terrain.GetMesh().GetVertices();
    ASSERT_EQ(vertices.size(), static_cast<size_t>(ground.GetGrid().rows * ground.GetGrid().columns));
    int mismatches = 0;
    for (size_t v = 0; v < vertices.size(); ++v) {
        float h = 0.0f;
        Vector3 n;
        ground.GetHeight(d * vertices[v].position[0], d * vertices[v].position[1], h, n);
        const float expected = d * vertices[v].position[2];
        if (!(std::fabs(h - expected) <= 1e-4f * (1.0f + std::fabs(expected)))) {
            if (++mismatches < 5) {
                ADD_FAILURE() << "vertex " << v << ": height " << h << ", expected " << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

bool FileExists(const std::string& path)
{
    return std::ifstream(path).good();
}

} // namespace

TEST(TerrainFile, GridMeshHeightsAreTheTerrainHeights)
{
    const std::string mesh = WriteScratchFile("hills.x", GridMeshText(11, 9, -5.0f, -4.0f, Hills));
    const std::string hmp = WriteScratchFile("hills.hmp", HmpText(11, 9, 4.0f));
    Terrain terrain(hmp, mesh);
    const Heightmap& ground = terrain.GetGround();
    EXPECT_EQ(terrain.GetMesh().technique, "Phong1Opaque");
    EXPECT_EQ(terrain.GetMesh().materialId, 2);
    EXPECT_EQ(terrain.GetMesh().textureId, 2);
    EXPECT_FLOAT_EQ(ground.elasticity, 1.0f);
    EXPECT_FLOAT_EQ(ground.staticFriction, 0.5f);
    EXPECT_FLOAT_EQ(ground.dynamicFriction, 0.5f);
    ASSERT_TRUE(ground.GetGrid().IsBuilt());
    EXPECT_FLOAT_EQ(ground.GetGrid().originX, -20.0f);
    EXPECT_FLOAT_EQ(ground.GetGrid().farY, 16.0f);
    EXPECT_FLOAT_EQ(ground.GetCentreX(), 0.0f);
    EXPECT_EQ(terrain.GetMesh().GetIndices().size(), static_cast<size_t>(2 * 10 * 8 * 3));
    ExpectHeightsMatchVertices(terrain);
}

TEST(TerrainFile, GeneratedStageMapsKeepTheHeightContract)
{
    int checked = 0;
    for (const char* stage : {"stage1", "stage2", "stage3", "stage4"}) {
        const std::string base = std::string("../Maps/") + stage;
        if (!FileExists(base + ".x") || !FileExists(base + ".hmp")) {
            continue;
        }
        Terrain terrain(base + ".hmp", base + ".x");
        ASSERT_TRUE(terrain.GetGround().GetGrid().IsBuilt()) << base;
        EXPECT_EQ(terrain.GetGround().GetGrid().rows, 129);
        ExpectHeightsMatchVertices(terrain);
        ++checked;
    }
    if (checked == 0) {
        GTEST_SKIP() << "no generated maps in this run tree (build the data to check them)";
    }
}

TEST(TerrainFile, KeysAreFoundInOrderPastOtherWords)
{
    Terrain terrain;
    const std::string commented = WriteScratchFile(
        "commented.hmp", "# made by hand\nTECHNIQUE PhongNoSpecOpaque note MATERIAL 7\n\tTEXTURE 13 ELASTIC 0.25 x "
                         "STATIC_FRIC 0.75 DYNAMIC_FRIC 0.5 ROWS 5 COLUMNS 6 DIFF 2.5 BEGIN (0,0) HEIGHTS 1 2 3");
    EXPECT_TRUE(terrain.LoadConfig(commented.c_str()));
    EXPECT_EQ(terrain.GetMesh().technique, "PhongNoSpecOpaque");
    EXPECT_EQ(terrain.GetMesh().materialId, 7);
    EXPECT_EQ(terrain.GetMesh().textureId, 13);
    EXPECT_FLOAT_EQ(terrain.GetGround().elasticity, 0.25f);
    EXPECT_EQ(terrain.GetGround().ROWS, 5);
    EXPECT_EQ(terrain.GetGround().COLUMNS, 6);
    EXPECT_FLOAT_EQ(terrain.GetGround().DIFF, 2.5f);

    Terrain outOfOrder;
    const std::string swapped = WriteScratchFile(
        "swapped.hmp",
        "TECHNIQUE a MATERIAL 1 TEXTURE 1 ELASTIC 1 STATIC_FRIC 1 DYNAMIC_FRIC 1 DIFF 4 ROWS 3 COLUMNS 3");
    ErrorCapture errors;
    EXPECT_FALSE(outOfOrder.LoadConfig(swapped.c_str()));
    EXPECT_FLOAT_EQ(outOfOrder.GetGround().dynamicFriction, 1.0f);
    EXPECT_EQ(outOfOrder.GetGround().ROWS, 3);
    EXPECT_EQ(outOfOrder.GetGround().COLUMNS, 3);
    EXPECT_EQ(outOfOrder.GetGround().DIFF, 0.0f); // written before ROWS, so its search ran off the end
    EXPECT_NE(errors.Text().find("no readable value for DIFF"), std::string::npos);

    Terrain badValue;
    const std::string bad = WriteScratchFile("bad.hmp", "TECHNIQUE a MATERIAL x TEXTURE 1 ROWS 3");
    EXPECT_FALSE(badValue.LoadConfig(bad.c_str()));
    EXPECT_EQ(badValue.GetMesh().materialId, 0);
    EXPECT_EQ(badValue.GetGround().ROWS, 0);
    EXPECT_FALSE(badValue.LoadConfig("/nonexistent/terrain.hmp"));
    EXPECT_NE(errors.Text().find("Could not open heightmap file: /nonexistent/terrain.hmp"), std::string::npos);
}

TEST(TerrainFile, ValuesOutsideWhatTheKeyNamesAreReportedAndTheDefaultTaken)
{
    // A file whose values all differ from the plain ground's; one at a time is
    // replaced by a word its key cannot take.
    const char* const keys[] = {"TECHNIQUE", "MATERIAL", "TEXTURE", "ELASTIC", "STATIC_FRIC", "DYNAMIC_FRIC"};
    const char* const good[] = {"PhongNoSpecOpaque", "7", "13", "0.25", "0.75", "0.4"};
    const char* const bad[] = {"NoSuchTechnique", "15", "2147483647", "1e30", "-1e30", "10.5"};
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(keys[k]);
        std::string text;
        for (int i = 0; i < 6; ++i) text += std::string(keys[i]) + ' ' + (i == k ? bad[i] : good[i]) + '\n';
        const std::string path = WriteScratchFile("refused.hmp", text + "ROWS 5\nCOLUMNS 6\nDIFF 2.5\n");
        Terrain terrain;
        ErrorCapture errors;
        EXPECT_TRUE(terrain.LoadConfig(path.c_str()));
        // The refused key takes the plain ground's value (Phong1Opaque, 2, 2,
        // 1, 0.5, 0.5), every other key the file's.
        const TerrainMesh& mesh = terrain.GetMesh();
        const Heightmap& ground = terrain.GetGround();
        EXPECT_EQ(std::string(mesh.technique), k == 0 ? "Phong1Opaque" : good[0]);
        EXPECT_EQ(mesh.materialId, k == 1 ? 2 : 7);
        EXPECT_EQ(mesh.textureId, k == 2 ? 2 : 13);
        EXPECT_FLOAT_EQ(ground.elasticity, k == 3 ? 1.0f : 0.25f);
        EXPECT_FLOAT_EQ(ground.staticFriction, k == 4 ? 0.5f : 0.75f);
        EXPECT_FLOAT_EQ(ground.dynamicFriction, k == 5 ? 0.5f : 0.4f);
        EXPECT_FLOAT_EQ(ground.DIFF, 2.5f);
        const std::string& log = errors.Text();
        EXPECT_NE(log.find(path + " value \"" + bad[k] + "\" for \"" + keys[k] + "\""), std::string::npos) << log;
        EXPECT_EQ(log.find("Failed in file"), log.rfind("Failed in file")) << log;
    }
}

TEST(TerrainFile, MalformedFilesAreRejectedAndTheTerrainStaysUsable)
{
    const std::string mesh = WriteScratchFile("small.x", GridMeshText(5, 5, 0.0f, 0.0f, [](int, int) { return 1.0f; }));
    const std::string hmp = WriteScratchFile("small.hmp", HmpText(5, 5, 2.0f));
    Terrain terrain(hmp, mesh);
    ASSERT_TRUE(terrain.GetGround().GetGrid().IsBuilt());
    auto heightAt = [&terrain](float x, float y) {
        float h = 0.0f;
        Vector3 n;
        terrain.GetGround().GetHeight(x, y, h, n);
        return h;
    };

    ErrorCapture errors;
    const std::string garbage = WriteScratchFile("garbage.x", "xof 0303txt 0032\nMesh { 4; 1;2;");
    EXPECT_FALSE(terrain.Load(garbage));
    const std::string bigger =
        WriteScratchFile("bigger.x", GridMeshText(6, 5, 0.0f, 0.0f, [](int, int) { return 9.0f; }));
    EXPECT_FALSE(terrain.Load(bigger));
    EXPECT_FALSE(terrain.Load("/nonexistent/stage.x"));
    EXPECT_NE(errors.Text().find("Could not load mesh: " + garbage), std::string::npos);
    EXPECT_NE(errors.Text().find("has 30 vertices, expected 25"), std::string::npos);
    EXPECT_FLOAT_EQ(heightAt(3.0f, 3.0f), 2.0f);

    // A fresh terrain whose grid keys are unusable stays flat ground.
    const std::string zeroRows = WriteScratchFile("zero.hmp", HmpText(0, 5, 2.0f));
    Terrain flat(zeroRows, mesh);
    EXPECT_FALSE(flat.GetGround().GetGrid().IsBuilt());
    float h = 1.0f;
    Vector3 n;
    flat.GetGround().GetHeight(3.0f, 3.0f, h, n);
    EXPECT_EQ(h, 0.0f);
    EXPECT_NE(errors.Text().find("grid of 0 x 5 nodes is empty"), std::string::npos);
    // A rejected build leaves the drawn mesh as it was too.
    EXPECT_TRUE(flat.GetMesh().GetVertices().empty());
    EXPECT_EQ(terrain.GetMesh().GetVertices().size(), 25u);
}

TEST(TerrainFile, TerrainVerticesCarryTangentsOfTheirLastTriangle)
{
    std::vector<TerrainSourceVertex> vertices;
    std::vector<uint16_t> indices;
    ASSERT_TRUE(MakeGridArrays(std::vector<float>(9, 0.0f), 3, 3, 0.0f, 0.0f, vertices, indices));
    Terrain terrain;
    terrain.GetGround().ROWS = 3;
    terrain.GetGround().COLUMNS = 3;
    terrain.GetGround().DIFF = 1.0f;
    ASSERT_TRUE(terrain.BuildFromArrays(vertices.data(), 9, indices.data(), static_cast<int>(indices.size())));
    // Texture u = 0.25 i, v = 0.25 j on a flat grid: tangent (4, 0, 0) along x
    // per unit of u, binormal (0, 4, 0).
    const TangentVertex& centre = terrain.GetMesh().GetVertices()[4];
    EXPECT_NEAR(centre.tangent[0], 4.0f, 1e-4f);
    EXPECT_NEAR(centre.binormal[1], 4.0f, 1e-4f);
    EXPECT_NEAR(centre.tangent[1], 0.0f, 1e-5f);
}
