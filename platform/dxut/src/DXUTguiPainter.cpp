// The dialog's drawing: skin quads batched into one draw per run of textured
// or flat geometry, text clipped with the scissor test, and the device's
// states saved before and put back after.
#include "DXUTguiPainter.h"

#include "d3dfont.h"

#include <algorithm>

namespace {

// Regions of the skin (pixels of the 256 x 256 texture); the scroll bar's four
// parts share one corner of it. The flat colours stand in when there is no skin.
const DXUTSkinRegion kSkin[] = {
    {{0, 0, 136, 54}, 0xFF4A5A6Cu},      // button
    {{136, 0, 252, 54}, 0xFF8FA3B8u},    // button hover layer
    {{7, 81, 247, 123}, 0xFF445566u},    // combo box face
    {{13, 123, 241, 160}, 0xF0222A34u},  // drop-down list
    {{12, 163, 239, 183}, 0xFF2F6AA8u},  // selected item
    {{98, 189, 151, 238}, 0xFF5D7084u},  // combo button (drop-down arrow)
    {{196, 192, 218, 212}, 0xFF5D7084u}, // scroll up
    {{196, 212, 218, 223}, 0xFF2A3440u}, // scroll track
    {{196, 223, 218, 244}, 0xFF5D7084u}, // scroll down
    {{220, 192, 238, 234}, 0xFF8FA3B8u}, // scroll thumb
};
static_assert(sizeof(kSkin) / sizeof(kSkin[0]) == size_t(DXUTSkinPart::Count), "one region per skin part");

// Render states the painter sets; every one is saved first.
const D3DRENDERSTATETYPE kRenderStates[] = {
    D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_BLENDOP,
    D3DRS_SEPARATEALPHABLENDENABLE,
    D3DRS_ZENABLE,
    D3DRS_ZWRITEENABLE,
    D3DRS_CULLMODE,
    D3DRS_FILLMODE,
    D3DRS_ALPHATESTENABLE,
    D3DRS_STENCILENABLE,
    D3DRS_COLORWRITEENABLE,
    D3DRS_SCISSORTESTENABLE,
};
const D3DSAMPLERSTATETYPE kSamplerStates[] = {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MIPFILTER, D3DSAMP_ADDRESSU,
                                              D3DSAMP_ADDRESSV};

constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

D3DCOLOR Modulate(D3DCOLOR a, D3DCOLOR b)
{
    D3DCOLOR out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const DWORD x = (a >> shift) & 0xFFu, y = (b >> shift) & 0xFFu;
        out |= ((x * y + 127u) / 255u) << shift;
    }
    return out;
}

} // namespace

const DXUTSkinRegion& DXUTSkinRegionOf(DXUTSkinPart part)
{
    return kSkin[std::min(size_t(part), size_t(DXUTSkinPart::Count) - 1)];
}

DXUTDialogPainter::DXUTDialogPainter(IDirect3DDevice9* device, IDirect3DTexture9* skin, UINT skinWidth, UINT skinHeight,
                                     CD3DFont* font, int originX, int originY)
    : device_(device), skin_(skinWidth && skinHeight ? skin : nullptr), skinWidth_(float(skinWidth)),
      skinHeight_(float(skinHeight)), font_(font), originX_(float(originX)), originY_(float(originY))
{
    SaveStates();
    ApplyStates();
}

DXUTDialogPainter::~DXUTDialogPainter()
{
    Flush();
    RestoreStates();
}

void DXUTDialogPainter::SaveStates()
{
    renderStates_.clear();
    for (D3DRENDERSTATETYPE state : kRenderStates) {
        DWORD value = 0;
        device_->GetRenderState(state, &value);
        renderStates_.push_back(value);
    }
    samplerStates_.clear();
    for (D3DSAMPLERSTATETYPE state : kSamplerStates) {
        DWORD value = 0;
        device_->GetSamplerState(0, state, &value);
        samplerStates_.push_back(value);
    }
    device_->GetTexture(0, &texture_);
    device_->GetFVF(&fvf_);
    device_->GetVertexDeclaration(&declaration_);
    device_->GetScissorRect(&scissor_);
    device_->GetViewport(&viewport_);
}

void DXUTDialogPainter::ApplyStates()
{
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device_->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device_->SetRenderState(D3DRS_COLORWRITEENABLE, 0xFu);
    device_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    // The skin is stretched onto the controls: filter it, and keep each
    // region's edge from reaching into its neighbours.
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    // The dialog is laid out in pixels of the whole target, whatever part of it
    // the frame drew into last.
    IDirect3DSurface9* target = nullptr;
    if (SUCCEEDED(device_->GetRenderTarget(0, &target)) && target) {
        D3DSURFACE_DESC desc;
        if (SUCCEEDED(target->GetDesc(&desc))) {
            const D3DVIEWPORT9 whole = {0, 0, desc.Width, desc.Height, 0.f, 1.f};
            device_->SetViewport(&whole);
        }
        target->Release();
    }
    device_->SetFVF(kVertexFormat);
}

