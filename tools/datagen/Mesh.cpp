#include "Mesh.h"

#include <cmath>
#include <map>
#include <tuple>

namespace gen {

uint32_t Mesh::AddVertex(const Vec3& p, const Vec3& n, float u, float v)
{
    verts.push_back({p, n, u, v});
    return static_cast<uint32_t>(verts.size() - 1);
}

void Mesh::Append(const Mesh& other)
{
    const uint32_t base = static_cast<uint32_t>(verts.size());
    verts.insert(verts.end(), other.verts.begin(), other.verts.end());
    for (const auto& t : other.tris) tris.push_back({t[0] + base, t[1] + base, t[2] + base});
}

void Mesh::Transform(const Mat4& m)
{
    for (Vertex& v : verts) {
        v.p = m.TransformPoint(v.p);
        v.n = Normalize(m.TransformDir(v.n));
    }
    // A mirroring transform turns the winding inside out.
    const Vec3 a(m.m[0][0], m.m[0][1], m.m[0][2]);
    const Vec3 b(m.m[1][0], m.m[1][1], m.m[1][2]);
    const Vec3 c(m.m[2][0], m.m[2][1], m.m[2][2]);
    if (Dot(Cross(a, b), c) < 0) {
        for (auto& t : tris) std::swap(t[1], t[2]);
    }
}

void Mesh::FlipWinding()
{
    for (auto& t : tris) std::swap(t[1], t[2]);
    for (Vertex& v : verts) v.n = -v.n;
}

void Mesh::RemoveUnused()
{
    std::vector<int64_t> map(verts.size(), -1);
    for (const auto& t : tris)
        for (uint32_t i : t) map[i] = 0;
    std::vector<Vertex> kept;
    for (size_t i = 0; i < verts.size(); ++i)
        if (map[i] >= 0) {
            map[i] = static_cast<int64_t>(kept.size());
            kept.push_back(verts[i]);
        }
    for (auto& t : tris)
        for (uint32_t& i : t) i = static_cast<uint32_t>(map[i]);
    verts.swap(kept);
}

Mat4 RotationAxis(const Vec3& axis, float radians)
{
    return Mat4::Rotation(AxisAngle(axis, radians));
}

Mat4 Scaling(const Vec3& s)
{
    Mat4 r;
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Mesh MakeBox(const Vec3& h, float uvScale)
{
    Mesh m;
    struct Face
    {
        Vec3 n, u, v;
    };
    // u and v span each face so that u x v = n: the quad (0,0),(1,0),(1,1),(0,1)
    // is then wound outward.
    const Face faces[6] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
                           {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}}};
    for (const Face& f : faces) {
        const Vec3 c(f.n.x * h.x, f.n.y * h.y, f.n.z * h.z);
        const Vec3 du(f.u.x * h.x, f.u.y * h.y, f.u.z * h.z);
        const Vec3 dv(f.v.x * h.x, f.v.y * h.y, f.v.z * h.z);
        const uint32_t i0 = m.AddVertex(c - du - dv, f.n, 0, uvScale);
        const uint32_t i1 = m.AddVertex(c + du - dv, f.n, uvScale, uvScale);
        const uint32_t i2 = m.AddVertex(c + du + dv, f.n, uvScale, 0);
        const uint32_t i3 = m.AddVertex(c - du + dv, f.n, 0, 0);
        m.AddTri(i0, i1, i2);
        m.AddTri(i0, i2, i3);
    }
    return m;
}

Mesh MakeBoxGrid(const Vec3& h, int cells, float uvScale)
{
    Mesh m;
    // Faces of the unit quad grid (normal +z, corners +-0.5) turned onto the six sides.
    const Mat4 turns[6] = {RotationAxis({0, 1, 0}, 0.5f * kPi),
                           RotationAxis({0, 1, 0}, -0.5f * kPi),
                           RotationAxis({1, 0, 0}, -0.5f * kPi),
                           RotationAxis({1, 0, 0}, 0.5f * kPi),
                           Mat4(),
                           RotationAxis({1, 0, 0}, kPi)};
    for (const Mat4& turn : turns) {
        Mesh face = MakeQuad(cells);
        for (Vertex& v : face.verts) {
            v.p.z = 0.5f;
            v.u *= uvScale;
            v.v *= uvScale;
        }
        face.Transform(turn * Scaling({2 * h.x, 2 * h.y, 2 * h.z}));
        m.Append(face);
    }
    return m;
}

