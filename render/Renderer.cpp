#include "render/Renderer.h"

#include <string>

#include "core/Clock.h"
#include "core/Resources.h"
#include "core/ScreenTextDrawer.h"
#include "core/SpineTrace.h"
#include "d3dfont.h"
#include "render/Model.h"

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
    renderLists.Clear();
    multiAnim.Cleanup(&allocator);
    SetScreenTextDrawer(nullptr);
}

int Renderer::AddAnimatedModel(int animatedMesh)
{
    Model* model = new Model();
    models.push_back(model);
    model->SetAnimatedMesh(animatedMesh);
    model->Setup(&multiAnim, Clock::GetTotalTime());
    return static_cast<int>(models.size()) - 1;
}

Model* Renderer::GetModel(int index) const
{
    return index >= 0 && index < static_cast<int>(models.size()) ? models[index] : nullptr;
}

void Renderer::LoadResources()
{
    SpineTrace::Record("Renderer::LoadResources");
    // The character's hierarchy needs no device and is loaded once for the
    // run: the ragdoll's bones and the keyframe animator point into it.
    if (!multiAnim.IsLoaded())
        LoadAnimatedModelFile(&multiAnim, &allocator, nullptr, AnimatedMeshFileNames[0], nullptr);
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
