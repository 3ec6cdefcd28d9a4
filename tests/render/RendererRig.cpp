#include "RendererRig.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "DXUT.h"
#include "DXUTHeadless.h"
#include "d3d9_host.h"
#include "render/MeshInstance.h"
#include "render/TechniqueNames.h"
#include "render/Terrain.h"

namespace {

// The game's two device callbacks, as game/Lumveran.cpp installs them.
bool CALLBACK ModifySettings(DXUTDeviceSettings* settings, const D3DCAPS9*, void*)
{
    if (gRenderer) {
        gRenderer->ReleaseDeviceResources();
        gRenderer->UpdateFullscreenSize(settings);
    }
    return true;
}

HRESULT CALLBACK ResetDevice(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*)
{
    if (gRenderer) {
        gRenderer->OnDeviceReset();
        gRenderer->LoadResources();
    }
    return S_OK;
}

} // namespace

void TestFrameHooks::DrawEditorDialog(float)
{
    LvD3D9_LogCall("EditorDialog");
}

void TestFrameHooks::DrawHud()
{
    DWORD depth = 0;
    if (gRenderer && gRenderer->GetDevice()) gRenderer->GetDevice()->GetRenderState(D3DRS_ZENABLE, &depth);
    hudDepthTest = static_cast<int>(depth);
    LvD3D9_LogCall("Hud");
}

void RendererRig::Start(int width, int height, DWORD pixelShaderVersion)
{
    baseline = LvD3D9_LiveResourceCount();
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    DXUTHeadlessEnableDevice();
    DXUTSetCallbackDeviceChanging(ModifySettings);
    DXUTSetCallbackDeviceReset(ResetDevice);
    LvD3D9_SetPixelShaderVersion(pixelShaderVersion);
    VideoSettings video;
    video.fullscreen = false;
    video.fullscreenWidth = width;
    video.fullscreenHeight = height;
    renderer = new Renderer(video);
    gRenderer = renderer;
    FrameHookSlot::Install(&hooks);
    CameraHookSlot::Install(&cameraHooks);
    started = true;
    if (!renderer->InitDirectX() || !renderer->GetDevice()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
    AimCamera(Vector3(5.0f, 0.0f, 0.0f), 5.0f);
}

void RendererRig::AimCamera(const Vector3& target, float distance, float yaw, float pitch)
{
    cameraHooks.target = target;
    Camera* camera = renderer->GetCamera();
    camera->SetTargetObject(0);
    camera->SetDistance(distance);
    camera->SetAngle(yaw);
    camera->SetClampedAngle(pitch);
}

void RendererRig::Stop()
{
    if (!started) return;
    started = false;
    LvD3D9_EnableCallLog(false);
    LvD3D9_EnableStateLog(false);
    LvD3D9_ClearCallLog();
    LvD3D9_SetMaxPrimitiveCount(0);
    FrameHookSlot::Install(nullptr);
    CameraHookSlot::Install(nullptr);
    hooks.terrains.clear();
    terrains.clear();
    delete renderer;
    renderer = gRenderer = nullptr;
    DXUTHeadlessReset();
    LvD3D9_SetPixelShaderVersion(0);
    EXPECT_EQ(LvD3D9_LiveResourceCount(), baseline) << "GL objects outlived the renderer and its device";
}

void RendererRig::Resize(int width, int height)
{
    DXUTHeadlessScheduleMessage(0, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    DXUTHeadlessRunFrames(1);
}

void RendererRig::TracedFrame(bool states)
{
    LvD3D9_ClearCallLog();
    LvD3D9_EnableCallLog(true);
    LvD3D9_EnableStateLog(states);
    renderer->RenderFrame();
    LvD3D9_EnableStateLog(false);
    LvD3D9_EnableCallLog(false);
}

long RendererRig::DrawsDuring(const std::function<void()>& work)
{
    LvD3D9_ClearCallLog();
    LvD3D9_EnableCallLog(true);
    work();
    LvD3D9_EnableCallLog(false);
    return long(Log({"Draw"}).size());
}

std::vector<std::string> RendererRig::Log(std::initializer_list<const char*> prefixes)
{
    std::vector<std::string> kept;
    for (const std::string& entry : LvD3D9_GetCallLog()) {
        for (const char* p : prefixes) {
            if (entry.rfind(p, 0) == 0) {
                kept.push_back(entry);
                break;
            }
        }
    }
    return kept;
}

std::vector<uint8_t> RendererRig::BackBuffer(UINT* width, UINT* height)
{
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    EXPECT_TRUE(LvD3D9_ReadBackBuffer(Device(), rgba, &w, &h));
    if (width) *width = w;
    if (height) *height = h;
    return rgba;
}

Terrain* RendererRig::AddFlatTerrain(int nodes, float height, float diff, const char* technique, int material,
                                     int texture)
{
    return AddTerrain(std::vector<float>(size_t(nodes) * size_t(nodes), height), nodes, diff, technique, material,
                      texture);
}

Terrain* RendererRig::AddTerrain(const std::vector<float>& heights, int nodes, float diff, const char* technique,
                                 int material, int texture)
{
    auto terrain = std::make_unique<Terrain>(Device());
    terrain->GetGround().ROWS = nodes;
    terrain->GetGround().COLUMNS = nodes;
    terrain->GetGround().DIFF = diff;
    const float half = 0.5f * static_cast<float>(nodes - 1);
    std::vector<TerrainSourceVertex> vertices;
    std::vector<uint16_t> indices;
    EXPECT_TRUE(MakeGridArrays(heights, nodes, nodes, -half, -half, vertices, indices));
    EXPECT_TRUE(terrain->BuildFromArrays(vertices.data(), int(vertices.size()), indices.data(), int(indices.size())));
    terrain->GetMesh().technique = technique;
    terrain->GetMesh().materialId = material;
    terrain->GetMesh().textureId = texture;
    hooks.terrains.push_back(terrain.get());
    terrains.push_back(std::move(terrain));
    return terrains.back().get();
}

MeshInstance* RendererRig::AddInstance(int meshId, const char* technique, int material, int texture, const Vector3& at,
                                       bool transparent, bool faceCamera)
{
    positions.push_back(std::make_unique<Vector3>(at));
    orientations.push_back(std::make_unique<Matrix3>(Matrix3::Identity()));
    MeshInstance* instance = new MeshInstance(transparent, false, meshId, InternTechnique(technique), material, texture,
                                              faceCamera, false, false);
    instance->position = positions.back().get();
    instance->orientation = orientations.back().get();
    renderer->QueueInstance(instance);
    return instance;
}

std::vector<std::string> ReportedMessages(const std::string& stderrText, const char* sourceFolder)
{
    // Reports are three lines: the message, "Failed in file: ", "On line: ".
    std::vector<std::string> lines, messages;
    std::istringstream in(stderrText);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i + 1].rfind("Failed in file: ", 0) == 0 && lines[i + 2].rfind("On line: ", 0) == 0) {
            if (!sourceFolder || lines[i + 1].find(sourceFolder) != std::string::npos) messages.push_back(lines[i]);
            i += 2;
        }
    }
    return messages;
}

ScratchRunTree::ScratchRunTree()
{
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("lv_render_tree_" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "bin");
    for (const char* folder : {"Config", "Effects", "Meshes", "Textures"})
        fs::copy(fs::path("..") / folder, base / folder, fs::copy_options::recursive);
    root = base.string();
    home = fs::current_path().string();
    fs::current_path(base / "bin");
}

ScratchRunTree::~ScratchRunTree()
{
    std::filesystem::current_path(home);
    std::filesystem::remove_all(root);
}
