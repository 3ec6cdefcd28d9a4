// HUD pages, elements and the mouse pointer. Placeholder until the HUD is written.
#pragma once

class HUDManager
{
public:
    // Per-frame update of the current page and the pointer.
    void Update();
};

extern HUDManager* gHUDManager;
