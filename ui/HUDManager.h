// The HUD: the screen-space layer drawn over the 3D frame. Pages of images,
// one active at a time, and the mouse pointer drawn over them. Page 0 is the
// empty page shown when no menu is open; the menus are pages 1 to 7. It also
// keeps the camera angles a stage loaded with, which closing the main menu
// gives back to the camera.
//
// Ownership: the manager owns the pages (each deletes its elements) and the
// pointer, and deletes them at exit; nothing else deletes a page or element.
#pragma once

#include <vector>

class HUD;
class MousePointer;

class HUDManager
{
public:
    static constexpr int kPointerTexture = 19;      // "mousepointer.png"
    static constexpr int kPointerHoverTexture = 48; // "mousepointer_hover.png"

    // No pointer, one empty page (page 0), active.
    HUDManager();
    ~HUDManager();
    HUDManager(const HUDManager&) = delete;
    HUDManager& operator=(const HUDManager&) = delete;

    // Takes ownership; returns the page's index.
    int AddHUD(HUD* page);
    // An index past the pages, or of a cleared page, is reported and shows page 0.
    void SetActiveHUD(unsigned index);
    unsigned GetActiveHUD() const { return active; }
    HUD* GetPage(unsigned index) const { return index < pages.size() ? pages[index] : nullptr; }
    unsigned GetPageCount() const { return static_cast<unsigned>(pages.size()); }
    // Deletes the page and its elements; the index stays taken by an empty slot.
    void ClearHUD(unsigned index);

    // The first show makes the pointer; hiding keeps it where it is.
    void ShowMousePointer();
    void HideMousePointer();
    // Null until the first show.
    MousePointer* GetPointer() const { return pointer; }
    bool IsPointerVisible() const { return pointer != nullptr && visible; }

    // Once per rendered frame, before the renderer's frame: the active page's
    // matrices in order, then the pointer's.
    void Update();
    // The renderer's frame calls this after the scene: the active page in
    // order, then the pointer over it.
    void Render();

    // The stage file's camera yaw and pitch (the level loader stores them).
    float savedYaw = 0.0f;
    float savedPitch = 0.0f;

private:
    MousePointer* pointer = nullptr;
    bool visible = false;
    std::vector<HUD*> pages;
    unsigned active = 0;
};

extern HUDManager* gHUDManager;
