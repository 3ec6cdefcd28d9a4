#include "Image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FileUtil.h"

#include <stb_image_write.h>

namespace gen {

Color Mix(const Color& a, const Color& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color Rgb(int hex, float alpha)
{
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}

void Image::Blend(int x, int y, const Color& c, float coverage)
{
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    const float sa = std::min(1.0f, std::max(0.0f, c.a * coverage));
    if (sa <= 0) return;
    Color& d = At(x, y);
    const float oa = sa + d.a * (1 - sa);
    if (oa <= 0) return;
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
    d.a = oa;
}

namespace {

float RoundRectDistance(float px, float py, float x0, float y0, float x1, float y1, float r)
{
    const float cx = 0.5f * (x0 + x1), cy = 0.5f * (y0 + y1);
    const float hx = 0.5f * (x1 - x0) - r, hy = 0.5f * (y1 - y0) - r;
    const float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

float Coverage(float distance)
{
    return std::min(1.0f, std::max(0.0f, 0.5f - distance));
}

uint8_t ToByte(float v)
{
    return static_cast<uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f));
}

std::vector<uint8_t> Pack(const Image& img, int channels)
{
    std::vector<uint8_t> out(static_cast<size_t>(img.w) * img.h * channels);
    for (size_t i = 0; i < img.px.size(); ++i) {
        const Color& c = img.px[i];
        out[i * channels + 0] = ToByte(c.r);
        out[i * channels + 1] = ToByte(c.g);
        out[i * channels + 2] = ToByte(c.b);
        if (channels == 4) out[i * channels + 3] = ToByte(c.a);
    }
    return out;
}

void Append(std::vector<uint8_t>* out, void* context, void* data, int size)
{
    (void)context;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

void Sink(void* context, void* data, int size)
{
    Append(static_cast<std::vector<uint8_t>*>(context), nullptr, data, size);
}

} // namespace

void FillRoundRect(Image& img, float x0, float y0, float x1, float y1, float r, const Color& top, const Color& bottom)
{
    for (int y = std::max(0, int(y0) - 1); y < std::min(img.h, int(y1) + 2); ++y)
        for (int x = std::max(0, int(x0) - 1); x < std::min(img.w, int(x1) + 2); ++x) {
            const float d = RoundRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, r);
            const float t = std::min(1.0f, std::max(0.0f, (y + 0.5f - y0) / std::max(1.0f, y1 - y0)));
            img.Blend(x, y, Mix(top, bottom, t), Coverage(d));
        }
}

void StrokeRoundRect(Image& img, float x0, float y0, float x1, float y1, float r, float width, const Color& c)
{
    for (int y = std::max(0, int(y0) - 2); y < std::min(img.h, int(y1) + 3); ++y)
        for (int x = std::max(0, int(x0) - 2); x < std::min(img.w, int(x1) + 3); ++x) {
            const float d = std::fabs(RoundRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, r)) - 0.5f * width;
            img.Blend(x, y, c, Coverage(d));
        }
}

void FillCircle(Image& img, float cx, float cy, float r, const Color& c)
{
    for (int y = std::max(0, int(cy - r) - 1); y < std::min(img.h, int(cy + r) + 2); ++y)
        for (int x = std::max(0, int(cx - r) - 1); x < std::min(img.w, int(cx + r) + 2); ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r;
            img.Blend(x, y, c, Coverage(d));
        }
}

void FillPolygon(Image& img, const std::vector<float>& xy, const Color& c)
{
    // 4x4 supersampled even-odd fill: small shapes (icons, pointer) only.
    const size_t n = xy.size() / 2;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    for (int y = std::max(0, int(minY)); y < std::min(img.h, int(maxY) + 1); ++y)
        for (int x = std::max(0, int(minX)); x < std::min(img.w, int(maxX) + 1); ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
                    bool in = false;
                    for (size_t i = 0, j = n - 1; i < n; j = i++) {
                        const float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
                    }
                    inside += in;
                }
            img.Blend(x, y, c, inside / 16.0f);
        }
}

void BoxBlur(Image& img, int radius)
{
    Image tmp = img;
    for (int pass = 0; pass < 2; ++pass) {
        const Image& src = pass == 0 ? img : tmp;
        Image& dst = pass == 0 ? tmp : img;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) {
                Color s(0, 0, 0, 0);
                int count = 0;
                for (int k = -radius; k <= radius; ++k) {
                    const int xx = pass == 0 ? (x + k + img.w) % img.w : x;
                    const int yy = pass == 0 ? y : (y + k + img.h) % img.h;
                    const Color& c = src.At(xx, yy);
                    s.r += c.r;
                    s.g += c.g;
                    s.b += c.b;
                    s.a += c.a;
                    ++count;
                }
                dst.At(x, y) = {s.r / count, s.g / count, s.b / count, s.a / count};
            }
    }
}

bool WritePng(const std::string& path, const Image& img)
{
    const std::vector<uint8_t> data = Pack(img, 4);
    std::vector<uint8_t> out;
    if (!stbi_write_png_to_func(Sink, &out, img.w, img.h, 4, data.data(), img.w * 4)) return false;
    return WriteFileAtomic(path, out.data(), out.size());
}

bool WriteBmp(const std::string& path, const Image& img)
{
    const std::vector<uint8_t> data = Pack(img, 3);
    std::vector<uint8_t> out;
    if (!stbi_write_bmp_to_func(Sink, &out, img.w, img.h, 3, data.data())) return false;
    return WriteFileAtomic(path, out.data(), out.size());
}

bool WriteJpg(const std::string& path, const Image& img)
{
    const std::vector<uint8_t> data = Pack(img, 3);
    std::vector<uint8_t> out;
    if (!stbi_write_jpg_to_func(Sink, &out, img.w, img.h, 3, data.data(), 90)) return false;
    return WriteFileAtomic(path, out.data(), out.size());
}

bool WriteDds(const std::string& path, const std::vector<Image>& slices)
{
    if (slices.empty()) return false;
    const int w = slices[0].w, h = slices[0].h, depth = static_cast<int>(slices.size());
    const bool volume = depth > 1;
    uint32_t header[32] = {};
    header[0] = 0x20534444u; // "DDS "
    header[1] = 124;
    header[2] = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | (volume ? 0x800000u : 0u); // caps, height, width, pitch, format, depth
    header[3] = static_cast<uint32_t>(h);
    header[4] = static_cast<uint32_t>(w);
    header[5] = static_cast<uint32_t>(w * 4);
    header[6] = volume ? static_cast<uint32_t>(depth) : 0;
    header[7] = 0;     // no mip levels stored
    header[19] = 32;   // pixel format size
    header[20] = 0x41; // RGB with alpha
    header[21] = 0;
    header[22] = 32;
    header[23] = 0x00ff0000u;
    header[24] = 0x0000ff00u;
    header[25] = 0x000000ffu;
    header[26] = 0xff000000u;
    header[27] = 0x1000 | (volume ? 0x8u : 0u); // texture, complex
    header[28] = volume ? 0x200000u : 0u;       // volume
    std::vector<uint8_t> out(sizeof header);
    std::memcpy(out.data(), header, sizeof header);
    for (const Image& s : slices)
        for (const Color& c : s.px) { // little-endian A8R8G8B8: B, G, R, A in memory
            out.push_back(ToByte(c.b));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.r));
            out.push_back(ToByte(c.a));
        }
    return WriteFileAtomic(path, out.data(), out.size());
}

} // namespace gen
