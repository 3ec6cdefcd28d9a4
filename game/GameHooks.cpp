// Each hook answers from what the game holds today. The operations whose
// targets do not exist yet keep the lower layer's default and are filled in
// here when their targets arrive:
// - StageHooks: AddObject, AddUpdatable, AddLight and CreateSceneObject with
//   the World's lists and factory; KnockOutPlayer, ResetPlayerForNewLevel and
//   GetPlayerBody with the Player and its ragdoll.
// - FrameHooks: GetLights, GetTerrains and GetCharacter with the World's
//   lists and the Player; DrawHud with HUDManager::Render.
// - CameraHooks: the two body positions with the World and the Player;
//   ShowOptionChecked with the options menu's toggle items.
// - ParticleHooks: GetPlayerState and IsPlayerOnGround with the Player.
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
#include "render/Renderer.h"
#include "render/TechniqueNames.h"
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
};

class GameParticleHooks : public ParticleHooks
{
public:
    int GetStage() const override { return CurrentStage(); }
    Vector3 GetCameraForward() const override
    {
        return gRenderer ? gRenderer->GetCamera()->GetForward() : ParticleHooks::GetCameraForward();
    }
    // The renderer frees a queued quad the frame after its particle marks it.
    bool QueueInstance(MeshInstance* instance) override
    {
        if (!gRenderer) return false;
        gRenderer->QueueInstance(instance);
        return true;
    }
    const char* InternTechnique(const std::string& name) override { return ::InternTechnique(name); }
};

GameStageHooks sStageHooks;
GameFrameHooks sFrameHooks;
GameCameraHooks sCameraHooks;
GameParticleHooks sParticleHooks;

} // namespace

void InstallGameHooks()
{
    StageHookSlot::Install(&sStageHooks);
    FrameHookSlot::Install(&sFrameHooks);
    CameraHookSlot::Install(&sCameraHooks);
    ParticleHookSlot::Install(&sParticleHooks);
    // Nothing to answer yet beyond the defaults (see above).
    ReplayHookSlot::Install(nullptr);
}

void RemoveGameHooks()
{
    StageHookSlot::Install(nullptr);
    FrameHookSlot::Install(nullptr);
    CameraHookSlot::Install(nullptr);
    ParticleHookSlot::Install(nullptr);
    ReplayHookSlot::Install(nullptr);
}
