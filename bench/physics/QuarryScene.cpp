#include "QuarryScene.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

// A tiny LCG so both engines get the same bodies on every machine.
class SceneRandom
{
public:
    explicit SceneRandom(uint32_t seed) : state(seed) {}
    float Uniform(float lo, float hi)
    {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(state >> 8) / 16777216.0f;
    }

private:
    uint32_t state;
};

float BaseHeight(float x, float y)
{
    const float r = std::sqrt(x * x + y * y);
    float h = 8.0f * (r / 100.0f) * (r / 100.0f) + 0.5f * std::sin(x / 7.0f) * std::cos(y / 9.0f);
    // A flat plateau in one corner for the tower.
    if (x >= 56.0f && y >= 56.0f && x <= 96.0f && y <= 96.0f) {
        h = 10.0f;
    }
    // The trench the bridge spans.
    if (x >= QuarryBridge::kTrenchX[0] && x <= QuarryBridge::kTrenchX[1] && y >= QuarryBridge::kTrenchY[0] &&
        y <= QuarryBridge::kTrenchY[1]) {
        h -= QuarryBridge::kTrenchDepth;
    }
    return h;
}

BodyShape ShapeOf(int k)
{
    const int slot = k % 10;
    return slot < 5 ? BodyShape::Box
                    : (slot < 7 ? BodyShape::Capsule : (slot < 9 ? BodyShape::Sphere : BodyShape::Cylinder));
}

float HalfHeight(BodyShape shape)
{
    switch (shape) {
    case BodyShape::Box:
        return 1.0f;
    case BodyShape::Capsule:
        return 1.5f;
    case BodyShape::Sphere:
        return 0.75f;
    case BodyShape::Cylinder:
        return 0.6f;
    }
    return 1.0f;
}

} // namespace

const char* RegimeName(Regime regime)
{
    switch (regime) {
    case Regime::FallingPile:
        return "falling pile";
    case Regime::Settled:
        return "settled+frozen";
    case Regime::Scattered:
        return "scattered";
    }
    return "?";
}

float BodyMass(BodyShape shape)
{
    switch (shape) {
    case BodyShape::Box:
        return 10.0f;
    case BodyShape::Capsule:
        return 5.0f;
    case BodyShape::Sphere:
        return 3.0f;
    case BodyShape::Cylinder:
        return 6.0f;
    }
    return 1.0f;
}

QuarryTerrain MakeQuarryTerrain()
{
    QuarryTerrain t;
    t.heights.resize(static_cast<size_t>(QuarryTerrain::kNodes) * QuarryTerrain::kNodes);
    t.minHeight = 1e9f;
    t.maxHeight = -1e9f;
    for (int j = 0; j < QuarryTerrain::kNodes; ++j) {
        for (int i = 0; i < QuarryTerrain::kNodes; ++i) {
            const float h = BaseHeight(t.originX + QuarryTerrain::kDiff * i, t.originY + QuarryTerrain::kDiff * j);
            t.heights[static_cast<size_t>(j) * QuarryTerrain::kNodes + i] = h;
            t.minHeight = std::fmin(t.minHeight, h);
            t.maxHeight = std::fmax(t.maxHeight, h);
        }
    }
    return t;
}

float QuarryHeight(const QuarryTerrain& t, float x, float y)
{
    const int n = QuarryTerrain::kNodes;
    const float fx = std::fmin(std::fmax((x - t.originX) / QuarryTerrain::kDiff, 0.0f), n - 1.001f);
    const float fy = std::fmin(std::fmax((y - t.originY) / QuarryTerrain::kDiff, 0.0f), n - 1.001f);
    const int i = static_cast<int>(fx);
    const int j = static_cast<int>(fy);
    const float u = fx - i;
    const float v = fy - j;
    auto h = [&](int a, int b) { return t.heights[static_cast<size_t>(b) * n + a]; };
    if (v < u) {
        return h(i, j) + u * (h(i + 1, j) - h(i, j)) + v * (h(i + 1, j + 1) - h(i + 1, j));
    }
    return h(i, j) + v * (h(i, j + 1) - h(i, j)) + u * (h(i + 1, j + 1) - h(i, j + 1));
}

