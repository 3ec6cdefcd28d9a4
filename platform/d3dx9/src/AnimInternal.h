// Building the animation objects from the .x reader's data.
#pragma once

#include <d3dx9anim.h>

#include "xfile/XScene.h"

HRESULT LvCreateKeyframedSet(XAnimationSetData data, double ticksPerSecond, ID3DXKeyframedAnimationSet** set);
HRESULT LvCreateAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                    ID3DXAnimationController** controller);
