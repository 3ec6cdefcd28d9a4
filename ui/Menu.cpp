#include "ui/Menu.h"

#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "ui/MenuItemHUD.h"

Menu::Menu(float delay_, int event_) : delay(delay_), event(event_) {}

void Menu::AddItem(MenuItemHUD* item)
{
    item->SetPlace(page, GetItemCount());
    AddElement(item);
}

MenuItemHUD* Menu::GetItem(int index) const
{
    if (index < 0 || index >= GetItemCount()) return nullptr;
    return dynamic_cast<MenuItemHUD*>(GetElements()[index]);
}

void Menu::StartTimer()
{
    if (delay <= 0.0f) return;
    countdown = delay;
    armed = true;
}

void Menu::Update()
{
    if (!armed) return;
    countdown -= Clock::GetFrameTime(false);
    if (countdown >= 0.0f) return;
    armed = false;
    if (event >= 0 && gEventDispatcher) gEventDispatcher->PostMessage(event, new fInputState(event, kPressPressed));
}
