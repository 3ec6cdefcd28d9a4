#include "ui/MenuMan.h"

#include "core/SpineTrace.h"

MenuMan* gMenuMan = nullptr;

void Menu::StartTimer()
{
    SpineTrace::Record("Menu::StartTimer " + std::to_string(id));
}

void MenuMan::Init()
{
    SpineTrace::Record("MenuMan::Init");
    menus.clear();
    for (int id = kMenuMain; id <= kMenuPause; ++id) menus.emplace_back(static_cast<MenuId>(id));
}

void MenuMan::OpenMenu(MenuId id)
{
    SpineTrace::Record("MenuMan::OpenMenu " + std::to_string(id));
    if (id >= kMenuMain && id <= static_cast<int>(menus.size())) open.push_back(id);
}

void MenuMan::CloseMenu()
{
    SpineTrace::Record("MenuMan::CloseMenu");
    if (!open.empty()) open.pop_back();
}

void MenuMan::CloseAllMenus()
{
    SpineTrace::Record("MenuMan::CloseAllMenus");
    open.clear();
}

Menu* MenuMan::GetCurrentMenu()
{
    if (open.empty()) return nullptr;
    return &menus[open.back() - 1];
}

MenuId MenuMan::GetCurrentMenuId() const
{
    return open.empty() ? kMenuNone : open.back();
}

void MenuMan::Update()
{
    SpineTrace::Record("MenuMan::Update");
}
