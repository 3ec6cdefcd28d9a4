// The menus, HUD and replay on their own: a dispatcher, a renderer without a
// device (its camera and draw-list chains), the HUD manager and the menus,
// laid out on a headless framework's back buffer of a chosen size, a virtual
// clock, and a stand-in for the game's side of the menus' hooks.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "ui/MenuHooks.h"

class Camera;
class Menu;
class MenuItemHUD;
class MousePointer;

class FakeMenuHooks : public MenuHooks
{
public:
    void LoadLevel(const std::string& levelFile) override
    {
        loads.push_back(levelFile);
        if (onLoad) onLoad();
    }

    std::vector<std::string> loads;
    std::function<void()> onLoad;
};

// Records every message of the ids it subscribes to, in delivery order.
class MessageLog;

class UiFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The framework's back buffer becomes width x height (the headless host
    // describes it from its window), then the singletons are made: the
    // dispatcher, a renderer, the HUD and, unless told otherwise, the menus.
    void StartUi(int width, int height, bool buildMenus = true);

    // One delivery pass, as a frame's input step does.
    void Deliver();
    void Post(int id, fMessage* msg);
    // The mouse moved by (dx, dy) this frame.
    void MoveMouse(int dx, int dy);
    // A left button message in this state (2 pressed, 3 held, 1 released).
    void LeftButton(int state);
    // Moves the pointer so its hot spot sits at (x, y), then presses the left button.
    void ClickAt(int x, int y);
    // The hot spot at the middle of the item's rectangle, then a press.
    void ClickItem(const MenuItemHUD& item);

    // One frame move's worth of clock and menu timer: the clock ticks by ms.
    void TickClock(float ms);

    Menu& MenuOf(int id);
    MenuItemHUD& ItemOf(int menuId, int index);
    MousePointer* Pointer();
    Camera& GetCamera();
    // The names of the renderer's draw-list chains, the drawn one first.
    std::vector<std::string> ChainNames();

    // Message ids seen, in delivery order, of the ids given to Watch.
    void Watch(std::initializer_list<int> ids);
    const std::vector<int>& Seen() const;

    FakeMenuHooks hooks;
    int width = 0;
    int height = 0;

private:
    MessageLog* log = nullptr;
};
