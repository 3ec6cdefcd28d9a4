// What a dialog draws with for one OnRender: the skin's regions as
// pre-transformed quads (or flat rectangles without a skin), flat triangles
// and clipped text through the bitmap font. The painter borrows the device's
// states for its lifetime and gives every one of them back when destroyed.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <vector>

class CD3DFont;

// The parts of the control skin, laid out in the skin texture as the tools'
// generator draws it.
enum class DXUTSkinPart {
    Button,
    ButtonHover,
    ComboFace,
    ComboList,
    ComboSelection,
    ComboButton,
    ScrollUp,
    ScrollTrack,
    ScrollDown,
    ScrollThumb,
    Count
};

struct DXUTSkinRegion
{
    RECT texels;   // in the 256 x 256 skin
    D3DCOLOR flat; // drawn instead when there is no skin
};
const DXUTSkinRegion& DXUTSkinRegionOf(DXUTSkinPart part);

enum class DXUTTextAlign { Left, Centre };

class DXUTDialogPainter
{
public:
    // origin: the dialog's top-left on the render target. skin and font may be null.
    DXUTDialogPainter(IDirect3DDevice9* device, IDirect3DTexture9* skin, UINT skinWidth, UINT skinHeight,
                      CD3DFont* font, int originX, int originY);
    ~DXUTDialogPainter();
    DXUTDialogPainter(const DXUTDialogPainter&) = delete;
    DXUTDialogPainter& operator=(const DXUTDialogPainter&) = delete;

    bool Skinned() const { return skin_ != nullptr; }
    // Rectangles in dialog pixels. tint modulates the skin (or the flat colour).
    void Sprite(DXUTSkinPart part, const RECT& rect, D3DCOLOR tint);
    void Triangle(float x0, float y0, float x1, float y1, float x2, float y2, D3DCOLOR colour);
    // One line, vertically centred in rect and cut off at its edges.
    void Text(const wchar_t* text, const RECT& rect, D3DCOLOR colour, DXUTTextAlign align);

private:
    struct Vertex
    {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    };
    void Add(const Vertex& v, bool textured);
    void Flush();
    void SaveStates();
    void ApplyStates();
    void RestoreStates();

    IDirect3DDevice9* device_;
    IDirect3DTexture9* skin_;
    float skinWidth_, skinHeight_;
    CD3DFont* font_;
    float originX_, originY_;
    std::vector<Vertex> batch_;
    bool batchTextured_ = false;

    // What the painter changes, as found.
    std::vector<DWORD> renderStates_;
    std::vector<DWORD> samplerStates_;
    IDirect3DBaseTexture9* texture_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    DWORD fvf_ = 0;
    RECT scissor_ = {0, 0, 0, 0};
    D3DVIEWPORT9 viewport_ = {};
};
