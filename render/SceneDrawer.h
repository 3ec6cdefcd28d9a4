// Drawing the scene's geometry through the active effect: the heightmaps and
// the instances of one render list, with what the draws remember between
// them (the effect a technique was last chosen on, the technique, the
// material and the texture last sent), so consecutive draws that share state
// send nothing twice. Also the full-screen quad of the post-processing passes.
//
// The drawer owns no resources: the Renderer hands it, for each frame, the
// device, the active effect, the resource tables and the camera's facing
// matrix, and answers the per-effect callback when a technique switch
// crosses effects.
#pragma once

#include <optional>
#include <vector>

#include <d3d9.h>
#include <d3dx9effect.h>

#include "core/Resources.h"
#include "render/FrameLights.h"
#include "render/RenderLists.h"
#include "render/TerrainTiles.h"
#include "render/ViewVolume.h"

class RenderResources;
class Terrain;
struct MeshInstance;

// The effect index meaning "none prepared".
constexpr int kNoEffect = 2;

class SceneDrawer
{
public:
    // What a technique switch that crosses effects calls: the renderer's
    // per-effect callback of that effect index.
    class EffectCallbacks
    {
    public:
        virtual ~EffectCallbacks() = default;
        virtual void RunEffectCallback(int effectIndex) = 0;
    };

    // What one frame draws with; pointers are not owned.
    struct Context
    {
        IDirect3DDevice9* device = nullptr;
        ID3DXEffect* effect = nullptr;
        int effectIndex = kNoEffect;
        DWORD maxPrimitiveCount = 0;
        const RenderResources* resources = nullptr;
        const RenderLists* lists = nullptr;
        const std::vector<Terrain*>* terrains = nullptr;
        const D3DXMATRIX* facing = nullptr; // the camera's, for camera-facing instances
        // The frame's view x projection, which the terrain's tiles are culled
        // by; null draws every tile.
        const D3DXMATRIX* viewProjection = nullptr;
        // The frame's point lights as the effect has them; null: the terrain
        // is drawn with its own technique throughout.
        const LightArrays* lights = nullptr;
        EffectCallbacks* callbacks = nullptr;
    };

    void SetContext(const Context& frameContext);
    const Context& GetContext() const { return context; }

    // Forgets the effect, technique, material and texture last sent.
    void ResetTracking();
    // The effect index whose callback ran last (kNoEffect once it finished).
    int GetPreparedEffect() const { return preparedEffect; }
    void SetPreparedEffect(int effectIndex) { preparedEffect = effectIndex; }
    const char* GetCurrentTechnique() const { return currentTechnique; }

    // Every terrain with its own technique, material and texture, at
    // Scaling(DIFF): the terrain keeps its mesh units, heights included.
    void DrawHeightmaps();
    int GetHeightmapCount() const;
    void GetHeightmapWorld(int index, D3DXMATRIX* world) const;
    // The terrain's bare geometry inside the caller's pass; with a band of
    // world heights (low, high), only its tiles reaching into the band.
    void DrawHeightmapGeometry(int index, const float* worldBand = nullptr);

    // The instances of a render list with their own techniques, materials
    // and textures; skinned ones through their own Model.
    void DrawRenderList(int list);
    // The instances with the technique the caller set and nothing of their own.
    // With a band of world heights (low, high), only the instances that may
    // reach into it.
    void DrawRenderListWithStepTechnique(int list, const float* worldBand = nullptr);

    // A quad over the whole current render target with these texture
    // coordinates, drawn pre-transformed with Direct3D's half-pixel offset.
    void DrawScreenQuad(float leftU, float topV, float rightU, float bottomV);
    // The geometry of a mesh id (25 the unit quad) inside the caller's pass;
    // an id with no mesh draws nothing.
    void DrawMesh(int meshId);

    // The technique a drawable is drawn with: its own, or, when its material
    // has no highlights, the twin technique without them, which draws the
    // same picture for less work at every pixel. Names are interned.
    static const char* DrawnTechnique(const char* technique, int materialId);
    // The twin of a terrain technique that adds no point lights, for ground
    // out of their reach; null when it has none. Names are interned.
    static const char* SkyLitTechnique(const char* technique);

    // An instance's world matrix: the override, the camera-facing quad, or
    // the mesh's own transform with the offset and the owner's pose.
    static void InstanceWorld(const MeshInstance& instance, const D3DXMATRIX& facing, D3DXMATRIX* world);

private:
    // Whether an instance is drawn: not while hidden (which also forgets its
    // last world); a skinned one only while its model has an instance, has
    // been posed and animates.
    static bool Shows(MeshInstance& instance);
    // The technique switch: only when the effect changed since the last
    // switch, the technique is set and the effect's callback runs.
    void SwitchEffect(const char* technique);
    void SendMaterial(int materialId);
    void SendTexture(int textureId);
    void SelectTechnique(const char* technique);
    void DrawInstance(MeshInstance& instance);
    void DrawSkinned(MeshInstance& instance);
    void DrawGeometryPasses(MeshInstance& instance, const D3DXMATRIX& world, bool sendLastWorld);
    Terrain* TerrainAt(int index) const;
    // The terrain's world x view x projection and the screen's height its
    // levels of detail are chosen for; false when the frame culls nothing.
    bool TerrainView(int index, D3DXMATRIX* worldViewProjection, float* screenHeight) const;
    // The terrain's tiles in view, nearest first, inside the caller's pass.
    void DrawTerrainTiles(int index, Terrain& terrain, const float* worldBand = nullptr);
    // The terrain's visible tiles, those no point light reaches with
    // `skyLit` and the rest with `technique`, nearest first throughout, each
    // at the level the plain draw picks. False (nothing drawn) when the
    // frame's lights cannot be placed on it.
    bool DrawTerrainSplitByLights(int index, Terrain& terrain, const char* technique, const char* skyLit);

    // The frame's lights in the terrain's mesh units, kept between frames.
    std::vector<TerrainTiles::LightSphere> terrainLights;

    Context context;
    // The frame's view volume, built once from context.viewProjection.
    std::optional<ViewVolume> frameView;
    const float* heightBand = nullptr; // while a step draws only a band of heights
    int techniqueEffect = kNoEffect;
    int preparedEffect = kNoEffect;
    const char* currentTechnique = nullptr;
    // At the start of a pass over the scene: no material and no texture sent.
    int lastMaterial = kNoMaterial;
    int lastTexture = kNoTexture;

    // Set after a camera-facing instance wrote its own colour over "DiffCol":
    // the next instance sends its material again, whatever its id.
    static constexpr int kMaterialOverwritten = -1;
};
