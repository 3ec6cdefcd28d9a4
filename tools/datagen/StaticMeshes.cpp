#include "StaticMeshes.h"

#include <cmath>

#include "Noise.h"

namespace gen {
namespace {

Mat4 ZToX()
{
    return RotationAxis({0, 1, 0}, 0.5f * kPi);
} // +z onto +x
Mat4 ZToY()
{
    return RotationAxis({1, 0, 0}, -0.5f * kPi);
} // +z onto +y

Mesh Moved(Mesh m, const Mat4& t)
{
    m.Transform(t);
    return m;
}

// Drawn at 0.01 scale: a small idol figurine of about one world unit.
Mesh Tiny()
{
    Mesh m = MakeLathe(
        {{0, 0}, {30, 0}, {32, 8}, {20, 14}, {16, 40}, {22, 60}, {14, 70}, {10, 72}, {16, 84}, {14, 96}, {0, 100}}, 24,
        true);
    m.Transform(Mat4::Translation({0, 0, -50}));
    return m;
}

Mesh Column()
{
    // Fluted drum along x, x in [-1, 1], radius 0.5, with flat ends.
    std::vector<ProfilePoint> p = {{0, -1}, {0.5f, -1}, {0.5f, 1}, {0, 1}};
    Mesh m = MakeLathe(p, 32, false, 2.0f);
    return Moved(m, ZToX());
}

Mesh Tetrahedron()
{
    const float size = 0.5f;
    const float a = 109.5f * kPi / 180.0f;
    const Vec3 c0(0, 0, size);
    const Vec3 c1(size * std::sin(a), 0, size * std::cos(a)); // c0 times RotationY(109.5)
    auto rotZ = [](const Vec3& v, float deg) {                // row vector times RotationZ
        const float r = deg * kPi / 180.0f, c = std::cos(r), s = std::sin(r);
        return Vec3(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
    };
    const std::vector<Vec3> corners = {c0, c1, rotZ(c1, -120), rotZ(c1, 120)};
    return MakePolyhedron(corners, {{0, 1, 3}, {0, 3, 2}, {0, 2, 1}, {1, 2, 3}});
}

Mesh Prism()
{
    const float h = 0.5f;
    const std::vector<Vec3> c = {{h, h, h}, {-h, h, h}, {h, h, -h}, {-h, h, -h}, {-h, -h, -h}, {h, -h, -h}};
    return MakePolyhedron(c, {{0, 5, 2}, {1, 3, 4}, {5, 4, 2}, {3, 2, 4}, {0, 2, 1}, {3, 1, 2}, {1, 4, 0}, {5, 0, 4}});
}

Mesh Spike()
{
    const float h = 0.5f;
    const std::vector<Vec3> c = {{0, 0, 0.75f}, {h, h, -0.25f}, {-h, h, -0.25f}, {-h, -h, -0.25f}, {h, -h, -0.25f}};
    return MakePolyhedron(c, {{0, 4, 1}, {0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {4, 3, 1}, {2, 1, 3}});
}

// The cart tub: sloped sides, a rim and a floor, within the unit cube.
Mesh MineCart()
{
    const std::vector<Vec3> c = {{0.5f, 0.5f, 0.5f},    {-0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f},
                                 {0.5f, -0.5f, 0.5f},   {0.4f, 0.4f, -0.5f}, {-0.4f, 0.4f, -0.5f},
                                 {-0.4f, -0.4f, -0.5f}, {0.4f, -0.4f, -0.5f}};
    // Top 0-1-2-3 counter-clockwise from above; bottom 4-5-6-7 below it.
    Mesh m = MakePolyhedron(c, {{0, 1, 2},
                                {0, 2, 3},
                                {4, 6, 5},
                                {4, 7, 6},
                                {0, 3, 7},
                                {0, 7, 4},
                                {1, 0, 4},
                                {1, 4, 5},
                                {2, 1, 5},
                                {2, 5, 6},
                                {3, 2, 6},
                                {3, 6, 7}});
    Mesh rim = MakeBox({0.52f, 0.52f, 0.05f});
    rim.Transform(Mat4::Translation({0, 0, 0.47f}));
    m.Append(rim);
    return m;
}

Mesh Tire()
{
    // Rounded tread around the axle; radius 1.6, width 2.5, axle along y.
    const std::vector<ProfilePoint> loop = {{0.7f, -1.25f}, {1.4f, -1.25f}, {1.55f, -1.15f},
                                            {1.6f, -0.9f},  {1.6f, 0.9f},   {1.55f, 1.15f},
                                            {1.4f, 1.25f},  {0.7f, 1.25f},  {0.65f, 0.0f}};
    Mesh m = MakeLatheLoop(loop, 32, 4.0f);
    Mesh hub = MakeCylinder(0.75f, 2.0f, 16);
    m.Append(hub);
    return Moved(m, ZToY());
}

Mesh Torso()
{
    // Hips to shoulders along z; wider than deep (x forward).
    Mesh m = MakeLathe({{0, -1.5f},
                        {0.45f, -1.45f},
                        {0.62f, -1.2f},
                        {0.6f, -0.6f},
                        {0.55f, -0.2f},
                        {0.66f, 0.5f},
                        {0.72f, 1.0f},
                        {0.6f, 1.35f},
                        {0.3f, 1.5f},
                        {0, 1.55f}},
                       24, true);
    m.Transform(Scaling({0.75f, 1.0f, 1.0f}));
    return m;
}

Mesh Limb(float radius, float length, float taper)
{
    const float hh = 0.5f * length;
    std::vector<ProfilePoint> p;
    const int cap = 5;
    for (int i = 0; i <= cap; ++i) { // lower end, the thinner one
        const float a = -0.5f * kPi + 0.5f * kPi * i / cap;
        p.push_back({i == 0 ? 0.0f : radius * taper * std::cos(a), -hh + radius * taper * std::sin(a)});
    }
    for (int i = 0; i <= cap; ++i) {
        const float a = 0.5f * kPi * i / cap;
        p.push_back({i == cap ? 0.0f : radius * std::cos(a), hh + radius * std::sin(a)});
    }
    return MakeLathe(p, 20, true);
}

Mesh SkyBox(float uvRepeat)
{
    Mesh m = MakeBoxGrid({0.5f, 0.5f, 0.5f}, 4, uvRepeat);
    m.FlipWinding(); // seen from inside
    return m;
}

Mesh SkyDome()
{
    Mesh m = MakeSphere(0.5f, 32, 16);
    m.Transform(RotationAxis({0, 0, 1}, kPi));
    m.FlipWinding();
    return m;
}

Mesh Tiki()
{
    // Upright pole, z from -3.5 to 3.5, with a bowl at the top for the flame.
    Mesh m = MakeLathe(
        {{0, -3.5f}, {0.35f, -3.5f}, {0.3f, 1.8f}, {0.45f, 2.0f}, {0.9f, 2.8f}, {1.0f, 3.4f}, {0.7f, 3.5f}, {0, 3.3f}},
        16, false, 2.0f);
    Mesh band = MakeCylinder(0.4f, 0.3f, 16);
    band.Transform(Mat4::Translation({0, 0, 1.2f}));
    m.Append(band);
    return m;
}

Mesh HandTorch()
{
    Mesh m = MakeLathe(
        {{0, -1.2f}, {0.14f, -1.2f}, {0.16f, 0.9f}, {0.28f, 1.1f}, {0.3f, 1.5f}, {0.2f, 1.55f}, {0, 1.5f}}, 12, false);
    return Moved(m, ZToY());
}

Mesh Bush()
{
    // Three crossed cards, each two-sided, z from -0.5 to 0.5.
    Mesh m;
    for (int k = 0; k < 3; ++k) {
        Mesh card = MakeQuad(1);
        card.Transform(RotationAxis({1, 0, 0}, 0.5f * kPi)); // stand up in x-z
        card.Transform(RotationAxis({0, 0, 1}, k * kPi / 3));
        Mesh back = card;
        back.FlipWinding();
        m.Append(card);
        m.Append(back);
    }
    return m;
}

Mesh PlaneTiled()
{
    Mesh m = MakeQuad(4);
    for (Vertex& v : m.verts) {
        v.u *= 4;
        v.v *= 4;
    }
    return m;
}

Mesh Temple()
{
    Mesh m;
    const float steps[3][2] = {{0.5f, 0.08f}, {0.44f, 0.08f}, {0.38f, 0.08f}};
    float z = -0.5f;
    for (const auto& s : steps) {
        Mesh b = MakeBox({s[0], s[0], 0.5f * s[1]}, 2.0f);
        b.Transform(Mat4::Translation({0, 0, z + 0.5f * s[1]}));
        m.Append(b);
        z += s[1];
    }
    const float colTop = 0.3f;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            if (i != 0 && i != 3 && j != 0 && j != 3) continue;
            Mesh c = MakeLathe({{0, 0}, {0.04f, 0}, {0.035f, colTop - z}, {0, colTop - z}}, 12, false);
            c.Transform(Mat4::Translation({-0.3f + 0.2f * i, -0.3f + 0.2f * j, z}));
            m.Append(c);
        }
    Mesh slab = MakeBox({0.42f, 0.42f, 0.04f});
    slab.Transform(Mat4::Translation({0, 0, colTop + 0.04f}));
    m.Append(slab);
    Mesh roof = MakePolyhedron(
        {{0.42f, 0.42f, 0.08f}, {-0.42f, 0.42f, 0.08f}, {-0.42f, -0.42f, 0.08f}, {0.42f, -0.42f, 0.08f}, {0, 0, 0.2f}},
        {{4, 0, 1}, {4, 1, 2}, {4, 2, 3}, {4, 3, 0}, {0, 2, 1}, {0, 3, 2}});
    roof.Transform(Mat4::Translation({0, 0, colTop}));
    m.Append(roof);
    return m;
}

Mesh Coin()
{
    Mesh m =
        MakeLathe({{0, -0.25f}, {0.45f, -0.25f}, {0.5f, -0.2f}, {0.5f, 0.2f}, {0.45f, 0.25f}, {0, 0.25f}}, 32, false);
    for (Vertex& v : m.verts) { // face the disc to the texture
        v.u = 0.5f + v.p.x;
        v.v = 0.5f - v.p.y;
    }
    return Moved(m, ZToX());
}

Mesh Mask()
{
    // A face-shaped shell, front at +x: brow ridge, nose, sunken eyes.
    Mesh m = MakeSphere(0.5f, 32, 20);
    m.Transform(RotationAxis({0, 0, 1}, kPi));
    m.Transform(Scaling({0.45f, 0.8f, 1.0f}));
    Displace(m, [](const Vec3& p) {
        if (p.x <= 0) return -0.12f * std::fabs(p.x); // hollow back
        auto bump = [&](float y, float z, float r, float h) {
            const float d2 = ((p.y - y) * (p.y - y) + (p.z - z) * (p.z - z)) / (r * r);
            return h * std::exp(-d2);
        };
        return bump(0, -0.02f, 0.08f, 0.12f) - bump(0.16f, 0.12f, 0.09f, 0.06f) - bump(-0.16f, 0.12f, 0.09f, 0.06f) +
               bump(0, 0.22f, 0.25f, 0.03f) - bump(0, -0.22f, 0.1f, 0.03f);
    });
    return m;
}

Mesh Head()
{
    // Ellipsoid 1 x 1 x 1.25 with the texture's centre column at +x (the face).
    Mesh m = MakeSphere(0.5f, 32, 20);
    m.Transform(RotationAxis({0, 0, 1}, kPi));
    m.Transform(Scaling({1.0f, 0.92f, 1.25f}));
    Displace(m, [](const Vec3& p) {
        const float nose = std::exp(-((p.y * p.y) / 0.006f + (p.z + 0.05f) * (p.z + 0.05f) / 0.02f));
        return p.x > 0 ? 0.05f * nose : 0.0f;
    });
    return m;
}

Mesh CaveCeiling()
{
    Mesh m = MakeSphere(0.5f, 32, 16);
    m.Transform(Scaling({1.0f, 1.0f, 0.35f}));
    Displace(m, [](const Vec3& p) { return 0.08f * (Fbm3(p.x * 6, p.y * 6, p.z * 6, 3, 77u) - 0.5f); });
    return m;
}

Mesh Boulder()
{
    return MakeSphere(0.5f, 16, 12);
}

Mesh Marker()
{
    return MakeSphere(0.5f, 12, 8);
}

} // namespace

std::vector<NamedMesh> BuildStaticMeshes()
{
    std::vector<NamedMesh> list;
    list.push_back({"Tiny.x", Tiny(), true});
    list.push_back({"cube.x", MakeBox({0.5f, 0.5f, 0.5f}), true});
    list.push_back({"boulder1.x", Boulder(), true});
    list.push_back({"stage_exit.x", Marker(), true});
    list.push_back({"column1.x", Column(), true});
    list.push_back({"tetrahedron.x", Tetrahedron(), true});
    list.push_back({"minecart.x", MineCart(), true});
    list.push_back({"tire.x", Tire(), true});
    list.push_back({"torso.x", Torso(), true});
    list.push_back({"upperarm.x", Moved(Limb(0.3f, 1.0f, 0.85f), ZToY()), true});
    list.push_back({"upperleg.x", Limb(0.37f, 1.35f, 0.8f), true});
    list.push_back({"skybox.x", SkyDome(), false});
    list.push_back({"tiki.x", Tiki(), true});
    list.push_back({"handTorch.x", HandTorch(), true});
    list.push_back({"bush1.x", Bush(), false});
    list.push_back({"1x1size1.x", PlaneTiled(), false});
    list.push_back({"big_temple.x", Temple(), true});
    list.push_back({"prism.x", Prism(), true});
    list.push_back({"eye_block.x", MakeBox({0.5f, 0.5f, 0.5f}), true});
    list.push_back({"coin.x", Coin(), true});
    list.push_back({"morvathens_mask.x", Mask(), true});
    list.push_back({"spike.x", Spike(), true});
    list.push_back({"vivuzuzface.x", Head(), true});
    list.push_back({"caveceiling.x", CaveCeiling(), true});
    list.push_back({"skybox_tiled.x", SkyBox(4.0f), false});
    for (NamedMesh& m : list) m.mesh.RemoveUnused();
    return list;
}

} // namespace gen
