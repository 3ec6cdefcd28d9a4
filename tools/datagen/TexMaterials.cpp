// Surface textures: terrain, stone, wood, metal, cloth. All tile seamlessly.
#include <algorithm>
#include <cmath>
#include <map>

#include "Math.h"
#include "Noise.h"
#include "Textures.h"

namespace gen {
namespace {

// Tiling fractal noise: scale must be a whole number of cells across the texture.
float N(float u, float v, int scale, int octaves, uint32_t seed)
{
    return Fbm2(u * scale, v * scale, octaves, seed, scale);
}
float Clamp(float x, float a = 0, float b = 1)
{
    return std::min(b, std::max(a, x));
}
float Smooth(float a, float b, float x)
{
    const float t = Clamp((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}
Color Scale(const Color& c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a};
}

Image Noisy(int size, const Color& dark, const Color& light, int scale, int octaves, uint32_t seed,
            float contrast = 1.0f)
{
    Image img(size, size);
    img.Shade([&](float u, float v, int, int) {
        const float n = Clamp(0.5f + (N(u, v, scale, octaves, seed) - 0.5f) * 2.0f * contrast);
        return Mix(dark, light, n);
    });
    return img;
}

// Rows of bricks or planks: returns the mortar factor (0 in the joint, 1 inside) and a
// per-brick id.
float Courses(float u, float v, int rows, int cols, float joint, uint32_t* id, float stagger = 0.5f)
{
    const float y = v * rows;
    const int row = static_cast<int>(std::floor(y));
    const float x = u * cols + (row % 2) * stagger;
    const int col = static_cast<int>(std::floor(x));
    const float fx = x - col, fy = y - row;
    *id = Hash3(((col % cols) + cols) % cols, row, 7, 99u);
    const float jx = joint * cols, jy = joint * rows;
    return Smooth(0, jx, fx) * Smooth(0, jx, 1 - fx) * Smooth(0, jy, fy) * Smooth(0, jy, 1 - fy);
}

Image Bricks(const Color& brick, const Color& mortar, int rows, int cols, uint32_t seed, float variance)
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        uint32_t id;
        const float m = Courses(u, v, rows, cols, 0.012f, &id);
        const float tone = 1.0f + variance * (((id >> 8) & 255) / 255.0f - 0.5f);
        const float grain = 0.85f + 0.3f * N(u, v, 32, 3, seed);
        return Mix(mortar, Scale(brick, tone * grain), m);
    });
    return img;
}

Image Wood(const Color& dark, const Color& light, int planks, uint32_t seed)
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        uint32_t id;
        const float m = Courses(v, u, planks, 1, 0.01f, &id, 0.0f); // planks run along v
        const float warp = N(u, v, 4, 3, seed + (id & 7)) * 6.0f;
        const float ring = 0.5f + 0.5f * std::sin((u * planks * 7.0f + warp) * 2 * kPi);
        const float grain = N(u * 0.25f, v, 64, 2, seed + 3);
        const Color c = Mix(dark, light, Clamp(0.35f * ring + 0.5f * grain + 0.1f * ((id >> 4) & 3)));
        return Mix(Scale(dark, 0.45f), c, m);
    });
    return img;
}

Image Cobbles(const Color& stone, const Color& gap, int cells, uint32_t seed)
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        uint32_t id;
        float second;
        const float d = Cellular2(u * cells, v * cells, seed, cells, &id, &second);
        const float edge = Smooth(0.02f, 0.12f, second - d);
        const float tone = 0.8f + 0.35f * ((id & 255) / 255.0f);
        const float dome = 1.0f - 0.35f * d;
        return Mix(gap, Scale(stone, tone * dome * (0.85f + 0.3f * N(u, v, 32, 2, seed + 1))), edge);
    });
    return img;
}

Image Marble(const Color& base, const Color& vein, uint32_t seed)
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        const float t = std::sin((u + v + 1.5f * N(u, v, 4, 5, seed)) * 2 * kPi * 2);
        const float veins = std::pow(1.0f - std::fabs(t), 8.0f);
        return Mix(Scale(base, 0.9f + 0.15f * N(u, v, 8, 3, seed + 5)), vein, veins * 0.8f);
    });
    return img;
}

