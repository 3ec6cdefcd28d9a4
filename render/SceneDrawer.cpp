// The draw loops over the heightmaps and the render lists.
#include "render/SceneDrawer.h"

#include <cmath>

#include <d3dx9math.h>

#include "render/AnimInstance.h"
#include "render/DrawListRecords.h"
#include "render/EffectPasses.h"
#include "render/EffectParameterNames.h"
#include "render/MaterialTable.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/RenderResources.h"
#include "render/TechniqueNames.h"
#include "render/Terrain.h"

namespace {

// A camera-facing quad stands in the facing matrix's plane: x along up,
// y along side, z along forward, halved to the unit quad's size.
const D3DXMATRIX kFacingQuad(0.0f, 0.0f, -0.5f, 0.0f, //
                             0.0f, 0.5f, 0.0f, 0.0f,  //
                             0.5f, 0.0f, 0.0f, 0.0f,  //
                             0.0f, 0.0f, 0.0f, 1.0f);

// The screen quad's vertex: pre-transformed position and one texture pair.
struct ScreenVertex
{
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD kScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_TEX1;
constexpr float kScreenQuadRhw = 0.5f;

// R x T of an owner's pose: its orientation's rows as the rotation rows,
// then its position. A missing orientation or position adds nothing.
void PoseMatrix(const MeshInstance& instance, D3DXMATRIX* pose)
{
    D3DXMatrixIdentity(pose);
    if (const Matrix3* r = instance.orientation) {
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) pose->m[row][column] = r->m[row][column];
    }
    if (const Vector3* p = instance.position) {
        pose->_41 = p->x;
        pose->_42 = p->y;
        pose->_43 = p->z;
    }
}

void Multiply(D3DXMATRIX* out, const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMatrixMultiply(out, &a, &b);
}

// A technique and its twin that draws the same picture for less work where
// a condition holds; each table ends with a null pair. Names are interned.
struct TechniqueTwin
{
    const char* technique;
    const char* twin;
};

// Without highlights, for materials that have none.
const TechniqueTwin kHighlightTwins[] = {
    {InternTechnique("Phong1Opaque"), InternTechnique("PhongNoSpecOpaque")},
    {InternTechnique("PhongTransNoTex"), InternTechnique("PhongTransNoSpecNoTex")},
    {nullptr, nullptr},
};

// Without the point lights, for ground none of them reaches.
const TechniqueTwin kSkyLitTwins[] = {
    {InternTechnique("Phong1Opaque"), InternTechnique("Phong1OpaqueSkyLit")},
    {InternTechnique("PhongNoSpecOpaque"), InternTechnique("PhongNoSpecOpaqueSkyLit")},
    {nullptr, nullptr},
};

// The technique's twin in the table, or null.
const char* FindTwin(const TechniqueTwin* twins, const char* technique)
{
    for (const TechniqueTwin* entry = twins; entry->technique; ++entry) {
        if (entry->technique == technique) return entry->twin;
    }
    return nullptr;
}

// Whether every value of the lights is finite: a light that is not could add
// something even out of its range (infinity x 0 is not 0).
bool LightsAreFinite(const LightArrays& lights)
{
    for (int i = 0; i < kFrameLightCount; ++i) {
        if (!std::isfinite(lights.attenuation[i])) return false;
        for (float v : lights.position[i])
            if (!std::isfinite(v)) return false;
        for (float v : lights.colour[i])
            if (!std::isfinite(v)) return false;
    }
    return true;
}

bool HasHighlights(const Material& material)
{
    return material.specular[0] > 0.0f || material.specular[1] > 0.0f || material.specular[2] > 0.0f;
}

} // namespace

void SceneDrawer::InstanceWorld(const MeshInstance& instance, const D3DXMATRIX& facing, D3DXMATRIX* world)
{
    if (instance.worldOverride) {
        Multiply(world, instance.world, *instance.worldOverride);
        return;
    }
    D3DXMATRIX pose, step;
    PoseMatrix(instance, &pose);
    if (instance.transparent && instance.faceCamera) {
        Multiply(&step, kFacingQuad, facing);
        Multiply(world, step, instance.world);
        Multiply(&step, *world, pose);
        *world = step;
        return;
    }
    D3DXMATRIX offset;
    D3DXMatrixTranslation(&offset, instance.offset.x, instance.offset.y, instance.offset.z);
    // An id with no transform has no mesh either: it draws nothing, but its
    // previous world is still kept up to date.
    if (instance.meshId >= 0 && instance.meshId < kMeshTransformCount) {
        Multiply(&step, D3DXMATRIX(MeshTransforms[size_t(instance.meshId)]), instance.world);
    } else {
        step = instance.world;
    }
    Multiply(world, step, offset);
    Multiply(&step, *world, pose);
    *world = step;
}

