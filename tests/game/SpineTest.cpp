// The spine's frame order, the frozen-world rule, the developer keys, the
// Escape rule and dropped files, checked through the placeholders' call trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <dinput.h>
#include <dinput_test.h>

#include "SpineTrace.h"
#include "Win32Host.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/EventObj.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/InGameLevelEditor.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/World.h"
#include "core/Resources.h"
#include "objects/NPObj.h"
#include "render/Terrain.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "objects/Object.h"
#include "render/MeshInstance.h"
#include "ui/Menu.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"
#include "tests/game/BitmapWriter.h"
#include "ui/ReplaySystem.h"

namespace {

// Records its deliveries into the trace, so the delivery pass shows up in
// the frame order.
class TraceReceiver : public fEventObj
{
public:
    TraceReceiver() { SubscribeMessages(); }
    void SubscribeMessages() override
    {
        for (int id : {int(kMsgMoveForward), int(kMsgCloseMenu), int(kMsgEnterReplay)})
            gEventDispatcher->Subscribe(id, this);
    }
    void HandleMessage(int id, fMessage* msg) override { SpineTrace::Record("deliver " + std::to_string(id)); }
};

// A scene object in the World's list: its update is the World's update in
// the frame order.
class TraceSceneObject : public NPObj
{
public:
    void Update() override { SpineTrace::Record("World::Update"); }
};

// The player's frame update shows in the frame order by what it sends: a
// character that stops walking kicks up dust straight away (message 0 to the
// particle manager), once per puff; the first of the frame is recorded.
void RecordPlayerDust(int id, const fEventObj* receiver, void*)
{
    const std::vector<std::string>& calls = SpineTrace::Calls();
    const std::string entry = "Player::Update sends dust";
    if (id == kMsgCreateSystem && receiver == gPartManager && (calls.empty() || calls.back() != entry))
        SpineTrace::Record(entry);
}

class SpineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestInput::Reset();
        Win32UseVirtualCounter(Win32ReadRealCounter());
        gEventDispatcher = new EventDispatcher();
        gWorld = new World();
        gRenderer = new Renderer(ReadVideoSettings(gWorld->GetVidConfig()));
        gHUDManager = new HUDManager();
        // Each test starts its own clock on its own counter.
        Clock::Reset();
        Clock::Init();
        gPhysicsWorld = new PhysicsWorld();
        gInput = new Input();
        // The player's push is the physics world's first controller, as the
        // start-up makes it: a stage clear keeps that one.
        gObjectController = new ObjectController(gPhysicsWorld);
        gPhysicsWorld->AddController(gObjectController);
        gPlayer = new Player();
        gLevelLoader = new LevelLoader();
        gInGameLevelEditor = new InGameLevelEditor();
        gPartFactory = new fPartFactory();
        gPartManager = new fPartManager();
        gReplaySystem = new cReplaySystem(3.0f);
        gMenuMan = new MenuMan();
        gMenuMan->Init();
        SpineTrace::Clear();
        SpineTrace::Enable(true);
    }

    void TearDown() override
    {
        EventDispatcher::SetDeliveryObserver(nullptr, nullptr);
        SpineTrace::Enable(false);
        delete gMenuMan;
        gMenuMan = nullptr;
        delete gReplaySystem;
        gReplaySystem = nullptr;
        delete gPartManager;
        gPartManager = nullptr;
        delete gPartFactory;
        gPartFactory = nullptr;
        // The stage goes before the renderer that frees its drawables and the
        // physics world that refers to its bodies, as at exit.
        delete gWorld;
        gWorld = nullptr;
        delete gInGameLevelEditor;
        gInGameLevelEditor = nullptr;
        delete gLevelLoader;
        gLevelLoader = nullptr;
        delete gPlayer;
        gPlayer = nullptr;
        delete gInput;
        gInput = nullptr;
        delete gObjectController;
        gObjectController = nullptr;
        delete gPhysicsWorld;
        gPhysicsWorld = nullptr;
        delete gHUDManager;
        gHUDManager = nullptr;
        delete gRenderer;
        gRenderer = nullptr;
        delete gEventDispatcher;
        gEventDispatcher = nullptr;
        Win32UseRealCounter();
    }

    // A body as World object 0 and a player that walked with W and stops
    // at the next frame on the ground: its update then sends the dust.
    void WalkThenStop()
    {
        const Vector3 place(0.0f, 0.0f, 10.0f);
        gWorld->CreateObject(1, &place, &Matrix3::Identity(), 1.0f, 1.0f, 1.0f, 1.0f, false, false, 1);
        TestInput::SetKey(DIK_W, true);
        for (int frame = 0; frame < 2; ++frame) RunFrame(0.5 + 0.016 * frame, 0.016f);
        TestInput::SetKey(DIK_W, false);
        gPlayer->OnTerrainContact();
        EventDispatcher::SetDeliveryObserver(RecordPlayerDust, nullptr);
        SpineTrace::Clear();
    }

    // A live particle that ages with the step time the frame hands it.
    fParticle* AddAgingParticle()
    {
        fParticle* particle = new fParticle();
        particle->aging = 1;
        particle->lifetime = 100.0f;
        gPartManager->AddSystem(particle);
        return particle;
    }

    Menu& MenuOf(int id) { return *gMenuMan->GetMenu(id); }

    // Advances the virtual counter by one frame and runs frame move and render.
    void RunFrame(double time, float elapsed)
    {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(elapsed * kWin32CounterFrequency));
        OnFrameMove(nullptr, time, elapsed, nullptr);
        OnFrameRender(nullptr, time, elapsed, nullptr);
    }
};

