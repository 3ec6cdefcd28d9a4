// What the menus ask of the layer above: the running stage (the pause menu
// gives its draw-list chain back when it closes) and a stage load (the
// try-again menu's "no" starts over on stage 1 under the main menu). The
// game installs its side in game/GameHooks.cpp; without it there is no stage
// and nothing loads.
#pragma once

#include <string>

#include "core/HookSlot.h"

class MenuHooks
{
public:
    virtual ~MenuHooks() = default;

    // LevelLoader::GetStage: 1 to 4, -1 before the first load.
    virtual int GetStage() const { return -1; }
    // LevelLoader::LoadLevel with a level file name.
    virtual void LoadLevel(const std::string& levelFile) {}
};

using MenuHookSlot = HookSlot<MenuHooks>;
