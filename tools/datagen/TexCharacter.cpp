// The character's skin: a face painted for a sphere mapping (the front at u = 0.5,
// the crown at v = 0) and the body atlas of male.bmp whose regions the character
// mesh maps its parts into.
#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "Textures.h"

namespace gen {
namespace {

const Color kSkin = Rgb(0xd6a07a);
const Color kHair = Rgb(0x3a2414);

void Paste(Image& dst, const Image& src, int x0, int y0)
{
    for (int y = 0; y < src.h && y0 + y < dst.h; ++y)
        for (int x = 0; x < src.w && x0 + x < dst.w; ++x) dst.At(x0 + x, y0 + y) = src.At(x, y);
}

Image Shirt(int w, int h)
{
    Image img(w, h);
    img.Shade([&](float u, float v, int x, int y) {
        const float weave = ((x + y) % 2) ? 1.0f : 0.94f;
        Color c = Mix(Rgb(0x2f5d8a), Rgb(0x3f78aa), Fbm2(u * 8, v * 8, 3, 300u, 8));
        c = Color(c.r * weave, c.g * weave, c.b * weave);
        // The front is u = 0.5: a placket with buttons and an open collar at the top.
        if (std::fabs(u - 0.5f) < 0.012f) c = Rgb(0x24486c);
        if (std::fabs(u - 0.5f) < 0.02f && std::fmod(v * 10, 1.0f) < 0.12f && v > 0.15f) c = Rgb(0xe8e8e0);
        if (v < 0.12f && std::fabs(u - 0.5f) < 0.1f - v * 0.6f) c = kSkin;
        return c;
    });
    return img;
}

} // namespace

Image FaceTexture(int w, int h)
{
    Image img(w, h);
    const float sx = w / 256.0f, sy = h / 256.0f;
    img.Shade([&](float u, float v, int, int) {
        Color c = Mix(kSkin, Rgb(0xc48a66), 0.5f * Fbm2(u * 16, v * 16, 3, 78u, 16));
        // Hair: the crown, and the back of the head down to the nape.
        const float back = std::fabs(u - 0.5f) * 2; // 0 front, 1 back
        const float hairline = 0.3f + 0.12f * std::max(0.0f, back - 0.35f) / 0.65f * 2.2f;
        const float edge = hairline + 0.015f * std::sin(u * 80);
        if (v < edge) c = Mix(kHair, Rgb(0x5a3a20), Fbm2(u * 32, v * 8, 2, 79u, 32));
        // Ears at the sides.
        for (float eu : {0.25f, 0.75f}) {
            const float d = ((u - eu) / 0.03f) * ((u - eu) / 0.03f) + ((v - 0.5f) / 0.06f) * ((v - 0.5f) / 0.06f);
            if (d < 1) c = Mix(c, Rgb(0xb87a58), 0.6f * (1 - d));
        }
        return c;
    });
    auto X = [&](float u) { return u * 256 * sx; };
    auto Y = [&](float v) { return v * 256 * sy; };
    for (int s = -1; s <= 1; s += 2) {
        const float eu = 0.5f + s * 0.055f;
        // Brow, eye white, iris, pupil and a catch light.
        FillRoundRect(img, X(eu - 0.035f), Y(0.395f), X(eu + 0.035f), Y(0.415f), 2 * sy, kHair, kHair);
        FillRoundRect(img, X(eu - 0.028f), Y(0.44f), X(eu + 0.028f), Y(0.49f), 5 * sy, Color(0.97f, 0.97f, 0.95f),
                      Color(0.9f, 0.9f, 0.88f));
        FillCircle(img, X(eu), Y(0.465f), 6.5f * sx, Rgb(0x4a6a3a));
        FillCircle(img, X(eu), Y(0.465f), 3.5f * sx, Rgb(0x101010));
        FillCircle(img, X(eu) - 1.5f * sx, Y(0.458f), 1.5f * sx, Color(1, 1, 1, 0.9f));
    }
    // Nose shadow and mouth.
    FillPolygon(img, {X(0.5f), Y(0.5f), X(0.515f), Y(0.575f), X(0.485f), Y(0.575f)}, Rgb(0xb07a58, 0.7f));
    FillRoundRect(img, X(0.47f), Y(0.625f), X(0.53f), Y(0.64f), 3 * sy, Rgb(0x9a4a40), Rgb(0x7a3430));
    FillRoundRect(img, X(0.475f), Y(0.64f), X(0.525f), Y(0.648f), 2 * sy, Rgb(0xc07a68), Rgb(0xc07a68));
    return img;
}

Image CharacterAtlas()
{
    // Regions (pixels of 256): face 0-128 x 0-128, shirt 128-256 x 0-128, jeans 0-128 x
    // 128-256, skin 128-192 x 128-192, shoes 192-256 x 128-192, belt 128-256 x 192-256.
    Image atlas(256, 256, Color(0, 0, 0, 1));
    Paste(atlas, FaceTexture(128, 128), 0, 0);
    Paste(atlas, Shirt(128, 128), 128, 0);
    Paste(atlas, MaterialTexture("jeans"), 0, 128); // 256 wide: the paste clips below
    for (int y = 128; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float u = x / 256.0f, v = y / 256.0f;
            const float n = Fbm2(u * 32, v * 32, 3, 500u, 32);
            if (x >= 128 && y < 192 && x < 192)
                atlas.At(x, y) = Mix(kSkin, Rgb(0xc48a66), 0.4f * n);
            else if (x >= 192 && y < 192)
                atlas.At(x, y) = Mix(Rgb(0x2a1a10), Rgb(0x4a3020), n);
            else if (x >= 128 && y >= 192) {
                Color c = Mix(Rgb(0x3a2414), Rgb(0x5a3a22), n);
                if (std::fabs(u - 0.75f) < 0.03f && std::fabs(v - 0.875f) < 0.06f) c = Rgb(0xc8b070); // buckle
                atlas.At(x, y) = c;
            }
        }
    for (Color& c : atlas.px) c.a = 1;
    return atlas;
}

} // namespace gen
