#include "Text.h"

#include <cmath>
#include <cstdio>

#include <stb_truetype.h>

#include "Math.h"

namespace gen {

std::unique_ptr<Font> Font::Load(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    std::unique_ptr<Font> font(new Font());
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) font->data_.insert(font->data_.end(), buf, buf + n);
    fclose(f);
    auto info = std::make_shared<stbtt_fontinfo>();
    if (font->data_.empty() || !stbtt_InitFont(info.get(), font->data_.data(), 0)) return nullptr;
    font->info_ = info;
    return font;
}

float Font::Ascent(float px) const
{
    const auto* info = static_cast<const stbtt_fontinfo*>(info_.get());
    int ascent, descent, gap;
    stbtt_GetFontVMetrics(info, &ascent, &descent, &gap);
    return ascent * stbtt_ScaleForPixelHeight(info, px);
}

float Font::Width(const std::string& text, float px) const
{
    const auto* info = static_cast<const stbtt_fontinfo*>(info_.get());
    const float scale = stbtt_ScaleForPixelHeight(info, px);
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, static_cast<unsigned char>(text[i]), &advance, &lsb);
        w += advance * scale;
        if (i + 1 < text.size())
            w += scale * stbtt_GetCodepointKernAdvance(info, static_cast<unsigned char>(text[i]),
                                                       static_cast<unsigned char>(text[i + 1]));
    }
    return w;
}

void Font::Draw(Image& img, const std::string& text, float x, float y, float px, const Color& c) const
{
    const auto* info = static_cast<const stbtt_fontinfo*>(info_.get());
    const float scale = stbtt_ScaleForPixelHeight(info, px);
    for (size_t i = 0; i < text.size(); ++i) {
        const int cp = static_cast<unsigned char>(text[i]);
        const float fx = x - std::floor(x), fy = y - std::floor(y);
        int w = 0, h = 0, xoff = 0, yoff = 0;
        unsigned char* bmp = stbtt_GetCodepointBitmapSubpixel(info, scale, scale, fx, fy, cp, &w, &h, &xoff, &yoff);
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx)
                img.Blend(int(std::floor(x)) + xoff + xx, int(std::floor(y)) + yoff + yy, c, bmp[yy * w + xx] / 255.0f);
        stbtt_FreeBitmap(bmp, nullptr);
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, cp, &advance, &lsb);
        x += advance * scale;
        if (i + 1 < text.size())
            x += scale * stbtt_GetCodepointKernAdvance(info, cp, static_cast<unsigned char>(text[i + 1]));
    }
}

void DrawTextCentred(Image& img, const Font& font, const std::string& text, float x0, float y0, float x1, float y1,
                     TextStyle s)
{
    const float maxW = (x1 - x0) - 2 * s.outlineWidth;
    float size = s.size;
    if (font.Width(text, size) > maxW) size *= maxW / font.Width(text, size);
    const float w = font.Width(text, size);
    // Centre the capital height (about 0.73 of the size for these fonts) in the box.
    const float cap = 0.73f * size;
    const float x = 0.5f * (x0 + x1 - w);
    const float y = 0.5f * (y0 + y1 + cap);
    if (s.shadow.a > 0) font.Draw(img, text, x + s.shadowOffset, y + s.shadowOffset, size, s.shadow);
    if (s.outline.a > 0 && s.outlineWidth > 0) {
        const int steps = 16;
        for (int k = 0; k < steps; ++k) {
            const float a = 2 * kPi * k / steps;
            font.Draw(img, text, x + s.outlineWidth * std::cos(a), y + s.outlineWidth * std::sin(a), size, s.outline);
        }
    }
    font.Draw(img, text, x, y, size, s.fill);
}

namespace {
const Font* LoadOnce(const char* path)
{
    const Font* font = Font::Load(path).release();
    if (!font) fprintf(stderr, "Could not load font %s; images are written without text\n", path);
    return font;
}
} // namespace

const Font* BoldFont()
{
    static const Font* font = LoadOnce("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    return font;
}

const Font* SerifFont()
{
    static const Font* font = LoadOnce("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf");
    return font;
}

} // namespace gen
