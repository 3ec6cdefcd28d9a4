#include "Terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Noise.h"

namespace gen {
namespace {

const TerrainSpec kSpecs[] = {
    {"stage1.x", "stage1.hmp", "# stage 1 terrain: canyon under the rope bridge", "Phong1Opaque", 2, 2, 1.0f, 0.5f,
     0.5f, 129, 129, 4.0f, -64, -64, 1},
    {"stage2.x", "stage2.hmp", "# stage 2 terrain: log pit, causeway and whip hollow", "Phong1Opaque", 2, 34, 1.0f,
     0.5f, 0.5f, 129, 129, 4.0f, -64, -64, 2},
    {"stage3.x", "stage3.hmp", "# stage 3 terrain: lava basin with two mesas", "Phong1Opaque", 2, 42, 1.0f, 0.5f, 0.5f,
     129, 129, 4.0f, -64, -64, 3},
    {"stage4.x", "stage4.hmp", "# stage 4 terrain: cart track and pit", "Phong1Opaque", 2, 43, 1.0f, 0.5f, 0.5f, 129,
     129, 4.0f, -64, -64, 4},
    // The developer key loads this name as a mesh with 101 x 101 nodes and spacing 4.
    {"Heightmap.hmp", "", "", "Phong1Opaque", 2, 2, 1.0f, 0.5f, 0.5f, 101, 101, 4.0f, -50, -50, 0},
};

float Clamp01(float t)
{
    return std::min(1.0f, std::max(0.0f, t));
}
float SmoothStep(float a, float b, float x)
{
    const float t = Clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}
float Mix(float a, float b, float t)
{
    return a + (b - a) * t;
}
float Dist(float x, float y, float cx, float cy)
{
    return std::hypot(x - cx, y - cy);
}

// 0 inside the box grown by 'soft', 1 ... rather: 1 well inside [x0,x1]x[y0,y1], 0 outside,
// with a smooth edge of width 'soft'.
float BoxMask(float x, float y, float x0, float x1, float y0, float y1, float soft)
{
    return SmoothStep(x0 - soft, x0, x) * (1 - SmoothStep(x1, x1 + soft, x)) * SmoothStep(y0 - soft, y0, y) *
           (1 - SmoothStep(y1, y1 + soft, y));
}

// Mountains that keep bodies on the map.
float Border(float x, float y, float height)
{
    const float e = std::max(std::fabs(x), std::fabs(y));
    return height * SmoothStep(205, 250, e);
}

float Hills(float x, float y, float amp, uint32_t seed)
{
    return amp * (Fbm2(x / 60.0f, y / 60.0f, 4, seed) - 0.5f) * 2.0f;
}

// Stage 1: ground at -1.8 around the bridge ends (-36, 5.5) and (-36, -94.5), a canyon
// 40 deep between them across the map, and a peak at the west end for the water spout.
float Stage1(float x, float y)
{
    float h = -1.8f + Hills(x, y, 5.0f, 11u) * SmoothStep(20, 60, std::min(Dist(x, y, -36, 8), Dist(x, y, -36, -97)));
    const float d =
        std::fabs(y + 44.5f) + 4.0f * (Fbm2(x / 25.0f, 3.0f, 2, 12u) - 0.5f) * SmoothStep(20, 50, std::fabs(x + 36));
    const float canyon = 1 - SmoothStep(36.0f, 41.0f, d);
    h = Mix(h, -40.0f, canyon * SmoothStep(-232, -222, x));
    h += 185.0f * std::exp(-(Dist(x, y, -248, -44) / 22.0f) * (Dist(x, y, -248, -44) / 22.0f));
    return h + Border(x, y, 60.0f);
}

// Stage 2: flat ground near z 0; a hollow at the whips (-6, -20) and (-6, 13); a causeway
// at z 10 along y = -127 for the swinging logs with a pit on each side; a mesa at z 38
// around a pit under the spinning logs at (16, 129) and (16, 160).
float Stage2(float x, float y)
{
    float h = Hills(x, y, 1.5f, 21u);
    h = Mix(h, -4.0f, 1 - SmoothStep(28, 40, Dist(x, y * 0.8f, -6, -3)));
    // Swinging-log causeway with a moat either side.
    const float moat = BoxMask(x, y, -135, -35, -150, -104, 6);
    h = Mix(h, -22.0f, moat);
    const float causeway = BoxMask(x, y, -170, 0, -134, -120, 2);
    const float rampIn = SmoothStep(-165, -140, x) * (1 - SmoothStep(-30, -5, x));
    h = Mix(h, 10.0f * rampIn, causeway);
    // Spinning-log mesa: ramps from the south (y 20..85) and the north (y 205..250).
    const float mesaX = BoxMask(x, y, -70, 100, -1000, 1000, 8);
    const float up = SmoothStep(20, 85, y) * (1 - SmoothStep(205, 245, y));
    h = Mix(h, 38.0f * up, mesaX * (y > 20 && y < 245 ? 1.0f : 0.0f));
    const float pit = BoxMask(x, y, -32, 64, 113, 176, 3);
    h = Mix(h, -30.0f, pit);
    // The two spinning drums stand on level ground 0, clear of the mesa's
    // side and the ramp (radius 20 at (125, 80), 30 at (135, 150)).
    h = Mix(h, 0.0f, 1 - SmoothStep(26, 32, Dist(x, y, 125, 80)));
    h = Mix(h, 0.0f, 1 - SmoothStep(36, 42, Dist(x, y, 135, 150)));
    return h + Border(x, y, 50.0f);
}

// Stage 3: a lava basin (floor 0, under the lava at 4) inside |x|,|y| < 120, a rim at 16,
// two mesas at 44 either side of the hanging platform (-35, 40), a causeway up from the
// south rim and another down to the north rim, and stepping stones at 10.
float Stage3(float x, float y)
{
    const float e = std::pow(std::pow(std::fabs(x), 6.0f) + std::pow(std::fabs(y), 6.0f), 1.0f / 6.0f);
    float h = Mix(16.0f + Hills(x, y, 2.0f, 31u), 0.0f, 1 - SmoothStep(118, 126, e));
    const float south = 1 - SmoothStep(11, 14, Dist(x, y, -35, 17));
    const float north = 1 - SmoothStep(11, 14, Dist(x, y, -35, 63));
    h = Mix(h, 44.0f, std::max(south, north));
    const float rampS = BoxMask(x, y, -41, -29, -126, 8, 2);
    h = std::max(h, rampS * Mix(16.0f, 44.0f, SmoothStep(-118, 6, y)));
    const float rampN = BoxMask(x, y, -41, -29, 72, 126, 2);
    h = std::max(h, rampN * Mix(44.0f, 16.0f, SmoothStep(74, 118, y)));
    const float stones[][2] = {{20, -90}, {45, -60}, {60, -25}, {55, 15}, {30, 45}, {70, 70}, {90, 100}};
    for (const auto& s : stones) h = std::max(h, 10.0f * (1 - SmoothStep(6, 8, Dist(x, y, s[0], s[1]))));
    return h + Border(x, y, 40.0f);
}

// Stage 4: a cart track at z 10.5 along y = -150 from x = -240 to 120, a kicker up to 18,
// a pit 440 deep for x in [150, 195] across the map, a landing at 8 beyond it.
float Stage4(float x, float y)
{
    float h = 10.5f + std::max(0.0f, Hills(x, y, 14.0f, 41u)) * SmoothStep(14, 40, std::fabs(y + 150));
    const float bank = SmoothStep(12, 14, std::fabs(y + 150)) * (1 - SmoothStep(16, 22, std::fabs(y + 150)));
    h += 5.0f * bank;
    if (x < 146)
        h += 7.5f * SmoothStep(118, 146, x);
    else
        h = 8.0f;
    const float pit = SmoothStep(146, 150, x) * (1 - SmoothStep(195, 199, x));
    h = Mix(h, -440.0f, pit);
    return h + Border(x, y, 60.0f) * (x < 146 || x > 199 ? 1.0f : 0.0f);
}

// The developer key's heightmap: gentle meadow hills.
float Extra(float x, float y)
{
    return 2.0f + 12.0f * Fbm2(x / 50.0f, y / 50.0f, 4, 51u);
}

} // namespace

const TerrainSpec* TerrainSpecs(int* count)
{
    *count = static_cast<int>(sizeof kSpecs / sizeof kSpecs[0]);
    return kSpecs;
}

float StageHeight(int stage, float x, float y)
{
    switch (stage) {
    case 1:
        return Stage1(x, y);
    case 2:
        return Stage2(x, y);
    case 3:
        return Stage3(x, y);
    case 4:
        return Stage4(x, y);
    default:
        return Extra(x, y);
    }
}

Mesh BuildGridMesh(int rows, int columns, float x0, float y0, const std::function<float(int, int)>& meshHeight)
{
    Mesh m;
    const int R = rows, C = columns;
    auto at = [&](int i, int j) {
        i = std::min(R - 1, std::max(0, i));
        j = std::min(C - 1, std::max(0, j));
        return meshHeight(i, j);
    };
    for (int j = 0; j < C; ++j)
        for (int i = 0; i < R; ++i) {
            const float dx = 0.5f * (at(i + 1, j) - at(i - 1, j));
            const float dy = 0.5f * (at(i, j + 1) - at(i, j - 1));
            m.AddVertex({x0 + i, y0 + j, at(i, j)}, Normalize({-dx, -dy, 1.0f}), 0.25f * i, 0.25f * j);
        }
    for (int j = 0; j + 1 < C; ++j)
        for (int i = 0; i + 1 < R; ++i) {
            const uint32_t v00 = j * R + i, v10 = v00 + 1, v11 = v00 + R + 1, v01 = v00 + R;
            m.AddTri(v00, v10, v11); // the physics split: diagonal (i, j)-(i+1, j+1)
            m.AddTri(v00, v11, v01);
        }
    return m;
}

Mesh BuildTerrainMesh(const TerrainSpec& s)
{
    const int R = s.rows, C = s.columns;
    std::vector<float> z(static_cast<size_t>(R) * C);
    for (int j = 0; j < C; ++j)
        for (int i = 0; i < R; ++i) {
            // Quantised to what the file keeps, so the normals match the stored heights.
            const float world = StageHeight(s.stage, (s.x0 + i) * s.diff, (s.y0 + j) * s.diff);
            z[static_cast<size_t>(j) * R + i] = std::round(world / s.diff * 1e6f) / 1e6f;
        }
    return BuildGridMesh(R, C, s.x0, s.y0, [&](int i, int j) { return z[static_cast<size_t>(j) * R + i]; });
}

std::string HmpText(const TerrainSpec& s)
{
    char buf[512];
    snprintf(buf, sizeof buf,
             "%s\nTECHNIQUE %s\nMATERIAL %d\nTEXTURE %d\nELASTIC %.1f\nSTATIC_FRIC %.1f\n"
             "DYNAMIC_FRIC %.1f\nROWS %d\nCOLUMNS %d\nDIFF %g\n",
             s.comment.c_str(), s.technique.c_str(), s.material, s.texture, s.elastic, s.staticFric, s.dynamicFric,
             s.rows, s.columns, s.diff);
    return buf;
}

} // namespace gen
