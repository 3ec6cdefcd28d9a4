#include "ui/MenuMan.h"

#include "core/SpineTrace.h"

MenuMan* gMenuMan = nullptr;

void Menu::StartTimer() { SpineTrace::Record("Menu::StartTimer " + std::to_string(id)); }

void MenuMan::Init() {
    SpineTrace::Record("MenuMan::Init");
    menus.clear();
    for (int id = 1; id <= 7; ++id) menus.emplace_back(id);
}

void MenuMan::OpenMenu(int id) {
    SpineTrace::Record("MenuMan::OpenMenu " + std::to_string(id));
    if (id >= 1 && id <= static_cast<int>(menus.size())) open.push_back(id);
}

void MenuMan::CloseAllMenus() {
    SpineTrace::Record("MenuMan::CloseAllMenus");
    open.clear();
}

Menu* MenuMan::GetCurrentMenu() {
    if (open.empty()) return nullptr;
    return &menus[open.back() - 1];
}

int MenuMan::GetCurrentMenuId() const { return open.empty() ? 0 : open.back(); }

void MenuMan::Update() { SpineTrace::Record("MenuMan::Update"); }
