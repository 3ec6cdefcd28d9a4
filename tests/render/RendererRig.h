// A Renderer brought up as the game brings it up (framework, window, device,
// reset, resource load) by the headless framework host on a windowless
// llvmpipe context, with frame hooks the test fills: terrains, a character,
// and an editor dialog and HUD that note when they are drawn. Tests read the
// device's call log and the back buffer. Every GL object the run made must be
// given back when the renderer and the device go.
#pragma once

#include <gtest/gtest.h>

#include <d3d9.h>
#include <d3dx9.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/Matrix3.h"
#include "render/CameraHooks.h"
#include "render/FrameHooks.h"
#include "render/Renderer.h"

#include "render/Terrain.h"

// What the frame asks above render, answered by the test.
class TestFrameHooks : public FrameHooks
{
public:
    const std::vector<PointLight*>* GetLights() const override { return lights; }
    const std::vector<Terrain*>* GetTerrains() const override { return &terrains; }
    bool GetCharacter(FrameCharacter& out) const override
    {
        if (!hasCharacter) return false;
        out = character;
        return true;
    }
    void DrawEditorDialog(float) override;
    void DrawHud() override;

    const std::vector<PointLight*>* lights = nullptr;
    std::vector<Terrain*> terrains;
    bool hasCharacter = false;
    FrameCharacter character;
    // The depth test as the HUD found it (-1: not drawn).
    int hudDepthTest = -1;
};

// The World's object 0, which the camera follows in the tests.
class TestCameraHooks : public CameraHooks
{
public:
    const Vector3* GetObjectPosition(unsigned index) const override { return index == 0 ? &target : nullptr; }
    Vector3 target;
};

class RendererRig : public ::testing::Test
{
protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    void SetUp() override { Start(kWidth, kHeight); }
    void TearDown() override { Stop(); }

    // The framework, window and device of width x height at the given
    // pixel-shader version, and the renderer's first reset and load.
    void Start(int width, int height, DWORD pixelShaderVersion = D3DPS_VERSION(3, 0));
    void Stop();

    // A window resize as the window system reports it: the framework releases
    // and rebuilds the device's resources through the game's callbacks.
    void Resize(int width, int height);

    // The camera orbits `target` at `distance`, turned by yaw and pitch
    // (radians). Start leaves it at the origin looking along +x.
    void AimCamera(const Vector3& target, float distance, float yaw = 0.0f, float pitch = 0.0f);

    IDirect3DDevice9* Device() { return renderer->GetDevice(); }
    ID3DXEffect* Effect() { return renderer->GetEffect(); }

    // One frame of the renderer with the call log (and the state log) on.
    void TracedFrame(bool states = true);
    // The call log entries that start with one of the prefixes.
    static std::vector<std::string> Log(std::initializer_list<const char*> prefixes);
    // The draw calls `work` sends to the device.
    static long DrawsDuring(const std::function<void()>& work);
    // The back buffer, RGBA, top row first.
    std::vector<uint8_t> BackBuffer(UINT* width = nullptr, UINT* height = nullptr);

    // A flat terrain of n x n nodes at mesh height `height`, one mesh unit
    // apart and centred on the origin before the DIFF scale, drawn with the
    // technique, material and texture.
    Terrain* AddFlatTerrain(int nodes, float height, float diff, const char* technique, int material, int texture);
    // The same with a mesh height for each node, row by row.
    Terrain* AddTerrain(const std::vector<float>& heights, int nodes, float diff, const char* technique, int material,
                        int texture);
    // An opaque instance of a static mesh at a point, queued.
    MeshInstance* AddInstance(int meshId, const char* technique, int material, int texture, const Vector3& at,
                              bool transparent = false, bool faceCamera = false);

    Renderer* renderer = nullptr;
    TestFrameHooks hooks;
    TestCameraHooks cameraHooks;
    std::vector<std::unique_ptr<Terrain>> terrains;
    std::vector<std::unique_ptr<Vector3>> positions;
    std::vector<std::unique_ptr<Matrix3>> orientations;
    int baseline = 0;
    bool started = false;
};

// A copy of the run tree's data (Config, Effects, Meshes, Textures) a test
// may break or change, entered as the game enters its own (from bin/); the
// working directory comes back and the copy goes when the tree does.
class ScratchRunTree
{
public:
    ScratchRunTree();
    ~ScratchRunTree();
    ScratchRunTree(const ScratchRunTree&) = delete;
    ScratchRunTree& operator=(const ScratchRunTree&) = delete;
    // A file of the copy, e.g. Path("Textures/Exit.png").
    std::string Path(const std::string& relative) const { return root + "/" + relative; }

private:
    std::string root;
    std::string home;
};

// The messages of the three-line reports in an error stream's text; with a
// folder ("/render/"), only those reported from its sources.
std::vector<std::string> ReportedMessages(const std::string& stderrText, const char* sourceFolder = nullptr);
