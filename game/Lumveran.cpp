// The main module: start-up, the framework callbacks, frame move and frame
// render, the developer keys, dropped files and the exit routine.
#include "game/Lumveran.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>

#include "DXUTgui.h"
#include "d3dfont.h"
#include "audio/AudioSystem.h"
#include "audio/JukeBox.h"
#include "core/Clock.h"
#include "core/DebugPrint.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Resources.h"
#include "core/ScreenText.h"
#include "core/Stage.h"
#include "game/DebugCaption.h"
#include "game/EditorDialog.h"
#include "game/GameHooks.h"
#include "game/InGameLevelEditor.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/World.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "physics/ObjectController.h"
#include "physics/collision/CollisionDetection.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

namespace {

// Frames-per-second bookkeeping of the frame move.
float sAccumulatedSeconds = 0.0f;
int sFrameCount = 0;
int sFramesPerSecond = 0;

bool sShutdownDone = false;

// The listener stands where the renderer's camera stands.
ListenerPose ReadListenerCamera(const Camera* camera)
{
    return ListenerPose{camera->GetPosition(), camera->GetForward(), camera->GetUp()};
}

// The player's push controller takes its force factor from the key
// "physics_force_per_vel_per_mass" of "Physics.cfg". The physics world has
// read that key already and replaced an unusable value (zero, negative,
// absurd) by its default with a report, so the controller takes the checked
// value rather than reading the raw one again.
void ApplyForceFactor(ObjectController* controller)
{
    if (gPhysicsWorld) controller->SetStrength(gPhysicsWorld->GetPushStrength());
}

void CountFrame(float elapsedTime)
{
    sAccumulatedSeconds += elapsedTime;
    ++sFrameCount;
    if (sAccumulatedSeconds > 1.0f) {
        sAccumulatedSeconds -= 1.0f;
        sFramesPerSecond = sFrameCount;
        sFrameCount = 0;
    }
    DebugPrint("FPS %d", sFramesPerSecond);
}

void LoadStageFromKey(int stage)
{
    if (gLevelLoader) gLevelLoader->LoadLevel(StageFileName(stage));
    if (gMenuMan) gMenuMan->CloseAllMenus();
}

void OnDroppedFile(HDROP drop)
{
    // Ask for the length first so long paths are not cut at 255 characters.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring wideName(length + 1, L'\0');
    DragQueryFileW(drop, 0, &wideName[0], length + 1);
    wideName.resize(length);
    DragFinish(drop);
    if (!gWorld || wideName.empty()) return;

    const int bytes = WideCharToMultiByte(CP_ACP, 0, wideName.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string name(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wideName.c_str(), -1, &name[0], bytes, nullptr, nullptr);
    name.resize(name.find('\0'));
    std::string meshName;
    const std::string heightmapName = gWorld->ConvertBitmapToHeightmap(name, &meshName);
    // A failed conversion (reported), a bitmap too large for a terrain
    // (reported, no grid mesh) or a terrain that does not build keeps the
    // stage's ground: clearing it would drop every body into the void.
    if (heightmapName.empty() || meshName.empty()) return;
    gWorld->ReplaceHeightmaps(meshName, heightmapName);
}

} // namespace

int GetFramesPerSecond()
{
    return sFramesPerSecond;
}

void ResetFramesPerSecond()
{
    sAccumulatedSeconds = 0.0f;
    sFrameCount = 0;
    sFramesPerSecond = 0;
}

void CreateGameObjects()
{
    gInput = new (std::nothrow) Input();
    gObjectController = new (std::nothrow) ObjectController(gPhysicsWorld);
    if (gObjectController) {
        ApplyForceFactor(gObjectController);
        if (gPhysicsWorld) gPhysicsWorld->AddController(gObjectController);
    }
    gPlayer = new (std::nothrow) Player();
    gLevelLoader = new (std::nothrow) LevelLoader();
    gInGameLevelEditor = new (std::nothrow) InGameLevelEditor();
    gEditorDialogState = new (std::nothrow) EditorDialogState();
    CreateEditorDialog(gEditorDialogState);
}

void LoadFirstStage()
{
    DebugPrint("Initialize...");
    if (gLevelLoader) gLevelLoader->LoadLevel(StageFileName(kFirstStage));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    // The hooks answer from the singletons at each call, so they can go in
    // before any of them exists.
    InstallGameHooks();
    gEventDispatcher = new (std::nothrow) EventDispatcher();

    AllocConsole();
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("../Errors.txt", "w", stderr);
    std::cout << "Quorvalith" << std::endl;
    std::cout << "Last Compiled: " << __DATE__ << " " << __TIME__ << std::endl;

    gWorld = new (std::nothrow) World();
    gRenderer = new (std::nothrow) Renderer(ReadVideoSettings(gWorld ? gWorld->GetVidConfig() : nullptr));
    gHUDManager = new (std::nothrow) HUDManager();
    Clock::Init();

    gPhysicsWorld = new (std::nothrow) PhysicsWorld();
    if (gPhysicsWorld) {
        gPhysicsWorld->LoadConfig();
        InstallCollisionDetection(*gPhysicsWorld);
    }

    gAudioSystem = new (std::nothrow) AudioSystem();
    if (gAudioSystem) {
        gAudioSystem->Init();
        gAudioSystem->LoadAllSounds();
        gAudioSystem->SetListenerCamera(gRenderer ? gRenderer->GetCamera() : nullptr);
        gAudioSystem->SetCameraPoseReader(ReadListenerCamera);
    }
    gJukeBox = new (std::nothrow) cJukeBox();
    if (gJukeBox) {
        if (gAudioSystem) gAudioSystem->RegisterController(gJukeBox);
        gJukeBox->Stop();
    }

    CreateGameObjects();

    gPartFactory = new (std::nothrow) fPartFactory();
    gPartManager = new (std::nothrow) fPartManager();
    if (gPartFactory) {
        gPartFactory->RegisterBehaviours();
        gPartFactory->LoadDefinitions();
    }
    gReplaySystem = new (std::nothrow) cReplaySystem(3.0f);

    DXUTSetCallbackDeviceCreated(OnCreateDevice);
    DXUTSetCallbackDeviceReset(OnResetDevice);
    DXUTSetCallbackFrameRender(OnFrameRender);
    DXUTSetCallbackFrameMove(OnFrameMove);
    DXUTSetCallbackKeyboard(OnKeyboard);
    DXUTSetCallbackDeviceChanging(ModifyDeviceSettings);
    DXUTSetCallbackMsgProc(MsgProc);
    DXUTSetCallbackEscape(FrameworkWindowProcEscape);

    const bool deviceReady = gRenderer && gRenderer->InitDirectX();
    if (!deviceReady) {
        PostQuitMessage(-1);
        REPORT_ERROR("D3D Could not be initialized");
    }

    std::atexit(Shutdown);

    // Without a window and device there is nothing to build menus and a stage
    // for; the main loop returns at once on the posted quit.
    if (deviceReady) {
        DragAcceptFiles(DXUTGetHWND(), TRUE);

        gMenuMan = new (std::nothrow) MenuMan();
        if (gMenuMan) {
            gMenuMan->Init();
            gMenuMan->OpenMenu(kMenuMain);
            gMenuMan->OpenMenu(kMenuImageSplash);
            gMenuMan->OpenMenu(kMenuLogoSplash);
            if (Menu* top = gMenuMan->GetCurrentMenu()) top->StartTimer();
        }
        if (gRenderer) gRenderer->GetCamera()->LoadOptions();
        LoadFirstStage();
    }

    return DXUTMainLoop(nullptr);
}

HRESULT CALLBACK OnCreateDevice(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer, void* userContext)
{
    // The renderer only learns its device at the first reset, so the dialog
    // manager gets the device the framework hands us here.
    if (gDialogResourceManager) gDialogResourceManager->OnD3D9CreateDevice(device);
    return S_OK;
}

HRESULT CALLBACK OnResetDevice(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer, void* userContext)
{
    if (gRenderer) {
        gRenderer->OnDeviceReset();
        gRenderer->LoadResources();
    }
    if (gDialogResourceManager) gDialogResourceManager->OnD3D9ResetDevice();
    return S_OK;
}

void CALLBACK OnFrameMove(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext)
{
    CountFrame(elapsedTime);
    Clock::Tick();
    if (gInput) gInput->Update(static_cast<int>(Clock::GetFrameTime(true) * 1000.0f));
    if (gEventDispatcher) gEventDispatcher->ProcessQueue();

    const bool frozen = gReplaySystem && gReplaySystem->IsFrozen();
    float dt = frozen ? 0.0f : Clock::GetFrameTime(false) / 1000.0f;

    if (gMenuMan) gMenuMan->Update();
    if (gPartManager) {
        gPartManager->Update(&dt);
        gPartManager->SpawnLavaSystems(&dt);
    }
    if (gPlayer) gPlayer->Update();
    PrintDebugCaption();
    if (gPhysicsWorld) gPhysicsWorld->Update(dt);
    if (gReplaySystem) gReplaySystem->Update();
    if (gAudioSystem) gAudioSystem->Update();
    if (gRenderer) gRenderer->Update(dt);
}

void CALLBACK OnFrameRender(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext)
{
    if (gWorld) gWorld->Update(static_cast<float>(time));
    if (gRenderer) {
        if (gHUDManager) gHUDManager->Update();
        gRenderer->RenderFrame();
    }
}

void CALLBACK OnKeyboard(UINT key, bool keyDown, bool altDown, void* userContext)
{
    if (!keyDown) return;
    switch (key) {
    case '1':
    case 'R':
        LoadStageFromKey(kFirstStage);
        break;
    case '2':
        LoadStageFromKey(kWhipStage);
        break;
    case '3':
        LoadStageFromKey(kLavaStage);
        break;
    case '4':
        LoadStageFromKey(kCartStage);
        break;
    case 'N': {
        Vector3 position(173.0f, -181.0f, 12.0f);
        Vector3 velocity(0.0f, 0.0f, 0.0f);
        float scale = 1.0f;
        SendToParticles(kMsgCreateSystem, new fCreateSystem("Explosion", &position, &velocity, &scale));
        break;
    }
    case 'T':
        if (gWorld) gWorld->AddHeightmap(MapsDirectory + "Heightmap.hmp");
        break;
    default:
        break;
    }
}

bool CALLBACK ModifyDeviceSettings(DXUTDeviceSettings* settings, const D3DCAPS9* caps, void* userContext)
{
    if (gRenderer) {
        gRenderer->ReleaseDeviceResources();
        gRenderer->UpdateFullscreenSize(settings);
    }
    return true;
}

LRESULT CALLBACK MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* noFurtherProcessing,
                         void* userContext)
{
    if (message == WM_DROPFILES) OnDroppedFile(reinterpret_cast<HDROP>(wParam));

    bool handled = gDialogResourceManager && gDialogResourceManager->MsgProc(window, message, wParam, lParam);
    if (!handled && gInGameLevelEditor && gInGameLevelEditor->IsEnabled() && gEditorDialog)
        handled = gEditorDialog->MsgProc(window, message, wParam, lParam);
    if (noFurtherProcessing) *noFurtherProcessing = handled;
    return 0;
}

