// The renderer: device set-up, resources and the frame. The device side
// (video settings, framework and device bring-up, states after a reset) is
// in VideoInit.cpp; resources, render lists and the frame are still to come.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <vector>

#include "render/Camera.h"
#include "render/MultiAnimAllocateHierarchy.h"
#include "render/MultiAnimation.h"
#include "render/RenderLists.h"
#include "render/VideoSettings.h"

struct DXUTDeviceSettings;
class CD3DFont;

class Renderer
{
public:
    // The video settings the game read from "Vid.cfg".
    explicit Renderer(const VideoSettings& video);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Brings up the framework, the window and the device.
    bool InitDirectX();
    // Creates the Direct3D interface and fills the settings of the first device.
    void CreateD3DInterface(DXUTDeviceSettings* settings);
    IDirect3DDevice9* GetDevice() const { return device; }

    // States, shader level, viewport and projection after every reset.
    void OnDeviceReset();
    void SelectShaderLevel();
    void LoadResources();
    void ReleaseDeviceResources();
    // Decides the back-buffer size before the framework creates or changes the device.
    void UpdateFullscreenSize(DXUTDeviceSettings* settings);

    // Advances the effect time by the step time in seconds.
    void Update(float dt);
    void RenderFrame();

    // The render lists: queueing rules, pruning and the back-to-front sort
    // live in RenderLists; these are the names the rest of the game calls.
    void QueueInstance(MeshInstance* instance) { renderLists.QueueInstance(instance); }
    void QueueObjectInstances(std::vector<MeshInstance*>* instances) { renderLists.QueueObjectInstances(instances); }
    void QueueWorldInstances(std::vector<MeshInstance*>* instances) { renderLists.QueueWorldInstances(instances); }
    void InsertOpaque(MeshInstance* instance) { renderLists.InsertOpaque(instance); }
    void InsertOrderedByTechnique(MeshInstance* instance) { renderLists.InsertOrderedByTechnique(instance); }
    void InsertSkinned(MeshInstance* instance) { renderLists.InsertSkinned(instance); }
    void PruneRenderLists() { renderLists.Prune(); }
    const RenderLists& GetRenderLists() const { return renderLists; }

    // A new Model of the animated mesh, set up on the character hierarchy at
    // the clock's total time; returns its index in the models.
    int AddAnimatedModel(int animatedMesh);
    // The model at index, null when there is none.
    Model* GetModel(int index) const;
    int GetModelCount() const { return static_cast<int>(models.size()); }
    MultiAnim& GetMultiAnim() { return multiAnim; }

    Camera* GetCamera() { return &camera; }
    bool IsFullscreen() const { return fullscreen; }
    int GetEffectIndex() const { return effectIndex; }
    const D3DCAPS9& GetCaps() const { return caps; }
    float GetAspect() const { return aspect; }

private:
    Camera camera;
    VideoSettings video;
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    const wchar_t* windowClass = L"DLumveran";
    bool fullscreen = false;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DCAPS9 caps = {};
    int effectIndex = 1;
    bool paletteMacro = false;
    float aspect = 1.0f;
    D3DVIEWPORT9 viewport = {};
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    bool redraw = false;

    // The character hierarchy lives from its first load to exit; the models
    // made from it go first (RenderLists::Clear in the destructor), then the
    // hierarchy is cleaned up. Declared in that dependency order.
    MultiAnimAllocateHierarchy allocator;
    MultiAnim multiAnim;
    std::vector<Model*> models;
    RenderLists renderLists{models};
};

extern Renderer* gRenderer;
// The debug text font, made at every device reset.
extern CD3DFont* gDebugFont;
