// The menu manager: the seven menus and the stack of open ones. The menu on
// top is the active HUD page and the only one whose items react. Opening and
// closing the main and pause menus also puts the blur chain in front of the
// frame and switches the camera's mouse look and orbit.
//
// Ownership: the menus are HUD pages, owned and deleted by the HUD manager;
// the manager only points at them. It is made once at start-up and never
// deleted, so it keeps its subscriptions to the end.
#pragma once

#include <deque>
#include <vector>

#include "core/EventObj.h"
#include "core/MenuId.h"

class Menu;

class MenuMan : public fEventObj
{
public:
    // The blur chain the main and pause menus put in front of the frame.
    static const char* const kBlurFile;

    MenuMan() = default;

    // Subscribes, then builds menus 1 to 7 as HUD pages 1 to 7.
    void Init();
    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;

    // Pushes the menu unless it is on top already, then its side effects.
    void OpenMenu(int id);
    // Closes the top menu, when there is one.
    void CloseMenu();
    void CloseAllMenus();
    // The top menu's timer; once per frame move.
    void Update();

    // kMenuNone when no menu is open.
    int GetCurrentMenuId() const { return stack.empty() ? kMenuNone : stack.back(); }
    // The top menu, or null when none is open.
    Menu* GetCurrentMenu() const { return GetMenu(GetCurrentMenuId()); }
    // The menu of id 1 to 7, or null.
    Menu* GetMenu(int id) const;
    // The open menus, the top last.
    const std::deque<int>& GetStack() const { return stack; }

private:
    void BuildMenu(MenuId id);
    void SetMouseLook(bool on) const;
    void ShowTop();

    std::deque<int> stack;
    std::vector<Menu*> menus; // index = id - 1; not owned
};

extern MenuMan* gMenuMan;
