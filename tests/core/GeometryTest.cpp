#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "core/Geometry.h"

namespace {
float DistanceSquared(const Vector3& a, const Vector3& b)
{
    const Vector3 d = a - b;
    return Vector3::Dot(d, d);
}

// Dense sampling of the triangle's (s, t) domain.
float BruteTriangle(const Vector3& p, const Triangle& tri)
{
    const int n = 300;
    float best = INFINITY;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; i + j <= n; ++j) {
            const float s = static_cast<float>(i) / n;
            const float t = static_cast<float>(j) / n;
            best = std::min(best, DistanceSquared(p, tri.origin + tri.e0 * s + tri.e1 * t));
        }
    }
    return best;
}

float BruteSegment(const Vector3& p, const Segment& seg)
{
    float best = INFINITY;
    for (int i = 0; i <= 20000; ++i) {
        const float t = static_cast<float>(i) / 20000.0f;
        best = std::min(best, DistanceSquared(p, seg.origin + seg.direction * t));
    }
    return best;
}

// Dense sampling of the ellipsoid's surface, in double.
double BruteEllipsoid(const Vector3& p, const Vector3& e)
{
    const int rings = 1200;
    const int sectors = 2400;
    const double pi = 3.14159265358979323846;
    double best = INFINITY;
    for (int i = 0; i <= rings; ++i) {
        const double theta = pi * i / rings;
        for (int j = 0; j < sectors; ++j) {
            const double phi = 2.0 * pi * j / sectors;
            const double x = e.x * std::sin(theta) * std::cos(phi) - p.x;
            const double y = e.y * std::sin(theta) * std::sin(phi) - p.y;
            const double z = e.z * std::cos(theta) - p.z;
            best = std::min(best, x * x + y * y + z * z);
        }
    }
    return best;
}

Vector3 RandomVector(std::mt19937& rng, float range)
{
    std::uniform_real_distribution<float> d(-range, range);
    const float x = d(rng);
    const float y = d(rng);
    const float z = d(rng);
    return Vector3(x, y, z);
}

void ExpectMatchesBruteTriangle(const Vector3& p, const Triangle& tri)
{
    float s = -1.0f;
    float t = -1.0f;
    const float d = PointTriangleDistanceSquared(p, tri, &s, &t);
    ASSERT_FALSE(std::isnan(d));
    EXPECT_GE(s, -1e-6f);
    EXPECT_GE(t, -1e-6f);
    EXPECT_LE(s + t, 1.0f + 1e-5f);
    const float brute = BruteTriangle(p, tri);
    // Never worse than any sample, and no better than the true minimum the
    // samples approach.
    EXPECT_LE(d, brute + 1e-3f * (1.0f + brute));
    EXPECT_GE(std::sqrt(d), std::sqrt(brute) - 0.02f);
    // The reported parameters give the reported distance.
    EXPECT_NEAR(DistanceSquared(p, tri.origin + tri.e0 * s + tri.e1 * t), d, 1e-3f * (1.0f + d));
}
} // namespace

TEST(GeometryQueries, TriangleAgainstBruteForce)
{
    std::mt19937 rng(1234);
    for (int k = 0; k < 60; ++k) {
        const Triangle tri{RandomVector(rng, 5.0f), RandomVector(rng, 4.0f), RandomVector(rng, 4.0f)};
        for (int j = 0; j < 5; ++j) {
            ExpectMatchesBruteTriangle(RandomVector(rng, 8.0f), tri);
        }
    }
}

TEST(GeometryQueries, TriangleRegionsOfTheEdgeCases)
{
    const Triangle tri{Vector3(0, 0, 0), Vector3(2, 0, 0), Vector3(0, 2, 0)};
    float s = -1.0f;
    float t = -1.0f;
    // Above the middle: inside, distance is the height.
    EXPECT_FLOAT_EQ(PointTriangleDistanceSquared(Vector3(0.5f, 0.5f, 3.0f), tri, &s, &t), 9.0f);
    EXPECT_FLOAT_EQ(s, 0.25f);
    EXPECT_FLOAT_EQ(t, 0.25f);
    // Beyond the vertex origin + e0.
    EXPECT_FLOAT_EQ(PointTriangleDistanceSquared(Vector3(5.0f, -1.0f, 0.0f), tri, &s, &t), 10.0f);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(t, 0.0f);
    // Null outputs are allowed.
    EXPECT_FLOAT_EQ(PointTriangleDistanceSquared(Vector3(-1.0f, -1.0f, 0.0f), tri, nullptr, nullptr), 2.0f);

    Vector3 closest;
    EXPECT_FLOAT_EQ(
        ClosestPointOnTriangle(Vector3(3, 3, 1), Vector3(0, 0, 0), Vector3(2, 0, 0), Vector3(0, 2, 0), closest), 9.0f);
    EXPECT_FLOAT_EQ(closest.x, 1.0f);
    EXPECT_FLOAT_EQ(closest.y, 1.0f);
    EXPECT_FLOAT_EQ(closest.z, 0.0f);
}

