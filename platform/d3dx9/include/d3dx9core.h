// D3DX core stand-in: the reference-counted memory block that the loaders hand
// back (adjacency, materials, bone combinations, compiler messages).
#pragma once

#include <windows.h>

struct ID3DXBuffer : public IUnknown
{
    virtual LPVOID GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// A zero-filled buffer of the given size with one reference.
HRESULT D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer);
