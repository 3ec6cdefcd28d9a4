#include "StageTestSupport.h"

#include <sstream>

#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "particles/fPartManager.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "render/RenderLists.h"

bool StageCounts::operator==(const StageCounts& o) const
{
    return Describe(*this) == Describe(o);
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