const char* SceneDrawer::DrawnTechnique(const char* technique, int materialId)
{
    const Material* material = FindMaterial(materialId);
    if (!material || HasHighlights(*material)) return technique;
    const char* twin = FindTwin(kHighlightTwins, technique);
    return twin ? twin : technique;
}

const char* SceneDrawer::SkyLitTechnique(const char* technique)
{
    return FindTwin(kSkyLitTwins, technique);
}

void SceneDrawer::SetContext(const Context& frameContext)
{
    context = frameContext;
    frameView.reset();
    if (context.viewProjection) frameView.emplace(*context.viewProjection);
}

void SceneDrawer::ResetTracking()
{
    techniqueEffect = kNoEffect;
    preparedEffect = kNoEffect;
    currentTechnique = nullptr;
    lastMaterial = kNoMaterial;
    lastTexture = kNoTexture;
}

void SceneDrawer::SwitchEffect(const char* technique)
{
    if (techniqueEffect == context.effectIndex) return;
    techniqueEffect = context.effectIndex;
    currentTechnique = technique;
    context.effect->SetTechnique(technique);
    preparedEffect = context.effectIndex;
    if (context.callbacks) context.callbacks->RunEffectCallback(context.effectIndex);
}

void SceneDrawer::SendMaterial(int materialId)
{
    if (materialId == lastMaterial) return;
    lastMaterial = materialId;
    const Material* material = FindMaterial(materialId);
    if (!material) return;
    ID3DXEffect* effect = context.effect;
    effect->SetValue(fx::kSpecular, material->specular, sizeof(material->specular));
    effect->SetValue(fx::kEmissive, material->emissive, sizeof(material->emissive));
    effect->SetValue(fx::kDiffuse, material->diffuse, sizeof(material->diffuse));
    effect->SetValue(fx::kAmbient, material->ambient, sizeof(material->ambient));
    effect->SetFloat(fx::kPower, material->power);
}

void SceneDrawer::SendTexture(int textureId)
{
    if (textureId == lastTexture) return;
    lastTexture = textureId;
    // "No texture" and ids past the table bind nothing rather than a stale texture.
    context.effect->SetTexture(fx::kTexture, context.resources ? context.resources->GetTexture(textureId) : nullptr);
}

void SceneDrawer::SelectTechnique(const char* technique)
{
    if (technique == currentTechnique) return;
    context.effect->SetTechnique(technique);
    currentTechnique = technique;
}

// ---------------------------------------------------------------- heightmaps

Terrain* SceneDrawer::TerrainAt(int index) const
{
    const std::vector<Terrain*>* terrains = context.terrains;
    if (!terrains || index < 0 || index >= static_cast<int>(terrains->size())) return nullptr;
    return (*terrains)[size_t(index)];
}

int SceneDrawer::GetHeightmapCount() const
{
    return context.terrains ? static_cast<int>(context.terrains->size()) : 0;
}

void SceneDrawer::GetHeightmapWorld(int index, D3DXMATRIX* world) const
{
    const Terrain* terrain = TerrainAt(index);
    const float scale = terrain ? terrain->GetGround().DIFF : 1.0f;
    // Scaling x Translation(position); the terrain's position is the origin.
    D3DXMatrixScaling(world, scale, scale, scale);
}

bool SceneDrawer::TerrainView(int index, D3DXMATRIX* worldViewProjection, float* screenHeight) const
{
    if (!context.viewProjection) return false;
    D3DXMATRIX world;
    GetHeightmapWorld(index, &world);
    D3DXMatrixMultiply(worldViewProjection, &world, context.viewProjection);
    // The screen's height, not the current target's: a pass drawing into a
    // smaller target must still pick the scene pass's triangles. Lit at the
    // vertices, coarse levels would drop the vertices a torch's glow lies on,
    // so that effect keeps the ground whole (a height of 0).
    const bool vertexLit = context.effectIndex == kVertexLitEffect;
    *screenHeight = context.resources && !vertexLit ? float(context.resources->GetScreenSize().height) : 0.0f;
    return true;
}

void SceneDrawer::DrawTerrainTiles(int index, Terrain& terrain, const float* worldBand)
{
    // The ground is drawn at Scaling(DIFF): the band in mesh units.
    const float scale = terrain.GetGround().DIFF;
    TerrainTiles::HeightBand meshBand = {0.0f, 0.0f};
    const bool banded = worldBand && scale > 0.0f;
    if (banded) meshBand = {worldBand[0] / scale, worldBand[1] / scale};
    const TerrainTiles::HeightBand* band = banded ? &meshBand : nullptr;
    D3DXMATRIX worldViewProjection;
    float screenHeight = 0.0f;
    const bool culled = TerrainView(index, &worldViewProjection, &screenHeight);
    terrain.GetMesh().Draw(context.device, context.maxPrimitiveCount, culled ? &worldViewProjection : nullptr,
                           screenHeight, band);
}

