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
    MenuMan menus;
    gPartManager = &particles;
    gInGameLevelEditor = &editor;
    gMenuMan = &menus;
    editor.Toggle();
    menus.Init();
    menus.OpenMenu(kMenuOptions);

    const Answers none = {nullptr, false, 0, -1};
    EXPECT_TRUE(Ask() == none);
    InstallGameHooks();
    EXPECT_TRUE(StageHookSlot::IsInstalled());
    EXPECT_TRUE(Ask() == (Answers{&particles, true, 5, -1}));
    // Answers follow the singletons at each call.
    editor.Toggle();
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
}
