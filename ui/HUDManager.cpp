#include "ui/HUDManager.h"

#include <d3dx9effect.h>

#include "core/ErrorReport.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "ui/HUD.h"
#include "ui/HUDElement.h"
#include "ui/MousePointer.h"

HUDManager* gHUDManager = nullptr;

namespace {
// The report names this class and a fixed line, so its entry in the error
// log reads the same however this file's code moves.
const char* const kReportSource = "HUDManager";
constexpr int kSetActiveReportLine = 90;

// One element's quad through every pass of the HUD technique. The world
// matrix alone places the quad on the screen: no view, no projection.
void DrawElement(ID3DXEffect* effect, const HUDElement& element)
{
    const MeshInstance& quad = *element.GetQuad();
    effect->SetFloatArray("TexUVarr", element.uv, 4);
    effect->SetTexture("MeshTexture", gRenderer->GetLoadedTexture(quad.textureId));
    effect->SetMatrix("mWorld", &quad.world);
    effect->SetMatrix("mWorldViewProjection", &quad.world);
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0))) return;
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        gRenderer->DrawMesh(quad.meshId);
        effect->EndPass();
    }
    effect->End();
}
} // namespace

HUDManager::HUDManager()
{
    pages.push_back(new HUD());
}

HUDManager::~HUDManager()
{
    for (HUD* page : pages) delete page;
    pages.clear();
    delete pointer;
    pointer = nullptr;
}

int HUDManager::AddHUD(HUD* page)
{
    pages.push_back(page);
    return static_cast<int>(pages.size()) - 1;
}

void HUDManager::SetActiveHUD(unsigned index)
{
    if (index < pages.size() && pages[index] != nullptr) {
        active = index;
        return;
    }
    ReportError("Invalid input to SetActiveHUD", kReportSource, kSetActiveReportLine);
    active = 0;
}

void HUDManager::ClearHUD(unsigned index)
{
    if (index >= pages.size()) return;
    delete pages[index];
    pages[index] = nullptr;
}

void HUDManager::ShowMousePointer()
{
    if (pointer == nullptr) pointer = new MousePointer(kPointerTexture);
    visible = true;
}

void HUDManager::HideMousePointer()
{
    visible = false;
}

void HUDManager::Update()
{
    if (HUD* page = GetPage(active)) {
        for (HUDElement* element : page->GetElements()) element->Update();
    }
    if (IsPointerVisible()) pointer->Update();
}

void HUDManager::Render()
{
    ID3DXEffect* effect = gRenderer ? gRenderer->GetEffect() : nullptr;
    if (!effect || pages.empty()) return;
    effect->SetTechnique(HUDElement::kTechnique);
    if (HUD* page = GetPage(active)) {
        for (const HUDElement* element : page->GetElements()) DrawElement(effect, *element);
    }
    // Last, so it is drawn over the page.
    if (IsPointerVisible()) DrawElement(effect, *pointer);
}
