#include "Noise.h"

#include <cmath>

namespace gen {

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

uint32_t Hash3(int x, int y, int z, uint32_t seed)
{
    return Hash(static_cast<uint32_t>(x) * 0x8da6b343u ^
                Hash(static_cast<uint32_t>(y) * 0xd8163841u ^ Hash(static_cast<uint32_t>(z) * 0xcb1ab31fu ^ seed)));
}

float HashFloat(int x, int y, int z, uint32_t seed)
{
    return (Hash3(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {
float Smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}
int Wrap(int v, int period)
{
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}
} // namespace

float ValueNoise2(float x, float y, uint32_t seed, int period)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    const int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
    const int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
    const float a = HashFloat(x0, y0, 0, seed), b = HashFloat(x1, y0, 0, seed);
    const float c = HashFloat(x0, y1, 0, seed), d = HashFloat(x1, y1, 0, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float ValueNoise3(float x, float y, float z, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy), tz = Smooth(z - fz);
    float v[2];
    for (int k = 0; k < 2; ++k) {
        const float a = HashFloat(ix, iy, iz + k, seed), b = HashFloat(ix + 1, iy, iz + k, seed);
        const float c = HashFloat(ix, iy + 1, iz + k, seed), d = HashFloat(ix + 1, iy + 1, iz + k, seed);
        const float ab = a + (b - a) * tx, cd = c + (d - c) * tx;
        v[k] = ab + (cd - ab) * ty;
    }
    return v[0] + (v[1] - v[0]) * tz;
}

float Fbm2(float x, float y, int octaves, uint32_t seed, int period)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise2(x, y, seed + o * 101u, period);
        norm += amp;
        x *= 2;
        y *= 2;
        amp *= 0.5f;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}

float Fbm3(float x, float y, float z, int octaves, uint32_t seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise3(x, y, z, seed + o * 101u);
        norm += amp;
        x *= 2;
        y *= 2;
        z *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

float Cellular2(float x, float y, uint32_t seed, int period, uint32_t* cellId, float* second)
{
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float best = 1e9f, next = 1e9f;
    uint32_t bestId = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int cx = Wrap(ix + dx, period), cy = Wrap(iy + dy, period);
            const float px = ix + dx + HashFloat(cx, cy, 1, seed);
            const float py = iy + dy + HashFloat(cx, cy, 2, seed);
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < best) {
                next = best;
                best = d;
                bestId = Hash3(cx, cy, 3, seed);
            } else if (d < next)
                next = d;
        }
    if (cellId) *cellId = bestId;
    if (second) *second = next;
    return best;
}

} // namespace gen
