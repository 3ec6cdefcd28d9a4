// The draw loops over the heightmaps and the render lists.
#include "render/SceneDrawer.h"

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
#include "render/ViewVolume.h"

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

// Techniques that differ only by their highlights, and the twin without them.
struct HighlightTwin
{
    const char* withHighlights;
    const char* without;
};

const HighlightTwin* Twins()
{
    static const HighlightTwin twins[] = {
        {InternTechnique("Phong1Opaque"), InternTechnique("PhongNoSpecOpaque")},
        {InternTechnique("PhongTransNoTex"), InternTechnique("PhongTransNoSpecNoTex")},
        {nullptr, nullptr},
    };
    return twins;
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
    for (const HighlightTwin* twin = Twins(); twin->withHighlights; ++twin) {
        if (twin->withHighlights == technique) return twin->without;
    }
    return technique;
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

void SceneDrawer::DrawTerrainTiles(int index, Terrain& terrain, const float* worldBand)
{
    // The ground is drawn at Scaling(DIFF): the band in mesh units.
    const float scale = terrain.GetGround().DIFF;
    TerrainTiles::HeightBand meshBand = {0.0f, 0.0f};
    const bool banded = worldBand && scale > 0.0f;
    if (banded) meshBand = {worldBand[0] / scale, worldBand[1] / scale};
    const TerrainTiles::HeightBand* band = banded ? &meshBand : nullptr;
    if (!context.viewProjection) {
        terrain.GetMesh().Draw(context.device, context.maxPrimitiveCount, nullptr, 0.0f, band);
        return;
    }
    D3DXMATRIX world, worldViewProjection;
    GetHeightmapWorld(index, &world);
    D3DXMatrixMultiply(&worldViewProjection, &world, context.viewProjection);
    // The screen's height, not the current target's: a pass drawing into a
    // smaller target must still pick the scene pass's triangles.
    const float screenHeight = context.resources ? float(context.resources->GetScreenSize().height) : 0.0f;
    terrain.GetMesh().Draw(context.device, context.maxPrimitiveCount, &worldViewProjection, screenHeight, band);
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
        ForEachEffectPass(context.effect, [&] { DrawTerrainTiles(i, *terrain); });
    }
}

// ---------------------------------------------------------------- render lists

void SceneDrawer::DrawRenderList(int list)
{
    ResetTracking();
    if (!context.effect || !context.device || !context.lists || list < 0 || list >= kRenderListCount) return;
    for (MeshInstance* instance : context.lists->Get(list)) {
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
                       (!context.viewProjection ||
                        MeshMayShow(geometry->boundsCentre, geometry->boundsRadius, world, *context.viewProjection)) &&
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

void SceneDrawer::DrawSkinned(MeshInstance& instance)
{
    AnimInstance* anim = instance.model ? instance.model->GetInstance() : nullptr;
    // All copies share one hierarchy: until a model's first step its bones
    // hold the pose last given to another copy (after a stage load, the old
    // character at its old place), so a model is drawn only once posed.
    if (!anim || !instance.model->IsPosed()) return;
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
