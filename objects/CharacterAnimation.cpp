#include "objects/CharacterAnimation.h"

#include <d3dx9.h>

#include "core/MeshImportTransform.h"
#include "render/AnimInstance.h"
#include "render/FrameHooks.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/Renderer.h"

namespace {

// The facing the model last took. While the character stands idle it keeps
// the direction it last walked in rather than snapping to the still motion.
D3DXMATRIX sFacing = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);

// The model faces -y in its own turn; a quarter turn clockwise of the
// horizontal motion brings its front onto the motion.
void TurnFacingTo(const Vector3& velocity)
{
    Vector3 forward(-velocity.y, velocity.x, 0.0f);
    forward.Normalize();
    Vector3 side;
    Vector3::Cross(side, Vector3(0.0f, 0.0f, 1.0f), forward);
    side.Normalize();
    sFacing = D3DXMATRIX(forward.x, forward.y, forward.z, 0, side.x, side.y, side.z, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

} // namespace

D3DXFRAME* FindCharacterBone(const char* name)
{
    return gRenderer ? gRenderer->GetMultiAnim().FindFrame(name) : nullptr;
}

bool AdvanceCharacterAnimation(float h)
{
    if (!gRenderer) return false;
    const Model* first = gRenderer->GetModel(0);
    if (!first || !first->GetInstance() || !first->IsActive()) return false;
    FrameCharacter character;
    if (!FrameHookSlot::Get().GetCharacter(character) || !character.position || !character.instance) return false;

    if (!character.idleAnimation) TurnFacingTo(character.linearVelocity);
    const Vector3& offset = character.instance->offset;
    const Vector3& at = *character.position;
    D3DXMATRIX shift, place, world;
    D3DXMatrixTranslation(&shift, offset.x, offset.y, offset.z);
    D3DXMatrixTranslation(&place, at.x, at.y, at.z);
    D3DXMatrixMultiply(&world, &MeshImportTransform, &sFacing);
    D3DXMatrixMultiply(&world, &world, &shift);
    D3DXMatrixMultiply(&world, &world, &place);

    bool posed = false;
    for (int i = 0; i < gRenderer->GetModelCount(); ++i) {
        Model* model = gRenderer->GetModel(i);
        if (!model->GetInstance()) continue;
        model->GetInstance()->SetWorldTransform(&world);
        model->AdvanceTime(h);
        posed = true;
    }
    return posed;
}
