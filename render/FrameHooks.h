// What the renderer's frame reads and calls above render: the World's point
// lights, terrains and object 0 (the character the animated model follows),
// the editor dialog and the HUD. Particles need nothing here: they queue
// their instances like any owner. The game installs its side in
// game/GameHooks.cpp; without it the frame has no light, no terrain and no
// character, and draws no dialog and no HUD.
#pragma once

#include <vector>

#include "core/HookSlot.h"
#include "core/Vector3.h"

class PointLight;
class Terrain;
struct MeshInstance;

// Object 0 of the World as the animated model follows it.
struct FrameCharacter
{
    const Vector3* position = nullptr; // the object's own position
    Vector3 linearVelocity;            // turned into the model's facing
    MeshInstance* instance = nullptr;  // the object's first mesh instance
    bool idleAnimation = false;        // the Player's flag: keep the last facing
};

class FrameHooks
{
public:
    virtual ~FrameHooks() = default;

    // World::GetLights (the frame uses the first three); null: none.
    virtual const std::vector<PointLight*>* GetLights() const { return nullptr; }
    // World::GetHeightmaps, drawn in list order; null: none.
    virtual const std::vector<Terrain*>* GetTerrains() const { return nullptr; }
    // Object 0 and the Player's idle flag; false while the World has no object.
    virtual bool GetCharacter(FrameCharacter& character) const { return false; }
    // The editor dialog's render call while the editor is on.
    virtual void DrawEditorDialog(float elapsedSeconds) {}
    // HUDManager::Render.
    virtual void DrawHud() {}
};

using FrameHookSlot = HookSlot<FrameHooks>;
