#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace gen {

Viewport::Viewport(Image* img, int x, int y, int width, int height)
    : target(img), x0(x), y0(y), w(width), h(height), depth(static_cast<size_t>(width) * height, 1e30f)
{}

void Viewport::LookAt(const Vec3& e, const Vec3& t, const Vec3& upHint, float fov)
{
    eye = e;
    forward = Normalize(t - e);
    right = Normalize(Cross(forward, upHint));
    up = Cross(right, forward);
    focal = 0.5f * h / std::tan(0.5f * fov * kPi / 180.0f);
}

void Viewport::Clear(const Color& c)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) target->At(x0 + x, y0 + y) = c;
    std::fill(depth.begin(), depth.end(), 1e30f);
}

namespace {

struct Projected
{
    float x, y, z; // screen pixels and view depth
    bool ok;
};

Projected Project(const Viewport& vp, const Vec3& p)
{
    const Vec3 d = p - vp.eye;
    const float z = Dot(d, vp.forward);
    if (z < 0.01f) return {0, 0, 0, false};
    return {0.5f * vp.w + vp.focal * Dot(d, vp.right) / z, 0.5f * vp.h - vp.focal * Dot(d, vp.up) / z, z, true};
}

Color Sample(const Image* tex, float u, float v)
{
    if (!tex || tex->w == 0) return Color(0.8f, 0.8f, 0.8f, 1);
    u -= std::floor(u);
    v -= std::floor(v);
    const int x = std::min(tex->w - 1, static_cast<int>(u * tex->w));
    const int y = std::min(tex->h - 1, static_cast<int>(v * tex->h));
    return tex->At(x, y);
}

} // namespace

void DrawMesh(Viewport& vp, const Mesh& mesh, const Image* tex, const std::vector<Vec3>& positions)
{
    const Vec3 light = Normalize({0.4f, -0.5f, 0.75f});
    auto pos = [&](uint32_t i) { return positions.empty() ? mesh.verts[i].p : positions[i]; };
    for (const auto& t : mesh.tris) {
        const Vec3 a = pos(t[0]), b = pos(t[1]), c = pos(t[2]);
        const Vec3 n = Cross(b - a, c - a);
        if (Dot(n, vp.eye - a) <= 0) continue; // back face by winding
        const Projected pa = Project(vp, a), pb = Project(vp, b), pc = Project(vp, c);
        if (!pa.ok || !pb.ok || !pc.ok) continue;
        const float area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
        if (std::fabs(area) < 1e-6f) continue;
        const int minX = std::max(0, static_cast<int>(std::floor(std::min({pa.x, pb.x, pc.x}))));
        const int maxX = std::min(vp.w - 1, static_cast<int>(std::ceil(std::max({pa.x, pb.x, pc.x}))));
        const int minY = std::max(0, static_cast<int>(std::floor(std::min({pa.y, pb.y, pc.y}))));
        const int maxY = std::min(vp.h - 1, static_cast<int>(std::ceil(std::max({pa.y, pb.y, pc.y}))));
        const Vertex& va = mesh.verts[t[0]];
        const Vertex& vb = mesh.verts[t[1]];
        const Vertex& vc = mesh.verts[t[2]];
        const float shade = 0.35f + 0.65f * std::max(0.0f, Dot(Normalize(n), light));
        for (int y = minY; y <= maxY; ++y)
            for (int x = minX; x <= maxX; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                float w0 = ((pb.x - px) * (pc.y - py) - (pb.y - py) * (pc.x - px)) / area;
                float w1 = ((pc.x - px) * (pa.y - py) - (pc.y - py) * (pa.x - px)) / area;
                float w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                // Perspective-correct attributes.
                const float iz = w0 / pa.z + w1 / pb.z + w2 / pc.z;
                const float z = 1 / iz;
                float& d = vp.depth[static_cast<size_t>(y) * vp.w + x];
                if (z >= d) continue;
                w0 = w0 / pa.z * z;
                w1 = w1 / pb.z * z;
                w2 = w2 / pc.z * z;
                const Color tc = Sample(tex, va.u * w0 + vb.u * w1 + vc.u * w2, va.v * w0 + vb.v * w1 + vc.v * w2);
                if (tc.a < 0.4f) continue;
                d = z;
                vp.target->At(vp.x0 + x, vp.y0 + y) = Color(tc.r * shade, tc.g * shade, tc.b * shade, 1);
            }
    }
}

void DrawLine3(Viewport& vp, const Vec3& a, const Vec3& b, const Color& c)
{
    const Projected pa = Project(vp, a), pb = Project(vp, b);
    if (!pa.ok || !pb.ok) return;
    const int steps = static_cast<int>(std::max(std::fabs(pb.x - pa.x), std::fabs(pb.y - pa.y))) + 1;
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / steps;
        const int x = static_cast<int>(pa.x + (pb.x - pa.x) * t), y = static_cast<int>(pa.y + (pb.y - pa.y) * t);
        if (x >= 0 && y >= 0 && x < vp.w && y < vp.h) vp.target->At(vp.x0 + x, vp.y0 + y) = c;
    }
}

} // namespace gen
