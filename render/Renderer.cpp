// The renderer's frame, its effect callbacks, the resource reload around a
// device reset, the animated models and the scene drawing the chains call.
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "DXUT.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/MathConstants.h"
#include "core/MeshImportTransform.h"
#include "core/Resources.h"
#include "core/ScreenText.h"
#include "core/ScreenTextDrawer.h"
#include "d3dfont.h"
#include "render/DrawListExecute.h"
#include "render/EffectParameterNames.h"
#include "render/FrameHooks.h"
#include "render/FrameLights.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/PointLight.h"

Renderer* gRenderer = nullptr;

namespace {

// The full effect's fixed lighting.
const float kLightDirection[3] = {0.0f, 0.8f, 0.8f};
const float kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kLightCount = 3.0f;
const float kLightAmbient[4] = {0.3f, 0.3f, 0.3f, 0.3f};
const float kOffsetScale = 0.1f;

// The lava's material: its plane is the one opaque drawable made of it.
const int kLavaMaterial = 8;

// Debug text goes through the font made at every device reset; without one
// (headless, or between a release and the next reset) nothing is drawn.
void DrawWithDebugFont(const wchar_t* text, float x, float y, unsigned int colour)
{
    if (gDebugFont) gDebugFont->DrawText(x, y, colour, text, 0);
}

void RunLightParameters(Renderer& renderer)
{
    renderer.SetLightParameters();
}

void RunResetEffectIndex(Renderer& renderer)
{
    renderer.ResetEffectIndex();
}

void RunNothing(Renderer&) {}

// The model's facing from object 0's velocity: level, turned a quarter turn
// clockwise about z (the model's files face along -y), then normalised.
void FacingFromVelocity(const Vector3& velocity, D3DXMATRIX* facing)
{
    const float c = std::cos(-kHalfPi);
    const float s = std::sin(-kHalfPi);
    const Vector3 level(velocity.x, velocity.y, 0.0f);
    // Row vector times the rows (c, -s, 0), (s, c, 0), (0, 0, 1).
    Vector3 v(level.x * c + level.y * s, -level.x * s + level.y * c, 0.0f);
    v.Normalize();
    Vector3 side;
    Vector3::Cross(side, Vector3(0.0f, 0.0f, 1.0f), v);
    side.Normalize();
    *facing =
        D3DXMATRIX(v.x, v.y, v.z, 0.0f, side.x, side.y, side.z, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace

Renderer::Renderer(const VideoSettings& video_) : fullscreen(video_.fullscreen), video(video_)
{
    InstallEffectCallbacks();
    D3DXMatrixIdentity(&lastViewProjection);
    D3DXMatrixIdentity(&viewProjection);
    D3DXMatrixIdentity(&modelFacing);
    SetScreenTextDrawer(&DrawWithDebugFont);
}

Renderer::~Renderer()
{
    renderLists.Clear();
    ReleaseDeviceResources();
    resources.ReleaseMeshes();
    drawLists.Clear();
    multiAnim.Cleanup(&allocator);
    SetScreenTextDrawer(nullptr);
}

// ---------------------------------------------------------------- resources

bool Renderer::LoadResources()
{
    drawLists.SetRedraw(true);
    if (!device) {
        LoadAnimatedModel();
        return false;
    }
    CreateVertexDeclarations();
    handlesFetched = false;
    if (!LoadEffects()) {
        REPORT_ERROR("Could not load effects");
        return false;
    }
    if (!LoadMeshes()) REPORT_ERROR("Could not load meshes");
    LoadTextures();
    CreateScreenResources();
    resources.CreateFont(device);
    return true;
}

void Renderer::CreateVertexDeclarations()
{
    resources.CreateVertexDeclaration(device);
}

bool Renderer::LoadEffects()
{
    if (!resources.LoadEffect(device, effectIndex, paletteMacro)) {
        PostQuitMessage(-1);
        return false;
    }
    return true;
}

bool Renderer::LoadMeshes()
{
    bool loaded = true;
    if (!LoadAnimatedModel()) {
        REPORT_ERROR("Could not load Animated Meshes");
        loaded = false;
    } else if (!LoadStaticMeshes()) {
        REPORT_ERROR("Could not load Static Meshes");
        loaded = false;
    }
    // The quad comes from no file: a mesh file that is missing must not take
    // the HUD, the particles and the signs down with it.
    if (!resources.ArePrimitivesBuilt() && !CreatePrimitives()) {
        REPORT_ERROR("Could not load Primitives");
        loaded = false;
    }
    return loaded;
}

bool Renderer::LoadAnimatedModel()
{
    for (const char* name : AnimatedMeshFileNames) {
        if (FAILED(LoadAnimatedModelFile(&multiAnim, &allocator, device, name, GetEffect()))) return false;
    }
    return true;
}

bool Renderer::LoadStaticMeshes()
{
    return resources.LoadStaticMeshes(device);
}

bool Renderer::CreatePrimitives()
{
    return resources.CreatePrimitives(device);
}

void Renderer::LoadTextures()
{
    resources.LoadTextures(device);
}

void Renderer::CreateScreenResources()
{
    const RECT client = DXUTGetWindowClientRect();
    resources.CreateScreenResources(device, static_cast<UINT>(std::max<LONG>(client.right, 0)),
                                    static_cast<UINT>(std::max<LONG>(client.bottom, 0)), caps.PixelShaderVersion);
}

void Renderer::ReleaseDeviceResources()
{
    resources.Release();
    if (d3d) {
        d3d->Release();
        d3d = nullptr;
    }
}

// ---------------------------------------------------------------- the frame

void Renderer::Update(float dt)
{
    time01 += dt;
    // A sum of exactly 1 stays 1 until the next step.
    if (time01 > 1.0f) time01 -= std::floor(time01);
}

void Renderer::PrepareSceneContext()
{
    SceneDrawer::Context context;
    context.device = device;
    context.effect = GetEffect();
    context.effectIndex = effectIndex;
    context.maxPrimitiveCount = caps.MaxPrimitiveCount;
    context.resources = &resources;
    context.lists = &renderLists;
    context.terrains = FrameHookSlot::Get().GetTerrains();
    context.facing = &camera.GetFacing();
    context.viewProjection = &viewProjection;
    if (splitTerrainByLights) context.lights = &frameLights;
    context.callbacks = this;
    drawer.SetContext(context);
}

void Renderer::SetFrameParameters(ID3DXEffect* effect)
{
    const D3DXMATRIX& view = camera.GetView();
    D3DXMatrixMultiply(&viewProjection, &view, &camera.GetProjection());
    // Across a stage load the camera jumps; the velocity blur must not take
    // that jump for motion, so the first frame after it moves from itself.
    if (camera.TakeCut()) lastViewProjection = viewProjection;
    effect->SetMatrix(fx::kView, &view);
    effect->SetMatrix(fx::kViewProjection, &viewProjection);
    effect->SetMatrix(fx::kLastViewProjection, &lastViewProjection);
    lastViewProjection = viewProjection;

    LightArrays& lights = frameLights;
    FillLightArrays(FrameHookSlot::Get().GetLights(), lights);
    effect->SetValue(fx::kLightAttenuation, lights.attenuation, sizeof(lights.attenuation));
    effect->SetValue(fx::kLightPosition, lights.position, sizeof(lights.position));
    effect->SetValue(fx::kLightColour, lights.colour, sizeof(lights.colour));

    const float distance = camera.GetDistance();
    effect->SetFloat(fx::kFocalDistance, distance);
    const Vector3 eye = camera.GetTargetPosition() - camera.GetForward() * distance;
    const float cameraPosition[4] = {eye.x, eye.y, eye.z, 1.0f};
    effect->SetValue(fx::kCameraPosition, cameraPosition, sizeof(cameraPosition));
    SetHeatLevel(effect);
}

void Renderer::SetHeatLevel(ID3DXEffect* effect)
{
    float level = kNoHeatLevel;
    for (const MeshInstance* instance : renderLists.Get(kOpaqueList)) {
        if (instance->materialId != kLavaMaterial || instance->removeFlag) continue;
        D3DXMATRIX world;
        SceneDrawer::InstanceWorld(*instance, camera.GetFacing(), &world);
        level = world._43;
        break;
    }
    heatLevel = level;
    effect->SetFloat(fx::kHeatLevel, level);
}

void Renderer::RenderFrame()
{
    if (device) device->SetVertexDeclaration(resources.GetVertexDeclaration());
    camera.Update();
    renderLists.Prune();
    renderLists.SortBackToFront(camera.GetForward());

    // Between a failed effect load and the quit it asked for there is nothing to draw with.
    ID3DXEffect* effect = GetEffect();
    if (!device || !effect) return;
    if (FAILED(device->BeginScene())) return;

    SetFrameParameters(effect);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    effect->CommitChanges();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    PrepareSceneContext();
    if (DrawList* chain = drawLists.First()) {
        chain->Execute(*this);
    } else {
        DrawSceneStraight(*this);
    }

    DrawScreenMessages();
    FrameHooks& hooks = FrameHookSlot::Get();
    hooks.DrawEditorDialog(Clock::GetFrameTime(false) / 1000.0f);

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetVertexDeclaration(resources.GetVertexDeclaration());
    hooks.DrawHud();
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->EndScene();

    // Only a frame that drew the chain has built its filters.
    drawLists.SetRedraw(false);
}

// ---------------------------------------------------------------- effect callbacks

void Renderer::InstallEffectCallbacks()
{
    effectCallbacks[0] = &RunLightParameters;
    effectCallbacks[1] = &RunResetEffectIndex;
    effectCallbacks[2] = &RunNothing;
}

void Renderer::RunEffectCallback(int index)
{
    if (index >= 0 && index < kEffectCallbackCount) effectCallbacks[index](*this);
}

void Renderer::SetLightParameters()
{
    ID3DXEffect* effect = GetEffect();
    if (!effect) return;
    if (!handlesFetched) {
        handlesFetched = true;
        lightHandles[0] = effect->GetParameterByName(nullptr, fx::kLightDirection);
        lightHandles[1] = effect->GetParameterByName(nullptr, fx::kLightDiffuse);
        lightHandles[2] = effect->GetParameterByName(nullptr, fx::kLightCount);
    }
    for (int i = 0; i < 3; ++i) lightDir[i] = kLightDirection[i];
    effect->SetValue(lightHandles[0], lightDir, sizeof(lightDir));
    effect->SetValue(lightHandles[1], kLightDiffuse, sizeof(kLightDiffuse));
    effect->SetFloat(lightHandles[2], kLightCount);
    effect->SetValue(fx::kLightAmbient, kLightAmbient, sizeof(kLightAmbient));
    effect->SetFloat(fx::kOffsetScale, kOffsetScale);
    effect->SetFloat(fx::kTime, time01);
    drawer.SetPreparedEffect(kNoEffect);
}

void Renderer::ResetEffectIndex()
{
    drawer.SetPreparedEffect(kNoEffect);
}

// ---------------------------------------------------------------- scene drawing

void Renderer::DrawHeightmaps()
{
    drawer.DrawHeightmaps();
}

void Renderer::DrawRenderList(int list)
{
    drawer.DrawRenderList(list);
}

void Renderer::DrawRenderListWithStepTechnique(int list)
{
    float band[2];
    drawer.DrawRenderListWithStepTechnique(list, HeatMaskBand(band) ? band : nullptr);
}

int Renderer::GetHeightmapCount()
{
    return drawer.GetHeightmapCount();
}

void Renderer::GetHeightmapWorld(int index, D3DXMATRIX* world)
{
    drawer.GetHeightmapWorld(index, world);
}

// The heat mask is cold farther than "HeatBand" from the lava's height, so a
// step drawing it leaves out the terrain tiles and instances that lie wholly
// outside that band: they would only draw cold where the mask is already clear.
bool Renderer::HeatMaskBand(float worldBand[2])
{
    ID3DXEffect* effect = GetEffect();
    D3DXHANDLE technique = effect ? effect->GetCurrentTechnique() : nullptr;
    D3DXTECHNIQUE_DESC description = {};
    float band = 0.0f;
    if (!technique || FAILED(effect->GetTechniqueDesc(technique, &description)) || !description.Name ||
        std::strcmp(description.Name, fx::kHeatMaskTechnique) != 0 || FAILED(effect->GetFloat(fx::kHeatBand, &band)) ||
        !(band >= 0.0f)) {
        return false;
    }
    worldBand[0] = heatLevel - band;
    worldBand[1] = heatLevel + band;
    return true;
}

void Renderer::DrawHeightmapGeometry(int index)
{
    float band[2];
    drawer.DrawHeightmapGeometry(index, HeatMaskBand(band) ? band : nullptr);
}

void Renderer::DrawScreenQuad(float leftU, float topV, float rightU, float bottomV)
{
    drawer.DrawScreenQuad(leftU, topV, rightU, bottomV);
}

void Renderer::DrawScreenQuadDefault(float leftU, float topV, float rightU, float bottomV)
{
    DrawScreenQuad(leftU, topV, rightU, bottomV);
}

void Renderer::DrawMesh(int meshId)
{
    drawer.DrawMesh(meshId);
}

void Renderer::GetCropSize(UINT* width, UINT* height)
{
    *width = resources.GetScreenSize().cropWidth;
    *height = resources.GetScreenSize().cropHeight;
}

// ---------------------------------------------------------------- animated models

int Renderer::AddAnimatedModel(int animatedMesh)
{
    Model* model = new Model();
    models.push_back(model);
    model->SetAnimatedMesh(animatedMesh);
    model->Setup(&multiAnim, Clock::GetTotalTime());
    return static_cast<int>(models.size()) - 1;
}

Model* Renderer::GetModel(int index) const
{
    return index >= 0 && index < static_cast<int>(models.size()) ? models[index] : nullptr;
}

Model* Renderer::SetModelAnimating(bool active)
{
    Model* first = GetModel(0);
    if (first) first->SetActive(active);
    return first;
}

bool Renderer::UpdateAnimatedModels(float dt)
{
    const Model* first = GetModel(0);
    FrameCharacter character;
    if (!first || !first->IsActive() || !FrameHookSlot::Get().GetCharacter(character) || !character.position ||
        !character.instance) {
        return false;
    }
    if (!character.idleAnimation) FacingFromVelocity(character.linearVelocity, &modelFacing);
    D3DXMATRIX step, offset, position, world;
    D3DXMatrixTranslation(&offset, character.instance->offset.x, character.instance->offset.y,
                          character.instance->offset.z);
    D3DXMatrixTranslation(&position, character.position->x, character.position->y, character.position->z);
    D3DXMatrixMultiply(&step, &MeshImportTransform, &modelFacing);
    D3DXMatrixMultiply(&world, &step, &offset);
    D3DXMatrixMultiply(&step, &world, &position);
    bool posed = false;
    for (Model* model : models) {
        AnimInstance* anim = model->GetInstance();
        if (!anim || IsDrawableGone(model)) continue;
        anim->SetWorldTransform(&step);
        model->AdvanceTime(dt);
        posed = true;
    }
    return posed;
}

bool Renderer::IsDrawableGone(const Model* model) const
{
    for (const MeshInstance* instance : renderLists.Get(kSkinnedList)) {
        if (instance->model == model) return instance->removeFlag;
    }
    return false;
}
