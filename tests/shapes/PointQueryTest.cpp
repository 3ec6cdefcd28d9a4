// Point queries of the primitive shapes against analytic signed distances:
// the inside flag, the distance to the nearest surface point and that the
// point reported lies on the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ShapeTestSupport.h"
#include "core/Geometry.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"

namespace {

const int kPoints = 3000;

struct Query
{
    bool inside = false;
    Vector3 surface;
    float distance = 0.0f;
};

Query Ask(const CollisionMeshObject& shape, const Vector3& p)
{
    Query q;
    Vector3 v;
    EXPECT_TRUE(shape.GetMeshInfo(p, q.inside, v));
    q.surface = p + v;
    q.distance = v.Length();
    return q;
}

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

} // namespace

TEST(PointQuery, BoxMatchesSignedDistanceEverywhere)
{
    Box box(nullptr, 2.0f, 4.0f, 6.0f, 1.0f);
    const Vector3 h(1.0f, 2.0f, 3.0f);
    PointSource source;
    for (int n = 0; n < kPoints; ++n) {
        const Vector3 p = source.Next(h * 1.6f);
        const Query q = Ask(box, p);
        const Vector3 over(std::fabs(p.x) - h.x, std::fabs(p.y) - h.y, std::fabs(p.z) - h.z);
        const bool inside = over.x <= 0.0f && over.y <= 0.0f && over.z <= 0.0f;
        ASSERT_EQ(q.inside, inside) << p.x << " " << p.y << " " << p.z;
        if (inside) {
            EXPECT_NEAR(q.distance, -std::max(over.x, std::max(over.y, over.z)), 1e-5f);
        } else {
            const Vector3 outside(std::max(over.x, 0.0f), std::max(over.y, 0.0f), std::max(over.z, 0.0f));
            EXPECT_NEAR(q.distance, outside.Length(), 1e-5f);
            ExpectNear(q.surface,
                       Vector3(std::max(-h.x, std::min(h.x, p.x)), std::max(-h.y, std::min(h.y, p.y)),
                               std::max(-h.z, std::min(h.z, p.z))),
                       1e-6f);
        }
    }
}

TEST(PointQuery, BoxEdgeCases)
{
    Box cube(nullptr, 2.0f, 2.0f, 2.0f, 1.0f);
    // Centre of a cube: all faces tie, x wins, and p = 0 takes the -h face.
    Query q = Ask(cube, Vector3());
    EXPECT_TRUE(q.inside);
    ExpectNear(q.surface, Vector3(-1.0f, 0.0f, 0.0f), 0.0f);
    // Ties between y and z go to y.
    q = Ask(cube, Vector3(0.0f, 0.5f, 0.5f));
    ExpectNear(q.surface, Vector3(0.0f, 1.0f, 0.5f), 0.0f);
    // On a face counts as inside with zero distance.
    q = Ask(cube, Vector3(1.0f, 0.3f, -0.2f));
    EXPECT_TRUE(q.inside);
    EXPECT_EQ(q.distance, 0.0f);
    // Outside near an edge: the clamped point, not the edge point.
    q = Ask(cube, Vector3(1.5f, 0.9f, 0.0f));
    EXPECT_FALSE(q.inside);
    ExpectNear(q.surface, Vector3(1.0f, 0.9f, 0.0f), 1e-7f);
    EXPECT_NEAR(q.distance, 0.5f, 1e-6f);
    // Beyond a corner: the corner.
    q = Ask(cube, Vector3(-2.0f, 3.0f, -4.0f));
    ExpectNear(q.surface, Vector3(-1.0f, 1.0f, -1.0f), 0.0f);
}

