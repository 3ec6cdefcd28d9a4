#include "core/Geometry.h"

#include <algorithm>
#include <cmath>

namespace {
struct EdgeResult
{
    float param;
    float distanceSquared;
};

// Minimum of param^2*a + 2*b*param + c over param in [0, 1] along one edge
// through the triangle's origin.
EdgeResult MinimiseOnEdge(float a, float b, float c)
{
    if (b >= 0.0f) {
        return {0.0f, c};
    }
    if (-b >= a) {
        return {1.0f, a + 2.0f * b + c};
    }
    const float param = -b / a;
    return {param, b * param + c};
}

// The same edge, with the far end tested first (regions 2 and 6).
EdgeResult MinimiseOnEdgeFarFirst(float a, float b, float c)
{
    if (a + b <= 0.0f) {
        return {1.0f, a + 2.0f * b + c};
    }
    if (b >= 0.0f) {
        return {0.0f, c};
    }
    const float param = -b / a;
    return {param, b * param + c};
}

struct Quadratic
{
    float a00, a01, a11, b0, b1, c;

    float At(float s, float t) const
    {
        return s * (a00 * s + a01 * t + 2.0f * b0) + t * (a01 * s + a11 * t + 2.0f * b1) + c;
    }
};

// Degenerate (zero-area) triangles have no interior: the closest point lies
// on one of the three edges.
float DegenerateTriangleDistanceSquared(const Vector3& point, const Triangle& tri, float& s, float& t)
{
    float param = 0.0f;
    float best = PointSegmentDistanceSquared(point, Segment{tri.origin, tri.e0}, &param);
    s = param;
    t = 0.0f;

    float d = PointSegmentDistanceSquared(point, Segment{tri.origin, tri.e1}, &param);
    if (d < best) {
        best = d;
        s = 0.0f;
        t = param;
    }
    d = PointSegmentDistanceSquared(point, Segment{tri.origin + tri.e0, tri.e1 - tri.e0}, &param);
    if (d < best) {
        best = d;
        s = 1.0f - param;
        t = param;
    }
    return best;
}
} // namespace

float PointTriangleDistanceSquared(const Vector3& point, const Triangle& tri, float* sOut, float* tOut)
{
    const Vector3 diff = tri.origin - point;
    Quadratic q;
    q.a00 = Vector3::Dot(tri.e0, tri.e0);
    q.a01 = Vector3::Dot(tri.e0, tri.e1);
    q.a11 = Vector3::Dot(tri.e1, tri.e1);
    q.b0 = Vector3::Dot(diff, tri.e0);
    q.b1 = Vector3::Dot(diff, tri.e1);
    q.c = Vector3::Dot(diff, diff);
    const float det = std::fabs(q.a00 * q.a11 - q.a01 * q.a01);
    float s = q.a01 * q.b1 - q.a11 * q.b0;
    float t = q.a01 * q.b0 - q.a00 * q.b1;
    float distanceSquared = 0.0f;

    if (!(det > 1.0e-12f * q.a00 * q.a11)) {
        distanceSquared = DegenerateTriangleDistanceSquared(point, tri, s, t);
    } else if (s + t <= det) {
        if (s < 0.0f && t < 0.0f) { // region 4
            if (q.b0 < 0.0f) {
                const EdgeResult e = MinimiseOnEdge(q.a00, q.b0, q.c);
                s = e.param;
                t = 0.0f;
                distanceSquared = e.distanceSquared;
            } else {
                const EdgeResult e = MinimiseOnEdge(q.a11, q.b1, q.c);
                s = 0.0f;
                t = e.param;
                distanceSquared = e.distanceSquared;
            }
        } else if (s < 0.0f) { // region 3
            const EdgeResult e = MinimiseOnEdge(q.a11, q.b1, q.c);
            s = 0.0f;
            t = e.param;
            distanceSquared = e.distanceSquared;
        } else if (t < 0.0f) { // region 5
            const EdgeResult e = MinimiseOnEdge(q.a00, q.b0, q.c);
            s = e.param;
            t = 0.0f;
            distanceSquared = e.distanceSquared;
        } else { // region 0, inside
            s /= det;
            t /= det;
            distanceSquared = q.At(s, t);
        }
    } else {
        const float denom = q.a00 - 2.0f * q.a01 + q.a11;
        if (s < 0.0f) { // region 2
            const float tmp0 = q.a01 + q.b0;
            const float tmp1 = q.a11 + q.b1;
            if (tmp1 > tmp0) {
                const float numer = tmp1 - tmp0;
                if (numer >= denom) {
                    s = 1.0f;
                    t = 0.0f;
                    distanceSquared = q.a00 + 2.0f * q.b0 + q.c;
                } else {
                    s = numer / denom;
                    t = 1.0f - s;
                    distanceSquared = q.At(s, t);
                }
            } else {
                const EdgeResult e = MinimiseOnEdgeFarFirst(q.a11, q.b1, q.c);
                s = 0.0f;
                t = e.param;
                distanceSquared = e.distanceSquared;
            }
        } else if (t < 0.0f) { // region 6
            const float tmp0 = q.a01 + q.b1;
            const float tmp1 = q.a00 + q.b0;
            if (tmp1 > tmp0) {
                const float numer = tmp1 - tmp0;
                if (numer >= denom) {
                    t = 1.0f;
                    s = 0.0f;
                    distanceSquared = q.a11 + 2.0f * q.b1 + q.c;
                } else {
                    t = numer / denom;
                    s = 1.0f - t;
                    distanceSquared = q.At(s, t);
                }
            } else {
                const EdgeResult e = MinimiseOnEdgeFarFirst(q.a00, q.b0, q.c);
                s = e.param;
                t = 0.0f;
                distanceSquared = e.distanceSquared;
            }
        } else { // region 1
            const float numer = q.a11 + q.b1 - q.a01 - q.b0;
            if (numer <= 0.0f) {
                s = 0.0f;
                t = 1.0f;
                distanceSquared = q.a11 + 2.0f * q.b1 + q.c;
            } else if (numer >= denom) {
                s = 1.0f;
                t = 0.0f;
                distanceSquared = q.a00 + 2.0f * q.b0 + q.c;
            } else {
                s = numer / denom;
                t = 1.0f - s;
                distanceSquared = q.At(s, t);
            }
        }
    }

    if (sOut) {
        *sOut = s;
    }
    if (tOut) {
        *tOut = t;
    }
    return std::fabs(distanceSquared);
}

