#include "physics/shapes/PolyhedronMass.h"

namespace {

struct Subexpressions
{
    double f1, f2, f3, g0, g1, g2;
};

Subexpressions Compute(double w0, double w1, double w2)
{
    Subexpressions s;
    const double temp0 = w0 + w1;
    s.f1 = temp0 + w2;
    const double temp1 = w0 * w0;
    const double temp2 = temp1 + w1 * temp0;
    s.f2 = temp2 + w2 * s.f1;
    s.f3 = w0 * temp1 + w1 * temp2 + w2 * s.f2;
    s.g0 = s.f2 + w0 * (s.f1 + w0);
    s.g1 = s.f2 + w1 * (s.f1 + w1);
    s.g2 = s.f2 + w2 * (s.f1 + w2);
    return s;
}

} // namespace

bool PolyhedronMassProperties(const TriangleList& triangles, bool aboutCentre, float& mass, Vector3& centre,
                              Matrix3& inertia)
{
    // Integrals of 1, x, y, z, x^2, y^2, z^2, xy, yz, zx.
    double integral[10] = {};
    for (const SurfaceTriangle& t : triangles) {
        const double x0 = t.a.x, y0 = t.a.y, z0 = t.a.z;
        const double x1 = t.b.x, y1 = t.b.y, z1 = t.b.z;
        const double x2 = t.c.x, y2 = t.c.y, z2 = t.c.z;
        const double a1 = x1 - x0, b1 = y1 - y0, c1 = z1 - z0;
        const double a2 = x2 - x0, b2 = y2 - y0, c2 = z2 - z0;
        const double d0 = b1 * c2 - b2 * c1;
        const double d1 = a2 * c1 - a1 * c2;
        const double d2 = a1 * b2 - a2 * b1;
        const Subexpressions sx = Compute(x0, x1, x2);
        const Subexpressions sy = Compute(y0, y1, y2);
        const Subexpressions sz = Compute(z0, z1, z2);
        integral[0] += d0 * sx.f1;
        integral[1] += d0 * sx.f2;
        integral[2] += d1 * sy.f2;
        integral[3] += d2 * sz.f2;
        integral[4] += d0 * sx.f3;
        integral[5] += d1 * sy.f3;
        integral[6] += d2 * sz.f3;
        integral[7] += d0 * (y0 * sx.g0 + y1 * sx.g1 + y2 * sx.g2);
        integral[8] += d1 * (z0 * sy.g0 + z1 * sy.g1 + z2 * sy.g2);
        integral[9] += d2 * (x0 * sz.g0 + x1 * sz.g1 + x2 * sz.g2);
    }
    const double weights[10] = {1.0 / 6.0,  1.0 / 24.0, 1.0 / 24.0,  1.0 / 24.0,  1.0 / 60.0,
                                1.0 / 60.0, 1.0 / 60.0, 1.0 / 120.0, 1.0 / 120.0, 1.0 / 120.0};
    for (int i = 0; i < 10; ++i) {
        integral[i] *= weights[i];
    }

    const double m = integral[0];
    mass = static_cast<float>(m);
    if (!(m > kMinPolyhedronVolume)) {
        centre = Vector3();
        inertia = Matrix3(kFlatHullInertia, 0.0f, 0.0f, 0.0f, kFlatHullInertia, 0.0f, 0.0f, 0.0f, kFlatHullInertia);
        return false;
    }
    const double cx = integral[1] / m;
    const double cy = integral[2] / m;
    const double cz = integral[3] / m;
    double xx = integral[5] + integral[6];
    double yy = integral[4] + integral[6];
    double zz = integral[4] + integral[5];
    double xy = -integral[7];
    double yz = -integral[8];
    double xz = -integral[9];
    if (aboutCentre) {
        xx -= m * (cy * cy + cz * cz);
        yy -= m * (cz * cz + cx * cx);
        zz -= m * (cx * cx + cy * cy);
        xy += m * cx * cy;
        yz += m * cy * cz;
        xz += m * cz * cx;
    }
    centre = Vector3(static_cast<float>(cx), static_cast<float>(cy), static_cast<float>(cz));
    inertia = Matrix3(static_cast<float>(xx), static_cast<float>(xy), static_cast<float>(xz), static_cast<float>(xy),
                      static_cast<float>(yy), static_cast<float>(yz), static_cast<float>(xz), static_cast<float>(yz),
                      static_cast<float>(zz));
    return true;
}
