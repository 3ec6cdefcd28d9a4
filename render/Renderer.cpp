#include "render/Renderer.h"

#include <string>

#include "core/ScreenTextDrawer.h"
#include "core/SpineTrace.h"
#include "d3dfont.h"

Renderer* gRenderer = nullptr;
CD3DFont* gDebugFont = nullptr;

namespace {
// Debug text goes through the font made at every device reset; without one
// (headless, or between a release and the next reset) nothing is drawn.
void DrawWithDebugFont(const wchar_t* text, float x, float y, unsigned int colour)
{
    if (gDebugFont) gDebugFont->DrawText(x, y, colour, text, 0);
}
} // namespace

Renderer::Renderer(const VideoSettings& video_) : video(video_), fullscreen(video_.fullscreen)
{
    SetScreenTextDrawer(&DrawWithDebugFont);
}

Renderer::~Renderer()
{
    ReleaseDeviceResources();
    SetScreenTextDrawer(nullptr);
}

void Renderer::LoadResources()
{
    SpineTrace::Record("Renderer::LoadResources");
}

void Renderer::ReleaseDeviceResources()
{
    if (gDebugFont) {
        gDebugFont->InvalidateDeviceObjects();
        gDebugFont->DeleteDeviceObjects();
        delete gDebugFont;
        gDebugFont = nullptr;
    }
    if (d3d) {
        d3d->Release();
        d3d = nullptr;
    }
}

void Renderer::Update(float dt)
{
    SpineTrace::Record("Renderer::Update " + std::to_string(dt));
}

void Renderer::RenderFrame()
{
    SpineTrace::Record("Renderer::RenderFrame");
    if (!device) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) device->EndScene();
}
