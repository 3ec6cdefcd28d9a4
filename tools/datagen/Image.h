// RGBA images in floating point for the texture generators, with the few drawing
// operations the textures need and writers for PNG, BMP, JPEG and uncompressed DDS.
#pragma once

#include <string>
#include <vector>

namespace gen {

struct Color
{
    float r = 0, g = 0, b = 0, a = 1;
    Color() = default;
    Color(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}
};

Color Mix(const Color& a, const Color& b, float t);
Color Rgb(int hex, float alpha = 1.0f); // 0xRRGGBB

struct Image
{
    int w = 0, h = 0;
    std::vector<Color> px;

    Image() = default;
    Image(int width, int height, const Color& fill = Color(0, 0, 0, 0))
        : w(width), h(height), px(static_cast<size_t>(width) * height, fill)
    {}
    Color& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
    const Color& At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    // Every pixel from a function of its centre in [0, 1) texture coordinates.
    template <class F>
    void Shade(F f)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = f((x + 0.5f) / w, (y + 0.5f) / h, x, y);
    }
    void Blend(int x, int y, const Color& c, float coverage = 1.0f); // source over
};

// Shapes drawn with anti-aliased edges (coverage from a signed distance).
void FillRoundRect(Image& img, float x0, float y0, float x1, float y1, float radius, const Color& top,
                   const Color& bottom);
void StrokeRoundRect(Image& img, float x0, float y0, float x1, float y1, float radius, float width, const Color& c);
void FillCircle(Image& img, float cx, float cy, float r, const Color& c);
void FillPolygon(Image& img, const std::vector<float>& xy, const Color& c); // x0,y0,x1,y1,...
void BoxBlur(Image& img, int radius);

bool WritePng(const std::string& path, const Image& img);
bool WriteBmp(const std::string& path, const Image& img); // 24-bit, uncompressed
bool WriteJpg(const std::string& path, const Image& img); // baseline
// Uncompressed A8R8G8B8 DDS; a volume when slices holds more than one image.
bool WriteDds(const std::string& path, const std::vector<Image>& slices);

} // namespace gen
