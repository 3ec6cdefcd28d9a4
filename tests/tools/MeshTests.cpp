// The static meshes: table order and names, closed solids wound outward, the sizes the
// collision shapes expect, and the text the .x writer produces reading back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "StaticMeshes.h"
#include "XFile.h"
#include "XText.h"

using namespace gen;

namespace {

struct Bounds
{
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

Bounds BoundsOf(const Mesh& m)
{
    Bounds b;
    for (const Vertex& v : m.verts) {
        b.lo = {std::min(b.lo.x, v.p.x), std::min(b.lo.y, v.p.y), std::min(b.lo.z, v.p.z)};
        b.hi = {std::max(b.hi.x, v.p.x), std::max(b.hi.y, v.p.y), std::max(b.hi.z, v.p.z)};
    }
    return b;
}

// Welds equal positions, then every directed edge must be matched by its reverse
// exactly as often: closed, and consistently wound.
int UnmatchedEdges(const Mesh& m)
{
    std::map<std::tuple<long, long, long>, int> ids;
    std::vector<int> id(m.verts.size());
    for (size_t i = 0; i < m.verts.size(); ++i) {
        const auto key = std::make_tuple(std::lround(m.verts[i].p.x * 1e4), std::lround(m.verts[i].p.y * 1e4),
                                         std::lround(m.verts[i].p.z * 1e4));
        id[i] = ids.emplace(key, static_cast<int>(ids.size())).first->second;
    }
    std::map<std::pair<int, int>, int> count;
    for (const auto& t : m.tris)
        for (int k = 0; k < 3; ++k) {
            const int a = id[t[k]], b = id[t[(k + 1) % 3]];
            if (a != b) ++count[{a, b}];
        }
    int bad = 0;
    for (const auto& [edge, n] : count) {
        const auto it = count.find({edge.second, edge.first});
        if (it == count.end() || it->second != n) ++bad;
    }
    return bad;
}

double SignedVolume(const Mesh& m)
{
    double v = 0;
    for (const auto& t : m.tris) v += Dot(m.verts[t[0]].p, Cross(m.verts[t[1]].p, m.verts[t[2]].p)) / 6.0;
    return v;
}

const NamedMesh& Find(const std::vector<NamedMesh>& list, const std::string& file)
{
    for (const NamedMesh& m : list)
        if (m.file == file) return m;
    static NamedMesh none;
    ADD_FAILURE() << "no mesh " << file;
    return none;
}

} // namespace

TEST(StaticMeshes, TableOrderAndNames)
{
    const char* expected[] = {
        "Tiny.x",        "cube.x",      "boulder1.x",        "stage_exit.x", "column1.x",     "tetrahedron.x",
        "minecart.x",    "tire.x",      "torso.x",           "upperarm.x",   "upperleg.x",    "skybox.x",
        "tiki.x",        "handTorch.x", "bush1.x",           "1x1size1.x",   "big_temple.x",  "prism.x",
        "eye_block.x",   "coin.x",      "morvathens_mask.x", "spike.x",      "vivuzuzface.x", "caveceiling.x",
        "skybox_tiled.x"};
    const auto list = BuildStaticMeshes();
    ASSERT_EQ(list.size(), 25u);
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].file, expected[i]);
}

TEST(StaticMeshes, SolidsAreClosedAndWoundOutward)
{
    for (const NamedMesh& m : BuildStaticMeshes()) {
        SCOPED_TRACE(m.file);
        EXPECT_GT(m.mesh.tris.size(), 0u);
        EXPECT_LT(m.mesh.verts.size(), 65536u);
        std::vector<bool> used(m.mesh.verts.size(), false);
        for (const auto& t : m.mesh.tris)
            for (uint32_t i : t) {
                ASSERT_LT(i, m.mesh.verts.size());
                used[i] = true;
            }
        EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "every vertex belongs to a face";
        for (const Vertex& v : m.mesh.verts) EXPECT_NEAR(Length(v.n), 1.0f, 1e-3f);
        if (!m.closed) continue;
        EXPECT_EQ(UnmatchedEdges(m.mesh), 0);
        EXPECT_GT(SignedVolume(m.mesh), 0.0) << "wound inside out";
        // Normals agree with the winding: each face's vertex normals lean the same way.
        int disagree = 0;
        for (const auto& t : m.mesh.tris) {
            const Vec3 n =
                Cross(m.mesh.verts[t[1]].p - m.mesh.verts[t[0]].p, m.mesh.verts[t[2]].p - m.mesh.verts[t[0]].p);
            if (Length(n) < 1e-9f) continue;
            for (uint32_t i : t) disagree += Dot(n, m.mesh.verts[i].n) < 0;
        }
        EXPECT_EQ(disagree, 0);
    }
}

TEST(StaticMeshes, InwardSkyBoxesAndOpenSurfaces)
{
    const auto list = BuildStaticMeshes();
    for (const char* sky : {"skybox.x", "skybox_tiled.x"}) {
        const Mesh& m = Find(list, sky).mesh;
        EXPECT_EQ(UnmatchedEdges(m), 0) << sky;
        EXPECT_LT(SignedVolume(m), 0.0) << sky << " must face inward";
    }
    const Mesh& plane = Find(list, "1x1size1.x").mesh;
    const Bounds b = BoundsOf(plane);
    EXPECT_FLOAT_EQ(b.lo.x, -0.5f);
    EXPECT_FLOAT_EQ(b.hi.y, 0.5f);
    EXPECT_FLOAT_EQ(b.lo.z, 0.0f);
    EXPECT_FLOAT_EQ(b.hi.z, 0.0f);
    for (const auto& t : plane.tris)
        EXPECT_GT(Cross(plane.verts[t[1]].p - plane.verts[t[0]].p, plane.verts[t[2]].p - plane.verts[t[0]].p).z, 0);
}

