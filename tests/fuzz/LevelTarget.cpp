// Level files, through the level loader: the input is the one stage file of a
// scratch run tree (no maps, meshes or particle files beside it, so nothing
// else is read, and the physics at its cheapest, so a run stays short),
// loaded into the World by LevelLoader::LoadLevel with no renderer (its
// drawables are the renderer's own reading), then a frame of the stage it
// built is run. Whatever the file, every body then stands at a finite place
// and the World holds no more objects than a file and the stage set-up give.
//
// Every input is a run of its own: the game's singletons are built afresh,
// the counters a run keeps across stages (the factories', the triggers') and
// the random sequence start as at start-up, and the working folder is the
// scratch run tree only while the input runs. So an input's outcome, which
// FuzzResultDigest sums up, never depends on the inputs before it.
#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "StageRig.h"
#include "core/ConfigFile.h"
#include "game/FactoryCounters.h"
#include "game/LevelFile.h"
#include "game/LevelLoader.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

const int kFrames = 1;
// The scratch "Physics.cfg": one pass of each solver stage and the coarsest
// collision grids, so a run costs little; the stage file is what is tested.
const char* const kCheapPhysics[] = {"physics_collision_iterations 1", "physics_contact_iterations 1",
                                     "physics_penetration_iterations 1"};
const char* const kCoarseGrids[] = {
    "box_mesh_size",     "capsule_mesh_size",     "cylinder_mesh_size",  "ellipsoid_mesh_size", "prism_mesh_size",
    "pyramid_mesh_size", "tetrahedron_mesh_size", "vehicle_mesh_size_x", "vehicle_mesh_size_y", "vehicle_mesh_size_z"};
// The stage set-up adds its own objects (bridge, whips, logs, the shadow)
// to what a file may give.
const size_t kMostObjects = LevelReader::kMaxRecords + 64;

// The scratch run tree's bin folder, laid out once.
const std::string& RunFolder()
{
    static const std::string& folder = *new std::string([] {
        for (const char* name : {"run/Levels", "run/Config"}) FuzzScratchFolder(name);
        std::string physics;
        for (const char* line : kCheapPhysics) physics += std::string(line) + "\n";
        for (const char* key : kCoarseGrids) physics += std::string(key) + " 2\n";
        WriteFuzzFile("run/Config/Physics.cfg", reinterpret_cast<const uint8_t*>(physics.data()), physics.size());
        // The video file the game writes at its first start, there for every input.
        bool written = false;
        delete WriteDefaultVideoConfig(FuzzScratchDir() + "run/Config/Vid.cfg", &written);
        if (!written) FuzzFail("the scratch video configuration", __FILE__, __LINE__);
        return FuzzScratchFolder("run/bin");
    }());
    return folder;
}

// The game finds its files beside its working folder: the run tree's while
// an input runs, the caller's again after it.
class InRunFolder
{
public:
    InRunFolder() : previous(std::filesystem::current_path())
    {
        if (chdir(RunFolder().c_str()) != 0) FuzzFail("chdir to the scratch run tree", __FILE__, __LINE__);
    }
    ~InRunFolder()
    {
        if (chdir(previous.c_str()) != 0) FuzzFail("chdir back to the working folder", __FILE__, __LINE__);
    }
    InRunFolder(const InRunFolder&) = delete;
    InRunFolder& operator=(const InRunFolder&) = delete;

private:
    const std::filesystem::path previous;
};

// What the last input built, summed up after its frame.
uint64_t gDigest = 0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InRunFolder runFolder;
    ResetFactoryCountersForTest();
    Trigger::ResetRunForTest();
    std::srand(1);
    StageRig rig(StageOptions{false, false});
    WriteFuzzFile("run/Levels/input.qvl", data, size);
    gLevelLoader->LoadLevel("input.qvl");
    FUZZ_REQUIRE(gWorld->GetObjects().size() <= kMostObjects);
    for (int frame = 0; frame < kFrames; ++frame) rig.RunFrame();
    for (const RigidBody* body : gPhysicsWorld->GetBodies()) FUZZ_REQUIRE(AllFinite(body->position));
    gDigest = HashGameState();
    return 0;
}

extern "C" uint64_t FuzzResultDigest()
{
    return gDigest;
}
