// Text for the menu and HUD images, rasterised from the system's DejaVu fonts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Image.h"

namespace gen {

class Font
{
public:
    // Null when the file cannot be read or parsed.
    static std::unique_ptr<Font> Load(const std::string& path);
    float Width(const std::string& text, float pixelHeight) const;
    // Draws with the baseline at y; x is the left edge.
    void Draw(Image& img, const std::string& text, float x, float y, float pixelHeight, const Color& c) const;
    float Ascent(float pixelHeight) const;

private:
    std::vector<unsigned char> data_;
    std::shared_ptr<void> info_;
};

struct TextStyle
{
    float size = 24;
    Color fill = Color(1, 1, 1, 1);
    Color outline = Color(0, 0, 0, 0); // alpha 0: none
    float outlineWidth = 0;
    Color shadow = Color(0, 0, 0, 0);
    float shadowOffset = 0;
};

// Centred in the box (x0, y0)-(x1, y1), shrunk to fit its width when needed.
void DrawTextCentred(Image& img, const Font& font, const std::string& text, float x0, float y0, float x1, float y1,
                     TextStyle style);

// The fonts the generator uses; a missing font file is reported once and leaves text out.
const Font* BoldFont();
const Font* SerifFont();

} // namespace gen
