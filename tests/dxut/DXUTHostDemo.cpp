// A bare framework run for looking at the window by hand (and under Xvfb):
// the framework's switches apply, e.g. -windowed -width:800 -height:600
// -quitafterframe:300 -screenshot:10:/tmp/shot.png. Escape prints a line,
// closing the window or -quitafterframe ends it.
#include "DXUT.h"
#include "Win32Host.h"

#include <SDL.h>

#include <cstdio>

namespace {

bool CALLBACK OnModify(DXUTDeviceSettings* settings, const D3DCAPS9* caps, void*)
{
    const RECT client = DXUTGetWindowClientRect();
    std::printf("modify: %s %ldx%ld, pixel shader %lu.%lu\n", settings->pp.Windowed ? "windowed" : "full screen",
                static_cast<long>(client.right), static_cast<long>(client.bottom),
                static_cast<unsigned long>((caps->PixelShaderVersion >> 8) & 0xFF),
                static_cast<unsigned long>(caps->PixelShaderVersion & 0xFF));
    if (!settings->pp.Windowed) {
        settings->pp.BackBufferWidth = 640;
        settings->pp.BackBufferHeight = 480;
    }
    return true;
}

HRESULT CALLBACK OnReset(IDirect3DDevice9*, const D3DSURFACE_DESC* desc, void*)
{
    std::printf("reset: back buffer %ux%u\n", desc->Width, desc->Height);
    return S_OK;
}

void CALLBACK OnKeyboard(UINT key, bool down, bool alt, void*)
{
    if (down) std::printf("key %u%s\n", key, alt ? " (alt)" : "");
}

void CALLBACK OnEscape(void*)
{
    std::printf("escape: the game would open its pause menu\n");
}

} // namespace

int main(int argc, char** argv)
{
    Win32SetCommandLine(argc, argv);
    DXUTSetCallbackDeviceChanging(OnModify);
    DXUTSetCallbackDeviceReset(OnReset);
    DXUTSetCallbackKeyboard(OnKeyboard);
    DXUTSetCallbackEscape(OnEscape);
    DXUTInit(true, true, true, true);
    if (FAILED(DXUTCreateWindow(L"Quorvalith", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480))) {
        PostQuitMessage(-1);
    }
    DXUTDeviceSettings settings = {};
    settings.DeviceType = D3DDEVTYPE_HAL;
    settings.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    settings.pp.Windowed = TRUE;
    settings.pp.PresentationInterval = 1;
    if (!Win32QuitRequested() && FAILED(DXUTCreateDeviceFromSettings(&settings))) PostQuitMessage(-1);
    if (SDL_GetCurrentVideoDriver()) std::printf("video driver: %s\n", SDL_GetCurrentVideoDriver());
    const int code = DXUTMainLoop();
    std::printf("exit code %d after %d frames\n", code, DXUTGetFrameCount());
    return code;
}
