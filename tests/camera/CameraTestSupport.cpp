#include "CameraTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "core/Stage.h"

void CameraFixture::SetUp()
{
    gEventDispatcher = &dispatcher;
    CameraHookSlot::Install(&hooks);
    FreshCamera();
    scratchDir = testing::TempDir() + "camera_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(scratchDir);
}

void CameraFixture::TearDown()
{
    camera.reset();
    gPhysicsWorld = nullptr;
    physics.reset();
    ground.reset();
    CameraHookSlot::Install(nullptr);
    SetCurrentStage(kNoStage);
    gEventDispatcher = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(scratchDir, ignored);
}

Camera& CameraFixture::FreshCamera()
{
    hooks = FakeCameraHooks();
    hooks.objects = {Vector3(0.0f, 0.0f, 0.0f)};
    SetCurrentStage(kFirstStage);
    camera = std::make_unique<Camera>();
    camera->SetViewportSize(640, 480);
    return *camera;
}

void CameraFixture::Post(int id, fMessage* msg)
{
    dispatcher.PostMessage(id, msg);
    dispatcher.ProcessQueue();
}

void CameraFixture::AddFlatGround(float height)
{
    // 51 x 51 nodes four units apart around the origin, heights in mesh units.
    const float diff = 4.0f;
    const int nodes = 51;
    ground = std::make_unique<Heightmap>();
    ground->ROWS = nodes;
    ground->COLUMNS = nodes;
    ground->DIFF = diff;
    const std::vector<float> heights(nodes * nodes, height / diff);
    ASSERT_TRUE(ground->BuildFromHeights(heights, -25.0f, -25.0f));
    physics = std::make_unique<PhysicsWorld>();
    physics->AddHeightmap(ground.get());
    gPhysicsWorld = physics.get();
}

void CameraFixture::LoadOptionsText(const std::string& text)
{
    ASSERT_TRUE(camera->LoadOptions(ScratchFile("Options.cfg", text)));
}

std::string CameraFixture::ScratchFile(const std::string& name, const std::string& text)
{
    const std::string path = scratchDir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string OptionsText(bool invertX, bool invertY, float speed)
{
    std::ostringstream text;
    text << "InvertX: " << (invertX ? "true" : "false") << "\nInvertY: " << (invertY ? "true" : "false")
         << "\nSpeed: " << speed << "\n";
    return text.str();
}