float ClosestPointOnTriangle(const Vector3& point, const Vector3& v0, const Vector3& v1, const Vector3& v2,
                             Vector3& closest)
{
    const Triangle tri{v0, v1 - v0, v2 - v0};
    float s = 0.0f;
    float t = 0.0f;
    const float distanceSquared = PointTriangleDistanceSquared(point, tri, &s, &t);
    closest = tri.origin + tri.e0 * s + tri.e1 * t;
    return distanceSquared;
}

float PointSegmentDistanceSquared(const Vector3& point, const Segment& segment, float* tOut)
{
    const Vector3 diff = point - segment.origin;
    const float d = Vector3::Dot(diff, segment.direction);
    float t = 0.0f;
    float distanceSquared = 0.0f;
    if (d <= 0.0f) {
        distanceSquared = Vector3::Dot(diff, diff);
    } else {
        const float lengthSquared = Vector3::Dot(segment.direction, segment.direction);
        if (lengthSquared <= d) {
            t = 1.0f;
            distanceSquared = Vector3::Dot(diff, diff) - 2.0f * d + lengthSquared;
        } else {
            t = d / lengthSquared;
            distanceSquared = Vector3::Dot(diff, diff) - t * d;
        }
    }
    if (tOut) {
        *tOut = t;
    }
    return distanceSquared;
}

