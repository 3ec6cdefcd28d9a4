// The menu manager: the seven menus as a stack of open menus. Placeholder until
// the menus are written; it keeps the stack so that the Escape rule and the
// developer keys behave as they will.
#pragma once

#include <vector>

#include "core/EventObj.h"

class Menu {
public:
    explicit Menu(int id) : id(id) {}
    int GetId() const { return id; }
    // Starts the menu's countdown (the splash screens close themselves).
    void StartTimer();

private:
    int id;
};

class MenuMan : public fEventObj {
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    // Subscribes and builds menus 1 to 7.
    void Init();
    void OpenMenu(int id);
    void CloseAllMenus();
    Menu* GetCurrentMenu();
    // 0 when no menu is open.
    int GetCurrentMenuId() const;
    // Counts down the top menu's timer.
    void Update();

private:
    std::vector<Menu> menus;
    std::vector<int> open;
};

extern MenuMan* gMenuMan;