TEST_F(SpineTest, FrameMoveDeliversInputBeforeAnythingMovesAndRenderFollows)
{
    // W's release is polled first: its message reaches the player's
    // subscription in that same frame, before anything moves.
    TraceReceiver receiver;
    WalkThenStop();
    gWorld->AddUpdatable(new TraceSceneObject());
    fParticle* particle = AddAgingParticle();
    // A drawable its owner gave up before the frame: the frame's render frees it.
    const int kept = gRenderer->GetRenderLists().Count(kOpaqueList);
    const float effectTime = gRenderer->GetTime01();
    MeshInstance* gone = new MeshInstance(false, false, 1, "Phong1Opaque", 0, 0, false, false, false);
    gRenderer->QueueInstance(gone);
    gone->MarkForRemoval();
    RunFrame(1.0, 0.016f);
    EXPECT_FLOAT_EQ(particle->age, 0.016f);
    // The frame move advanced the effect time by the step, the render pruned.
    EXPECT_FLOAT_EQ(gRenderer->GetTime01() - effectTime, 0.016f);
    EXPECT_EQ(gRenderer->GetRenderLists().Count(kOpaqueList), kept);

    // The menus' and the replay's places are shown by what they post
    // (MenusAndReplayPostAfterTheDeliveryPassInTheirOrder); the HUD's by the
    // matrices it wrote.
    const std::vector<std::string> expected = {
        "deliver 18",
        "Player::Update sends dust",
        "World::Update",
    };
    // The audio system is not built in this fixture, so its step is absent;
    // the renderer's own steps are checked on a device (tests/render). The
    // debug caption and the editor's status lines go to the debug channel,
    // which keeps nothing: there is nothing of theirs to place.
    EXPECT_EQ(SpineTrace::Calls(), expected);
}

TEST_F(SpineTest, MenusAndReplayPostAfterTheDeliveryPassInTheirOrderAndTheHudUpdatesInTheRender)
{
    // The logo splash's 3000 ms and the replay's countdown (1500 ms less the
    // frame that asked for it) both run out in frame 188 of 16 ms frames: the
    // menus' timer (frame move step 6) posts before the replay (step 11),
    // and both after that frame's delivery pass, so the next pass delivers
    // them in that order, before anything else.
    TraceReceiver receiver;
    std::vector<Object*> noObjects;
    gReplaySystem->Reset(noObjects);
    gMenuMan->OpenMenu(kMenuLogoSplash);
    gMenuMan->GetCurrentMenu()->StartTimer();
    MousePointer* pointer = gHUDManager->GetPointer();
    ASSERT_NE(pointer, nullptr);
    D3DXMatrixIdentity(&pointer->GetQuad()->world);
    RunFrame(0.016, 0.016f);
    // The render step wrote the pointer's matrix at its place, (-1, -1).
    EXPECT_FLOAT_EQ(pointer->GetQuad()->world._41, -1.0f);
    EXPECT_FLOAT_EQ(pointer->GetQuad()->world._42, 1.0f);
    EXPECT_FLOAT_EQ(MenuOf(kMenuLogoSplash).GetCountdown(), 3000.0f - 16.0f);
    for (int frame = 2; frame <= 188; ++frame) {
        // Delivered in frame 96, it starts the countdown at 1484 there.
        if (frame == 96) gEventDispatcher->PostMessage(kMsgStartDeathCountdown, nullptr);
        SpineTrace::Clear();
        RunFrame(0.016 * frame, 0.016f);
        const std::vector<std::string>& early = SpineTrace::Calls();
        ASSERT_EQ(std::count(early.begin(), early.end(), "deliver 54"), 0) << "frame " << frame;
    }
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuLogoSplash);
    SpineTrace::Clear();
    RunFrame(0.016 * 189, 0.016f);
    const std::vector<std::string>& calls = SpineTrace::Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 2),
              (std::vector<std::string>{"deliver 54", "deliver 58"}));
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuReplay);
}