Image Eye(Image img)
{
    const float cx = img.w * 0.5f, cy = img.h * 0.5f;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float dx = (x + 0.5f - cx) / (img.w * 0.36f), dy = (y + 0.5f - cy) / (img.h * 0.2f);
            // Almond: the intersection of two circles.
            const float lid = dx * dx + dy * dy * (1.0f + 0.6f * dx * dx);
            if (lid < 1.0f) img.Blend(x, y, Color(0.96f, 0.94f, 0.9f), Clamp((1.0f - lid) * 20));
        }
    FillCircle(img, cx, cy, img.w * 0.12f, Rgb(0x2f7a4a));
    FillCircle(img, cx, cy, img.w * 0.055f, Rgb(0x0a0a0a));
    FillCircle(img, cx - img.w * 0.03f, cy - img.h * 0.03f, img.w * 0.02f, Color(1, 1, 1, 0.9f));
    StrokeRoundRect(img, 4, 4, img.w - 4.0f, img.h - 4.0f, 10, 3, Rgb(0x6b6155));
    return img;
}

Image Gold()
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        const float dx = u - 0.5f, dy = v - 0.5f;
        const float r = std::sqrt(dx * dx + dy * dy);
        float k = 0.75f + 0.25f * std::sin(r * 40.0f) * Smooth(0.32f, 0.4f, r) * (1 - Smooth(0.44f, 0.46f, r));
        const float a = std::atan2(dy, dx);
        const float star = 0.22f * (0.55f + 0.45f * std::cos(5 * a));
        if (r < star) k = 1.05f;
        k *= 0.9f + 0.15f * N(u, v, 16, 2, 71u);
        const float shine = 0.4f * std::exp(-((u - 0.35f) * (u - 0.35f) + (v - 0.3f) * (v - 0.3f)) * 20);
        return Color(Clamp(0.95f * k + shine), Clamp(0.72f * k + shine), Clamp(0.2f * k + shine * 0.5f));
    });
    return img;
}

Image Mask()
{
    // Painted onto the mask's sphere mapping: the face is the middle of the texture.
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        const float n = N(u, v, 8, 3, 72u);
        Color c = Mix(Rgb(0x1f6b5a), Rgb(0x3fae8c), n); // jade
        const float band = std::fabs(std::sin(v * 18.0f)) < 0.15f ? 1.0f : 0.0f;
        c = Mix(c, Rgb(0xd8a93a), band * 0.8f);
        return c;
    });
    for (int s = -1; s <= 1; s += 2) {
        FillCircle(img, 128 + s * 22.0f, 105, 14, Rgb(0x0c0c0c));
        StrokeRoundRect(img, 128 + s * 22.0f - 18, 87, 128 + s * 22.0f + 18, 123, 18, 4, Rgb(0xe0b440));
    }
    FillPolygon(img, {128, 110, 118, 150, 138, 150}, Rgb(0xe0b440));
    FillRoundRect(img, 108, 168, 148, 176, 4, Rgb(0x8a1c1c), Rgb(0x5a0c0c));
    return img;
}

Image Compass()
{
    Image img = Noisy(128, Rgb(0x3a2a1c), Rgb(0x6a4a30), 8, 4, 33u);
    FillCircle(img, 64, 64, 52, Rgb(0xd9c7a0));
    FillCircle(img, 64, 64, 46, Rgb(0xefe3c4));
    FillPolygon(img, {64, 14, 72, 64, 64, 114, 56, 64}, Rgb(0x333333));
    FillPolygon(img, {14, 64, 64, 56, 114, 64, 64, 72}, Rgb(0x777777));
    FillPolygon(img, {64, 14, 72, 64, 56, 64}, Rgb(0xb02020));
    FillCircle(img, 64, 64, 5, Rgb(0xd4a020));
    return img;
}

Image Landscape()
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        const float ridge = 0.45f + 0.15f * N(u, 0.3f, 4, 4, 29u);
        const float ridge2 = 0.62f + 0.1f * N(u, 0.7f, 6, 4, 30u);
        if (v > ridge2) return Mix(Rgb(0x3d5a2a), Rgb(0x24361a), (v - ridge2) * 3);
        if (v > ridge) return Mix(Rgb(0x51607a), Rgb(0x39465c), (v - ridge) * 4);
        return Mix(Rgb(0xf2c48a), Rgb(0x6f8fc0), Clamp(1 - v / ridge));
    });
    FillCircle(img, 180, 90, 16, Color(1, 0.95f, 0.8f, 0.9f));
    return img;
}

