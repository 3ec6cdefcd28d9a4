// The host-facing seams: present hook, caps overrides, call log, read-back.
#include "HostSeams.h"

#include "Device.h"
#include "Texture.h"

#include <stb_image_write.h>

#include <cstdio>

namespace lvd3d {

namespace {
std::vector<std::string> gCallLog;
bool gCallLogEnabled = false;
bool gStateLogEnabled = false;
bool gDrawsDropped = false;
int gLiveGlObjects = 0;
} // namespace

HostSettings& Host()
{
    static HostSettings settings;
    return settings;
}

void CountGlObjects(int delta)
{
    gLiveGlObjects += delta;
}

} // namespace lvd3d

using namespace lvd3d;

void LvD3D9_SetPresentHook(LvPresentHook hook, void* user)
{
    Host().presentHook = hook;
    Host().presentUser = user;
}

void LvD3D9_SetDrawableSize(UINT width, UINT height)
{
    Host().drawableWidth = width;
    Host().drawableHeight = height;
}

void LvD3D9_SetDisplayMode(UINT width, UINT height, UINT refreshRate)
{
    Host().displayMode.Width = width;
    Host().displayMode.Height = height;
    Host().displayMode.RefreshRate = refreshRate;
}

void LvD3D9_SetPixelShaderVersion(DWORD version)
{
    Host().pixelShaderVersion = version;
}

void LvD3D9_SetMaxPrimitiveCount(DWORD count)
{
    Host().maxPrimitiveCount = count;
}

IDirect3DDevice9* LvD3D9_CreateDevice(UINT width, UINT height)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS params = {};
    params.BackBufferWidth = width;
    params.BackBufferHeight = height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params,
                      &device);
    d3d->Release();
    return device;
}

bool LvD3D9_ReadSurface(IDirect3DSurface9* surface, std::vector<float>& rgba, UINT* width, UINT* height)
{
    Surface* s = static_cast<Surface*>(surface);
    if (!s || !s->Framebuffer()) {
        return false;
    }
    const UINT w = s->Width();
    const UINT h = s->Height();
    rgba.resize(size_t(w) * h * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->Framebuffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_RGBA, GL_FLOAT, rgba.data());
    s->OwnerDevice()->RestoreFramebuffer();
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

bool LvD3D9_ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba, UINT* width, UINT* height)
{
    Device* d = static_cast<Device*>(device);
    if (!d) {
        return false;
    }
    Surface* s = d->BackBuffer();
    const UINT w = s->Width();
    const UINT h = s->Height();
    rgba.resize(size_t(w) * h * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->Framebuffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    d->RestoreFramebuffer();
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

bool LvD3D9_SaveBackBufferPNG(IDirect3DDevice9* device, const char* path)
{
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    if (!path || !LvD3D9_ReadBackBuffer(device, rgba, &w, &h)) {
        return false;
    }
    if (!stbi_write_png(path, int(w), int(h), 4, rgba.data(), int(w) * 4)) {
        std::fprintf(stderr, "Could not write the screenshot %s\n", path);
        std::fflush(stderr);
        return false;
    }
    return true;
}

void LvD3D9_EnableStateLog(bool enable)
{
    gStateLogEnabled = enable;
}

bool LvD3D9_StateLogEnabled()
{
    return gStateLogEnabled && gCallLogEnabled;
}

void LvD3D9_SetDrawsDropped(bool dropped)
{
    gDrawsDropped = dropped;
}

bool LvD3D9_DrawsDropped()
{
    return gDrawsDropped;
}

void LvD3D9_EnableCallLog(bool enable)
{
    gCallLogEnabled = enable;
}

bool LvD3D9_CallLogEnabled()
{
    return gCallLogEnabled;
}

void LvD3D9_LogCall(const std::string& entry)
{
    if (gCallLogEnabled) {
        gCallLog.push_back(entry);
    }
}

const std::vector<std::string>& LvD3D9_GetCallLog()
{
    return gCallLog;
}

void LvD3D9_ClearCallLog()
{
    gCallLog.clear();
}

int LvD3D9_LiveResourceCount()
{
    return gLiveGlObjects;
}
