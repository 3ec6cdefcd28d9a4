// The character's bones and animation step, both the renderer's.
#include "objects/CharacterAnimation.h"

#include <d3dx9.h>

#include "render/Renderer.h"

D3DXFRAME* FindCharacterBone(const char* name)
{
    return gRenderer ? gRenderer->FindFrame(name) : nullptr;
}

bool AdvanceCharacterAnimation(float h)
{
    return gRenderer && gRenderer->AdvanceModels(h);
}