Image Tire()
{
    Image img(128, 128);
    img.Shade([&](float u, float v, int, int) {
        // Tread blocks across the running surface, plain sidewalls near the edges.
        const bool tread = v > 0.3f && v < 0.7f;
        const float block = (std::fmod(u * 16 + (v < 0.5f ? 0.0f : 0.5f), 1.0f) < 0.7f) ? 1.0f : 0.55f;
        const float k = (tread ? block : 0.8f) * (0.85f + 0.2f * N(u, v, 16, 2, 9u));
        return Color(0.12f * k, 0.12f * k, 0.13f * k);
    });
    return img;
}

Image Rope()
{
    Image img(128, 128);
    img.Shade([&](float u, float v, int, int) {
        const float strand = 0.5f + 0.5f * std::sin((u * 4 + v * 8) * 2 * kPi);
        const float fibre = N(u, v, 64, 2, 73u);
        return Mix(Rgb(0x6b5332), Rgb(0xc9a874), Clamp(0.6f * strand + 0.4f * fibre));
    });
    return img;
}

Image Jeans()
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int x, int y) {
        const float twill = ((x + y) % 4 < 2) ? 1.0f : 0.82f;
        const float fade = N(u, v, 4, 3, 77u);
        return Scale(Mix(Rgb(0x1d3557), Rgb(0x4a6fa5), fade), twill);
    });
    return img;
}

Image Vest()
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int x, int y) {
        const float weave = ((x / 2 + y / 2) % 2) ? 1.0f : 0.92f;
        Color c = Scale(Mix(Rgb(0x5a3d2b), Rgb(0x7b563c), N(u, v, 8, 3, 76u)), weave);
        const float stitch =
            (std::fabs(u - 0.5f) < 0.004f || std::fabs(v - 0.08f) < 0.004f) && (y % 8 < 5) ? 1.0f : 0.0f;
        return Mix(c, Rgb(0xd8c39a), stitch);
    });
    return img;
}

} // namespace