TEST(PointQuery, CapsuleMatchesSignedDistanceOnEveryAxis)
{
    for (int axis = 0; axis < 3; ++axis) {
        const float r = 0.5f;
        const float L = 3.0f;
        Capsule capsule(nullptr, r, L, 1.0f, axis);
        Vector3 a;
        a[axis] = 0.5f * L - r;
        PointSource source(77u + axis);
        Vector3 extent(1.2f, 1.2f, 1.2f);
        extent[axis] = 2.2f;
        for (int n = 0; n < kPoints; ++n) {
            const Vector3 p = source.Next(extent);
            const float along = std::max(-a[axis], std::min(a[axis], p[axis]));
            Vector3 core;
            core[axis] = along;
            const float d = (p - core).Length();
            const Query q = Ask(capsule, p);
            ASSERT_EQ(q.inside, d <= r);
            EXPECT_NEAR(q.distance, std::fabs(d - r), 2e-5f);
            // The surface point lies at r from the core.
            const float onCore = std::max(-a[axis], std::min(a[axis], q.surface[axis]));
            Vector3 c;
            c[axis] = onCore;
            EXPECT_NEAR((q.surface - c).Length(), r, 2e-5f);
        }
    }
}

TEST(PointQuery, CapsuleDegenerateCasesStayFinite)
{
    // On the core the direction is arbitrary but the depth is the radius.
    Capsule capsule(nullptr, 0.5f, 3.0f, 1.0f, 2);
    Query q = Ask(capsule, Vector3(0.0f, 0.0f, 0.4f));
    EXPECT_TRUE(q.inside);
    EXPECT_NEAR(q.distance, 0.5f, 1e-6f);
    // Shorter than its caps: a sphere, not a negative core.
    Capsule ball(nullptr, 1.0f, 1.0f, 1.0f, 0);
    EXPECT_EQ(ball.GetCore().direction.Length(), 0.0f);
    q = Ask(ball, Vector3(2.0f, 0.0f, 0.0f));
    EXPECT_NEAR(q.distance, 1.0f, 1e-6f);
}

TEST(PointQuery, CylinderMatchesSignedDistance)
{
    const float r = 0.6f;
    const float L = 4.0f;
    const float h = 0.5f * L;
    Cylinder cylinder(nullptr, r, L, 16, 4, 1.0f);
    PointSource source(99u);
    for (int n = 0; n < kPoints; ++n) {
        const Vector3 p = source.Next(Vector3(3.0f, 1.0f, 1.0f));
        const float rho = std::sqrt(p.y * p.y + p.z * p.z);
        const bool inside = rho <= r && std::fabs(p.x) <= h;
        const float distance = inside ? std::min(r - rho, h - std::fabs(p.x))
                                      : std::sqrt(std::pow(std::max(rho - r, 0.0f), 2.0f) +
                                                  std::pow(std::max(std::fabs(p.x) - h, 0.0f), 2.0f));
        const Query q = Ask(cylinder, p);
        ASSERT_EQ(q.inside, inside);
        EXPECT_NEAR(q.distance, distance, 2e-5f) << p.x << " " << p.y << " " << p.z;
    }
}

TEST(PointQuery, CylinderOnAxisUsesThePointsX)
{
    Cylinder log(nullptr, 0.5f, 10.0f, 16, 4, 1.0f); // r < h
    // The middle of the axis: out through the wall.
    Query q = Ask(log, Vector3());
    ExpectNear(q.surface, Vector3(0.0f, 0.5f, 0.0f), 0.0f);
    // Near a cap the cap is nearer than the wall.
    q = Ask(log, Vector3(4.8f, 0.0f, 0.0f));
    ExpectNear(q.surface, Vector3(5.0f, 0.0f, 0.0f), 0.0f);
    EXPECT_NEAR(q.distance, 0.2f, 1e-6f);
    q = Ask(log, Vector3(-4.8f, 0.0f, 0.0f));
    ExpectNear(q.surface, Vector3(-5.0f, 0.0f, 0.0f), 0.0f);
    // Farther in, the wall again, keeping the point's x.
    q = Ask(log, Vector3(3.0f, 0.0f, 0.0f));
    ExpectNear(q.surface, Vector3(3.0f, 0.5f, 0.0f), 0.0f);
    // Beyond the cap on the axis.
    q = Ask(log, Vector3(7.0f, 0.0f, 0.0f));
    EXPECT_FALSE(q.inside);
    EXPECT_NEAR(q.distance, 2.0f, 1e-6f);
    // A disc (r > h): on the axis always the cap.
    Cylinder disc(nullptr, 3.0f, 1.0f, 16, 2, 1.0f);
    q = Ask(disc, Vector3());
    ExpectNear(q.surface, Vector3(-0.5f, 0.0f, 0.0f), 0.0f);
}

