// Mass and inertia of every shape: closed forms for the primitives, and the
// polyhedra's hull integration against a numerical one.
#include <gtest/gtest.h>

#include <cmath>

#include "ShapeTestSupport.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/Polyhedron.h"
#include "physics/shapes/PolyhedronMass.h"

namespace {

void ExpectDiagonal(const RigidBody& body, float ix, float iy, float iz, float tolerance)
{
    EXPECT_NEAR(body.GetInertia()(0, 0), ix, tolerance);
    EXPECT_NEAR(body.GetInertia()(1, 1), iy, tolerance);
    EXPECT_NEAR(body.GetInertia()(2, 2), iz, tolerance);
    EXPECT_EQ(body.GetInertia()(0, 1), 0.0f);
    EXPECT_NEAR(body.GetInverseInertia()(0, 0) * ix, 1.0f, 1e-5f);
}

struct NumericMass
{
    double volume = 0.0;
    Vector3 centre;
    double ixx = 0.0, iyy = 0.0, izz = 0.0;
};

// Midpoint rule over a fine lattice of the hull's box.
NumericMass Integrate(const TriangleList& hull, int steps)
{
    Vector3 lo(1e9f, 1e9f, 1e9f);
    Vector3 hi = -lo;
    for (const SurfaceTriangle& t : hull) {
        for (const Vector3* p : {&t.a, &t.b, &t.c}) {
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], (*p)[a]);
                hi[a] = std::max(hi[a], (*p)[a]);
            }
        }
    }
    const Vector3 cell((hi.x - lo.x) / steps, (hi.y - lo.y) / steps, (hi.z - lo.z) / steps);
    const double dv = double(cell.x) * cell.y * cell.z;
    double m = 0.0, sx = 0.0, sy = 0.0, sz = 0.0, sxx = 0.0, syy = 0.0, szz = 0.0;
    for (int i = 0; i < steps; ++i) {
        for (int j = 0; j < steps; ++j) {
            for (int k = 0; k < steps; ++k) {
                const Vector3 p = lo + Vector3((i + 0.5f) * cell.x, (j + 0.5f) * cell.y, (k + 0.5f) * cell.z);
                if (!IsInsideConvexHull(hull, p)) {
                    continue;
                }
                m += dv;
                sx += p.x * dv;
                sy += p.y * dv;
                sz += p.z * dv;
                sxx += double(p.x) * p.x * dv;
                syy += double(p.y) * p.y * dv;
                szz += double(p.z) * p.z * dv;
            }
        }
    }
    NumericMass out;
    out.volume = m;
    const double cx = sx / m, cy = sy / m, cz = sz / m;
    out.centre = Vector3(float(cx), float(cy), float(cz));
    // About the centre.
    out.ixx = (syy - m * cy * cy) + (szz - m * cz * cz);
    out.iyy = (sxx - m * cx * cx) + (szz - m * cz * cz);
    out.izz = (sxx - m * cx * cx) + (syy - m * cy * cy);
    return out;
}

void ExpectHullMatchesIntegration(const TriangleList& hull, double volume)
{
    float mass = 0.0f;
    Vector3 centre;
    Matrix3 inertia;
    ASSERT_TRUE(PolyhedronMassProperties(hull, true, mass, centre, inertia));
    EXPECT_NEAR(mass, volume, 1e-4 * volume);
    const NumericMass numeric = Integrate(hull, 160);
    EXPECT_NEAR(numeric.volume, volume, 0.01 * volume);
    EXPECT_NEAR(centre.x, numeric.centre.x, 0.01f);
    EXPECT_NEAR(centre.y, numeric.centre.y, 0.01f);
    EXPECT_NEAR(centre.z, numeric.centre.z, 0.01f);
    EXPECT_NEAR(inertia(0, 0), numeric.ixx, 0.02 * numeric.ixx);
    EXPECT_NEAR(inertia(1, 1), numeric.iyy, 0.02 * numeric.iyy);
    EXPECT_NEAR(inertia(2, 2), numeric.izz, 0.02 * numeric.izz);
}

} // namespace

TEST(Mass, BoxInertiaFollowsEveryMassChange)
{
    Box box(nullptr, 2.0f, 4.0f, 6.0f, 12.0f);
    EXPECT_EQ(box.GetMass(), 12.0f);
    ExpectDiagonal(box, 52.0f, 40.0f, 20.0f, 1e-4f);
    box.SetMass(24.0f);
    ExpectDiagonal(box, 104.0f, 80.0f, 40.0f, 1e-4f);
}