Image MaterialTexture(const std::string& kind)
{
    if (kind == "moss") {
        Image img = Noisy(256, Rgb(0x23401c), Rgb(0x6b8f3a), 8, 5, 2u, 1.3f);
        img.Shade([&](float u, float v, int x, int y) {
            const float d = N(u, v, 16, 3, 3u);
            return Mix(img.At(x, y), Rgb(0x4a3b26), Smooth(0.62f, 0.75f, d) * 0.6f);
        });
        return img;
    }
    if (kind == "boulder" || kind == "rock") {
        const bool dark = kind == "rock";
        Image img = Noisy(256, dark ? Rgb(0x4a4540) : Rgb(0x5f574c), dark ? Rgb(0x9a948a) : Rgb(0xa89a84), 8, 6,
                          dark ? 42u : 3u, 1.2f);
        img.Shade([&](float u, float v, int x, int y) {
            float second;
            const float d = Cellular2(u * 6, v * 6, dark ? 43u : 4u, 6, nullptr, &second);
            const float crack = 1.0f - Smooth(0.0f, 0.04f, second - d);
            return Mix(img.At(x, y), Rgb(0x2a2622), crack * 0.7f);
        });
        return img;
    }
    if (kind == "ground_dirt") return Cobbles(Rgb(0x7a6044), Rgb(0x4a3826), 24, 34u);
    if (kind == "dirt") return Noisy(256, Rgb(0x3b2a1a), Rgb(0x7a5a3a), 16, 5, 43u, 1.2f);
    if (kind == "planks") return Wood(Rgb(0x5a3a1e), Rgb(0xa8793f), 4, 4u);
    if (kind == "lumber") return Wood(Rgb(0x8a6a3e), Rgb(0xd6b07a), 2, 6u);
    if (kind == "wood") return Wood(Rgb(0x4a2e16), Rgb(0x8e5c2c), 1, 44u);
    if (kind == "column") {
        Image img = Marble(Rgb(0xd8d0c0), Rgb(0x8a8070), 5u);
        img.Shade([&](float u, float, int x, int y) {
            const float flute = 0.8f + 0.2f * std::fabs(std::sin(u * 12 * kPi));
            const Color& c = img.At(x, y);
            return Scale(c, flute);
        });
        return img;
    }
    if (kind == "crystal") {
        Image img(256, 256);
        img.Shade([&](float u, float v, int, int) {
            const float tri =
                std::fabs(std::fmod(u * 4 + v * 2, 1.0f) - 0.5f) + std::fabs(std::fmod(v * 4, 1.0f) - 0.5f);
            return Mix(Rgb(0x1a3a7a), Rgb(0x7ab8ff), Clamp(tri * 0.8f + 0.3f * N(u, v, 8, 3, 7u)));
        });
        return img;
    }
    if (kind == "rustplate") {
        Image img(256, 256);
        img.Shade([&](float u, float v, int, int) {
            uint32_t id;
            const float m = Courses(u, v, 2, 2, 0.015f, &id, 0.0f);
            const float rust = Smooth(0.45f, 0.7f, N(u, v, 8, 5, 8u));
            Color c = Mix(Rgb(0x5d6266), Rgb(0x8a4a22), rust);
            c = Scale(c, 0.85f + 0.3f * N(u, v, 32, 2, 81u));
            const float fx = std::fmod(u * 2, 1.0f), fy = std::fmod(v * 2, 1.0f);
            bool rivet = false;
            for (float rx : {0.06f, 0.94f})
                for (float ry : {0.06f, 0.5f, 0.94f}) rivet |= (fx - rx) * (fx - rx) + (fy - ry) * (fy - ry) < 0.0009f;
            if (rivet) c = Rgb(0xa0a4a8);
            return Mix(Rgb(0x2a2a2a), c, m);
        });
        return img;
    }
    if (kind == "tire") return Tire();
    if (kind == "brickwall") return Bricks(Rgb(0x8e3b26), Rgb(0xb5aa98), 8, 4, 12u, 0.4f);
    if (kind == "stonebrick") return Bricks(Rgb(0xa89a80), Rgb(0x5a5248), 6, 3, 69u, 0.3f);
    if (kind == "cobble") return Cobbles(Rgb(0x8a8478), Rgb(0x3a342c), 6, 13u);
    if (kind == "lava") {
        Image img(256, 256);
        img.Shade([&](float u, float v, int, int) {
            float second;
            const float d = Cellular2(u * 5, v * 5, 14u, 5, nullptr, &second);
            const float glow = 1.0f - Smooth(0.0f, 0.25f, second - d);
            const float heat = Clamp(glow + 0.5f * N(u, v, 8, 4, 15u) - 0.2f);
            return Mix(Mix(Rgb(0x2a0a04), Rgb(0xd02a00), Smooth(0.0f, 0.5f, heat)), Rgb(0xffd040),
                       Smooth(0.5f, 1.0f, heat));
        });
        return img;
    }
    if (kind == "steel") {
        Image img(256, 256);
        img.Shade([&](float u, float v, int, int) {
            const float brush = N(u * 0.1f, v, 128, 2, 60u);
            return Mix(Rgb(0x70767c), Rgb(0xc8ced4), Clamp(0.3f + 0.5f * brush + 0.2f * (1 - v)));
        });
        return img;
    }
    if (kind == "marble") return Marble(Rgb(0xece6dc), Rgb(0x7d7468), 61u);
    if (kind == "marble_eye") return Eye(Marble(Rgb(0xece6dc), Rgb(0x7d7468), 70u));
    if (kind == "gold") return Gold();
    if (kind == "mask") return Mask();
    if (kind == "rope") return Rope();
    if (kind == "leather") return Noisy(256, Rgb(0x4a2c18), Rgb(0x8a5a34), 32, 4, 75u, 1.1f);
    if (kind == "vest") return Vest();
    if (kind == "jeans") return Jeans();
    if (kind == "skin") return Noisy(128, Rgb(0xc08a68), Rgb(0xe0b08c), 8, 3, 79u, 0.5f);
    if (kind == "compass") return Compass();
    if (kind == "landscape") return Landscape();
    return Image(8, 8, Color(1, 0, 1, 1));
}

} // namespace gen
