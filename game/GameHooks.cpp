// Each hook answers the lower layers from what the game holds: the World,
// the Player, the menus and the renderer.
#include "game/GameHooks.h"

#include "DXUTgui.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Object.h"
#include "objects/StageHooks.h"
#include "particles/ParticleHooks.h"
#include "particles/fPartManager.h"
#include "render/CameraHooks.h"
#include "render/FrameHooks.h"
#include "render/Renderer.h"
#include "render/TechniqueNames.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuHooks.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/ReplayHooks.h"

namespace {

bool EditorEnabled()
{
    return gInGameLevelEditor && gInGameLevelEditor->IsEnabled();
}

class GameStageHooks : public StageHooks
{
public:
    bool AddObject(Object* object) override
    {
        if (gWorld == nullptr) return false;
        gWorld->AddObject(object);
        return true;
    }
    bool AddUpdatable(NPObj* sceneObject) override
    {
        if (gWorld == nullptr) return false;
        gWorld->AddUpdatable(sceneObject);
        return true;
    }
    PointLight* AddLight(const Vector3* position, const Matrix3* orientation, const float* colour, float range,
                         float attenuation0, float attenuation1) override
    {
        return gWorld ? gWorld->AddLight(position, orientation, colour, range, attenuation0, attenuation1) : nullptr;
    }
    void CreateSceneObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                           int texture) override
    {
        if (gWorld != nullptr) gWorld->CreateNPObject(type, position, orientation, sx, sy, sz, texture);
    }
    void KnockOutPlayer() override
    {
        if (gPlayer != nullptr) gPlayer->KnockOut();
    }
    void ResetPlayerForNewLevel() override
    {
        if (gPlayer != nullptr) gPlayer->ResetForNewLevel();
    }
    const RigidBody* GetPlayerBody() const override { return gPlayer ? gPlayer->GetWalkingBody() : nullptr; }
    fEventObj* GetParticleManager() const override { return gPartManager; }
};

class GameFrameHooks : public FrameHooks
{
public:
    const std::vector<PointLight*>* GetLights() const override { return gWorld ? &gWorld->GetLights() : nullptr; }
    const std::vector<Terrain*>* GetTerrains() const override { return gWorld ? &gWorld->GetHeightmaps() : nullptr; }
    bool GetCharacter(FrameCharacter& character) const override
    {
        Object* object = gWorld ? gWorld->GetObject(0) : nullptr;
        if (object == nullptr) return false;
        character.position = &object->position;
        character.linearVelocity = object->linearVelocity;
        character.instance = object->meshes.empty() ? nullptr : object->meshes.front();
        character.idleAnimation = gPlayer == nullptr || gPlayer->IsIdleAnimation();
        return true;
    }
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
    const Vector3* GetObjectPosition(unsigned index) const override
    {
        const Object* object = gWorld ? gWorld->GetObject(static_cast<int>(index)) : nullptr;
        return object ? &object->position : nullptr;
    }
    // The character's first body: it stays with the character when it falls.
    const Vector3* GetPlayerBodyPosition() const override
    {
        const Object* limb = gPlayer ? gPlayer->GetFirstLimb() : nullptr;
        return limb ? &limb->position : nullptr;
    }
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
    void LoadLevel(const std::string& levelFile) override
    {
        if (gLevelLoader) gLevelLoader->LoadLevel(levelFile);
    }
};

class GameParticleHooks : public ParticleHooks
{
public:
    bool GetPlayerState(ParticlePlayerState& state) const override
    {
        if (gPlayer == nullptr) return false;
        state.upright = gPlayer->IsUpright();
        state.idleAnimation = gPlayer->IsIdleAnimation();
        state.touching = gPlayer->IsTouching();
        return true;
    }
    bool IsPlayerOnGround() const override { return gPlayer != nullptr && gPlayer->CheckGround(); }
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

class GameReplayHooks : public ReplayHooks
{
public:
    bool IsPlayerUpright() const override { return gPlayer == nullptr || gPlayer->IsUpright(); }
    Ragdoll* GetPlayerRagdoll() const override { return gPlayer ? gPlayer->GetBody() : nullptr; }
};

GameStageHooks sStageHooks;
GameFrameHooks sFrameHooks;
GameCameraHooks sCameraHooks;
GameParticleHooks sParticleHooks;
GameMenuHooks sMenuHooks;
GameReplayHooks sReplayHooks;

} // namespace

void InstallGameHooks()
{
    StageHookSlot::Install(&sStageHooks);
    FrameHookSlot::Install(&sFrameHooks);
    CameraHookSlot::Install(&sCameraHooks);
    ParticleHookSlot::Install(&sParticleHooks);
    MenuHookSlot::Install(&sMenuHooks);
    ReplayHookSlot::Install(&sReplayHooks);
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
