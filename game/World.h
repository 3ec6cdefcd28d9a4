// The container of the running stage: every body, scene object, trigger,
// light, terrain and piece of machinery a stage builds, the two factories
// that build them from a level file's type ids (game/ObjectFactory.h,
// game/SceneFactory.h), and the game's two configuration readers.
//
// Ownership, decided here: the World owns the objects, the updatables (scene
// objects and triggers), the lights, the terrains, the bridge, the chain
// platform and the other controllers. The scenery, vehicle, trigger, whip,
// swinging-log and falling-block lists only point into those. The physics
// world refers to bodies, terrains and controllers and owns none of them.
// Clear gives everything back in a fixed order (see Clear).
#pragma once

#include <string>
#include <vector>

class BoxChain;
class ChainPlatform;
class ChainWhip;
class ConfigFile;
class NPObj;
class Object;
class PhysicsController;
class PointLight;
class SwingingLog;
class Terrain;
class Trigger;
class Vehicle;
struct Matrix3;
struct Vector3;

class World
{
public:
    World();
    // Clears the stage, keeping the live particle systems (the particle
    // manager is gone by then at exit).
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The factories (their tables are in ObjectFactory.cpp and
    // SceneFactory.cpp). An unknown type builds nothing and reports nothing.
    void CreateObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                      float mass, bool frozen, bool immovable, int texture);
    void CreateNPObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                        int texture);

    // The World takes the object or scene object over (the builders of
    // chains, logs and the character add theirs here).
    void AddObject(Object* object);
    void AddUpdatable(NPObj* sceneObject);
    // A light riding on the owner's pose; the World owns it.
    PointLight* AddLight(const Vector3* position, const Matrix3* orientation, const float* colour, float attenuation,
                         float positionFlicker, float attenuationFlicker);

    // The developer key's terrain: a grid mesh with fixed values, added
    // beside the stage's. A file that does not build a terrain adds nothing
    // (the terrain reports why); false then.
    bool AddHeightmap(const std::string& fileName);
    // A stage's terrain: the ".hmp" keys, then the grid mesh.
    void AddHeightmapFromFile(const std::string& meshPath, const std::string& hmpPath);
    // A dropped bitmap's terrain, from its ".hmp" keys and grid mesh as a
    // stage's: built first, and only a terrain that built takes the place of
    // the stage's; one that fails leaves the ground as it was.
    bool ReplaceHeightmaps(const std::string& meshPath, const std::string& hmpPath);
    void ClearHeightmaps();

    // Removes the whole stage (see World.cpp for the order).
    void Clear(bool keepParticles);

    // Once per rendered frame with the absolute time in seconds: the lights,
    // then every updatable, then a stage load one of them asked for.
    void Update(float time);
    void UpdateLights(float time);
    void UpdateUpdatables();
    // True while the updatables run: a stage load asked for then must wait
    // until the loop is over (the asking trigger is one of them).
    bool IsUpdatingUpdatables() const { return updatingUpdatables; }

    // What the factories register besides the owning lists.
    void AddScenery(NPObj* sceneObject) { scenery.push_back(sceneObject); }
    void AddVehicle(Vehicle* vehicle) { vehicles.push_back(vehicle); }
    void AddTrigger(Trigger* trigger) { triggers.push_back(trigger); }
    void AddGBlock(Object* block) { gblocks.push_back(block); }
    void AddController(PhysicsController* controller) { controllers.push_back(controller); }
    void AddChainWhip(ChainWhip* whip) { chainWhips.push_back(whip); }
    void AddSwingingLog(SwingingLog* log) { swingingLogs.push_back(log); }
    void SetSkyBox(NPObj* sceneObject) { skyBox = sceneObject; }
    // The stage's bridge and hanging platform. A second one of either moves
    // the first into the controllers: its joints are in the physics world,
    // so it must live until the stage is cleared.
    void SetBridge(BoxChain* chain);
    void SetChainPlatform(ChainPlatform* platform);

    // Index 0 is the first body the stage built; null past the end.
    Object* GetObject(int index) const;
    int GetNumObjects() const { return static_cast<int>(objects.size()); }
    const std::vector<Object*>& GetObjects() const { return objects; }
    const std::vector<NPObj*>& GetUpdatables() const { return updatables; }
    const std::vector<PointLight*>& GetLights() const { return lights; }
    // The plain scene objects the level writer saves as "npo" records.
    const std::vector<NPObj*>& GetNPObjects() const { return scenery; }
    const std::vector<Vehicle*>& GetVehicles() const { return vehicles; }
    const std::vector<Trigger*>& GetTriggers() const { return triggers; }
    const std::vector<Terrain*>& GetHeightmaps() const { return heightmaps; }
    const std::vector<ChainWhip*>& GetChainWhips() const { return chainWhips; }
    const std::vector<SwingingLog*>& GetSwingingLogs() const { return swingingLogs; }
    const std::vector<Object*>& GetGBlocks() const { return gblocks; }
    const std::vector<PhysicsController*>& GetControllers() const { return controllers; }
    NPObj* GetSkyBox() const { return skyBox; }
    ChainPlatform* GetChainPlatform() const { return chainPlatform; }
    // The breaking bridge while stage 1 runs, else null.
    BoxChain* GetStageOneObject() const;

    ConfigFile* GetPhysicsConfig() { return physicsConfig; }
    ConfigFile* GetVidConfig() { return vidConfig; }

    // Writes a heightmap file from a 24-bit bitmap beside it (the name with
    // "hmp" for its last three letters); returns its name, or an empty string
    // when nothing could be written. When the bitmap fits a terrain, the same
    // heights are written beside it as a grid mesh (the name with ".x"),
    // whose name goes to gridMeshName; otherwise that is left empty.
    std::string ConvertBitmapToHeightmap(const std::string& bitmapName, std::string* gridMeshName = nullptr);

private:
    void AddTerrain(Terrain* terrain);
    void ClearObjects();
    void ClearLights();
    // The bridge and the chain platform.
    void DeleteStageMachinery();

    std::vector<Object*> objects;
    std::vector<NPObj*> updatables;
    std::vector<NPObj*> scenery;
    std::vector<Vehicle*> vehicles;
    std::vector<Trigger*> triggers;
    std::vector<PointLight*> lights;
    NPObj* skyBox = nullptr;
    BoxChain* bridge = nullptr;
    ConfigFile* vidConfig = nullptr;
    ConfigFile* physicsConfig = nullptr;
    std::vector<ChainWhip*> chainWhips;
    std::vector<SwingingLog*> swingingLogs;
    std::vector<Object*> gblocks;
    ChainPlatform* chainPlatform = nullptr;
    std::vector<PhysicsController*> controllers;
    std::vector<Terrain*> heightmaps;
    bool updatingUpdatables = false;
};

// Writes the default "Vid.cfg" at the path and returns a reader opened on it;
// ok tells whether the reader opened.
ConfigFile* WriteDefaultVideoConfig(const std::string& path, bool* ok);

extern World* gWorld;