TEST(GeometryQueries, DegenerateTrianglesGiveTheEdgeDistance)
{
    std::mt19937 rng(99);
    const Vector3 a(1, 2, 3);
    const Vector3 dir(2, -1, 0.5f);
    const Triangle collinear{a, dir, dir * 2.5f};
    const Triangle zeroEdges{a, Vector3(), Vector3()};
    const Triangle oneEdge{a, dir, Vector3()};
    for (int j = 0; j < 20; ++j) {
        const Vector3 p = RandomVector(rng, 6.0f);
        ExpectMatchesBruteTriangle(p, collinear);
        ExpectMatchesBruteTriangle(p, zeroEdges);
        ExpectMatchesBruteTriangle(p, oneEdge);
        EXPECT_NEAR(PointTriangleDistanceSquared(p, collinear, nullptr, nullptr),
                    BruteSegment(p, Segment{a, dir * 2.5f}), 1e-3f);
    }
    Vector3 closest(NAN, NAN, NAN);
    const float d = ClosestPointOnTriangle(Vector3(0, 0, 0), a, a, a, closest);
    EXPECT_FLOAT_EQ(d, 14.0f);
    EXPECT_EQ(closest, a);
}

TEST(GeometryQueries, SegmentAgainstBruteForceAndEnds)
{
    std::mt19937 rng(7);
    for (int k = 0; k < 100; ++k) {
        const Segment seg{RandomVector(rng, 5.0f), RandomVector(rng, 5.0f)};
        const Vector3 p = RandomVector(rng, 8.0f);
        float t = -1.0f;
        const float d = PointSegmentDistanceSquared(p, seg, &t);
        EXPECT_GE(t, 0.0f);
        EXPECT_LE(t, 1.0f);
        const float brute = BruteSegment(p, seg);
        EXPECT_LE(d, brute + 1e-3f * (1.0f + brute));
        EXPECT_GE(d, brute - 0.01f * (1.0f + brute));
    }
    // d exactly equal to L: the far end.
    float t = -1.0f;
    EXPECT_FLOAT_EQ(PointSegmentDistanceSquared(Vector3(2, 3, 0), Segment{Vector3(), Vector3(2, 0, 0)}, &t), 9.0f);
    EXPECT_EQ(t, 1.0f);
    EXPECT_FLOAT_EQ(PointSegmentDistanceSquared(Vector3(-1, 0, 0), Segment{Vector3(), Vector3(2, 0, 0)}, &t), 1.0f);
    EXPECT_EQ(t, 0.0f);
    EXPECT_FLOAT_EQ(PointSegmentDistanceSquared(Vector3(0.5f, 1, 0), Segment{Vector3(), Vector3(2, 0, 0)}, nullptr),
                    1.0f);
}

