#include "ui/HUDElement.h"

#include <algorithm>

#include <d3dx9math.h>

#include "core/Resources.h"
#include "render/MeshInstance.h"

const char* const HUDElement::kTechnique = "HUDElement";

namespace {
// Drawn through the HUD's own pass, so no material.
constexpr int kHudMaterial = 0;
} // namespace

HUDElement::HUDElement(int textureId, const Vector3& position_, const Vector3& size_)
    : position(position_), size(size_),
      quad(new MeshInstance(true, false, kScreenQuadMeshId, kTechnique, kHudMaterial, textureId, true, false, false))
{}

HUDElement::~HUDElement()
{
    ReleaseMeshInstance(quad);
}

int HUDElement::GetTexture() const
{
    return quad->textureId;
}

void HUDElement::SetTexture(int textureId)
{
    quad->textureId = textureId;
}

void HUDElement::WriteQuadMatrix()
{
    D3DXMATRIX scaling;
    D3DXMATRIX translation;
    D3DXMatrixScaling(&scaling, std::clamp(size.x, 0.0f, 1.0f), std::clamp(size.y, 0.0f, 1.0f), 1.0f);
    D3DXMatrixTranslation(&translation, position.x, -position.y, 0.0f);
    D3DXMatrixMultiply(&quad->world, &scaling, &translation);
}
