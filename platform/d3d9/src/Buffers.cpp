// Vertex and index buffers.
#include "Buffers.h"

#include "Device.h"
#include "HostSeams.h"

namespace lvd3d {

BufferStore::BufferStore(Device* owner, UINT length, DWORD usageFlags, D3DPOOL poolKind)
    : device(owner), usage(usageFlags), pool(poolKind), data_(length, 0)
{
    glGenBuffers(1, &name_);
    CountGlObjects(1);
    Device::BindForUpload(name_);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(length), data_.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

void BufferStore::Destroy()
{
    if (name_) {
        glDeleteBuffers(1, &name_);
        CountGlObjects(-1);
        name_ = 0;
    }
}

HRESULT BufferStore::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const UINT length = Length();
    if (locked_ || offset > length || (size != 0 && size > length - offset)) return D3DERR_INVALIDCALL;
    if (size == 0) size = length - offset;
    locked_ = true;
    readOnly_ = (flags & D3DLOCK_READONLY) != 0;
    dirtyBegin_ = offset;
    dirtyEnd_ = offset + size;
    *data = data_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStore::Unlock()
{
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!readOnly_ && dirtyEnd_ > dirtyBegin_) {
        Device::BindForUpload(name_);
        glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(dirtyBegin_), GLsizeiptr(dirtyEnd_ - dirtyBegin_),
                        data_.data() + dirtyBegin_);
    }
    return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : store_(device, length, usage, pool), fvf_(fvf)
{
    device->ChildCreated();
    if (pool == D3DPOOL_DEFAULT) device->TrackDefaultPool(1);
}

VertexBuffer::~VertexBuffer()
{
    Device* device = store_.device;
    device->ForgetVertexBuffer(this);
    if (store_.pool == D3DPOOL_DEFAULT) device->TrackDefaultPool(-1);
    store_.Destroy();
    device->ChildDestroyed(); // last: it may end the device
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    store_.device->AddRef();
    *device = store_.device;
    return D3D_OK;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_UNKNOWN;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = store_.usage;
    desc->Pool = store_.pool;
    desc->Size = store_.Length();
    desc->FVF = fvf_;
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : store_(device, length, usage, pool), format_(format)
{
    device->ChildCreated();
    if (pool == D3DPOOL_DEFAULT) device->TrackDefaultPool(1);
}

IndexBuffer::~IndexBuffer()
{
    Device* device = store_.device;
    device->ForgetIndexBuffer(this);
    if (store_.pool == D3DPOOL_DEFAULT) device->TrackDefaultPool(-1);
    store_.Destroy();
    device->ChildDestroyed();
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    store_.device->AddRef();
    *device = store_.device;
    return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = store_.usage;
    desc->Pool = store_.pool;
    desc->Size = store_.Length();
    return D3D_OK;
}

} // namespace lvd3d
