// D3DX texture loading stand-in: png, jpg and bmp through stb_image, and
// uncompressed dds (2D and volume) through our own reader. Images load with
// their top row first (v = 0 is the top), as four channels, with a full mip
// chain. A failed load returns an error with the out pointer null.
#pragma once

#include <d3d9.h>

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DX_FILTER_NONE (1u << 0)
#define D3DX_FILTER_POINT (2u << 0)
#define D3DX_FILTER_LINEAR (3u << 0)
#define D3DX_FILTER_TRIANGLE (4u << 0)
#define D3DX_FILTER_BOX (5u << 0)

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
};

typedef struct _D3DXIMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

// A volume (.dds) file gives its first slice here: the interface is 2D.
HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR fileName, IDirect3DTexture9** texture);
// mipLevels 1 makes a single level; D3DX_DEFAULT or 0 a full chain. Size,
// format, filter and colour-key arguments are accepted and not applied.
HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR fileName, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info, void* palette,
                                     IDirect3DTexture9** texture);
// Any image as a volume texture (a 2D file gives a depth of one).
HRESULT D3DXCreateVolumeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, IDirect3DVolumeTexture9** texture);
