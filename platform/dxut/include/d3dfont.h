// The framework's bitmap-font text: a font face rasterised once into a texture
// atlas, drawn as pre-transformed textured quads. Faces map to DejaVu fonts
// (serif names to DejaVu Serif, fixed-pitch names to DejaVu Sans Mono, others
// to DejaVu Sans).
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <vector>

// Constructor flags.
#define D3DFONT_BOLD 0x0001u
#define D3DFONT_ITALIC 0x0002u
#define D3DFONT_ZENABLE 0x0004u

// DrawText flags.
#define D3DFONT_CENTERED_X 0x0001u
#define D3DFONT_CENTERED_Y 0x0002u
#define D3DFONT_TWOSIDED 0x0004u
#define D3DFONT_FILTERED 0x0008u

class CD3DFont
{
public:
    // height in points (at 96 dots per inch).
    CD3DFont(const wchar_t* face, DWORD height, DWORD flags = 0);
    ~CD3DFont();

    HRESULT InitDeviceObjects(IDirect3DDevice9* device);
    HRESULT RestoreDeviceObjects();
    HRESULT InvalidateDeviceObjects();
    HRESULT DeleteDeviceObjects();

    // x, y: top-left of the text in pixels; colour is ARGB. '\n' starts a new line.
    HRESULT DrawText(float x, float y, DWORD colour, const wchar_t* text, DWORD flags = 0);
    HRESULT GetTextExtent(const wchar_t* text, SIZE* size) const;

    CD3DFont(const CD3DFont&) = delete;
    CD3DFont& operator=(const CD3DFont&) = delete;

private:
    struct Glyph
    {
        float u0, v0, u1, v1; // atlas coordinates
        float x0, y0, x1, y1; // offsets from the pen at the baseline, in pixels
        float advance;
    };
    struct Vertex
    {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    };

    bool Rasterise(std::vector<uint8_t>& alpha);
    const Glyph* Find(wchar_t c) const;

    std::vector<wchar_t> face_;
    DWORD height_;
    DWORD flags_;
    float pixelHeight_;
    float ascent_ = 0.f;
    float lineHeight_ = 0.f;
    UINT atlasSize_ = 0;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DTexture9* texture_ = nullptr;
    std::vector<Glyph> glyphs_; // code points kFirst..kLast
    std::vector<Vertex> vertices_;
};
