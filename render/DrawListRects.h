// Texture-coordinate rectangles of the full-screen passes: the four rectangle
// modes a draw-list file names ("Crop", "SrcRect", "DestRect", anything else)
// and the texel arithmetic behind them.
#pragma once

#include <d3d9.h>
#include <windows.h>

// Left u, top v, right u, bottom v of the quad a full-screen pass draws.
struct TexCoordRect
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 1.0f;
    float bottom = 1.0f;
};

// Which part of the source lands on which part of the destination.
struct RectMode
{
    enum Mode { kWhole = 0, kCrop, kSrcRect, kDestRect, kModeCount };

    int mode = kWhole;
    TexCoordRect coords;

    // Runs the builder of `mode`; cropWidth x cropHeight is the screen size
    // rounded down to multiples of eight. Without both textures the whole
    // source is used.
    void Build(IDirect3DTexture9* source, IDirect3DTexture9* destination, UINT cropWidth, UINT cropHeight);
};

typedef void (*RectModeBuilder)(RectMode& rect, IDirect3DTexture9* source, IDirect3DTexture9* destination,
                                UINT cropWidth, UINT cropHeight);

// The builders, indexed by RectMode::Mode.
extern const RectModeBuilder kRectModeBuilders[RectMode::kModeCount];

// (0, 0, width, height) of the top level; E_INVALIDARG for a null argument.
HRESULT GetTextureRect(IDirect3DTexture9* texture, RECT* rect);

// The coordinates that map `sourceRect` of the source (the whole source when
// null) onto `destRect` of the destination (the whole destination when null)
// for a quad covering the destination. E_INVALIDARG when a texture or the
// output is null.
HRESULT GetTextureCoords(IDirect3DTexture9* source, const RECT* sourceRect, IDirect3DTexture9* destination,
                         const RECT* destRect, TexCoordRect* coords);
