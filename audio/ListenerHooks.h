// Where the sound system finds its one 3D listener: the camera, which lives
// beside audio in the renderer. The game installs its side in
// game/GameHooks.cpp; without it the listener stays where it is.
#pragma once

#include "core/HookSlot.h"
#include "core/Vector3.h"

struct ListenerFrame
{
    Vector3 position;
    Vector3 forward;
    Vector3 up;
};

class ListenerHooks
{
public:
    virtual ~ListenerHooks() = default;

    // The camera's position, forward and up vectors; false when there is none.
    virtual bool GetListener(ListenerFrame& frame) const { return false; }
};

using ListenerHookSlot = HookSlot<ListenerHooks>;
