// The hooks the layers below call up through: the defaults before the game
// installs its side, the game's singletons while installed, the defaults
// again once removed.
#include <gtest/gtest.h>

#include "game/GameHooks.h"
#include "game/InGameLevelEditor.h"
#include "objects/StageHooks.h"
#include "particles/ParticleHooks.h"
#include "particles/ParticleQuad.h"
#include "particles/fPartManager.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "render/TechniqueNames.h"
#include "render/CameraHooks.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"

namespace {

struct Answers
{
    fEventObj* particleManager;
    bool editorEnabled;
    int topMenu;

    bool operator==(const Answers& o) const
    {
        return particleManager == o.particleManager && editorEnabled == o.editorEnabled && topMenu == o.topMenu;
    }
};

Answers Ask()
{
    return {StageHookSlot::Get().GetParticleManager(), CameraHookSlot::Get().IsEditorEnabled(),
            CameraHookSlot::Get().GetTopMenuId()};
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
    editor.Toggle();
    menus.Init();
    menus.OpenMenu(kMenuOptions);

    const Answers none = {nullptr, false, 0};
    EXPECT_TRUE(Ask() == none);
    InstallGameHooks();
    EXPECT_TRUE(StageHookSlot::IsInstalled());
    EXPECT_TRUE(Ask() == (Answers{&particles, true, 5}));
    // The camera's options show on the options menu's boxes.
    ToggleBoxItemHUD* box = dynamic_cast<ToggleBoxItemHUD*>(menus.GetMenu(kMenuOptions)->GetItem(7));
    ASSERT_NE(box, nullptr);
    CameraHookSlot::Get().ShowOptionChecked(7, true);
    EXPECT_EQ(box->GetTexture(), 64);
    CameraHookSlot::Get().ShowOptionChecked(7, false);
    EXPECT_EQ(box->GetTexture(), 63);
    CameraHookSlot::Get().ShowOptionChecked(5, true); // "back", no box: nothing
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
    gHUDManager = nullptr;
}

TEST(GameHooks, ParticleQuadsReachTheRenderersListsWithInternedTechniques)
{
    Renderer renderer{VideoSettings()};
    gRenderer = &renderer;
    InstallGameHooks();
    ParticleHooks& hooks = ParticleHookSlot::Get();
    const Vector3 forward = renderer.GetCamera()->GetForward();
    EXPECT_EQ(hooks.GetCameraForward().x, forward.x);
    EXPECT_EQ(hooks.GetCameraForward().z, forward.z);
    const std::string name = "ParticleAdditive";
    const char* technique = hooks.InternTechnique(name);
    EXPECT_EQ(technique, InternTechnique("ParticleAdditive")) << "one pointer per name, as the lists compare them";
    Vector3 at;
    MeshInstance* glow = CreateParticleQuad(kScreenQuadMeshId, technique, 35, 1, &at, &Matrix3::Identity());
    MeshInstance* smoke =
        CreateParticleQuad(kScreenQuadMeshId, hooks.InternTechnique("ParticleAlpha"), 45, 0, &at, &Matrix3::Identity());
    EXPECT_TRUE(QueueParticleQuad(glow));
    EXPECT_TRUE(QueueParticleQuad(smoke));
    EXPECT_EQ(renderer.GetRenderLists().Count(kTechniqueList), 1);
    EXPECT_EQ(renderer.GetRenderLists().Count(kTransparentList), 1);
    RemoveGameHooks();
    gRenderer = nullptr;
    // Without the renderer a particle keeps its own quad.
    MeshInstance* own = CreateParticleQuad(kScreenQuadMeshId, technique, 35, 1, &at, &Matrix3::Identity());
    EXPECT_FALSE(QueueParticleQuad(own));
    ReleaseParticleQuad(own, false);
}
