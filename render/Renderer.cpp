#include "render/Renderer.h"

#include <string>

#include "core/SpineTrace.h"
#if __has_include("d3dfont.h")
#include "d3dfont.h"
#define LV_HAVE_FONT 1
#endif

Renderer* gRenderer = nullptr;
CD3DFont* gDebugFont = nullptr;

Renderer::~Renderer() { ReleaseDeviceResources(); }

void Renderer::LoadResources() { SpineTrace::Record("Renderer::LoadResources"); }

void Renderer::ReleaseDeviceResources() {
#ifdef LV_HAVE_FONT
    if (gDebugFont) {
        gDebugFont->InvalidateDeviceObjects();
        gDebugFont->DeleteDeviceObjects();
        delete gDebugFont;
        gDebugFont = nullptr;
    }
#endif
    if (d3d) {
        d3d->Release();
        d3d = nullptr;
    }
}

void Renderer::Update(float dt) { SpineTrace::Record("Renderer::Update " + std::to_string(dt)); }

void Renderer::RenderFrame() {
    SpineTrace::Record("Renderer::RenderFrame");
    if (!device) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) device->EndScene();
}
