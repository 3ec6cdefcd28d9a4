// The shared set-up of the player, trigger and whole-game tests.
#include "PlayerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <dinput_test.h>

#include "DXUTHeadless.h"
#include "Terrain.h"
#include "Win32Host.h"
#include "XFile.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/World.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsWorld.h"
#include "render/KeyframeAnimator.h"
#include "render/Renderer.h"

namespace fs = std::filesystem;

namespace {

// The grid: 65 x 65 nodes 4 apart from (-128, -128).
const int kGridNodes = 65;
const float kGridStep = 4.0f;
const float kGridOrigin = -32.0f; // in grid units

std::string FlatHmp()
{
    return "# test ground: flat with a trench\nTECHNIQUE Phong1Opaque\nMATERIAL 2\nTEXTURE 2\nELASTIC 1.0\n"
           "STATIC_FRIC 0.5\nDYNAMIC_FRIC 0.5\nROWS 65\nCOLUMNS 65\nDIFF 4\n";
}

std::string FlatMesh()
{
    const gen::Mesh grid = gen::BuildGridMesh(kGridNodes, kGridNodes, kGridOrigin, kGridOrigin, [](int i, int j) {
        return TestGroundHeight((kGridOrigin + i) * kGridStep, (kGridOrigin + j) * kGridStep) / kGridStep;
    });
    return gen::StaticMeshText(grid, "flat");
}

std::string Format(const char* format, float a, float b, float c)
{
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    return line;
}

} // namespace

float TestGroundHeight(float x, float y)
{
    return x >= kTrenchStartX ? kTrenchDepth : 0.0f;
}

PlayerRunTree::PlayerRunTree()
{
    const fs::path root(Root());
    const fs::path source = fs::read_symlink(root / "Maps").parent_path();
    fs::remove(root / "Maps");
    fs::create_directory(root / "Maps");
    for (const fs::directory_entry& map : fs::directory_iterator(source / "Maps"))
        fs::create_symlink(map.path(), root / "Maps" / map.path().filename());
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        const fs::path target = root / entry.path().filename();
        if (entry.is_directory() && !fs::exists(target)) fs::create_directory_symlink(entry.path(), target);
    }
    if (fs::exists(source / "bin" / "UI")) fs::create_directory_symlink(source / "bin" / "UI", root / "bin" / "UI");
    Write("Maps/flat.x", FlatMesh());
    Write("Maps/flat.hmp", FlatHmp());
}

LevelText::LevelText(int stage, float cameraYaw)
{
    text = "levelname: test.qvl\nstagenumber: " + std::to_string(stage) +
           "\nheightmap: flat.x\nhmapconfig: flat.hmp\n" +
           Format("camera_orientation: %f %f %f\n", -0.35f, cameraYaw, 30.0f);
}

LevelText& LevelText::Character(const Vector3& position)
{
    return Object(15, position, Vector3(1.0f, 1.0f, 1.0f), 74.0f, false);
}

LevelText& LevelText::Object(int type, const Vector3& position, const Vector3& size, float mass, bool immovable,
                             int texture)
{
    Record("object", type, position, size, texture);
    text += "orientation: 1 0 0 0 1 0 0 0 1\nmass: " + std::to_string(mass) +
            "\nimmovable: " + (immovable ? "1" : "0") + "\n";
    return *this;
}

LevelText& LevelText::SceneObject(int type, const Vector3& position, const Vector3& size, int texture)
{
    Record("npo", type, position, size, texture);
    return *this;
}

LevelText& LevelText::Trigger(int type, const Vector3& position, const Vector3& size, const Vector3& spawn)
{
    Record("trigger", type, position, size, -1);
    text += Format("spawnposition: %f %f %f\n", spawn.x, spawn.y, spawn.z);
    return *this;
}

