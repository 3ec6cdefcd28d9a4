#include "game/World.h"

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/Resources.h"
#include "core/ScreenText.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/ObjectFactory.h"
#include "game/Player.h"
#include "game/SceneFactory.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "objects/ShapeSettings.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsController.h"
#include "physics/PhysicsWorld.h"
#include "render/PointLight.h"
#include "render/Renderer.h"
#include "render/Terrain.h"

World* gWorld = nullptr;

namespace {

// The developer key's terrain: a 101 x 101 grid mesh at spacing 4, a plain
// ground (render/Terrain.h).
const int kDeveloperTerrainRows = 101;
const int kDeveloperTerrainColumns = 101;
const float kDeveloperTerrainDiff = 4.0f;

IDirect3DDevice9* RendererDevice()
{
    return gRenderer != nullptr ? gRenderer->GetDevice() : nullptr;
}

Terrain* MakeDeveloperTerrain(const std::string& fileName)
{
    return new Terrain(fileName.c_str(), kDeveloperTerrainRows, kDeveloperTerrainColumns, kDefaultGroundTechnique,
                       kDefaultGroundTexture, kDefaultGroundMaterial, kDeveloperTerrainDiff, kDefaultGroundElasticity,
                       kDefaultGroundFriction, kDefaultGroundFriction, RendererDevice());
}

template <typename T>
void DeleteAll(std::vector<T*>& items)
{
    // Swapped out first: a destructor that reaches back into the World finds
    // the list already empty rather than half freed.
    std::vector<T*> doomed;
    doomed.swap(items);
    for (T* item : doomed) delete item;
}

} // namespace

World::World()
{
    bool ok = false;
    physicsConfig = new ConfigFile(ConfigDirectory + "Physics.cfg", &ok);
    if (!ok) {
        REPORT_ERROR("Could Not Load Physics config file");
    }
    // The shapes read their collision-mesh and material keys through this reader.
    SetShapeConfig(physicsConfig);
    const std::string vidPath = ConfigDirectory + "Vid.cfg";
    vidConfig = new ConfigFile(vidPath, &ok);
    if (!ok) {
        delete vidConfig;
        vidConfig = WriteDefaultVideoConfig(vidPath, &ok);
        if (!ok) REPORT_ERROR("Could Not Load Video config file");
    }
}

World::~World()
{
    // The stage goes while the shapes can still read their keys.
    Clear(true);
    SetShapeConfig(nullptr);
    delete vidConfig;
    vidConfig = nullptr;
    delete physicsConfig;
    physicsConfig = nullptr;
}

void World::CreateObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                         float mass, bool frozen, bool immovable, int texture)
{
    ObjectRequest request{type, *position, *orientation, Vector3(sx, sy, sz), mass, frozen, immovable, texture};
    BuildWorldObject(*this, request);
}

void World::CreateNPObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                           int texture)
{
    BuildSceneObject(*this, type, *position, *orientation, Vector3(sx, sy, sz), texture);
}

void World::AddObject(Object* object)
{
    objects.push_back(object);
}

void World::AddUpdatable(NPObj* sceneObject)
{
    updatables.push_back(sceneObject);
}

PointLight* World::AddLight(const Vector3* position, const Matrix3* orientation, const float* colour, float attenuation,
                            float positionFlicker, float attenuationFlicker)
{
    PointLight* light = new PointLight(position, orientation, colour, attenuation, positionFlicker, attenuationFlicker);
    lights.push_back(light);
    return light;
}

void World::AddTerrain(Terrain* terrain)
{
    heightmaps.push_back(terrain);
    if (gPhysicsWorld != nullptr) gPhysicsWorld->AddHeightmap(&terrain->GetGround());
}

bool World::AddHeightmap(const std::string& fileName)
{
    Terrain* terrain = MakeDeveloperTerrain(fileName);
    if (!terrain->GetGround().GetGrid().IsBuilt()) {
        // Flat ground at 0 slipped under the stage would catch what falls.
        delete terrain;
        return false;
    }
    AddTerrain(terrain);
    return true;
}

void World::AddHeightmapFromFile(const std::string& meshPath, const std::string& hmpPath)
{
    AddTerrain(new Terrain(hmpPath, meshPath, RendererDevice()));
}

bool World::ReplaceHeightmaps(const std::string& meshPath, const std::string& hmpPath)
{
    Terrain* terrain = new Terrain(hmpPath, meshPath, RendererDevice());
    if (!terrain->GetGround().GetGrid().IsBuilt()) {
        // The terrain has reported why; bodies keep the ground they stand on.
        delete terrain;
        return false;
    }
    ClearHeightmaps();
    AddTerrain(terrain);
    return true;
}

void World::ClearHeightmaps()
{
    // The physics world forgets the grounds before they go.
    if (gPhysicsWorld != nullptr) gPhysicsWorld->ClearHeightmaps();
    DeleteAll(heightmaps);
}

void World::ClearObjects()
{
    // The physics world lets go first: a cart is a controller as well as a
    // body, and the world tells the controller it keeps that a clear is on.
    if (gPhysicsWorld != nullptr) gPhysicsWorld->Clear();
    DeleteAll(objects);
    Object::ResetIdCounter();
}

void World::ClearLights()
{
    DeleteAll(lights);
}

void World::SetBridge(BoxChain* chain)
{
    if (bridge != nullptr) controllers.push_back(bridge);
    bridge = chain;
}

void World::SetChainPlatform(ChainPlatform* platform)
{
    if (chainPlatform != nullptr) controllers.push_back(chainPlatform);
    chainPlatform = platform;
}

void World::DeleteStageMachinery()
{
    delete bridge;
    bridge = nullptr;
    delete chainPlatform;
    chainPlatform = nullptr;
}

// The order is part of the design: the player lets go of its character
// first; objects go before the lights that ride on them; the scene objects
// (tires among them) go after the bodies they follow, with no update between;
// the controllers go after the physics world has forgotten them, and a
// spinning log then deletes its own log body; the live particles last, since
// some ride on what went before (they only read their parent while updated).
void World::Clear(bool keepParticles)
{
    if (gPlayer != nullptr) gPlayer->ResetForNewLevel();
    ClearObjects();
    ClearLights();
    ClearHeightmaps();
    vehicles.clear();
    DeleteAll(updatables);
    scenery.clear();
    triggers.clear();
    ClearScreenMessages();
    skyBox = nullptr;
    DeleteStageMachinery();
    DeleteAll(controllers);
    chainWhips.clear();
    swingingLogs.clear();
    gblocks.clear();
    if (!keepParticles && gPartManager != nullptr) gPartManager->DestroyAll();
}

void World::Update(float time)
{
    UpdateLights(time);
    UpdateUpdatables();
    // A stage exit reached during the loop asked for its load; it runs now,
    // before anything is drawn, so the new stage shows this very frame.
    if (gLevelLoader != nullptr) gLevelLoader->RunPendingLoad();
}

void World::UpdateLights(float time)
{
    for (PointLight* light : lights) light->Update(time);
}

void World::UpdateUpdatables()
{
    updatingUpdatables = true;
    // By index: an update may add to the list (a spawned scene object).
    for (size_t i = 0; i < updatables.size(); ++i) updatables[i]->Update();
    updatingUpdatables = false;
}

Object* World::GetObject(int index) const
{
    return index >= 0 && index < static_cast<int>(objects.size()) ? objects[index] : nullptr;
}

BoxChain* World::GetStageOneObject() const
{
    return CurrentStage() == kFirstStage ? bridge : nullptr;
}