TEST(StaticMeshes, SizesMatchTheCollisionShapes)
{
    const auto list = BuildStaticMeshes();
    auto expectBox = [&](const char* file, Vec3 lo, Vec3 hi, float tol) {
        SCOPED_TRACE(file);
        const Bounds b = BoundsOf(Find(list, file).mesh);
        EXPECT_NEAR(b.lo.x, lo.x, tol);
        EXPECT_NEAR(b.lo.y, lo.y, tol);
        EXPECT_NEAR(b.lo.z, lo.z, tol);
        EXPECT_NEAR(b.hi.x, hi.x, tol);
        EXPECT_NEAR(b.hi.y, hi.y, tol);
        EXPECT_NEAR(b.hi.z, hi.z, tol);
    };
    expectBox("cube.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 1e-6f);
    expectBox("eye_block.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 1e-6f);
    expectBox("boulder1.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 1e-3f);
    expectBox("column1.x", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}, 1e-3f);
    expectBox("prism.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 1e-6f);
    expectBox("spike.x", {-0.5f, -0.5f, -0.25f}, {0.5f, 0.5f, 0.75f}, 1e-6f);
    expectBox("tire.x", {-1.6f, -1.25f, -1.6f}, {1.6f, 1.25f, 1.6f}, 2e-3f); // axle along y
    expectBox("coin.x", {-0.25f, -0.5f, -0.5f}, {0.25f, 0.5f, 0.5f}, 1e-3f); // thin along x
    expectBox("tiki.x", {-1, -1, -3.5f}, {1, 1, 3.5f}, 1e-3f);
    // Every corner of the tetrahedron lies on the circumsphere of radius 0.5, apex up.
    const Mesh& tetra = Find(list, "tetrahedron.x").mesh;
    for (const Vertex& v : tetra.verts) EXPECT_NEAR(Length(v.p), 0.5f, 1e-5f);
    EXPECT_NEAR(BoundsOf(tetra).hi.z, 0.5f, 1e-6f);
    // The prism's full face is y = +0.5; the slope falls to the bottom edge at y = -0.5.
    for (const Vertex& v : Find(list, "prism.x").mesh.verts) {
        if (v.p.y < 0) {
            EXPECT_FLOAT_EQ(v.p.z, -0.5f);
        }
    }
    // The torch held in the hand points along +y with its flame end there.
    const Bounds torch = BoundsOf(Find(list, "handTorch.x").mesh);
    EXPECT_GT(torch.hi.y, 1.4f);
    EXPECT_GT(torch.hi.y - torch.lo.y, 2.5f);
}

TEST(XWriter, StaticMeshReadsBackExactly)
{
    for (const NamedMesh& m : BuildStaticMeshes()) {
        SCOPED_TRACE(m.file);
        const std::string text = StaticMeshText(m.mesh, "M");
        const TextDocument doc = ParseXText(text);
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(doc.header, "xof 0303txt 0032");
        ASSERT_EQ(doc.roots.size(), 1u);
        const TextNode& mesh = *doc.roots[0];
        ASSERT_EQ(mesh.type, "Mesh");
        const size_t nv = static_cast<size_t>(mesh.Number(0));
        ASSERT_EQ(nv, m.mesh.verts.size());
        for (size_t i = 0; i < nv; ++i) {
            EXPECT_NEAR(mesh.Number(1 + 3 * i), m.mesh.verts[i].p.x, 1e-6);
            EXPECT_NEAR(mesh.Number(3 + 3 * i), m.mesh.verts[i].p.z, 1e-6);
        }
        const size_t nf = static_cast<size_t>(mesh.Number(1 + 3 * nv));
        ASSERT_EQ(nf, m.mesh.tris.size());
        for (size_t f = 0; f < nf; ++f) {
            const size_t base = 2 + 3 * nv + 4 * f;
            ASSERT_EQ(mesh.data.at(base), "3") << "triangles only";
            EXPECT_EQ(static_cast<uint32_t>(mesh.Number(base + 3)), m.mesh.tris[f][2]);
        }
        // Normals: one per vertex with the face list identical to the positions'.
        const TextNode* normals = mesh.Child("MeshNormals");
        ASSERT_NE(normals, nullptr);
        EXPECT_EQ(static_cast<size_t>(normals->Number(0)), nv);
        ASSERT_EQ(normals->data.size(), 1 + 3 * nv + 1 + 4 * nf);
        for (size_t k = 0; k < 4 * nf; ++k) EXPECT_EQ(normals->data[2 + 3 * nv + k], mesh.data[2 + 3 * nv + k]);
        const TextNode* uv = mesh.Child("MeshTextureCoords");
        ASSERT_NE(uv, nullptr);
        EXPECT_EQ(uv->data.size(), 1 + 2 * nv);
        EXPECT_EQ(mesh.Count("MeshVertexColors"), 0u);
    }
}