namespace {

// Rings of (segments + 1) vertices so the texture seam gets its own column.
void AddBand(Mesh& m, const ProfilePoint& a, const ProfilePoint& b, const Vec3& na2, const Vec3& nb2, float va,
             float vb, int segments, float uRepeat)
{
    const uint32_t base = static_cast<uint32_t>(m.verts.size());
    for (int ring = 0; ring < 2; ++ring) {
        const ProfilePoint& p = ring == 0 ? a : b;
        const Vec3& n2 = ring == 0 ? na2 : nb2; // (radial, 0, axial)
        for (int s = 0; s <= segments; ++s) {
            const float t = 2.0f * kPi * s / segments;
            const float c = std::cos(t), sn = std::sin(t);
            m.AddVertex({p.r * c, p.r * sn, p.h}, Normalize({n2.x * c, n2.x * sn, n2.z}), uRepeat * s / segments,
                        ring == 0 ? va : vb);
        }
    }
    const uint32_t row = segments + 1;
    for (int s = 0; s < segments; ++s) {
        const uint32_t i0 = base + s, i1 = base + s + 1;
        const uint32_t j0 = i0 + row, j1 = i1 + row;
        // Counter-clockwise around +z seen from outside: (i0, i1, j1), (i0, j1, j0).
        // A ring on the axis is a pole: its half of the quad would be degenerate.
        if (a.r > 0) m.AddTri(i0, i1, j1);
        if (b.r > 0) m.AddTri(i0, j1, j0);
    }
}

Vec3 SegmentNormal(const ProfilePoint& a, const ProfilePoint& b)
{
    // Outward normal of a profile segment going from a to b (upward along z).
    const float dr = b.r - a.r, dh = b.h - a.h;
    return Normalize({dh, 0, -dr});
}

} // namespace

Mesh MakeLathe(const std::vector<ProfilePoint>& profile, int segments, bool smooth, float uRepeat)
{
    Mesh m;
    const size_t n = profile.size();
    if (n < 2) return m;
    float total = 0;
    std::vector<float> vcoord(n, 0.0f);
    for (size_t i = 1; i < n; ++i) {
        const float dr = profile[i].r - profile[i - 1].r, dh = profile[i].h - profile[i - 1].h;
        total += std::sqrt(dr * dr + dh * dh);
        vcoord[i] = total;
    }
    for (size_t i = 0; i < n; ++i) vcoord[i] = total > 0 ? 1.0f - vcoord[i] / total : 0.0f;
    std::vector<Vec3> pointNormal(n);
    for (size_t i = 0; i < n; ++i) {
        Vec3 s(0, 0, 0);
        if (i > 0) s += SegmentNormal(profile[i - 1], profile[i]);
        if (i + 1 < n) s += SegmentNormal(profile[i], profile[i + 1]);
        pointNormal[i] = Normalize(s);
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        const Vec3 seg = SegmentNormal(profile[i], profile[i + 1]);
        Vec3 na = smooth ? pointNormal[i] : seg;
        Vec3 nb = smooth ? pointNormal[i + 1] : seg;
        if (profile[i].r <= 0) na = seg; // poles take their own segment's normal
        if (profile[i + 1].r <= 0) nb = seg;
        AddBand(m, profile[i], profile[i + 1], na, nb, vcoord[i], vcoord[i + 1], segments, uRepeat);
    }
    return m;
}

Mesh MakeLatheLoop(const std::vector<ProfilePoint>& loop, int segments, float uRepeat)
{
    // Smooth normals around the loop; the loop runs counter-clockwise in the (r, h) plane
    // so that the segment normal (dh, -dr) points away from the loop's inside.
    Mesh m;
    const size_t n = loop.size();
    std::vector<Vec3> pointNormal(n);
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint& prev = loop[(i + n - 1) % n];
        const ProfilePoint& next = loop[(i + 1) % n];
        pointNormal[i] = Normalize(SegmentNormal(prev, loop[i]) + SegmentNormal(loop[i], next));
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        AddBand(m, loop[i], loop[j], pointNormal[i], pointNormal[j], float(i) / n, float(i + 1) / n, segments, uRepeat);
    }
    return m;
}