TEST(PointQuery, EllipsoidMatchesSphereAndSampledSurface)
{
    // A sphere has an analytic answer.
    Ellipsoid sphere(nullptr, 2.0f, 2.0f, 2.0f, 10, 10, 1.0f);
    PointSource source(5u);
    for (int n = 0; n < kPoints; ++n) {
        const Vector3 p = source.Next(Vector3(1.7f, 1.7f, 1.7f));
        const Query q = Ask(sphere, p);
        ASSERT_EQ(q.inside, p.Length() <= 1.0f);
        EXPECT_NEAR(q.distance, std::fabs(p.Length() - 1.0f), 2e-5f);
    }
    // A general ellipsoid: the reported point lies on the surface and no
    // point of a dense surface sampling is nearer.
    const Vector3 e(1.5f, 1.0f, 0.5f);
    Ellipsoid ellipsoid(nullptr, 2.0f * e.x, 2.0f * e.y, 2.0f * e.z, 10, 10, 1.0f);
    std::vector<Vector3> surface;
    for (int i = 0; i <= 180; ++i) {
        for (int j = 0; j < 360; ++j) {
            surface.push_back(Vector3(e.x * std::sin(i * 0.0174533f) * std::cos(j * 0.0174533f),
                                      e.y * std::sin(i * 0.0174533f) * std::sin(j * 0.0174533f),
                                      e.z * std::cos(i * 0.0174533f)));
        }
    }
    for (int n = 0; n < 200; ++n) {
        const Vector3 p = source.Next(Vector3(2.0f, 1.5f, 1.0f));
        const Query q = Ask(ellipsoid, p);
        const float level = (p.x / e.x) * (p.x / e.x) + (p.y / e.y) * (p.y / e.y) + (p.z / e.z) * (p.z / e.z);
        ASSERT_EQ(q.inside, level <= 1.0f);
        const Vector3& s = q.surface;
        EXPECT_NEAR((s.x / e.x) * (s.x / e.x) + (s.y / e.y) * (s.y / e.y) + (s.z / e.z) * (s.z / e.z), 1.0f, 1e-4f);
        float best = 1e9f;
        for (const Vector3& x : surface) {
            best = std::min(best, (x - p).Length());
        }
        EXPECT_LE(q.distance, best + 1e-4f);
        EXPECT_GE(q.distance, best - 0.02f);
    }
}

TEST(PointQuery, EllipsoidCentreAndFlatEllipsoidGiveNoNaN)
{
    Ellipsoid ellipsoid(nullptr, 4.0f, 2.0f, 1.0f, 8, 8, 1.0f);
    Query q = Ask(ellipsoid, Vector3());
    EXPECT_TRUE(q.inside);
    EXPECT_NEAR(q.distance, 0.5f, 1e-5f);
    // A zero axis (a scale-0 level record) must not poison the grid.
    Ellipsoid flat(nullptr, 2.0f, 2.0f, 0.0f, 8, 8, 1.0f);
    q = Ask(flat, Vector3(0.1f, 0.2f, 0.0f));
    EXPECT_TRUE(std::isfinite(q.distance));
    const CollisionBodyMesh& mesh = flat.GetCollisionData()->mesh;
    for (int i = 0; i < mesh.GetCountX(); ++i) {
        for (int j = 0; j < mesh.GetCountY(); ++j) {
            for (int k = 0; k < mesh.GetCountZ(); ++k) {
                ASSERT_TRUE(std::isfinite(mesh.GetCell(i, j, k).distance));
            }
        }
    }
}