namespace {
// Newton's method on the sixth-degree polynomial S(T) whose largest root T
// gives the closest point y_i a_i^2 / (T + a_i^2). Runs in tenths of a world
// unit and in double: boulders of extent 250 (in tenths) put P^6 near 1e30.
constexpr int kEllipsoidIterations = 64;
constexpr double kEllipsoidStop = 1.0e-16;
// How far the Newton point may lie off the surface before it is not trusted.
constexpr double kSurfaceTolerance = 1.0e-7;
constexpr int kBisectionIterations = 200;

double SolveEllipsoidRoot(const double a2[3], const double y[3], bool inside)
{
    double T = 0.0;
    if (!inside) {
        const double largest = std::sqrt(std::max({a2[0], a2[1], a2[2]}));
        T = largest * std::sqrt(y[0] * y[0] + y[1] * y[1] + y[2] * y[2]);
    }
    for (int iteration = 0; iteration < kEllipsoidIterations; ++iteration) {
        const double P = T + a2[0];
        const double Q = T + a2[1];
        const double R = T + a2[2];
        const double au = a2[0] * y[0] * y[0];
        const double bv = a2[1] * y[1] * y[1];
        const double cw = a2[2] * y[2] * y[2];
        const double S = P * P * Q * Q * R * R - au * Q * Q * R * R - bv * P * P * R * R - cw * P * P * Q * Q;
        if (std::fabs(S) < kEllipsoidStop) {
            break;
        }
        const double dS = 2.0 * (P * Q * R * (Q * R + P * R + P * Q) - au * Q * R * (Q + R) - bv * P * R * (P + R) -
                                 cw * P * Q * (P + Q));
        if (dS == 0.0 || !std::isfinite(dS)) {
            break;
        }
        T -= S / dS;
    }
    return T;
}

// x_i = a_i^2 y_i / (T + a_i^2); true when the point lies on the surface.
bool PointForRoot(const double a2[3], const double y[3], double T, double x[3])
{
    double level = 0.0;
    for (int i = 0; i < 3; ++i) {
        x[i] = a2[i] * y[i] / (T + a2[i]);
        level += x[i] * x[i] / a2[i];
    }
    return std::fabs(level - 1.0) <= kSurfaceTolerance;
}

// F(T) = sum (a_i y_i / (T + a_i^2))^2 - 1, decreasing for T > -min a_i^2.
double SurfaceFunction(const double a2[3], const double y[3], double T)
{
    double sum = -1.0;
    for (int i = 0; i < 3; ++i) {
        const double r = std::sqrt(a2[i]) * y[i] / (T + a2[i]);
        sum += r * r;
    }
    return sum;
}

// Where Newton fails: points inside on the plane of the shortest axis (the
// centre, for one), where the root sits on the multiple root -a_min^2 and
// a_i^2 y_i / P_i means nothing, and points close to it, where Newton creeps.
// Bisection on F, with the closed form when the root is -a_min^2.
void SolveEllipsoidRobust(const double a2[3], const double y[3], bool inside, double x[3])
{
    const double minA2 = std::min({a2[0], a2[1], a2[2]});
    double lo = 0.0;
    double hi = 0.0;
    if (inside) {
        lo = -minA2;
        // At -a_min^2 F is finite only when every shortest-axis coordinate is 0.
        double rest = 1.0;
        bool finite = true;
        for (int i = 0; i < 3; ++i) {
            if (a2[i] == minA2) {
                finite = finite && y[i] == 0.0;
            } else {
                const double xi = a2[i] * y[i] / (a2[i] - minA2);
                rest -= xi * xi / a2[i];
            }
        }
        if (finite && rest >= 0.0) {
            // Closest x from the surface equation with the other coordinates fixed.
            bool placed = false;
            for (int i = 0; i < 3; ++i) {
                if (a2[i] == minA2) {
                    x[i] = placed ? 0.0 : std::sqrt(a2[i] * rest);
                    placed = true;
                } else {
                    x[i] = a2[i] * y[i] / (a2[i] - minA2);
                }
            }
            return;
        }
    } else {
        const double largest = std::sqrt(std::max({a2[0], a2[1], a2[2]}));
        hi = largest * std::sqrt(y[0] * y[0] + y[1] * y[1] + y[2] * y[2]);
    }
    for (int iteration = 0; iteration < kBisectionIterations; ++iteration) {
        const double mid = 0.5 * (lo + hi);
        if (mid <= lo || mid >= hi) {
            break;
        }
        if (SurfaceFunction(a2, y, mid) > 0.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    PointForRoot(a2, y, hi, x);
}
} // namespace

float PointEllipsoidDistanceSquared(const Vector3& point, const Vector3& extents, Vector3& closest)
{
    double e[3] = {};
    double y[3] = {};
    double a2[3] = {};
    for (int i = 0; i < 3; ++i) {
        e[i] = 10.0 * static_cast<double>(extents[i]);
        y[i] = 10.0 * static_cast<double>(point[i]);
        a2[i] = e[i] * e[i];
        if (!(e[i] > 0.0) || !std::isfinite(e[i]) || !std::isfinite(y[i])) {
            closest = point; // no surface to measure against
            return -1.0f;
        }
    }
    const double level = (y[0] / e[0]) * (y[0] / e[0]) + (y[1] / e[1]) * (y[1] / e[1]) + (y[2] / e[2]) * (y[2] / e[2]);
    const bool inside = level < 1.0;
    double x[3];
    if (!PointForRoot(a2, y, SolveEllipsoidRoot(a2, y, inside), x)) {
        SolveEllipsoidRobust(a2, y, inside, x);
    }

    double distanceSquared = 0.0;
    for (int i = 0; i < 3; ++i) {
        const double component = 0.1 * x[i] - 0.1 * y[i];
        distanceSquared += component * component;
    }
    closest = Vector3(static_cast<float>(0.1 * x[0]), static_cast<float>(0.1 * x[1]), static_cast<float>(0.1 * x[2]));
    return static_cast<float>(distanceSquared);
}
