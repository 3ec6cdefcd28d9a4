// What the camera reads above render: the input's accumulated cursor (which
// it clamps to the viewport), the bodies it follows, the editor's switch and
// the menus. The ground it keeps clear of is the physics
// world's first heightmap, which it reads directly. The game installs its
// side in game/GameHooks.cpp; without it the camera follows its own point.
#pragma once

#include "core/HookSlot.h"

struct Vector3;

class CameraHooks
{
public:
    virtual ~CameraHooks() = default;

    // Clamps Input's accumulated cursor to [-halfWidth, halfWidth] x
    // [-halfHeight, halfHeight].
    virtual void ClampCursor(int halfWidth, int halfHeight) {}
    // The first body of the player's character; null without one.
    virtual const Vector3* GetPlayerBodyPosition() const { return nullptr; }
    // The position of World object index; null when there is no such object.
    virtual const Vector3* GetObjectPosition(unsigned index) const { return nullptr; }
    // InGameLevelEditor::IsEnabled.
    virtual bool IsEditorEnabled() const { return false; }
    // MenuMan::GetCurrentMenuId: 0 when no menu is open.
    virtual int GetTopMenuId() const { return 0; }
    // The options menu's toggle item shows the option's state.
    virtual void ShowOptionChecked(int item, bool checked) {}
};

using CameraHookSlot = HookSlot<CameraHooks>;