Mesh MakeSphere(float radius, int segments, int rings)
{
    std::vector<ProfilePoint> p;
    for (int i = 0; i <= rings; ++i) {
        const float a = -0.5f * kPi + kPi * i / rings;
        p.push_back({i == 0 || i == rings ? 0.0f : radius * std::cos(a), radius * std::sin(a)});
    }
    return MakeLathe(p, segments, true);
}

Mesh MakeCapsule(float radius, float cylinderLength, int segments, int capRings)
{
    std::vector<ProfilePoint> p;
    const float hh = 0.5f * cylinderLength;
    for (int i = 0; i <= capRings; ++i) {
        const float a = -0.5f * kPi + 0.5f * kPi * i / capRings;
        p.push_back({i == 0 ? 0.0f : radius * std::cos(a), -hh + radius * std::sin(a)});
    }
    for (int i = 0; i <= capRings; ++i) {
        const float a = 0.5f * kPi * i / capRings;
        p.push_back({i == capRings ? 0.0f : radius * std::cos(a), hh + radius * std::sin(a)});
    }
    return MakeLathe(p, segments, true);
}

Mesh MakeCylinder(float radius, float length, int segments)
{
    const float hh = 0.5f * length;
    return MakeLathe({{0, -hh}, {radius, -hh}, {radius, hh}, {0, hh}}, segments, false);
}

Mesh MakePolyhedron(const std::vector<Vec3>& c, const std::vector<std::array<int, 3>>& tris)
{
    Mesh m;
    for (const auto& t : tris) {
        const Vec3 a = c[t[0]], b = c[t[1]], d = c[t[2]];
        const Vec3 n = Normalize(Cross(b - a, d - a));
        // Planar mapping along the face's dominant axis.
        auto uv = [&](const Vec3& p, float& u, float& v) {
            const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
            if (az >= ax && az >= ay) {
                u = p.x + 0.5f;
                v = 0.5f - p.y;
            } else if (ax >= ay) {
                u = p.y + 0.5f;
                v = 0.5f - p.z;
            } else {
                u = p.x + 0.5f;
                v = 0.5f - p.z;
            }
        };
        float u0, v0, u1, v1, u2, v2;
        uv(a, u0, v0);
        uv(b, u1, v1);
        uv(d, u2, v2);
        const uint32_t i0 = m.AddVertex(a, n, u0, v0);
        const uint32_t i1 = m.AddVertex(b, n, u1, v1);
        const uint32_t i2 = m.AddVertex(d, n, u2, v2);
        m.AddTri(i0, i1, i2);
    }
    return m;
}

Mesh MakeQuad(int cells)
{
    Mesh m;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i) {
            const float u = float(i) / cells, v = float(j) / cells;
            m.AddVertex({u - 0.5f, v - 0.5f, 0}, {0, 0, 1}, u, 1.0f - v);
        }
    const uint32_t row = cells + 1;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const uint32_t v00 = j * row + i;
            m.AddTri(v00, v00 + 1, v00 + row + 1);
            m.AddTri(v00, v00 + row + 1, v00 + row);
        }
    return m;
}

namespace {
using Key = std::tuple<long, long, long>;
Key Quantise(const Vec3& p)
{
    return {std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4)};
}
} // namespace

void RecomputeSmoothNormals(Mesh& mesh)
{
    std::map<Key, Vec3> sum;
    for (const auto& t : mesh.tris) {
        const Vec3& a = mesh.verts[t[0]].p;
        const Vec3 n = Cross(mesh.verts[t[1]].p - a, mesh.verts[t[2]].p - a);
        for (int k = 0; k < 3; ++k) sum[Quantise(mesh.verts[t[k]].p)] += n;
    }
    for (Vertex& v : mesh.verts) v.n = Normalize(sum[Quantise(v.p)]);
}

void Displace(Mesh& mesh, const std::function<float(const Vec3&)>& f)
{
    // Welded vertices must move together or the surface tears along the seams.
    std::map<Key, Vec3> moved;
    for (Vertex& v : mesh.verts) {
        const Key k = Quantise(v.p);
        auto it = moved.find(k);
        if (it == moved.end()) it = moved.emplace(k, v.p + v.n * f(v.p)).first;
        v.p = it->second;
    }
    RecomputeSmoothNormals(mesh);
}

} // namespace gen