void SceneDrawer::DrawHeightmapGeometry(int index, const float* worldBand)
{
    if (Terrain* terrain = TerrainAt(index)) DrawTerrainTiles(index, *terrain, worldBand);
}

void SceneDrawer::DrawHeightmaps()
{
    ResetTracking();
    if (!context.effect || !context.device) return;
    if (context.resources) context.device->SetVertexDeclaration(context.resources->GetVertexDeclaration());
    const int count = GetHeightmapCount();
    for (int i = 0; i < count; ++i) {
        Terrain* terrain = TerrainAt(i);
        if (!terrain) continue;
        TerrainMesh& mesh = terrain->GetMesh();
        const char* technique = DrawnTechnique(mesh.GetInternedTechnique(), mesh.materialId);
        SwitchEffect(technique);
        SendMaterial(mesh.materialId);
        SendTexture(mesh.textureId);
        context.effect->SetTechnique(technique);
        currentTechnique = technique;
        D3DXMATRIX world;
        GetHeightmapWorld(i, &world);
        context.effect->SetMatrix(fx::kWorld, &world);
        if (const char* skyLit = SkyLitTechnique(technique)) {
            if (DrawTerrainSplitByLights(i, *terrain, technique, skyLit)) continue;
        }
        ForEachEffectPass(context.effect, [&] { DrawTerrainTiles(i, *terrain); });
    }
}

bool SceneDrawer::DrawTerrainSplitByLights(int index, Terrain& terrain, const char* technique, const char* skyLit)
{
    if (!context.lights || !LightsAreFinite(*context.lights)) return false;
    D3DXMATRIX worldViewProjection;
    float screenHeight = 0.0f;
    if (!TerrainView(index, &worldViewProjection, &screenHeight)) return false;
    const float scale = terrain.GetGround().DIFF;
    if (!std::isfinite(scale) || scale == 0.0f) return false;
    // World = Scaling(scale): a light's sphere in mesh units.
    terrainLights.clear();
    for (int i = 0; i < kFrameLightCount; ++i) {
        const float* p = context.lights->position[i];
        terrainLights.push_back(
            {{p[0] / scale, p[1] / scale, p[2] / scale}, context.lights->attenuation[i] / std::fabs(scale)});
    }
    TerrainMesh& mesh = terrain.GetMesh();
    const std::vector<TerrainTiles::Range>& ranges =
        mesh.VisibleTiles(&worldViewProjection, screenHeight, &terrainLights);
    // Runs of tiles that agree, in the nearest-first order, each with its technique.
    for (size_t first = 0; first < ranges.size();) {
        size_t last = first + 1;
        while (last < ranges.size() && ranges[last].lit == ranges[first].lit) ++last;
        SelectTechnique(ranges[first].lit ? technique : skyLit);
        ForEachEffectPass(context.effect, [&] {
            mesh.DrawTiles(context.device, context.maxPrimitiveCount, ranges.data() + first, ranges.data() + last);
        });
        first = last;
    }
    return true;
}

// ---------------------------------------------------------------- render lists

void SceneDrawer::DrawRenderList(int list)
{
    ResetTracking();
    if (!context.effect || !context.device || !context.lists || list < 0 || list >= kRenderListCount) return;
    for (MeshInstance* instance : context.lists->Get(list)) {
        if (!Shows(*instance)) continue;
        SwitchEffect(instance->ownTechnique);
        SendMaterial(instance->materialId);
        SendTexture(instance->textureId);
        SelectTechnique(DrawnTechnique(instance->technique, instance->materialId));
        if (instance->skinned) {
            DrawSkinned(*instance);
        } else {
            DrawInstance(*instance);
        }
    }
}

void SceneDrawer::DrawRenderListWithStepTechnique(int list, const float* worldBand)
{
    if (!context.effect || !context.device || !context.lists || list < 0 || list >= kRenderListCount) return;
    heightBand = worldBand;
    for (MeshInstance* instance : context.lists->Get(list)) {
        if (!Shows(*instance)) continue;
        if (instance->skinned) {
            // The step's technique knows no palette: the character goes in
            // its bind pose at its place, enough for a mask or a velocity.
            if (const Model* model = instance->model) {
                if (const AnimInstance* anim = model->GetInstance()) {
                    context.effect->SetMatrix(fx::kWorld, &anim->GetWorldTransform());
                    context.effect->SetMatrix(fx::kLastWorld, &anim->GetWorldTransform());
                }
            }
            DrawSkinned(*instance);
            continue;
        }
        DrawInstance(*instance);
    }
    heightBand = nullptr;
}

