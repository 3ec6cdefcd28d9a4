// Vertex and index buffers: a CPU copy that Lock hands out, uploaded to the
// GL buffer at Unlock, so a buffer always holds what was written into it.
#pragma once

#include <d3d9.h>

#include "GL.h"
#include "RefCounted.h"

#include <cstdint>
#include <vector>

namespace lvd3d {

class Device;

// The part the two buffer kinds share.
class BufferStore
{
public:
    BufferStore(Device* device, UINT length, DWORD usage, D3DPOOL pool);
    // Gives the GL buffer back; called by the owner before it tells the device it is gone.
    void Destroy();
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    GLuint Name() const { return name_; }
    UINT Length() const { return UINT(data_.size()); }
    const uint8_t* Data() const { return data_.data(); }

    Device* device;
    DWORD usage;
    D3DPOOL pool;

private:
    std::vector<uint8_t> data_;
    GLuint name_ = 0;
    bool locked_ = false;
    bool readOnly_ = false;
    UINT dirtyBegin_ = 0;
    UINT dirtyEnd_ = 0;
};

class VertexBuffer final : public RefCounted<IDirect3DVertexBuffer9>
{
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    const BufferStore& Store() const { return store_; }

private:
    ~VertexBuffer() override;
    BufferStore store_;
    DWORD fvf_;
};

class IndexBuffer final : public RefCounted<IDirect3DIndexBuffer9>
{
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    const BufferStore& Store() const { return store_; }
    D3DFORMAT Format() const { return format_; }

private:
    ~IndexBuffer() override;
    BufferStore store_;
    D3DFORMAT format_;
};

} // namespace lvd3d
