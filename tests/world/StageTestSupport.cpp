#include "StageTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "render/RenderLists.h"

namespace fs = std::filesystem;

namespace {

int sTreeCount = 0;

} // namespace

ScratchRunTree::ScratchRunTree() : previous(fs::current_path().string())
{
    // The tests run from the run tree's bin folder: its data sits beside it.
    const fs::path source = fs::current_path().parent_path();
    root =
        (fs::temp_directory_path() / ("lv_world_tree_" + std::to_string(getpid()) + "_" + std::to_string(sTreeCount++)))
            .string();
    fs::remove_all(root);
    fs::create_directories(fs::path(root) / "bin");
    // Copies of what a test may write over, links to what is only read.
    for (const char* folder : {"Config", "Levels"}) {
        if (fs::exists(source / folder))
            fs::copy(source / folder, fs::path(root) / folder, fs::copy_options::recursive);
    }
    for (const char* folder : {"Maps", "Meshes", "Particles"}) {
        if (fs::exists(source / folder)) fs::create_directory_symlink(source / folder, fs::path(root) / folder);
    }
    fs::current_path(fs::path(root) / "bin");
}

ScratchRunTree::~ScratchRunTree()
{
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(root, ignored);
}

void ScratchRunTree::Write(const std::string& relative, const std::string& text) const
{
    const fs::path path = fs::path(root) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ScratchRunTree::Read(const std::string& relative) const
{
    std::ifstream in(fs::path(root) / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool StageCounts::operator==(const StageCounts& o) const
{
    return objects == o.objects && updatables == o.updatables && lights == o.lights && heightmaps == o.heightmaps &&
           bodies == o.bodies && controllers == o.controllers && constraints == o.constraints && queued == o.queued &&
           triggers == o.triggers && particleSystems == o.particleSystems;
}

StageCounts CountStage()
{
    StageCounts c;
    c.objects = gWorld->GetNumObjects();
    c.updatables = static_cast<int>(gWorld->GetUpdatables().size());
    c.lights = static_cast<int>(gWorld->GetLights().size());
    c.heightmaps = static_cast<int>(gWorld->GetHeightmaps().size());
    c.bodies = static_cast<int>(gPhysicsWorld->GetBodies().size());
    c.controllers = static_cast<int>(gPhysicsWorld->GetControllers().size());
    c.constraints = static_cast<int>(gPhysicsWorld->GetConstraints().size());
    c.triggers = static_cast<int>(gWorld->GetTriggers().size());
    if (gPartManager != nullptr) c.particleSystems = static_cast<int>(gPartManager->GetSystems().size());
    if (gRenderer != nullptr) {
        // Drawables given back but not yet pruned belong to the stage before.
        for (int list = 0; list < kRenderListCount; ++list) {
            for (const MeshInstance* instance : gRenderer->GetRenderLists().Get(list)) {
                if (!instance->removeFlag) ++c.queued;
            }
        }
    }
    return c;
}

std::string Describe(const StageCounts& c)
{
    std::ostringstream text;
    text << "objects " << c.objects << ", updatables " << c.updatables << ", lights " << c.lights << ", terrains "
         << c.heightmaps << ", bodies " << c.bodies << ", controllers " << c.controllers << ", constraints "
         << c.constraints << ", queued " << c.queued << ", triggers " << c.triggers << ", particle systems "
         << c.particleSystems;
    return text.str();
}

class LoadingUpdatable : public NPObj
{
public:
    LoadingUpdatable(const std::string& level, int* updates_, bool* sawPending_)
        : levelToLoad(level), updates(updates_), sawPending(sawPending_)
    {}
    void Update() override
    {
        ++*updates;
        if (levelToLoad.empty()) return;
        gLevelLoader->LoadLevel(levelToLoad);
        levelToLoad.clear();
        // Still here, still in the list: the load has only been asked for.
        *sawPending = gLevelLoader->HasPendingLoad();
    }

private:
    std::string levelToLoad;
    int* updates;
    bool* sawPending;
};

LoadingUpdatable* AddLoadingUpdatable(const std::string& levelToLoad, int* updates, bool* sawPendingLoad)
{
    LoadingUpdatable* updatable = new LoadingUpdatable(levelToLoad, updates, sawPendingLoad);
    gWorld->AddUpdatable(updatable);
    return updatable;
}
