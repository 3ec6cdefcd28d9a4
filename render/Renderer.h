// The renderer: the one object that draws the game. It owns the device side
// (VideoInit.cpp: video settings, framework and device bring-up, states after
// a reset), the device resources (RenderResources), the five render lists,
// the animated models made from the character hierarchy, the stack of
// draw-list chains and the camera, and draws one frame in a fixed order
// (RenderFrame). The scene's geometry is drawn by its SceneDrawer; the World's
// lights, terrains and character, the editor dialog and the HUD are reached
// through the frame hooks (render/FrameHooks.h).
//
// Ownership: every MeshInstance still in the lists and every Model are the
// renderer's and go with it. Device resources are released before each
// settings change and rebuilt at the reset that follows; the Models, the
// instances, the character hierarchy and the static meshes stay throughout.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <string>
#include <vector>

#include "render/Camera.h"
#include "render/DrawListFrame.h"
#include "render/DrawListStack.h"
#include "render/MultiAnimAllocateHierarchy.h"
#include "render/MultiAnimation.h"
#include "render/RenderLists.h"
#include "render/RenderResources.h"
#include "render/SceneDrawer.h"
#include "render/VideoSettings.h"

struct DXUTDeviceSettings;
class CD3DFont;

class Renderer : public DrawListFrame, private SceneDrawer::EffectCallbacks
{
public:
    // A per-effect callback, run when a technique switch crosses effects.
    using EffectCallback = void (*)(Renderer&);
    static constexpr int kEffectCallbackCount = 3;

    // The video settings the game read from "Vid.cfg".
    explicit Renderer(const VideoSettings& video);
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // ---- device side (VideoInit.cpp)
    // Brings up the framework, the window and the device.
    bool InitDirectX();
    // Creates the Direct3D interface and fills the settings of the first device.
    void CreateD3DInterface(DXUTDeviceSettings* settings);
    IDirect3DDevice9* GetDevice() override { return device; }
    // States, shader level, viewport and projection after every reset.
    void OnDeviceReset();
    void SelectShaderLevel();
    // Decides the back-buffer size before the framework creates or changes the device.
    void UpdateFullscreenSize(DXUTDeviceSettings* settings);

    // ---- resources, reloaded after every reset
    // In order: declaration, effect, meshes, textures, screen targets, font.
    // A failed effect stops the load (and asks the game to quit). Without a
    // device only the character hierarchy loads (it needs none), silently
    // for the rest.
    bool LoadResources();
    void CreateVertexDeclarations();
    bool LoadEffects();
    bool LoadMeshes();
    // The character hierarchy: loaded once, moved onto each new device and effect.
    bool LoadAnimatedModel();
    bool LoadStaticMeshes();
    bool CreatePrimitives();
    void LoadTextures();
    void CreateScreenResources();
    // Before a settings change: the effect, textures, render targets, font
    // and the Direct3D interface. Models, instances and meshes stay.
    void ReleaseDeviceResources();

    // ---- the frame
    // Advances the effect time by the step time in seconds, wrapped into [0, 1].
    void Update(float dt);
    float GetTime01() const { return time01; }
    void RenderFrame();

    // ---- effect callbacks and the light parameters
    void InstallEffectCallbacks();
    // The full effect's callback: the fixed sky light, the ambient, the
    // offset scale and the effect time.
    void SetLightParameters();
    // The reduced effect's callback, which sets nothing.
    void ResetEffectIndex();
    // The effect in use; null before the first load or after a failed one.
    ID3DXEffect* GetEffect() override { return resources.GetEffect(effectIndex); }

    // ---- drawing the scene (what the draw-list chains call)
    void DrawHeightmaps() override;
    void DrawRenderList(int list) override;
    void DrawRenderListWithStepTechnique(int list) override;
    int GetHeightmapCount() override;
    void GetHeightmapWorld(int index, D3DXMATRIX* world) override;
    void DrawHeightmapGeometry(int index) override;
    void DrawScreenQuad(float leftU, float topV, float rightU, float bottomV) override;
    void DrawScreenQuadDefault(float leftU, float topV, float rightU, float bottomV);
    // The geometry of a mesh id (25: the unit quad) inside the caller's
    // effect pass, for the HUD; an id with no mesh draws nothing.
    void DrawMesh(int meshId);
    RenderTargetTable& GetRenderTargets() override { return resources.GetRenderTargets(); }
    IDirect3DTexture9* GetLoadedTexture(int id) override { return resources.GetTexture(id); }
    IDirect3DVertexDeclaration9* GetVertexDeclaration() override { return resources.GetVertexDeclaration(); }
    bool IsRedrawFrame() override { return drawLists.IsRedraw(); }
    void GetCropSize(UINT* width, UINT* height) override;
    const RenderResources& GetResources() const { return resources; }

