// The menu manager: the seven menus as a stack of open menus. Placeholder until
// the menus are written; it keeps the stack so that the Escape rule and the
// developer keys behave as they will.
#pragma once

#include <vector>

#include "core/EventObj.h"
#include "core/MenuId.h"

class Menu
{
public:
    explicit Menu(MenuId id) : id(id) {}
    MenuId GetId() const { return id; }
    // Starts the menu's countdown (the splash screens close themselves).
    void StartTimer();

private:
    MenuId id;
};

class MenuMan : public fEventObj
{
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    // Subscribes and builds the menus in id order.
    void Init();
    void OpenMenu(MenuId id);
    // Closes the top menu.
    void CloseMenu();
    void CloseAllMenus();
    Menu* GetCurrentMenu();
    // kMenuNone when no menu is open.
    MenuId GetCurrentMenuId() const;
    // Counts down the top menu's timer.
    void Update();

private:
    std::vector<Menu> menus;
    std::vector<MenuId> open;
};

extern MenuMan* gMenuMan;
