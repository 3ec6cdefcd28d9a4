// Sample points, vertex points and sampled edges of every shape: counts for
// the default keys and the factory's sizes, positions on the surface, and the
// clamping of bad keys.
#include <gtest/gtest.h>

#include <cmath>

#include "ShapeTestSupport.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/Polyhedron.h"

namespace {

// Every sample point lies on the surface by the shape's own point query.
void ExpectPointsOnSurface(const CollisionMeshObject& shape, const std::vector<Vector3>& points, float tolerance)
{
    for (const Vector3& p : points) {
        bool inside = false;
        Vector3 v;
        shape.GetMeshInfo(p, inside, v);
        ASSERT_LE(v.Length(), tolerance) << p.x << " " << p.y << " " << p.z;
    }
}

const BodyCollisionData& Data(ShapeObject& shape)
{
    return *shape.GetCollisionData();
}

} // namespace

TEST(SamplePoints, BoxDefaults)
{
    Box box(nullptr, 2.0f, 4.0f, 6.0f, 1.0f);
    const BodyCollisionData& data = Data(box);
    ASSERT_EQ(data.samplePoints.size(), 54u);
    ASSERT_EQ(data.vertexPoints.size(), 8u);
    ASSERT_EQ(data.edges.size(), 12u);
    EXPECT_EQ(data.vertexPoints[0], Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(data.vertexPoints[6], Vector3(-1.0f, -2.0f, -3.0f));
    for (const SampledEdge& e : data.edges) {
        EXPECT_EQ(e.count, 6);
        // Every edge joins corners that differ on exactly one axis.
        const Vector3 d = data.vertexPoints[e.second] - data.vertexPoints[e.first];
        EXPECT_EQ((d.x != 0.0f) + (d.y != 0.0f) + (d.z != 0.0f), 1);
    }
    // Face interiors only: exactly one coordinate on a face, on a quarter lattice.
    for (const Vector3& p : data.samplePoints) {
        const int onFace = (std::fabs(p.x) == 1.0f) + (std::fabs(p.y) == 2.0f) + (std::fabs(p.z) == 3.0f);
        EXPECT_EQ(onFace, 1);
    }
    ExpectPointsOnSurface(box, data.samplePoints, 1e-6f);
    // The world lists follow the body lists at the origin.
    EXPECT_EQ(data.worldSamplePoints.size(), data.samplePoints.size());
    EXPECT_EQ(data.worldVertexPoints[3], data.vertexPoints[3]);
}

TEST(SamplePoints, BoxKeysAreClamped)
{
    for (const char* low : {"0", "1", "2", "-7"}) {
        ScopedShapeConfig config({{"box_edge_samples", low}, {"box_face_sample_points", "1"}});
        Box box(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
        for (const SampledEdge& e : Data(box).edges) {
            EXPECT_EQ(e.count, 2);
        }
        // n = 1 takes no face point (and divides by nothing).
        EXPECT_EQ(Data(box).samplePoints.size(), 0u);
    }
    {
        ScopedShapeConfig config({{"box_edge_samples", "3"}, {"box_face_sample_points", "3"}});
        Box box(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
        EXPECT_EQ(Data(box).edges[0].count, 3);
        EXPECT_EQ(Data(box).samplePoints.size(), 6u); // one face centre each
    }
    {
        ScopedShapeConfig config({{"box_face_sample_points", "100000"}, {"box_edge_samples", "100000"}});
        Box box(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
        EXPECT_EQ(Data(box).samplePoints.size(), 6u * 30u * 30u);
        EXPECT_EQ(Data(box).edges[0].count, 64);
    }
}

TEST(SamplePoints, CapsuleHas194PointsOnItsSurface)
{
    for (int axis = 0; axis < 3; ++axis) {
        Capsule capsule(nullptr, 0.4f, 2.0f, 1.0f, axis);
        const BodyCollisionData& data = Data(capsule);
        ASSERT_EQ(data.samplePoints.size(), 194u);
        EXPECT_TRUE(data.vertexPoints.empty());
        EXPECT_TRUE(data.edges.empty());
        // Split at the equator, so the wall and its points lie on the true surface.
        ExpectPointsOnSurface(capsule, data.samplePoints, 1e-5f);
        // Poles first and after the rings, at the capsule's ends.
        EXPECT_NEAR(data.samplePoints[0][axis], -1.0f, 1e-6f);
        EXPECT_NEAR(data.samplePoints[145][axis], 1.0f, 1e-6f);
        // Each ring's last point repeats its first.
        EXPECT_NEAR((data.samplePoints[1 + 15] - data.samplePoints[1]).Length(), 0.0f, 1e-6f);
        // The wall points lie at a quarter, a half and three quarters of it.
        EXPECT_NEAR(data.samplePoints[146][axis], -0.3f, 1e-6f);
        EXPECT_NEAR(data.samplePoints[147][axis], 0.0f, 1e-6f);
        EXPECT_NEAR(data.samplePoints[148][axis], 0.3f, 1e-6f);
    }
}

TEST(SamplePoints, CylinderRingsAndCaps)
{
    struct Case
    {
        int slices, stacks;
        size_t count;
    };
    for (const Case c : {Case{32, 16, 546u}, Case{16, 2, 50u}, Case{16, 10, 178u}, Case{1, 0, 3u * 3u + 2u}}) {
        Cylinder cylinder(nullptr, 0.5f, 3.0f, c.slices, c.stacks, 1.0f);
        const BodyCollisionData& data = Data(cylinder);
        ASSERT_EQ(data.samplePoints.size(), c.count);
        ExpectPointsOnSurface(cylinder, data.samplePoints, 1e-6f);
        EXPECT_EQ(data.samplePoints[0], Vector3(-1.5f, 0.5f, 0.0f));
        EXPECT_EQ(data.samplePoints[c.count - 2], Vector3(1.5f, 0.0f, 0.0f));
        EXPECT_EQ(data.samplePoints[c.count - 1], Vector3(-1.5f, 0.0f, 0.0f));
    }
}

TEST(SamplePoints, EllipsoidPolesAndRings)
{
    struct Case
    {
        int bands, sectors;
        size_t count;
    };
    for (const Case c : {Case{8, 8, 50u}, Case{10, 9, 74u}, Case{16, 10, 142u}}) {
        Ellipsoid ellipsoid(nullptr, 3.0f, 2.0f, 1.0f, c.bands, c.sectors, 1.0f);
        const BodyCollisionData& data = Data(ellipsoid);
        ASSERT_EQ(data.samplePoints.size(), c.count);
        ExpectPointsOnSurface(ellipsoid, data.samplePoints, 1e-4f);
        EXPECT_EQ(data.samplePoints.front(), Vector3(0.0f, 0.0f, -0.5f));
        EXPECT_EQ(data.samplePoints.back(), Vector3(0.0f, 0.0f, 0.5f));
        // The last longitude is 360 degrees: it repeats the ring's first point.
        EXPECT_NEAR((data.samplePoints[c.sectors] - data.samplePoints[1]).Length(), 0.0f, 1e-6f);
    }
}

TEST(SamplePoints, PolyhedraLatticeCornersAndEdges)
{
    Prism prism(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
    EXPECT_EQ(Data(prism).samplePoints.size(), 8u * 21u);
    EXPECT_EQ(Data(prism).vertexPoints.size(), 6u);
    EXPECT_EQ(Data(prism).edges.size(), 9u);
    Pyramid pyramid(nullptr, 2.0f, 3.0f, 1.0f);
    EXPECT_EQ(Data(pyramid).samplePoints.size(), 6u * 21u);
    EXPECT_EQ(Data(pyramid).edges.size(), 8u);
    EXPECT_EQ(Data(pyramid).vertexPoints[0], Vector3(0.0f, 0.0f, 2.25f));
    Tetrahedron tetrahedron(nullptr, 2.5f, 1.0f);
    EXPECT_EQ(Data(tetrahedron).samplePoints, Data(tetrahedron).vertexPoints);
    EXPECT_EQ(Data(tetrahedron).samplePoints.size(), 4u);
    EXPECT_EQ(Data(tetrahedron).edges.size(), 6u);
    for (const Vector3& corner : Data(tetrahedron).vertexPoints) {
        EXPECT_NEAR(corner.Length(), 2.5f, 1e-5f);
    }
    // Every lattice point lies on the hull.
    for (const Vector3& p : Data(prism).samplePoints) {
        ASSERT_LE(DistanceToHull(prism.GetTriangles(), p), 1e-5f);
    }
    for (const SampledEdge& e : Data(prism).edges) {
        EXPECT_EQ(e.count, 6);
    }
}

TEST(SamplePoints, PolyhedronKeysAreClamped)
{
    {
        // n = 1: each triangle's three corners; an edge count below 2 is raised.
        ScopedShapeConfig config({{"prism_face_sample_points", "1"}, {"prism_edge_sampes", "0"}});
        Prism prism(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
        ASSERT_EQ(Data(prism).samplePoints.size(), 24u);
        EXPECT_NEAR((Data(prism).samplePoints[1] - prism.GetTriangles()[0].c).Length(), 0.0f, 1e-6f);
        EXPECT_EQ(Data(prism).edges[0].count, 2);
    }
    {
        // Integer steps keep every row at larger n: 66 points for n = 10.
        ScopedShapeConfig config("pyramid_face_sample_points", "10");
        Pyramid pyramid(nullptr, 2.0f, 3.0f, 1.0f);
        EXPECT_EQ(Data(pyramid).samplePoints.size(), 6u * 66u);
    }
    {
        // A zero or negative count never loops; it is raised to 1.
        ScopedShapeConfig config({{"pyramid_face_sample_points", "-3"}, {"pyramid_edge_sampes", "-1"}});
        Pyramid pyramid(nullptr, 2.0f, 3.0f, 1.0f);
        EXPECT_EQ(Data(pyramid).samplePoints.size(), 6u * 3u);
        EXPECT_EQ(Data(pyramid).edges[0].count, 2);
    }
}