    // ---- draw-list chains; only the first is drawn
    void AddDrawList(const std::string& path) { drawLists.Add(path); }
    void PopDrawList() { drawLists.Pop(); }
    void ClearDrawLists() { drawLists.Clear(); }
    // The preset of stage 1 to 4 for the device's pixel-shader tier.
    void SelectLevelDrawList(int stage) { drawLists.SelectLevel(stage, caps.PixelShaderVersion); }
    const DrawListStack& GetDrawLists() const { return drawLists; }

    // ---- render lists: the queueing rules, pruning and the back-to-front
    // sort live in RenderLists; these are the names the rest of the game calls.
    void QueueInstance(MeshInstance* instance) { renderLists.QueueInstance(instance); }
    void QueueObjectInstances(std::vector<MeshInstance*>* instances) { renderLists.QueueObjectInstances(instances); }
    void QueueWorldInstances(std::vector<MeshInstance*>* instances) { renderLists.QueueWorldInstances(instances); }
    void InsertOpaque(MeshInstance* instance) { renderLists.InsertOpaque(instance); }
    void InsertOrderedByTechnique(MeshInstance* instance) { renderLists.InsertOrderedByTechnique(instance); }
    void InsertSkinned(MeshInstance* instance) { renderLists.InsertSkinned(instance); }
    void PruneRenderLists() { renderLists.Prune(); }
    const RenderLists& GetRenderLists() const { return renderLists; }

    // ---- animated models
    // A new Model of the animated mesh, set up on the character hierarchy at
    // the clock's total time; returns its index in the models.
    int AddAnimatedModel(int animatedMesh);
    // Poses the Models where object 0 stands (its position and its first
    // drawable's offset), facing along its velocity (the facing kept while
    // the character idles), and advances them by dt. A Model whose own
    // drawable its owner already gave up (a stage change) is left alone.
    // Nothing moves while Model 0 is inactive, or without a Model, object 0
    // or its drawable; true when a Model was posed.
    bool UpdateAnimatedModels(float dt);
    bool AdvanceModels(float dt) { return UpdateAnimatedModels(dt); }
    // Model 0's active flag (the player's); returns Model 0, or null without
    // one. An inactive model neither moves nor is drawn: the knocked-out
    // character is its limp limbs alone.
    Model* SetModelAnimating(bool active);
    // A bone of the character hierarchy by name, or null.
    D3DXFRAME* FindFrame(const char* name) const { return multiAnim.FindFrame(name); }
    // The model at index, null when there is none.
    Model* GetModel(int index) const;
    int GetModelCount() const { return static_cast<int>(models.size()); }
    MultiAnim& GetMultiAnim() { return multiAnim; }

    Camera* GetCamera() { return &camera; }
    bool IsFullscreen() const { return fullscreen; }
    int GetEffectIndex() const { return effectIndex; }
    const D3DCAPS9& GetCaps() const { return caps; }
    float GetAspect() const { return aspect; }
    const D3DXMATRIX& GetLastViewProjection() const { return lastViewProjection; }
    // Whether ground out of every point light's range is drawn with the
    // terrain technique's twin without them (the same picture, for less work).
    void SetTerrainLightSplit(bool split) { splitTerrainByLights = split; }

private:
    void RunEffectCallback(int effectIndex) override;
    // True when the Model's drawable is queued and marked for removal.
    bool IsDrawableGone(const Model* model) const;
    // What this frame's drawing works with.
    void PrepareSceneContext();
    void SetFrameParameters(ID3DXEffect* effect);
    // "HeatLevel": the height of the lava the level put in the opaque list.
    void SetHeatLevel(ID3DXEffect* effect);
    // True, with the world heights it can mark, while the heat mask is the
    // effect's technique.
    bool HeatMaskBand(float worldBand[2]);
    // Without lava the heat level lies far below any ground: nothing shimmers.
    static constexpr float kNoHeatLevel = -1.0e6f;
    float heatLevel = kNoHeatLevel; // the last frame's "HeatLevel"

    // The point lights SetFrameParameters sent, for the terrain's split.
    LightArrays frameLights = {};
    bool splitTerrainByLights = true;
    const wchar_t* windowClass = L"DLumveran";
    Camera camera;
    int effectIndex = 1;
    bool handlesFetched = false;
    EffectCallback effectCallbacks[kEffectCallbackCount] = {};
    bool fullscreen = false;
    VideoSettings video;
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DCAPS9 caps = {};
    bool paletteMacro = false;
    float aspect = 1.0f;
    D3DVIEWPORT9 viewport = {};
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;

    float lightDir[3] = {};
    D3DXHANDLE lightHandles[3] = {};
    float time01 = 0.0f;
    D3DXMATRIX lastViewProjection;
    // This frame's, which the scene's culling reads.
    D3DXMATRIX viewProjection;
    // The animated model's facing, kept while the character idles.
    D3DXMATRIX modelFacing;

    RenderResources resources;
    SceneDrawer drawer;
    DrawListStack drawLists;

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
