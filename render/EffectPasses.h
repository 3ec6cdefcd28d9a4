// Running every pass of the effect's current technique around a draw.
#pragma once

#include <d3dx9effect.h>

// Begin (saving the states the passes change), each pass drawn, End. A
// technique that could not be set begins with no passes: nothing is drawn.
template <class Draw>
void ForEachEffectPass(ID3DXEffect* effect, Draw draw)
{
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0))) return;
    for (UINT pass = 0; pass < passes; ++pass) {
        if (FAILED(effect->BeginPass(pass))) continue;
        draw();
        effect->EndPass();
    }
    effect->End();
}
