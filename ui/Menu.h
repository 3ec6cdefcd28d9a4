// One menu: a HUD page of clickable items with an optional auto-close timer
// (the splash screens close themselves after a while of game time).
#pragma once

#include "ui/HUD.h"

class MenuItemHUD;

class Menu : public HUD
{
public:
    // delay: milliseconds of game time before event is posted (0: never);
    // event -1: nothing is posted.
    Menu(float delay, int event);

    // Takes ownership; the item learns its index and the menu's page.
    void AddItem(MenuItemHUD* item);
    // Null when the index is out of range.
    MenuItemHUD* GetItem(int index) const;
    int GetItemCount() const { return static_cast<int>(GetElements().size()); }

    // The page index the HUD manager gave this menu.
    void SetPage(int index) { page = index; }
    int GetPage() const { return page; }

    // Arms the countdown when the menu has a delay.
    void StartTimer();
    // Counts down by the clock's scaled frame time; posts the event once
    // when it runs out.
    void Update();
    bool IsArmed() const { return armed; }
    float GetCountdown() const { return countdown; }

private:
    int page = 0;
    float delay;
    float countdown = 0.0f;
    int event;
    bool armed = false;
};
