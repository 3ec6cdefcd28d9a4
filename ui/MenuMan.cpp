#include "ui/MenuMan.h"

#include <windows.h>

#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Resources.h"
#include "core/Stage.h"
#include "render/Renderer.h"
#include "ui/BackBufferSize.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuHooks.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuTables.h"
#include "ui/ScrollingCredits.h"

MenuMan* gMenuMan = nullptr;

const char* const MenuMan::kBlurFile = "Blur.cfg";

namespace {

Camera* GetCamera()
{
    return gRenderer ? gRenderer->GetCamera() : nullptr;
}

MenuItemHUD* BuildItem(const MenuItemSpec& spec, const BackBufferSize& screen)
{
    const int x = spec.x.Resolve(screen.width);
    const int y = spec.y.Resolve(screen.height);
    const int w = spec.w.Resolve(screen.width);
    const int h = spec.h.Resolve(screen.height);
    switch (spec.kind) {
    case MenuItemKind::ToggleBox:
        return new ToggleBoxItemHUD(x, y, w, h, spec.event, spec.imageA, spec.imageB, spec.eventA, spec.eventB,
                                    spec.texture, spec.flag);
    case MenuItemKind::Credits:
        return new ScrollingCredits(spec.texture, spec.event);
    case MenuItemKind::Image:
        break;
    }
    return new MenuItemHUD(spec.texture, x, y, w, h, spec.event);
}

} // namespace

void MenuMan::Init()
{
    SubscribeMessages();
    // The menus are HUD pages: without the HUD there is nothing to show them
    // on, and nobody to delete them.
    if (!gHUDManager) return;
    for (int id = kMenuMain; id <= kMenuPause; ++id) BuildMenu(static_cast<MenuId>(id));
}

void MenuMan::BuildMenu(MenuId id)
{
    const MenuSpec& spec = GetMenuSpec(id);
    Menu* menu = new Menu(spec.delay, spec.event);
    // Built in id order after page 0, so each menu's page is its id.
    menu->SetPage(gHUDManager->AddHUD(menu));
    menus.push_back(menu);
    const BackBufferSize screen = GetBackBufferSize();
    for (std::size_t i = 0; i < spec.itemCount; ++i) menu->AddItem(BuildItem(spec.items[i], screen));
}

void MenuMan::SubscribeMessages()
{
    if (!gEventDispatcher) return;
    for (int id : {kMsgQuitGame, kMsgCloseMenu, kMsgNewGame, kMsgOpenOptions, kMsgOpenCredits})
        gEventDispatcher->Subscribe(id, this);
}

Menu* MenuMan::GetMenu(int id) const
{
    if (id < kMenuMain || id > static_cast<int>(menus.size())) return nullptr;
    return menus[id - 1];
}

void MenuMan::SetMouseLook(bool on) const
{
    if (Camera* camera = GetCamera()) camera->SetMouseLookEnabled(on);
}

void MenuMan::ShowTop()
{
    if (!gHUDManager) return;
    gHUDManager->SetActiveHUD(static_cast<unsigned>(GetCurrentMenuId()));
    gHUDManager->ShowMousePointer();
}

void MenuMan::OpenMenu(int id)
{
    if (!GetMenu(id)) return;
    if (stack.empty() || stack.back() != id) {
        stack.push_back(id);
        ShowTop();
    }
    Camera* camera = GetCamera();
    if (id == kMenuMain) {
        if (camera) {
            camera->SetMouseLookEnabled(false);
            camera->SetAutoRotate(true);
        }
        if (gRenderer) {
            gRenderer->ClearDrawLists();
            gRenderer->AddDrawList(ConfigDirectory + kBlurFile);
        }
    } else if (id == kMenuPause) {
        // Behind the stage's chain: only the first chain is drawn, so the
        // pause menu shows the stage unblurred.
        if (gRenderer) gRenderer->AddDrawList(ConfigDirectory + kBlurFile);
        SetMouseLook(false);
    }
}

void MenuMan::CloseMenu()
{
    if (stack.empty()) return;
    Camera* camera = GetCamera();
    const int top = stack.back();
    if (top == kMenuPause) {
        if (gRenderer) {
            gRenderer->ClearDrawLists();
            // The chain the stage loaded with: the stage number, as the load passes it.
            gRenderer->SelectLevelDrawList(CurrentStage());
        }
        SetMouseLook(true);
    } else if (top == kMenuMain) {
        if (camera) {
            camera->SetMouseLookEnabled(true);
            camera->SetAutoRotate(false);
        }
        if (gRenderer) gRenderer->PopDrawList();
        if (camera && gHUDManager) {
            camera->SetAngle(gHUDManager->savedYaw);
            camera->SetClampedAngle(gHUDManager->savedPitch);
        }
    }
    stack.pop_back();
    if (stack.empty()) {
        if (gHUDManager) {
            gHUDManager->HideMousePointer();
            gHUDManager->SetActiveHUD(kMenuNone);
        }
        return;
    }
    if (gHUDManager) gHUDManager->SetActiveHUD(static_cast<unsigned>(stack.back()));
    GetMenu(stack.back())->StartTimer();
}

void MenuMan::CloseAllMenus()
{
    SetMouseLook(true);
    while (!stack.empty()) CloseMenu();
}

void MenuMan::Update()
{
    if (Menu* top = GetCurrentMenu()) top->Update();
}

void MenuMan::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgQuitGame:
        if (Camera* camera = GetCamera()) camera->SaveOptions();
        PostQuitMessage(0);
        break;
    case kMsgCloseMenu:
        CloseMenu();
        break;
    case kMsgNewGame:
        CloseAllMenus();
        OpenMenu(kMenuMain);
        SetMouseLook(false);
        // After the main menu's blur went in front, so the stage's chain
        // takes its place behind it.
        MenuHookSlot::Get().LoadLevel(StageFileName(kFirstStage));
        break;
    case kMsgOpenOptions:
        SetMouseLook(false);
        // Over whichever menu is open, without the blur.
        if (GetCurrentMenuId() != kMenuOptions) {
            stack.push_back(kMenuOptions);
            ShowTop();
        }
        break;
    case kMsgOpenCredits:
        SetMouseLook(false);
        OpenMenu(kMenuCredits);
        break;
    default:
        REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}
