// HUD pages, elements and the mouse pointer. Placeholder until the HUD is written.
#pragma once

class HUDManager
{
public:
    // Per-frame update of the current page and the pointer.
    void Update();

    // The camera's yaw and pitch as a stage loaded them; closing the main
    // menu gives them back to the camera.
    float savedAngle1 = 0.0f;
    float savedAngle2 = 0.0f;
};

extern HUDManager* gHUDManager;