TEST(GeometryQueries, EllipsoidSimpleCases)
{
    Vector3 closest;
    EXPECT_NEAR(PointEllipsoidDistanceSquared(Vector3(2, 0, 0), Vector3(1, 1, 1), closest), 1.0f, 1e-5f);
    EXPECT_NEAR(closest.x, 1.0f, 1e-5f);
    EXPECT_NEAR(closest.y, 0.0f, 1e-5f);
    EXPECT_NEAR(closest.z, 0.0f, 1e-5f);

    // The centre of a sphere is its radius away from the surface.
    EXPECT_NEAR(PointEllipsoidDistanceSquared(Vector3(0, 0, 0), Vector3(2, 2, 2), closest), 4.0f, 1e-4f);
    EXPECT_NEAR(closest.Length(), 2.0f, 1e-4f);

    // Just off the centre, where Newton creeps: the nearest pole of that side.
    EXPECT_NEAR(PointEllipsoidDistanceSquared(Vector3(1e-6f, 0, 0), Vector3(2, 2, 2), closest), 4.0f, 1e-4f);
    EXPECT_NEAR(closest.x, 2.0f, 1e-4f);
    // Closed form for the plane z = 0: x = 9*0.1/8, y = 4*0.2/3, z from the surface.
    const float px = 9.0f * 0.1f / 8.0f;
    const float py = 4.0f * 0.2f / 3.0f;
    const float pz = std::sqrt(1.0f - px * px / 9.0f - py * py / 4.0f);
    EXPECT_NEAR(PointEllipsoidDistanceSquared(Vector3(0.1f, 0.2f, -1e-5f), Vector3(3, 2, 1), closest),
                (px - 0.1f) * (px - 0.1f) + (py - 0.2f) * (py - 0.2f) + pz * pz, 1e-4f);
    EXPECT_LT(closest.z, 0.0f);

    // The centre of an ellipsoid: the end of the shortest axis.
    EXPECT_NEAR(PointEllipsoidDistanceSquared(Vector3(0, 0, 0), Vector3(3, 2, 1), closest), 1.0f, 1e-4f);
    EXPECT_NEAR(std::fabs(closest.z), 1.0f, 1e-4f);

    // Zero extents have no surface: a failure result, not NaN.
    EXPECT_LT(PointEllipsoidDistanceSquared(Vector3(1, 0, 0), Vector3(0, 1, 1), closest), 0.0f);
}

TEST(GeometryQueries, EllipsoidAgainstBruteForce)
{
    std::mt19937 rng(4321);
    const Vector3 extentsList[] = {Vector3(1, 3, 4), Vector3(2, 2, 2), Vector3(0.5f, 1.5f, 1.0f), Vector3(4, 1, 2.5f)};
    std::vector<Vector3> points;
    for (const Vector3& e : extentsList) {
        points.clear();
        // Outside, inside, and inside on the plane of the shortest axis.
        for (int k = 0; k < 4; ++k) {
            points.push_back(RandomVector(rng, 6.0f));
        }
        for (int k = 0; k < 4; ++k) {
            const Vector3 r = RandomVector(rng, 0.7f);
            points.push_back(Vector3(r.x * e.x, r.y * e.y, r.z * e.z));
        }
        int shortest = 0;
        for (int i = 1; i < 3; ++i) {
            if (e[i] < e[shortest]) {
                shortest = i;
            }
        }
        for (int k = 0; k < 3; ++k) {
            Vector3 r = RandomVector(rng, 0.3f);
            r = Vector3(r.x * e.x, r.y * e.y, r.z * e.z);
            r[shortest] = 0.0f;
            points.push_back(r);
        }
        for (const Vector3& p : points) {
            Vector3 closest;
            const float d = PointEllipsoidDistanceSquared(p, e, closest);
            ASSERT_FALSE(std::isnan(d));
            const double brute = BruteEllipsoid(p, e);
            EXPECT_LE(std::sqrt(d), std::sqrt(brute) + 1e-3) << p.x << " " << p.y << " " << p.z;
            EXPECT_GE(std::sqrt(d), std::sqrt(brute) - 0.01) << p.x << " " << p.y << " " << p.z;
            const float level = (closest.x / e.x) * (closest.x / e.x) + (closest.y / e.y) * (closest.y / e.y) +
                                (closest.z / e.z) * (closest.z / e.z);
            EXPECT_NEAR(level, 1.0f, 1e-3f);
            EXPECT_NEAR(DistanceSquared(closest, p), d, 1e-3f * (1.0f + d));
        }
    }
}

TEST(GeometryQueries, LargeEllipsoidDoesNotOverflow)
{
    // A boulder of scale 25: extents 250 in tenths.
    const Vector3 e(25.0f, 20.0f, 15.0f);
    Vector3 closest;
    const Vector3 p(26.0f, 3.0f, -2.0f);
    const float d = PointEllipsoidDistanceSquared(p, e, closest);
    ASSERT_TRUE(std::isfinite(d));
    const double brute = BruteEllipsoid(p, e);
    EXPECT_NEAR(std::sqrt(d), std::sqrt(brute), 0.05);
}