TEST_F(SpineTest, FrozenReplayStopsTheWorldButNotInputMenusOrPlayer)
{
    TraceReceiver receiver;
    WalkThenStop();
    fParticle* particle = AddAgingParticle();
    // A step of the replay holds the world still.
    std::vector<Object*> noObjects;
    gReplaySystem->Reset(noObjects);
    gReplaySystem->StepForward();
    ASSERT_TRUE(gReplaySystem->IsFrozen());
    gMenuMan->OpenMenu(kMenuLogoSplash);
    gMenuMan->GetCurrentMenu()->StartTimer();
    const float effectTime = gRenderer->GetTime01();
    RunFrame(1.0, 0.033f);
    const std::vector<std::string>& calls = SpineTrace::Calls();
    auto has = [&](const std::string& c) { return std::find(calls.begin(), calls.end(), c) != calls.end(); };
    EXPECT_EQ(particle->age, 0.0f);
    EXPECT_EQ(gRenderer->GetTime01(), effectTime);
    EXPECT_TRUE(has("deliver 18"));
    EXPECT_TRUE(has("Player::Update sends dust"));
    // The menus' timers still count the frame.
    EXPECT_FLOAT_EQ(MenuOf(kMenuLogoSplash).GetCountdown(), 3000.0f - 33.0f);

    // Thawed, the same frame length reaches them again, scaled by the clock.
    SpineTrace::Clear();
    gReplaySystem->PlayNormalSpeed();
    ASSERT_FALSE(gReplaySystem->IsFrozen());
    Clock::SetTimeScale(0.5f);
    RunFrame(1.033, 0.040f);
    Clock::SetTimeScale(0.0f);
    EXPECT_FLOAT_EQ(particle->age, 0.020f);
    EXPECT_FLOAT_EQ(gRenderer->GetTime01() - effectTime, 0.020f);
}

TEST_F(SpineTest, FramesPerSecondUpdatesOnlyAboveOneSecond)
{
    // Four quarter-second frames make exactly 1.0: not yet a full second.
    ResetFramesPerSecond();
    for (int i = 0; i < 4; ++i) RunFrame(0.25 * i, 0.25f);
    EXPECT_EQ(GetFramesPerSecond(), 0);
    RunFrame(1.25, 0.25f);
    EXPECT_EQ(GetFramesPerSecond(), 5);
}

TEST_F(SpineTest, DeveloperKeysLoadStagesAndCloseMenusOnKeyDownOnly)
{
    gMenuMan->OpenMenu(kMenuMain);
    gMenuMan->OpenMenu(kMenuImageSplash);
    SpineTrace::Clear();

    OnKeyboard('3', false, false, nullptr);
    EXPECT_TRUE(SpineTrace::Calls().empty());
    EXPECT_EQ(CurrentStage(), -1);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuImageSplash);

    // The stage is loaded, then the menus close.
    OnKeyboard('3', true, false, nullptr);
    EXPECT_EQ(CurrentStage(), 3);
    EXPECT_GT(gWorld->GetNumObjects(), 0);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuNone);

    const std::vector<std::pair<UINT, int>> keys = {{'1', 1}, {'2', 2}, {'4', 4}, {'R', 1}};
    for (const auto& key : keys) {
        OnKeyboard(key.first, true, false, nullptr);
        EXPECT_EQ(CurrentStage(), key.second);
        EXPECT_EQ(gLevelLoader->GetLevelFileName(), "stage" + std::to_string(key.second) + ".qvl");
    }

    // T adds the developer's terrain beside the stage's; N and Q load nothing.
    const size_t terrains = gWorld->GetHeightmaps().size();
    const int objects = gWorld->GetNumObjects();
    testing::internal::CaptureStderr();
    OnKeyboard('N', true, false, nullptr);
    OnKeyboard('T', true, false, nullptr);
    OnKeyboard('Q', true, false, nullptr);
    // No particle types are defined here: the request reaches the factory, which reports it.
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("Attempted to create unknown particle system type\nExplosion\n"),
        std::string::npos);
    EXPECT_EQ(gWorld->GetHeightmaps().size(), terrains + 1);
    EXPECT_TRUE(gWorld->GetHeightmaps().back()->GetGround().GetGrid().IsBuilt());
    EXPECT_EQ(gWorld->GetNumObjects(), objects);
    EXPECT_EQ(CurrentStage(), 1);
}

