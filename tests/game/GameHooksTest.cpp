// The hooks the layers below call up through: the defaults before the game
// installs its side, the game's singletons while installed, the defaults
// again once removed.
#include <gtest/gtest.h>

#include "game/GameHooks.h"
#include "game/InGameLevelEditor.h"
#include "objects/StageHooks.h"
#include "particles/ParticleHooks.h"
#include "particles/fPartManager.h"
#include "render/CameraHooks.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuHooks.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"

namespace {

struct Answers
{
    fEventObj* particleManager;
    bool editorEnabled;
    int topMenu;
    int stage;

    bool operator==(const Answers& o) const
    {
        return particleManager == o.particleManager && editorEnabled == o.editorEnabled && topMenu == o.topMenu &&
               stage == o.stage;
    }
};

Answers Ask()
{
    return {StageHookSlot::Get().GetParticleManager(), CameraHookSlot::Get().IsEditorEnabled(),
            CameraHookSlot::Get().GetTopMenuId(), ParticleHookSlot::Get().GetStage()};
}

} // namespace

TEST(GameHooks, AnswerFromTheGameOnlyWhileInstalled)
{
    fPartManager particles;
    InGameLevelEditor editor;
    HUDManager hud;
    gHUDManager = &hud;
    MenuMan menus;
    gPartManager = &particles;
    gInGameLevelEditor = &editor;
    gMenuMan = &menus;
    editor.SetEnabledForTest(true);
    menus.Init();
    menus.OpenMenu(kMenuOptions);

    const Answers none = {nullptr, false, 0, -1};
    EXPECT_TRUE(Ask() == none);
    InstallGameHooks();
    EXPECT_TRUE(StageHookSlot::IsInstalled());
    EXPECT_TRUE(Ask() == (Answers{&particles, true, 5, -1}));
    EXPECT_EQ(MenuHookSlot::Get().GetStage(), -1);
    // The camera's options show on the options menu's boxes.
    ToggleBoxItemHUD* box = dynamic_cast<ToggleBoxItemHUD*>(menus.GetMenu(kMenuOptions)->GetItem(7));
    ASSERT_NE(box, nullptr);
    CameraHookSlot::Get().ShowOptionChecked(7, true);
    EXPECT_EQ(box->GetTexture(), 64);
    CameraHookSlot::Get().ShowOptionChecked(7, false);
    EXPECT_EQ(box->GetTexture(), 63);
    CameraHookSlot::Get().ShowOptionChecked(5, true); // "back", no box: nothing
    // Answers follow the singletons at each call.
    editor.SetEnabledForTest(false);
    menus.CloseAllMenus();
    gPartManager = nullptr;
    EXPECT_TRUE(Ask() == none);
    gPartManager = &particles;
    RemoveGameHooks();
    EXPECT_FALSE(StageHookSlot::IsInstalled());
    EXPECT_TRUE(Ask() == none);

    gPartManager = nullptr;
    gInGameLevelEditor = nullptr;
    gMenuMan = nullptr;
    gHUDManager = nullptr;
}