TEST(Mass, RoundShapesMatchTheirFormulas)
{
    const float m = 3.0f;
    Cylinder cylinder(nullptr, 0.5f, 4.0f, 16, 2, m);
    ExpectDiagonal(cylinder, m * 0.25f / 2.0f, m * 16.0f / 12.0f + m * 0.25f / 4.0f,
                   m * 16.0f / 12.0f + m * 0.25f / 4.0f, 1e-5f);
    Ellipsoid ellipsoid(nullptr, 2.0f, 4.0f, 6.0f, 8, 8, m);
    ExpectDiagonal(ellipsoid, m / 5.0f * 13.0f, m / 5.0f * 10.0f, m / 5.0f * 5.0f, 1e-5f);
    // The capsule takes the box around it: L along its axis, 2r across.
    Capsule alongZ(nullptr, 0.5f, 3.0f, m, 2);
    ExpectDiagonal(alongZ, m / 12.0f * (1.0f + 9.0f), m / 12.0f * (1.0f + 9.0f), m / 12.0f * 2.0f, 1e-5f);
    Capsule alongX(nullptr, 0.5f, 3.0f, m, 0);
    ExpectDiagonal(alongX, m / 12.0f * 2.0f, m / 12.0f * 10.0f, m / 12.0f * 10.0f, 1e-5f);
}

TEST(Mass, PolyhedraAgreeWithNumericalIntegration)
{
    Prism prism(nullptr, 4.0f, 2.0f, 3.0f, 5.0f);
    ExpectHullMatchesIntegration(prism.GetTriangles(), 4.0 * 2.0 * 3.0 / 2.0);
    Pyramid pyramid(nullptr, 2.0f, 3.0f, 5.0f);
    ExpectHullMatchesIntegration(pyramid.GetTriangles(), 2.0 * 2.0 * 3.0 / 3.0);
    Tetrahedron tetrahedron(nullptr, 2.5f, 100.0f);
    float volume = 0.0f;
    Vector3 centre;
    Matrix3 inertia;
    PolyhedronMassProperties(tetrahedron.GetTriangles(), true, volume, centre, inertia);
    // Circumradius s: volume 8 s^3 / (9 sqrt 3), outward wound, centred.
    const double s = 2.5;
    ExpectHullMatchesIntegration(tetrahedron.GetTriangles(), 8.0 * s * s * s / (9.0 * std::sqrt(3.0)));
    EXPECT_NEAR(centre.Length(), 0.0f, 1e-3f);

    // The pyramid's origin is its centroid; the prism's centroid is off it.
    PolyhedronMassProperties(pyramid.GetTriangles(), true, volume, centre, inertia);
    EXPECT_NEAR(centre.Length(), 0.0f, 1e-5f);
    PolyhedronMassProperties(prism.GetTriangles(), true, volume, centre, inertia);
    EXPECT_NEAR(centre.y, 2.0f / 6.0f, 1e-5f);
    EXPECT_NEAR(centre.z, -3.0f / 6.0f, 1e-5f);
}

TEST(Mass, PolyhedronInertiaIsDensityOneAndTetrahedronUsesItsFormula)
{
    Prism light(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
    Prism heavy(nullptr, 4.0f, 2.0f, 3.0f, 50.0f);
    float volume = 0.0f;
    Vector3 centre;
    Matrix3 inertia;
    PolyhedronMassProperties(light.GetTriangles(), true, volume, centre, inertia);
    ExpectDiagonal(light, inertia(0, 0), inertia(1, 1), inertia(2, 2), 1e-5f);
    ExpectDiagonal(heavy, inertia(0, 0), inertia(1, 1), inertia(2, 2), 1e-5f);
    heavy.SetMass(7.0f);
    EXPECT_EQ(heavy.GetInertia()(0, 0), inertia(0, 0));

    Tetrahedron tetrahedron(nullptr, 2.5f, 100.0f);
    ExpectDiagonal(tetrahedron, 250.0f, 250.0f, 250.0f, 1e-3f);
}

TEST(Mass, DegenerateHullsStayFinite)
{
    Prism flat(nullptr, 0.0f, 0.0f, 0.0f, 5.0f);
    Pyramid line(nullptr, 0.0f, 2.0f, 5.0f);
    for (const RigidBody* body : {static_cast<const RigidBody*>(&flat), static_cast<const RigidBody*>(&line)}) {
        for (int i = 0; i < 9; ++i) {
            ASSERT_TRUE(std::isfinite(body->GetInertia()[i]));
            ASSERT_TRUE(std::isfinite(body->GetInverseInertia()[i]));
        }
        EXPECT_GT(body->GetInertia()(0, 0), 0.0f);
    }
    float volume = 1.0f;
    Vector3 centre(1.0f, 1.0f, 1.0f);
    Matrix3 inertia;
    EXPECT_FALSE(PolyhedronMassProperties(TriangleList(), true, volume, centre, inertia));
    EXPECT_EQ(centre, Vector3());
}
