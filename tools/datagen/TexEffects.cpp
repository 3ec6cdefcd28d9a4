// Particle sprites, skies, foliage and the effect noise volume. Sprites carry their
// shape in alpha and fade to zero at the border.
#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Noise.h"
#include "Textures.h"

namespace gen {
namespace {

float Clamp(float x)
{
    return std::min(1.0f, std::max(0.0f, x));
}
float Smooth(float a, float b, float x)
{
    const float t = Clamp((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

Image Sprite(int size, uint32_t seed, float noiseAmount, const Color& inner, const Color& outer)
{
    Image img(size, size);
    img.Shade([&](float u, float v, int, int) {
        const float dx = u - 0.5f, dy = v - 0.5f;
        const float r = 2.0f * std::sqrt(dx * dx + dy * dy);
        const float n = Fbm2(u * 4, v * 4, 4, seed, 4);
        const float a = Clamp((1.0f - r) * 1.4f) * (1.0f - noiseAmount + noiseAmount * n * 1.6f);
        Color c = Mix(inner, outer, Clamp(r));
        c.a = Clamp(a) * inner.a;
        return c;
    });
    return img;
}

Image Flame(int frame)
{
    Image img(64, 128);
    img.Shade([&](float u, float v, int, int) {
        // A teardrop, wide at the bottom, licked by noise rising with the frame.
        const float y = 1.0f - v; // 0 bottom, 1 top
        // Each frame flickers: its own width, sway and noise further up the flame.
        const float flicker = 0.85f + 0.15f * std::sin(frame * 2.4f);
        const float width = 0.42f * flicker * std::sqrt(std::max(0.0f, 1.0f - y)) * Smooth(0.0f, 0.2f, y + 0.05f);
        const float n = Fbm2(u * 4, y * 3 - frame * 1.7f, 3, 36u, 0);
        const float sway = 0.12f * std::sin(frame * 1.3f + 0.5f);
        const float dx = std::fabs(u - 0.5f - sway * y * y + 0.16f * (n - 0.5f) * y);
        const float body = Clamp((width - dx) / std::max(0.01f, width) * 1.5f) * Smooth(0.0f, 0.08f, y);
        const float heat = Clamp(body * (1.2f - y));
        Color c = Mix(Rgb(0xd02000), Rgb(0xffb020), Smooth(0.1f, 0.6f, heat));
        c = Mix(c, Rgb(0xfff4c0), Smooth(0.6f, 1.0f, heat));
        c.a = Clamp(body * (0.6f + 0.6f * n));
        return c;
    });
    return img;
}

Image Sky(bool volcano)
{
    Image img(512, 256);
    img.Shade([&](float u, float v, int, int) {
        // Mapped onto an inward sphere: v = 0 the zenith, 0.5 the horizon.
        const float h = Clamp(v / 0.5f);
        const float clouds = Smooth(0.45f, 0.8f, Fbm2(u * 8, v * 6, 5, volcano ? 47u : 82u, 8));
        if (volcano) {
            Color c = Mix(Rgb(0x1a0606), Rgb(0xb0401a), std::pow(h, 2.0f));
            c = Mix(c, Rgb(0x2a2220), clouds * 0.8f);
            if (v > 0.5f) c = Mix(Rgb(0xb0401a), Rgb(0x200808), Clamp((v - 0.5f) * 4));
            return c;
        }
        Color c = Mix(Rgb(0x2a5aa8), Rgb(0xbcd8f0), std::pow(h, 1.5f));
        c = Mix(c, Color(1, 1, 1), clouds * (1.0f - 0.5f * h));
        if (v > 0.5f) c = Mix(Rgb(0xbcd8f0), Rgb(0x50604a), Clamp((v - 0.5f) * 4));
        return c;
    });
    return img;
}

Image Bush()
{
    Image img(256, 256);
    Rng rng(46u);
    for (int i = 0; i < 260; ++i) {
        // Leaves thicker towards the bottom centre; each an ellipse with a darker rim.
        const float x = 128 + rng.Range(-110, 110) * (0.5f + 0.5f * rng.Uniform());
        const float y = rng.Range(30, 250);
        if (std::fabs(x - 128) > 120 * (0.4f + 0.6f * y / 256)) continue;
        const float r = rng.Range(8, 16);
        const Color leaf = Mix(Rgb(0x1e4a1a), Rgb(0x5aa03a), rng.Uniform());
        FillCircle(img, x, y, r, Mix(leaf, Color(0, 0, 0), 0.3f));
        FillCircle(img, x - 1, y - 1, r - 2, leaf);
    }
    return img;
}

Image Chain()
{
    Image img(64, 128);
    for (int k = 0; k < 2; ++k) {
        const float cy = 32 + 64 * k;
        StrokeRoundRect(img, 18, cy - 30, 46, cy + 30, 14, 7, Rgb(0x50565c));
        StrokeRoundRect(img, 18, cy - 30, 46, cy + 30, 14, 3, Rgb(0xb0b8c0));
    }
    FillRoundRect(img, 29, 52, 35, 76, 3, Rgb(0x9aa2aa), Rgb(0x50565c));
    return img;
}

Image Star()
{
    Image img(64, 64);
    img.Shade([&](float u, float v, int, int) {
        const float dx = std::fabs(u - 0.5f) * 2, dy = std::fabs(v - 0.5f) * 2;
        const float rays = std::max(Clamp(1 - dx * 8) * Clamp(1 - dy), Clamp(1 - dy * 8) * Clamp(1 - dx));
        const float core = Clamp(1 - std::sqrt(dx * dx + dy * dy) * 2.5f);
        const float a = Clamp(rays + core);
        return Color(1.0f, 0.95f, 0.75f + 0.25f * core, a);
    });
    return img;
}

Image GrassBlade()
{
    Image img(32, 64);
    FillPolygon(img, {12, 64, 20, 64, 18, 30, 22, 2, 14, 28}, Rgb(0x3f8a2a));
    FillPolygon(img, {15, 64, 17, 64, 18, 20, 16, 40}, Rgb(0x6ab84a));
    return img;
}

Image LavaBlob(int n)
{
    Image img(64, 64);
    img.Shade([&](float u, float v, int, int) {
        const float dx = u - 0.5f, dy = v - 0.5f;
        const float r = 2 * std::sqrt(dx * dx + dy * dy) + 0.35f * (Fbm2(u * 3, v * 3, 3, 53u + n, 3) - 0.5f);
        const float a = Smooth(1.0f, 0.8f, r);
        Color c = Mix(Rgb(0xffe070), Rgb(0xd02800), Smooth(0.1f, 0.8f, r));
        c = Mix(c, Rgb(0x401008), Smooth(0.6f, 0.95f, r) * (n % 2 ? 0.8f : 0.4f));
        c.a = a;
        return c;
    });
    return img;
}

} // namespace

Image EffectTexture(const std::string& kind, int frame)
{
    if (kind == "transblack") return Image(16, 16, Color(0, 0, 0, 0.5f));
    if (kind == "flame") return Flame(frame);
    if (kind == "flame_blur") return Sprite(64, 35u, 0.1f, Rgb(0xffc040, 1.0f), Rgb(0xd03000));
    if (kind == "smoke") return Sprite(64, 45u, 0.6f, Rgb(0x6a6a6a, 0.8f), Rgb(0x3a3a3a));
    if (kind == "dust_cloud") return Sprite(64, 50u, 0.5f, Rgb(0xa08866, 0.7f), Rgb(0x7a6444));
    if (kind == "dust_flake") return Sprite(32, 51u, 0.2f, Rgb(0x8a7458, 1.0f), Rgb(0x5a4a34));
    if (kind == "mist") return Sprite(128, 80u, 0.7f, Color(0.95f, 0.97f, 1.0f, 0.6f), Color(0.8f, 0.85f, 0.9f));
    if (kind == "grass_blade") return GrassBlade();
    if (kind == "lava_blob") return LavaBlob(frame);
    if (kind == "star") return Star();
    if (kind == "bush") return Bush();
    if (kind == "chain") return Chain();
    if (kind == "sky_volcano") return Sky(true);
    if (kind == "sky_day") return Sky(false);
    return Image(8, 8, Color(1, 0, 1, 1));
}

std::vector<Image> NoiseVolume()
{
    const int n = 32;
    std::vector<Image> slices;
    for (int z = 0; z < n; ++z) {
        Image img(n, n);
        img.Shade([&](float u, float v, int, int) {
            const float w = (z + 0.5f) / n;
            const float a = Fbm3(u * 4, v * 4, w * 4, 4, 81u);
            const float b = Fbm3(u * 4, v * 4, w * 4, 4, 181u);
            const float c = Fbm3(u * 8, v * 8, w * 8, 3, 281u);
            return Color(a, b, c, HashFloat(int(u * n), int(v * n), z, 381u));
        });
        slices.push_back(img);
    }
    return slices;
}

} // namespace gen