void SceneDrawer::DrawInstance(MeshInstance& instance)
{
    D3DXMATRIX facing;
    if (context.facing) {
        facing = *context.facing;
    } else {
        D3DXMatrixIdentity(&facing);
    }
    D3DXMATRIX world;
    InstanceWorld(instance, facing, &world);
    const bool facesCamera = !instance.worldOverride && instance.transparent && instance.faceCamera;
    if (facesCamera) {
        context.effect->SetValue(fx::kDiffuse, instance.colour, sizeof(instance.colour));
        lastMaterial = kMaterialOverwritten;
    }
    DrawGeometryPasses(instance, world, !facesCamera);
}

void SceneDrawer::DrawGeometryPasses(MeshInstance& instance, const D3DXMATRIX& world, bool sendLastWorld)
{
    ID3DXEffect* effect = context.effect;
    IDirect3DDevice9* device = context.device;
    const MeshBuffers* geometry = context.resources ? context.resources->GetMesh(instance.meshId) : nullptr;
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0))) return;
    effect->SetMatrix(fx::kWorld, &world);
    if (sendLastWorld) {
        if (!instance.hasLastWorld) instance.lastWorld = world;
        instance.hasLastWorld = true;
        effect->SetMatrix(fx::kLastWorld, &instance.lastWorld);
        instance.lastWorld = world;
    }
    // A mesh wholly outside the view costs the device its vertices and
    // nothing else: it is not sent. Its last world above is kept all the same.
    const bool shows = geometry &&
                       (!frameView || MeshMayShow(geometry->boundsCentre, geometry->boundsRadius, world, *frameView)) &&
                       (!heightBand || MeshMayReachHeights(geometry->boundsCentre, geometry->boundsRadius, world,
                                                           heightBand[0], heightBand[1]));
    if (instance.wireframe) device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    if (shows) {
        for (UINT pass = 0; pass < passes; ++pass) {
            if (FAILED(effect->BeginPass(pass))) continue;
            geometry->Draw(context.maxPrimitiveCount);
            effect->EndPass();
        }
    }
    effect->End();
    if (instance.wireframe) device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

bool SceneDrawer::Shows(MeshInstance& instance)
{
    if (instance.hidden) {
        // Shown again later, it comes in where it is, not moving in from
        // where it was hidden.
        instance.hasLastWorld = false;
        return false;
    }
    if (!instance.skinned) return true;
    const Model* model = instance.model;
    // All copies share one hierarchy: until a model's first step its bones
    // hold the pose last given to another copy (after a stage load, the old
    // character at its old place), so a model is drawn only once posed. A
    // stopped model (the character knocked out, or a replay's frame after the
    // knock-out) would stand frozen beside the limp limbs that are the
    // character then: it is not drawn either.
    return model && model->GetInstance() && model->IsPosed() && model->IsActive();
}

void SceneDrawer::DrawSkinned(MeshInstance& instance)
{
    AnimInstance* anim = instance.model ? instance.model->GetInstance() : nullptr;
    if (!anim) return;
    anim->Draw();
    // The skinned mesh drew with its own declaration.
    if (context.resources) context.device->SetVertexDeclaration(context.resources->GetVertexDeclaration());
}

// ---------------------------------------------------------------- quads

void SceneDrawer::DrawScreenQuad(float leftU, float topV, float rightU, float bottomV)
{
    IDirect3DDevice9* device = context.device;
    if (!device || !context.effect) return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    context.effect->SetMatrix(fx::kWorld, &identity);
    IDirect3DSurface9* target = nullptr;
    D3DSURFACE_DESC desc = {};
    if (SUCCEEDED(device->GetRenderTarget(0, &target)) && target) {
        target->GetDesc(&desc);
        target->Release();
    }
    const float w = static_cast<float>(desc.Width);
    const float h = static_cast<float>(desc.Height);
    const ScreenVertex quad[4] = {
        {-0.5f, -0.5f, 0.0f, kScreenQuadRhw, leftU, topV},
        {w - 0.5f, -0.5f, 0.0f, kScreenQuadRhw, rightU, topV},
        {-0.5f, h - 0.5f, 0.0f, kScreenQuadRhw, leftU, bottomV},
        {w - 0.5f, h - 0.5f, 0.0f, kScreenQuadRhw, rightU, bottomV},
    };
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetFVF(kScreenVertexFormat);
    context.effect->CommitChanges();
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void SceneDrawer::DrawMesh(int meshId)
{
    const MeshBuffers* geometry = context.resources ? context.resources->GetMesh(meshId) : nullptr;
    if (geometry) geometry->Draw(context.maxPrimitiveCount);
}
