// What the menus ask of the layer above: a stage load (the try-again menu's
// "no" starts over on stage 1 under the main menu). The game installs its
// side in game/GameHooks.cpp; without it nothing loads. The running stage
// (the pause menu gives its draw-list chain back when it closes) is
// core/Stage.h's.
#pragma once

#include <string>

#include "core/HookSlot.h"

class MenuHooks
{
public:
    virtual ~MenuHooks() = default;

    // LevelLoader::LoadLevel with a level file name.
    virtual void LoadLevel(const std::string& levelFile) {}
};

using MenuHookSlot = HookSlot<MenuHooks>;