void DXUTDialogPainter::RestoreStates()
{
    for (size_t i = 0; i < renderStates_.size(); ++i) device_->SetRenderState(kRenderStates[i], renderStates_[i]);
    for (size_t i = 0; i < samplerStates_.size(); ++i)
        device_->SetSamplerState(0, kSamplerStates[i], samplerStates_[i]);
    device_->SetTexture(0, texture_);
    if (texture_) texture_->Release();
    texture_ = nullptr;
    // An FVF code, when one was set, names the declaration it made; otherwise
    // the declaration was set by itself.
    if (fvf_)
        device_->SetFVF(fvf_);
    else
        device_->SetVertexDeclaration(declaration_);
    if (declaration_) declaration_->Release();
    declaration_ = nullptr;
    device_->SetScissorRect(&scissor_);
    device_->SetViewport(&viewport_);
}

void DXUTDialogPainter::Add(const Vertex& v, bool textured)
{
    if (!batch_.empty() && textured != batchTextured_) Flush();
    batchTextured_ = textured;
    batch_.push_back(v);
}

void DXUTDialogPainter::Flush()
{
    if (batch_.empty()) return;
    device_->SetTexture(0, batchTextured_ ? skin_ : nullptr);
    device_->SetFVF(kVertexFormat);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(batch_.size() / 3), batch_.data(), sizeof(Vertex));
    batch_.clear();
}

void DXUTDialogPainter::Sprite(DXUTSkinPart part, const RECT& rect, D3DCOLOR tint)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    const DXUTSkinRegion& region = DXUTSkinRegionOf(part);
    const bool textured = skin_ != nullptr;
    const D3DCOLOR colour = textured ? tint : Modulate(region.flat, tint);
    // Direct3D puts pixel centres on whole coordinates: a rectangle's edge is half a pixel before it.
    const float x0 = originX_ + float(rect.left) - 0.5f, x1 = originX_ + float(rect.right) - 0.5f;
    const float y0 = originY_ + float(rect.top) - 0.5f, y1 = originY_ + float(rect.bottom) - 0.5f;
    // Texel centres at the edges: the filter never reaches the next region.
    float u0 = 0.f, v0 = 0.f, u1 = 0.f, v1 = 0.f;
    if (textured) {
        u0 = (float(region.texels.left) + 0.5f) / skinWidth_;
        u1 = (float(region.texels.right) - 0.5f) / skinWidth_;
        v0 = (float(region.texels.top) + 0.5f) / skinHeight_;
        v1 = (float(region.texels.bottom) - 0.5f) / skinHeight_;
    }
    const Vertex a = {x0, y0, 0.f, 1.f, colour, u0, v0};
    const Vertex b = {x1, y0, 0.f, 1.f, colour, u1, v0};
    const Vertex c = {x0, y1, 0.f, 1.f, colour, u0, v1};
    const Vertex d = {x1, y1, 0.f, 1.f, colour, u1, v1};
    for (const Vertex* v : {&a, &b, &c, &b, &d, &c}) Add(*v, textured);
}

void DXUTDialogPainter::Triangle(float x0, float y0, float x1, float y1, float x2, float y2, D3DCOLOR colour)
{
    const float ox = originX_ - 0.5f, oy = originY_ - 0.5f;
    Add({ox + x0, oy + y0, 0.f, 1.f, colour, 0.f, 0.f}, false);
    Add({ox + x1, oy + y1, 0.f, 1.f, colour, 0.f, 0.f}, false);
    Add({ox + x2, oy + y2, 0.f, 1.f, colour, 0.f, 0.f}, false);
}

void DXUTDialogPainter::Text(const wchar_t* text, const RECT& rect, D3DCOLOR colour, DXUTTextAlign align)
{
    if (!font_ || !text || !*text || rect.right <= rect.left || rect.bottom <= rect.top) return;
    SIZE extent;
    if (FAILED(font_->GetTextExtent(text, &extent))) return;
    Flush(); // text lies over what came before it
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    const LONG left = align == DXUTTextAlign::Centre ? rect.left + (width - extent.cx) / 2 : rect.left;
    const LONG top = rect.top + (height - extent.cy) / 2;
    const LONG ox = LONG(originX_), oy = LONG(originY_);
    const RECT clip = {ox + rect.left, oy + rect.top, ox + rect.right, oy + rect.bottom};
    device_->SetScissorRect(&clip);
    device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    // Unfiltered: the glyphs sit on whole pixels and stay sharp.
    font_->DrawText(float(ox + left), float(oy + top), colour, text);
    device_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}
