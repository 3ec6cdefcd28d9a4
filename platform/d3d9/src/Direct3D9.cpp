// The Direct3D object: adapter queries and device creation.
#include "Device.h"
#include "HostSeams.h"
#include "RefCounted.h"
#include "Texture.h"

namespace lvd3d {

namespace {

class Direct3D9 final : public RefCounted<IDirect3D9>
{
public:
    UINT GetAdapterCount() override { return 1; }
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT) override { return adapter == 0 ? 1 : 0; }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        if (!mode || adapter != 0) return D3DERR_INVALIDCALL;
        *mode = Host().displayMode;
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL) override
    {
        return adapter == 0 && type == D3DDEVTYPE_HAL ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage, D3DRESOURCETYPE,
                              D3DFORMAT checkFormat) override
    {
        if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
        switch (checkFormat) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A16B16G16R16F:
        case D3DFMT_A32B32G32R32F:
        case D3DFMT_R32F:
        case D3DFMT_R16F:
        case D3DFMT_G16R16F:
            return D3D_OK;
        case D3DFMT_L8:
        case D3DFMT_A8:
        case D3DFMT_A8L8:
            return (usage & D3DUSAGE_RENDERTARGET) ? D3DERR_NOTAVAILABLE : D3D_OK;
        case D3DFMT_D16:
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
            return (usage & D3DUSAGE_DEPTHSTENCIL) ? D3D_OK : D3DERR_NOTAVAILABLE;
        default:
            return D3DERR_NOTAVAILABLE;
        }
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override
    {
        if (!caps || adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
        // The same record a device reports; no context is needed to read it.
        FillDeviceCaps(*caps);
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override
    {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!params || adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
        Device* d = new Device(this, focusWindow, behaviorFlags);
        if (!d->Init(*params)) {
            d->Release();
            return D3DERR_NOTAVAILABLE;
        }
        D3DSURFACE_DESC desc;
        d->BackBuffer()->GetDesc(&desc);
        params->BackBufferWidth = desc.Width;
        params->BackBufferHeight = desc.Height;
        *device = d;
        return D3D_OK;
    }
};

} // namespace

} // namespace lvd3d

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new lvd3d::Direct3D9();
}
