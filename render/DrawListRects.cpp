// The four rectangle builders of the full-screen passes. A rectangle shrunk by
// one texel keeps the border rows out of a filter's reach: the down-scaled
// targets carry a one-texel border for exactly that.
#include "render/DrawListRects.h"

namespace {

// The whole texture shrunk by one texel on every side.
RECT InnerRect(IDirect3DTexture9* texture)
{
    RECT r = {};
    GetTextureRect(texture, &r);
    InflateRect(&r, -1, -1);
    return r;
}

void BuildWhole(RectMode& rect, IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT, UINT)
{
    const RECT src = InnerRect(source), dst = InnerRect(destination);
    GetTextureCoords(source, &src, destination, &dst, &rect.coords);
}

// The crop size centred in the source, onto the whole destination.
void BuildCrop(RectMode& rect, IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT cropWidth,
               UINT cropHeight)
{
    RECT src = {};
    GetTextureRect(source, &src);
    const LONG w = LONG(cropWidth), h = LONG(cropHeight);
    src.left = (src.right - w) / 2;
    src.top = (src.bottom - h) / 2;
    src.right = src.left + w;
    src.bottom = src.top + h;
    GetTextureCoords(source, &src, destination, nullptr, &rect.coords);
}

void BuildSrcRect(RectMode& rect, IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT, UINT)
{
    const RECT src = InnerRect(source);
    GetTextureCoords(source, &src, destination, nullptr, &rect.coords);
}

void BuildDestRect(RectMode& rect, IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT, UINT)
{
    const RECT dst = InnerRect(destination);
    GetTextureCoords(source, nullptr, destination, &dst, &rect.coords);
}

} // namespace

const RectModeBuilder kRectModeBuilders[RectMode::kModeCount] = {BuildWhole, BuildCrop, BuildSrcRect, BuildDestRect};

void RectMode::Build(IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT cropWidth, UINT cropHeight)
{
    coords = TexCoordRect();
    if (!source || !destination || mode < 0 || mode >= kModeCount) return;
    kRectModeBuilders[mode](*this, source, destination, cropWidth, cropHeight);
}

HRESULT GetTextureRect(IDirect3DTexture9* texture, RECT* rect)
{
    if (!texture || !rect) return E_INVALIDARG;
    D3DSURFACE_DESC desc = {};
    const HRESULT hr = texture->GetLevelDesc(0, &desc);
    if (FAILED(hr)) return hr;
    rect->left = 0;
    rect->top = 0;
    rect->right = LONG(desc.Width);
    rect->bottom = LONG(desc.Height);
    return S_OK;
}

HRESULT GetTextureCoords(IDirect3DTexture9* source, const RECT* sourceRect, IDirect3DTexture9* destination,
                         const RECT* destRect, TexCoordRect* coords)
{
    if (!source || !destination || !coords) return E_INVALIDARG;
    D3DSURFACE_DESC desc = {};
    TexCoordRect c;
    if (sourceRect) {
        if (FAILED(source->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) return E_INVALIDARG;
        const float w = float(desc.Width), h = float(desc.Height);
        c.left += float(sourceRect->left) / w;
        c.top += float(sourceRect->top) / h;
        c.right -= float(LONG(desc.Width) - sourceRect->right) / w;
        c.bottom -= float(LONG(desc.Height) - sourceRect->bottom) / h;
    }
    if (destRect) {
        if (FAILED(destination->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) return E_INVALIDARG;
        const float w = float(desc.Width), h = float(desc.Height);
        c.left -= float(destRect->left) / w;
        c.top -= float(destRect->top) / h;
        c.right += float(LONG(desc.Width) - destRect->right) / w;
        c.bottom += float(LONG(desc.Height) - destRect->bottom) / h;
    }
    *coords = c;
    return S_OK;
}