void LevelText::Record(const char* tag, int type, const Vector3& position, const Vector3& size, int texture)
{
    text += std::string("__TAG ") + tag + "\nrecord" + std::to_string(counter++) +
            "\nobjectID: " + std::to_string(type) + "\n" +
            (texture < 0 ? "" : "texture: " + std::to_string(texture) + "\n") +
            Format("position: %f %f %f\n", position.x, position.y, position.z) +
            Format("scale: %f %f %f\n", size.x, size.y, size.z);
}

PlayerRig::PlayerRig()
{
    TestInput::Reset();
    Clock::Reset();
    Win32UseVirtualCounter(Win32ReadRealCounter());
    rig = std::make_unique<StageRig>();
    delete gPartManager;
    particles = new RecordingPartManager();
    gPartManager = particles;
    // The character's model and animations, as the device's first reset loads them.
    gRenderer->LoadResources();
    gInput = new Input();
    Clock::Init();
}

PlayerRig::~PlayerRig()
{
    rig.reset();
    delete gInput;
    gInput = nullptr;
    TestInput::Reset();
    Clock::Reset();
    Win32UseRealCounter();
}

void PlayerRig::Load(const LevelText& level)
{
    tree.Write("Levels/test.qvl", level.Text());
    gLevelLoader->LoadLevel("test.qvl");
}

void PlayerRig::Hold(std::set<int> keys)
{
    for (int key : held) {
        if (keys.count(key) == 0) TestInput::SetKey(key, false);
    }
    for (int key : keys) TestInput::SetKey(key, true);
    held = std::move(keys);
}

void PlayerRig::Frame()
{
    BeginFrame();
    EndFrame();
}

void PlayerRig::BeginFrame()
{
    Win32AdvanceVirtualCounter(static_cast<LONGLONG>(kFrameSeconds * kWin32CounterFrequency));
    Clock::Tick();
    gInput->Update(0);
    gEventDispatcher->ProcessQueue();
}

void PlayerRig::EndFrame()
{
    float dt = Clock::GetFrameTime(false) / 1000.0f;
    if (gPartManager != nullptr) gPartManager->Update(&dt);
    gPlayer->Update();
    gPhysicsWorld->Update(dt);
    time += kFrameSeconds;
    gWorld->Update(static_cast<float>(time));
    if (gRenderer != nullptr) gRenderer->PruneRenderLists();
}

void PlayerRig::Frames(int count)
{
    for (int i = 0; i < count; ++i) Frame();
}

void PlayerRig::SetYaw(float yaw)
{
    gRenderer->GetCamera()->SetAngle(yaw);
}

CountdownListener::CountdownListener()
{
    SubscribeMessages();
}

void CountdownListener::SubscribeMessages()
{
    gEventDispatcher->Subscribe(kMsgStartDeathCountdown, this);
}

unsigned AnimatorEntry()
{
    unsigned entry = 0;
    float position = 0.0f;
    gKeyframeAnimator->GetCurrent(&entry, &position);
    return entry;
}

void StartHeadlessStage(char stageKey, int lastFrame)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    DXUTHeadlessEnable(1.0 / 60.0, lastFrame);
    DXUTHeadlessScheduleKey(kHeadlessLoadFrame, stageKey, true);
    DXUTHeadlessScheduleKey(kHeadlessLoadFrame + 1, stageKey, false);
}

std::string ReadWholeFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance, const char* what)
{
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

int LiveParticleSystems()
{
    return gPartManager != nullptr ? static_cast<int>(gPartManager->GetSystems().size()) : 0;
}

void RecordingPartManager::HandleMessage(int id, fMessage* msg)
{
    if (const fCreateSystem* create = dynamic_cast<const fCreateSystem*>(msg)) {
        requests.push_back({id, create->name, create->position, create->scale});
    } else if (const fAttachSystem* attach = dynamic_cast<const fAttachSystem*>(msg)) {
        requests.push_back({id, attach->name, *attach->parentPosition + attach->offset, attach->scale});
    }
    fPartManager::HandleMessage(id, msg);
}

int RecordingPartManager::Count(const std::string& name) const
{
    int count = 0;
    for (const Request& request : requests) count += request.name == name ? 1 : 0;
    return count;
}
