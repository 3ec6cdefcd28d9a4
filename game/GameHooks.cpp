// Each hook answers from what the game holds today. The operations whose
// targets do not exist yet keep the lower layer's default and are filled in
// here when their targets arrive:
// - StageHooks: AddObject, AddUpdatable, AddLight and CreateSceneObject with
//   the World's lists and factory; KnockOutPlayer, ResetPlayerForNewLevel and
//   GetPlayerBody with the Player and its ragdoll.
// - FrameHooks: GetLights, GetTerrains and GetCharacter with the World's
//   lists and the Player.
// - CameraHooks: the two body positions with the World and the Player.
// - ParticleHooks: GetPlayerState and IsPlayerOnGround with the Player;
//   GetCameraForward with the camera; QueueInstance and InternTechnique with
//   the renderer.
// - ReplayHooks: both with the Player.
#include "game/GameHooks.h"

#include "DXUTgui.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "objects/StageHooks.h"
#include "particles/ParticleHooks.h"
#include "particles/fPartManager.h"
#include "render/CameraHooks.h"
#include "render/FrameHooks.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuHooks.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/ReplayHooks.h"

namespace {

int CurrentStage()
{
    return gLevelLoader ? gLevelLoader->GetStage() : -1;
}

bool EditorEnabled()
{
    return gInGameLevelEditor && gInGameLevelEditor->IsEnabled();
}

class GameStageHooks : public StageHooks
{
public:
    int GetStage() const override { return CurrentStage(); }
    fEventObj* GetParticleManager() const override { return gPartManager; }
};

class GameFrameHooks : public FrameHooks
{
public:
    void DrawEditorDialog(float elapsedSeconds) override
    {
        if (EditorEnabled() && gEditorDialog) gEditorDialog->OnRender(elapsedSeconds);
    }
    void DrawHud() override
    {
        if (gHUDManager) gHUDManager->Render();
    }
};

class GameCameraHooks : public CameraHooks
{
public:
    void ClampCursor(int halfWidth, int halfHeight) override
    {
        if (gInput) gInput->ClampCursor(halfWidth, halfHeight);
    }
    int GetStage() const override { return CurrentStage(); }
    bool IsEditorEnabled() const override { return EditorEnabled(); }
    int GetTopMenuId() const override { return gMenuMan ? gMenuMan->GetCurrentMenuId() : 0; }
    // The options menu's boxes, whether the toggle or the options file asks.
    void ShowOptionChecked(int item, bool checked) override
    {
        Menu* options = gMenuMan ? gMenuMan->GetMenu(kMenuOptions) : nullptr;
        ToggleBoxItemHUD* box = options ? dynamic_cast<ToggleBoxItemHUD*>(options->GetItem(item)) : nullptr;
        if (!box) return;
        if (checked) {
            box->SetChecked();
        } else {
            box->SetUnchecked();
        }
    }
};

class GameMenuHooks : public MenuHooks
{
public:
    int GetStage() const override { return CurrentStage(); }
    void LoadLevel(const std::string& levelFile) override
    {
        if (gLevelLoader) gLevelLoader->LoadLevel(levelFile);
    }
};

class GameParticleHooks : public ParticleHooks
{
public:
    int GetStage() const override { return CurrentStage(); }
};

GameStageHooks sStageHooks;
GameFrameHooks sFrameHooks;
GameCameraHooks sCameraHooks;
GameParticleHooks sParticleHooks;
GameMenuHooks sMenuHooks;

} // namespace

void InstallGameHooks()
{
    StageHookSlot::Install(&sStageHooks);
    FrameHookSlot::Install(&sFrameHooks);
    CameraHookSlot::Install(&sCameraHooks);
    ParticleHookSlot::Install(&sParticleHooks);
    MenuHookSlot::Install(&sMenuHooks);
    // Nothing to answer yet beyond the defaults (see above).
    ReplayHookSlot::Install(nullptr);
}

void RemoveGameHooks()
{
    StageHookSlot::Install(nullptr);
    FrameHookSlot::Install(nullptr);
    CameraHookSlot::Install(nullptr);
    ParticleHookSlot::Install(nullptr);
    MenuHookSlot::Install(nullptr);
    ReplayHookSlot::Install(nullptr);
}
