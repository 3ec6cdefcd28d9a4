// ID3DXBuffer: a plain heap block with a reference count.
#include <d3dx9core.h>

#include <new>
#include <vector>

namespace {

class Buffer final : public ID3DXBuffer
{
public:
    explicit Buffer(DWORD size) : mBytes(size, 0) {}
    ULONG AddRef() override { return ++mRefs; }
    ULONG Release() override
    {
        const ULONG refs = --mRefs;
        if (refs == 0) delete this;
        return refs;
    }
    LPVOID GetBufferPointer() override { return mBytes.empty() ? nullptr : mBytes.data(); }
    DWORD GetBufferSize() override { return (DWORD)mBytes.size(); }

private:
    ULONG mRefs = 1;
    std::vector<BYTE> mBytes;
};

} // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = new (std::nothrow) Buffer(numBytes);
    return *buffer ? S_OK : E_OUTOFMEMORY;
}
