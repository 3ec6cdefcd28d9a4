// Menu, HUD and replay images: buttons with legible text, title, splash screens,
// mouse pointer, credits page and the framework dialog's skin.
#include <cmath>

#include "Noise.h"
#include "Text.h"
#include "Textures.h"

namespace gen {
namespace {

const Color kGold = Rgb(0xe8c060);
const Color kInk = Rgb(0x101820);

void Text(Image& img, const std::string& text, float x0, float y0, float x1, float y1, float size,
          const Color& fill = Color(1, 1, 1), const Font* font = nullptr)
{
    if (!font) font = BoldFont();
    if (!font) return;
    TextStyle s;
    s.size = size;
    s.fill = fill;
    s.outline = Color(0, 0, 0, 0.85f);
    s.outlineWidth = std::max(1.0f, size * 0.06f);
    s.shadow = Color(0, 0, 0, 0.5f);
    s.shadowOffset = std::max(1.0f, size * 0.06f);
    DrawTextCentred(img, *font, text, x0, y0, x1, y1, s);
}

// Width and height are twice the on-screen size so the text stays crisp.
Image Button(int w, int h, const std::string& label)
{
    Image img(w, h);
    const float r = h * 0.3f;
    FillRoundRect(img, 1, 1, w - 1.0f, h - 1.0f, r, Rgb(0x33506e, 0.92f), Rgb(0x0e1a28, 0.92f));
    FillRoundRect(img, 4, 4, w - 4.0f, h * 0.5f, r * 0.7f, Color(1, 1, 1, 0.10f), Color(1, 1, 1, 0.02f));
    StrokeRoundRect(img, 1.5f, 1.5f, w - 1.5f, h - 1.5f, r, 2.5f, kGold);
    Text(img, label, 0, 0, static_cast<float>(w), static_cast<float>(h), h * 0.55f);
    return img;
}

Image Label(int w, int h, const std::string& text)
{
    Image img(w, h);
    Text(img, text, 0, 0, static_cast<float>(w), static_cast<float>(h), h * 0.7f);
    return img;
}

Image Title(int w, int h, const std::string& text)
{
    Image img(w, h);
    const Font* font = SerifFont();
    if (!font) return img;
    TextStyle s;
    s.size = h * 0.85f;
    s.fill = kGold;
    s.outline = Rgb(0x2a1a08);
    s.outlineWidth = h * 0.05f;
    s.shadow = Color(0, 0, 0, 0.6f);
    s.shadowOffset = h * 0.06f;
    DrawTextCentred(img, *font, text, 0, 0, static_cast<float>(w), static_cast<float>(h), s);
    return img;
}

Image Pointer(bool hover)
{
    Image img(64, 64);
    // The hot spot is the image's top-left corner: the arrow's tip sits there.
    const std::vector<float> arrow = {2, 2, 2, 46, 13, 36, 21, 56, 29, 52, 21, 33, 36, 33};
    if (hover) FillCircle(img, 10, 10, 10, Color(1.0f, 0.85f, 0.3f, 0.55f));
    FillPolygon(img, arrow, Color(0, 0, 0, 1));
    std::vector<float> inner = {5, 9, 5, 39, 13.5f, 31, 21.5f, 50, 25, 48.5f, 17.5f, 30, 29, 30};
    FillPolygon(img, inner, hover ? kGold : Color(1, 1, 1, 1));
    return img;
}

Image Icon(const std::string& kind)
{
    Image img(64, 64);
    FillCircle(img, 32, 32, 30, Rgb(0x1a2a3a, 0.9f));
    FillCircle(img, 32, 32, 28, Rgb(0x2c4660, 0.9f));
    const Color c(1, 1, 1, 1);
    if (kind == "icon_play") FillPolygon(img, {24, 17, 24, 47, 48, 32}, c);
    if (kind == "icon_pause") {
        FillRoundRect(img, 20, 18, 28, 46, 2, c, c);
        FillRoundRect(img, 36, 18, 44, 46, 2, c, c);
    }
    if (kind == "icon_forward") {
        FillPolygon(img, {14, 20, 14, 44, 32, 32}, c);
        FillPolygon(img, {32, 20, 32, 44, 50, 32}, c);
    }
    if (kind == "icon_backward") {
        FillPolygon(img, {50, 20, 50, 44, 32, 32}, c);
        FillPolygon(img, {32, 20, 32, 44, 14, 32}, c);
    }
    if (kind == "icon_camera") {
        FillRoundRect(img, 14, 22, 50, 46, 4, c, c);
        FillRoundRect(img, 24, 17, 36, 23, 2, c, c);
        FillCircle(img, 32, 34, 8, Rgb(0x2c4660));
        FillCircle(img, 32, 34, 5, c);
    }
    if (kind == "icon_slowmo") {
        FillPolygon(img, {22, 17, 22, 41, 40, 29}, c);
        Text(img, "1/2", 10, 40, 54, 58, 16, kGold);
    }
    if (kind == "icon_close") {
        FillPolygon(img, {18, 22, 22, 18, 46, 42, 42, 46}, c);
        FillPolygon(img, {42, 18, 46, 22, 22, 46, 18, 42}, c);
    }
    return img;
}

Image Panel(int w, int h)
{
    Image img(w, h);
    FillRoundRect(img, 1, 1, w - 1.0f, h - 1.0f, 14, Rgb(0x0c1620, 0.78f), Rgb(0x05090e, 0.78f));
    StrokeRoundRect(img, 2, 2, w - 2.0f, h - 2.0f, 14, 2, Color(kGold.r, kGold.g, kGold.b, 0.8f));
    return img;
}

Image CheckBox(bool checked)
{
    Image img(48, 40);
    FillRoundRect(img, 6, 2, 42, 38, 6, Rgb(0x33506e), Rgb(0x0e1a28));
    StrokeRoundRect(img, 6, 2, 42, 38, 6, 2.5f, kGold);
    if (checked) FillPolygon(img, {12, 20, 18, 14, 23, 22, 35, 6, 41, 11, 23, 33}, Color(1, 1, 1, 1));
    return img;
}

Image Emblem()
{
    Image img(256, 256);
    img.Shade([&](float u, float v, int, int) {
        const float n = Fbm2(u * 8, v * 8, 4, 101u, 8);
        return Mix(Rgb(0x2a2e36), Rgb(0x4a505c), n);
    });
    StrokeRoundRect(img, 6, 6, 250, 250, 10, 6, Rgb(0x8a7040));
    FillPolygon(img, {128, 28, 220, 128, 128, 228, 36, 128}, Rgb(0x1a3a5a));
    FillPolygon(img, {128, 44, 204, 128, 128, 212, 52, 128}, Rgb(0x2c5f8a));
    FillCircle(img, 128, 128, 52, kGold);
    FillCircle(img, 128, 128, 44, Rgb(0x2c5f8a));
    if (SerifFont()) {
        TextStyle s;
        s.size = 76;
        s.fill = kGold;
        s.outline = Rgb(0x2a1a08);
        s.outlineWidth = 3;
        DrawTextCentred(img, *SerifFont(), "Q", 88, 84, 168, 172, s);
    }
    return img;
}

Image Studio()
{
    Image img(640, 200);
    FillRoundRect(img, 0, 0, 640, 200, 24, Rgb(0x10161e), Rgb(0x1c2836));
    StrokeRoundRect(img, 3, 3, 637, 197, 22, 4, kGold);
    FillPolygon(img, {60, 150, 100, 50, 140, 150}, kGold);
    FillPolygon(img, {84, 150, 100, 110, 116, 150}, Rgb(0x10161e));
    Text(img, "TARNWIC", 160, 30, 620, 130, 92, kGold, SerifFont());
    Text(img, "presents", 160, 130, 620, 180, 36, Color(0.85f, 0.88f, 0.92f));
    return img;
}

Image Exit()
{
    Image img(256, 128);
    FillRoundRect(img, 2, 2, 254, 126, 16, Rgb(0x1f8a3a), Rgb(0x0f5a22));
    StrokeRoundRect(img, 6, 6, 250, 122, 12, 5, Color(1, 1, 1));
    Text(img, "EXIT", 20, 14, 180, 114, 76);
    FillPolygon(img, {186, 44, 214, 64, 186, 84, 186, 72, 166, 72, 166, 56, 186, 56}, Color(1, 1, 1));
    return img;
}

Image Credits()
{
    Image img(1024, 768, Color(0, 0, 0, 0));
    struct Line
    {
        const char* text;
        float size;
        bool heading;
    };
    const Line lines[] = {
        {"QUORVALITH", 72, true},
        {"", 20, false},
        {"Made by the Tarnwic team", 30, false},
        {"", 24, false},
        {"Game design", 26, true},
        {"The stage builders", 30, false},
        {"Physics and ragdoll", 26, true},
        {"The simulation crew", 30, false},
        {"Rendering and effects", 26, true},
        {"The lighting crew", 30, false},
        {"Art, meshes and sound", 26, true},
        {"Generated by our own tools", 30, false},
        {"Testing", 26, true},
        {"Everyone who fell into the canyon", 30, false},
        {"", 24, false},
        {"Thanks for playing!", 34, true},
    };
    // A dark veil behind the column keeps the text legible over a bright scene.
    FillRoundRect(img, 150, 16, 874, 752, 28, Color(0.02f, 0.03f, 0.06f, 0.6f), Color(0.02f, 0.03f, 0.06f, 0.6f));
    float y = 40;
    for (const Line& l : lines) {
        const float h = l.size * 1.45f;
        if (l.text[0])
            Text(img, l.text, 40, y, 984, y + h, l.size, l.heading ? kGold : Color(0.92f, 0.94f, 0.98f),
                 l.size > 60 ? SerifFont() : nullptr);
        y += h;
    }
    return img;
}

Image MouseHint()
{
    Image img(360, 92);
    FillRoundRect(img, 1, 1, 359, 91, 14, Rgb(0x0c1620, 0.7f), Rgb(0x05090e, 0.7f));
    // A small mouse with its left button lit.
    FillRoundRect(img, 16, 14, 56, 78, 18, Color(0.9f, 0.9f, 0.9f), Color(0.7f, 0.7f, 0.7f));
    FillRoundRect(img, 18, 16, 35, 42, 8, kGold, kGold);
    Text(img, "Hold left mouse button", 64, 10, 352, 48, 26);
    Text(img, "to turn the camera", 64, 46, 352, 84, 26);
    return img;
}

} // namespace

Image InterfaceTexture(const std::string& kind)
{
    if (kind == "newgame") return Button(244, 60, "New Game");
    if (kind == "quit") return Button(120, 60, "Quit");
    if (kind == "options") return Button(208, 60, "Options");
    if (kind == "credits_button") return Button(208, 60, "Credits");
    if (kind == "resume") return Button(244, 60, "Resume");
    if (kind == "back") return Button(92, 40, "Back");
    if (kind == "yes") return Button(80, 50, "Yes");
    if (kind == "no") return Button(80, 50, "No");
    if (kind == "invertx") return Label(152, 40, "Invert X");
    if (kind == "inverty") return Label(152, 40, "Invert Y");
    if (kind == "try_again") return Label(340, 80, "Try again?");
    if (kind == "replay_controls") return Label(400, 60, "Replay controls");
    if (kind == "replay_base") return Panel(420, 180);
    if (kind == "box") return CheckBox(false);
    if (kind == "box_checked") return CheckBox(true);
    if (kind == "title") return Title(1040, 112, "QUORVALITH");
    if (kind == "titlesmall") return Title(256, 64, "Quorvalith");
    if (kind == "bar") return Image(8, 8, Color(0, 0, 0, 1));
    if (kind == "pointer") return Pointer(false);
    if (kind == "pointer_hover") return Pointer(true);
    if (kind.compare(0, 5, "icon_") == 0) return Icon(kind);
    if (kind == "emblem") return Emblem();
    if (kind == "studio") return Studio();
    if (kind == "exit") return Exit();
    if (kind == "credits") return Credits();
    if (kind == "lmbrc") return MouseHint();
    return Image(8, 8, Color(1, 0, 1, 1));
}

Image DialogSkin()
{
    // Regions (x0, y0, x1, y1): button (0, 0, 136, 54) and its hover layer (136, 0, 252, 54);
    // check box (0, 54, 27, 81) and its tick (27, 54, 54, 81); radio (54, 54, 81, 81) and
    // its dot (81, 54, 108, 81); combo box face (7, 81, 247, 123); drop-down list
    // (13, 123, 241, 160); selection (12, 163, 239, 183); combo button (98, 189, 151, 238);
    // slider track (1, 187, 93, 228) and knob (151, 193, 192, 234); scroll bar parts in
    // (196, 192, 238, 244).
    Image img(256, 256);
    auto box = [&](float x0, float y0, float x1, float y1, const Color& a, const Color& b, float r) {
        FillRoundRect(img, x0 + 1, y0 + 1, x1 - 1, y1 - 1, r, a, b);
        StrokeRoundRect(img, x0 + 1.5f, y0 + 1.5f, x1 - 1.5f, y1 - 1.5f, r, 1.5f, Color(0.9f, 0.9f, 0.95f, 0.9f));
    };
    box(0, 0, 136, 54, Rgb(0x6a7a8a), Rgb(0x3a4654), 10);
    box(136, 0, 252, 54, Rgb(0xa0b0c0), Rgb(0x6a7a8a), 10);
    box(0, 54, 27, 81, Rgb(0x4a5664), Rgb(0x2a3440), 3);
    FillPolygon(img, {31, 67, 35, 63, 39, 70, 49, 58, 52, 62, 39, 76}, Color(1, 1, 1));
    FillCircle(img, 67.5f, 67.5f, 12, Rgb(0x4a5664));
    FillCircle(img, 94.5f, 67.5f, 6, Color(1, 1, 1));
    box(7, 81, 247, 123, Rgb(0x5a6a7a), Rgb(0x34404c), 6);
    box(13, 123, 241, 160, Rgb(0x2a3440), Rgb(0x222a34), 2);
    FillRoundRect(img, 12, 163, 239, 183, 3, Rgb(0x3a70b0), Rgb(0x2a5a90));
    box(98, 189, 151, 238, Rgb(0x6a7a8a), Rgb(0x3a4654), 6);
    FillPolygon(img, {112, 205, 138, 205, 125, 222}, Color(1, 1, 1));
    box(1, 187, 93, 228, Rgb(0x2a3440), Rgb(0x3a4654), 8);
    FillCircle(img, 171.5f, 213.5f, 18, Rgb(0xa0b0c0));
    box(196, 192, 238, 244, Rgb(0x4a5664), Rgb(0x2a3440), 4);
    return img;
}

} // namespace gen
