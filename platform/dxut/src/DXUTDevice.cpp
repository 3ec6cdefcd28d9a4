// Everything that touches the rendering context or the device: creation on
// the window, reset to a new back buffer, present (with the screenshot
// switch) and destruction. The device is the Direct3D stand-in drawing on the
// OpenGL 3.3 core context made here; it draws into its own back buffer and
// Present copies that to the window, upright and scaled, then swaps. A
// headless host given a device draws on a windowless surfaceless context
// instead, where Present only takes the screenshot.
#include "DXUTState.h"

#include <SDL.h>
#include <d3d9_egl.h>
#include <d3d9_host.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

SDL_GLContext gContext = nullptr;
LvEglContext* gHeadlessContext = nullptr;
IDirect3D9* gD3D = nullptr;
IDirect3DDevice9* gDevice = nullptr;
std::string gVersion;

// "version, renderer" of the context, for logs and tests.
std::string ReadGLVersion()
{
    typedef const unsigned char* (*GetStringFunction)(unsigned int);
    const unsigned int kVersion = 0x1F02, kRenderer = 0x1F01;
    GetStringFunction getString = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString) return "?";
    const unsigned char* version = getString(kVersion);
    const unsigned char* renderer = getString(kRenderer);
    return std::string(version ? reinterpret_cast<const char*>(version) : "?") + ", " +
           (renderer ? reinterpret_cast<const char*>(renderer) : "?");
}

void SwapWindow(void* user)
{
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(user));
}

void TellDrawableSize(const DXUTState& state)
{
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(state.window, &width, &height);
    LvD3D9_SetDrawableSize(static_cast<UINT>(width > 0 ? width : 0), static_cast<UINT>(height > 0 ? height : 0));
}

void TellDisplayMode()
{
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        LvD3D9_SetDisplayMode(static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                              static_cast<UINT>(mode.refresh_rate > 0 ? mode.refresh_rate : 60));
    }
}

void ReleaseDevice()
{
    if (gDevice) {
        gDevice->Release();
        gDevice = nullptr;
    }
    if (gD3D) {
        gD3D->Release();
        gD3D = nullptr;
    }
}

// The device of the settings on the context made current; false (nothing
// kept) when it cannot be made.
bool MakeDevice(DXUTState& state)
{
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = state.settings.pp;
    // Settings that name no device type mean the only one there is.
    const D3DDEVTYPE type = state.settings.DeviceType ? state.settings.DeviceType : D3DDEVTYPE_HAL;
    if (!gD3D || FAILED(gD3D->CreateDevice(state.settings.AdapterOrdinal, type, &state.windowHandle,
                                           state.settings.BehaviorFlags, &pp, &gDevice))) {
        ReleaseDevice();
        return false;
    }
    return true;
}

bool CreateHeadlessDevice(DXUTState& state)
{
    if (!gHeadlessContext) gHeadlessContext = LvEgl_Create(true);
    if (!gHeadlessContext) return false;
    gVersion = "surfaceless";
    // Without -psversion a test's own setting of the tier stands.
    if (state.switches.pixelShaderVersion) LvD3D9_SetPixelShaderVersion(state.switches.pixelShaderVersion);
    LvD3D9_SetDrawableSize(0, 0);
    LvD3D9_SetPresentHook(nullptr, nullptr);
    return MakeDevice(state);
}

} // namespace

bool DXUTDeviceCreate(DXUTState& state)
{
    if (gDevice) return true;
    if (state.headless) return !state.headlessDevice || CreateHeadlessDevice(state);
    if (!state.window) return false;
    if (!gContext) {
        gContext = SDL_GL_CreateContext(state.window);
        if (!gContext) {
            std::fprintf(stderr, "Could not create an OpenGL 3.3 core context: %s\n", SDL_GetError());
            std::fflush(stderr);
            return false;
        }
    }
    SDL_GL_MakeCurrent(state.window, gContext);
    gVersion = ReadGLVersion();
    SDL_GL_SetSwapInterval(state.settings.pp.PresentationInterval == 1 && state.switches.constantFrameTime <= 0.0 ? 1
                                                                                                                  : 0);

    TellDisplayMode();
    LvD3D9_SetPixelShaderVersion(state.switches.pixelShaderVersion);
    TellDrawableSize(state);
    LvD3D9_SetPresentHook(SwapWindow, state.window);
    if (MakeDevice(state)) return true;
    SDL_GL_DeleteContext(gContext);
    gContext = nullptr;
    return false;
}

bool DXUTDeviceReset(DXUTState& state)
{
    if (state.headless && !gDevice) return true;
    if (!gDevice) return false;
    if (!state.headless) TellDrawableSize(state);
    D3DPRESENT_PARAMETERS pp = state.settings.pp;
    return SUCCEEDED(gDevice->Reset(&pp));
}

void DXUTDevicePresent(DXUTState& state, int frameNumber)
{
    if (!gDevice) return;
    if (state.switches.screenshotFrame > 0 && frameNumber == state.switches.screenshotFrame) {
        LvD3D9_SaveBackBufferPNG(gDevice, state.switches.screenshotPath.c_str());
    }
    gDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void DXUTDeviceDestroy(DXUTState& state)
{
    (void)state;
    ReleaseDevice();
    LvD3D9_SetPresentHook(nullptr, nullptr);
    // The windowless context stays for the process's life and serves the next
    // headless run: ending it unloads the driver, which leaves behind what it
    // allocated.
    if (gContext) {
        SDL_GL_DeleteContext(gContext);
        gContext = nullptr;
    }
}

IDirect3DDevice9* DXUTDeviceGet()
{
    return gDevice;
}

void DXUTDeviceFillCaps(const DXUTState& state, D3DCAPS9* caps)
{
    std::memset(caps, 0, sizeof(*caps));
    if (gDevice && SUCCEEDED(gDevice->GetDeviceCaps(caps))) return;
    // Before the first device: what the device will report.
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = state.settings.AdapterOrdinal;
    caps->PixelShaderVersion =
        state.switches.pixelShaderVersion ? state.switches.pixelShaderVersion : D3DPS_VERSION(3, 0);
    caps->VertexShaderVersion = 0xFFFE0300u; // vertex shaders 3.0
    caps->MaxPrimitiveCount = 0xFFFFF;
}

const char* DXUTDeviceGLVersion()
{
    return gVersion.c_str();
}