std::vector<QuarryBody> MakeQuarryBodies(const QuarryTerrain& terrain, int pileCount, Regime regime)
{
    std::vector<QuarryBody> bodies;
    SceneRandom random(20261207u);
    const int perRow = 8;
    for (int k = 0; k < pileCount; ++k) {
        QuarryBody b;
        b.shape = ShapeOf(k);
        if (regime == Regime::Scattered) {
            // 16 per row, 10 apart: nothing touches.
            const float x = -75.0f + 10.0f * static_cast<float>(k % 16);
            const float y = -75.0f + 10.0f * static_cast<float>(k / 16);
            b.position[0] = x;
            b.position[1] = y;
            b.position[2] = QuarryHeight(terrain, x, y) + HalfHeight(b.shape) + 0.3f;
        } else {
            const int layer = k / (perRow * perRow);
            const int inLayer = k % (perRow * perRow);
            b.position[0] = -14.0f + 4.0f * static_cast<float>(inLayer % perRow);
            b.position[1] = -14.0f + 4.0f * static_cast<float>(inLayer / perRow);
            b.position[2] = 15.0f + 4.0f * static_cast<float>(layer);
        }
        b.axis[0] = random.Uniform(-1.0f, 1.0f);
        b.axis[1] = random.Uniform(-1.0f, 1.0f);
        b.axis[2] = 1.0f;
        const float len = std::sqrt(b.axis[0] * b.axis[0] + b.axis[1] * b.axis[1] + 1.0f);
        for (float& c : b.axis) c /= len;
        b.angleDegrees = regime == Regime::Scattered ? 0.0f : random.Uniform(-10.0f, 10.0f);
        bodies.push_back(b);
    }
    for (int k = 0; k < kTowerBoxes; ++k) {
        bodies.push_back(QuarryBody{
            BodyShape::Box, {76.0f, 76.0f, 11.0f + 2.0f * static_cast<float>(k) + 0.01f}, {0.0f, 0.0f, 1.0f}, 0.0f});
    }
    return bodies;
}

float QuarryBridge::CentreZ(const QuarryTerrain& terrain)
{
    // The highest terrain point under either end box, so neither sinks in.
    float rim = -1e9f;
    for (int end : {0, kBoxes - 1}) {
        for (float dx = -0.5f; dx <= 0.5f; dx += 0.25f) {
            for (float dy = -0.5f; dy <= 0.5f; dy += 0.25f) {
                rim = std::fmax(rim, QuarryHeight(terrain, kStart[0] + dx * kSize[0], BoxY(end) + dy * kSize[1]));
            }
        }
    }
    return rim + 0.5f * kSize[2] + 0.02f;
}

void QuarryBridge::DropPosition(int k, float centreZ, float out[3])
{
    const float middle = 0.5f * (BoxY(0) + BoxY(kBoxes - 1));
    out[0] = kStart[0] + (k % 2 == 0 ? -0.9f : 0.9f);
    out[1] = middle + kSize[1] * (static_cast<float>(k) - 0.5f * (kDropped - 1));
    out[2] = centreZ + 0.5f * kSize[2] + 1.0f + 0.5f * kDropEdge * static_cast<float>(k % 3);
}

RunPlan ProtocolPlan(float frameSeconds)
{
    return RunPlan{0, static_cast<int>(20.0f / frameSeconds + 0.5f), true, frameSeconds};
}

SanityVerdict JudgeSanity(const RunFigures& f)
{
    SanityVerdict v;
    auto fail = [&v](const std::string& what) {
        v.failures += (v.ok ? "" : "; ") + what;
        v.ok = false;
    };
    if (f.anyNaN) fail("NaN pose");
    if (f.belowTerrain > 0) fail(std::to_string(f.belowTerrain) + " body centres below terrain - 0.1");
    if (!(f.chainGap < 0.1)) fail("chain link gap " + std::to_string(f.chainGap));
    if (!(f.bridgeEndMove < 1e-4)) fail("bridge end box moved " + std::to_string(f.bridgeEndMove));
    if (!(f.bridgePivotGap < 0.1)) fail("bridge pivot gap " + std::to_string(f.bridgePivotGap));
    return v;
}

RunPlan PlanFor(Regime regime, bool quick)
{
    const int scale = quick ? 5 : 1;
    switch (regime) {
    case Regime::FallingPile:
        return RunPlan{0, 300 / scale, false, 0.01f};
    case Regime::Settled:
        return RunPlan{1000 / scale, 200 / scale, true, 0.01f};
    case Regime::Scattered:
        return RunPlan{0, 200 / scale, false, 0.01f};
    }
    return RunPlan{0, 100, false, 0.01f};
}