TEST_F(SpineTest, ExplosionKeyWithoutParticleManagerDoesNothing)
{
    delete gPartManager;
    gPartManager = nullptr;
    OnKeyboard('N', true, false, nullptr);
    EXPECT_TRUE(SpineTrace::Calls().empty());
}

TEST_F(SpineTest, EscapeOpensPauseMenuOnlyWhenNoMenuIsOpen)
{
    FrameworkWindowProcEscape(nullptr);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuPause);
    FrameworkWindowProcEscape(nullptr);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuPause);
    gMenuMan->CloseAllMenus();
    gMenuMan->OpenMenu(kMenuOptions);
    FrameworkWindowProcEscape(nullptr);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuOptions);
}

TEST_F(SpineTest, DroppedBitmapBecomesTheStageTerrainEvenWithTheEditorOff)
{
    gLevelLoader->LoadLevel("stage2.qvl");
    ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
    const std::string bitmap = testing::TempDir() + "dropped.bmp";
    WriteBitmap(bitmap, 3, {std::vector<uint8_t>(9, 255), std::vector<uint8_t>(9, 255)});
    ASSERT_FALSE(gInGameLevelEditor->IsEnabled());

    bool stop = true;
    testing::internal::CaptureStderr();
    MsgProc(nullptr, WM_DROPFILES, reinterpret_cast<WPARAM>(Win32CreateDrop({bitmap})), 0, &stop, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(stop);
    // The heightmap file and its grid mesh replace the stage's ground, in the
    // physics world too: white is 255 mesh units, 4 world units each.
    ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
    const Heightmap& ground = gWorld->GetHeightmaps()[0]->GetGround();
    ASSERT_TRUE(ground.GetGrid().IsBuilt());
    EXPECT_EQ(ground.ROWS, 2);
    EXPECT_EQ(ground.COLUMNS, 3);
    float height = 0.0f;
    Vector3 normal;
    ground.GetHeight(ground.GetCentreX(), ground.GetCentreY(), height, normal);
    EXPECT_FLOAT_EQ(height, 1020.0f);
    ASSERT_EQ(gPhysicsWorld->GetHeightmaps().size(), 1u);
    EXPECT_EQ(gPhysicsWorld->GetHeightmaps()[0], &ground);
    std::remove((testing::TempDir() + "dropped.hmp").c_str());
    std::remove((testing::TempDir() + "dropped.x").c_str());
}

TEST_F(SpineTest, FailedDropKeepsTheStageTerrain)
{
    const std::string notABitmap = testing::TempDir() + "notes.bmp";
    std::ofstream(notABitmap) << "plain text, not a picture";
    gLevelLoader->LoadLevel("stage1.qvl");
    const std::vector<Terrain*> before = gWorld->GetHeightmaps();
    bool stop = false;
    testing::internal::CaptureStderr();
    MsgProc(nullptr, WM_DROPFILES, reinterpret_cast<WPARAM>(Win32CreateDrop({notABitmap})), 0, &stop, nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Not a bitmap"), std::string::npos);
    EXPECT_EQ(gWorld->GetHeightmaps(), before);
}

TEST(SpineTrace, RecordsOnlyWhileEnabled)
{
    SpineTrace::Clear();
    SpineTrace::Record("ignored");
    EXPECT_TRUE(SpineTrace::Calls().empty());
    SpineTrace::Enable(true);
    SpineTrace::Record("Input::Update");
    SpineTrace::Record("Player::Update");
    SpineTrace::Enable(false);
    SpineTrace::Record("late");
    EXPECT_EQ(SpineTrace::Calls(), (std::vector<std::string>{"Input::Update", "Player::Update"}));
    SpineTrace::Clear();
    EXPECT_TRUE(SpineTrace::Calls().empty());
}

} // namespace
