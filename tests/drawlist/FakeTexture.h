// A texture that only knows its size, for the texel arithmetic that needs no device.
#pragma once

#include <d3d9.h>

class FakeTexture : public IDirect3DTexture9
{
public:
    FakeTexture(UINT width, UINT height) : width(width), height(height) {}

    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    void GenerateMipSubLevels() override {}
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override
    {
        if (level != 0 || !desc) return D3DERR_INVALIDCALL;
        *desc = D3DSURFACE_DESC();
        desc->Width = width;
        desc->Height = height;
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface9**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT UnlockRect(UINT) override { return D3DERR_INVALIDCALL; }

private:
    UINT width;
    UINT height;
    ULONG refs = 1;
};