void CALLBACK FrameworkWindowProcEscape(void* userContext)
{
    if (gMenuMan && gMenuMan->GetCurrentMenuId() == kMenuNone) gMenuMan->OpenMenu(kMenuPause);
}

template <typename T>
static void DeleteSingleton(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

void DestroyGameObjects()
{
    DeleteSingleton(gInput);
    DeleteSingleton(gObjectController);
    DeleteSingleton(gDebugFont);
    DeleteSingleton(gPlayer);
    DeleteSingleton(gInGameLevelEditor);
    DeleteSingleton(gLevelLoader);
    DeleteSingleton(gEditorDialogState);
    DeleteSingleton(gReplaySystem);
    DeleteSingleton(gEventDispatcher);
}

void Shutdown()
{
    if (sShutdownDone) return;
    sShutdownDone = true;
    RemoveGameHooks();

    DeleteSingleton(gPartManager);
    DeleteSingleton(gPartFactory);
    DeleteSingleton(gWorld);
    DeleteSingleton(gHUDManager);
    DeleteSingleton(gRenderer);
    DeleteSingleton(gPhysicsWorld);
    DeleteSingleton(gAudioSystem);
    DestroyGameObjects();
    DeleteSingleton(gEditorDialog);
    DeleteSingleton(gDialogResourceManager);
    ClearScreenMessages();
    FreeConsole();
}
