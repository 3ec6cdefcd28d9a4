// What the World and stage tests share: a scratch copy of the run tree to
// load and save stages in, the game's singletons as the stage code needs
// them (built and torn down in the game's own order), frames run the way
// the frame loop runs them, and a capture of the error stream.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Vector3.h"

class NPObj;
class Object;

// A temporary <root>/bin working directory beside copies of the run tree's
// data folders (Config, Levels, Maps, Particles); the previous working
// directory comes back when it goes. Files written here never touch the
// shipped data.
class ScratchRunTree
{
public:
    ScratchRunTree();
    ~ScratchRunTree();
    ScratchRunTree(const ScratchRunTree&) = delete;
    ScratchRunTree& operator=(const ScratchRunTree&) = delete;

    const std::string& Root() const { return root; }
    // Replaces <root>/<relative> with text.
    void Write(const std::string& relative, const std::string& text) const;
    std::string Read(const std::string& relative) const;

private:
    std::string root;
    std::string previous;
};

struct StageOptions
{
    bool renderer = true;  // a device-less renderer that queues and prunes drawables
    bool particles = true; // the particle factory and manager with the shipped definitions
};

// The singletons a stage load touches, created in the order WinMain creates
// them and deleted in the order Shutdown deletes them. The player's push
// controller is the physics world's first controller, as in the game.
class StageRig
{
public:
    explicit StageRig(const StageOptions& options = StageOptions());
    ~StageRig();
    StageRig(const StageRig&) = delete;
    StageRig& operator=(const StageRig&) = delete;

    // One frame: the physics step of dt, then the World's update and the
    // renderer's prune, as the frame loop and the renderer's frame do.
    void RunFrame(float dt = 1.0f / 60.0f);
    void RunSeconds(float seconds, float dt = 1.0f / 60.0f);

    float time = 0.0f;
};

// Counts of what the running stage holds.
struct StageCounts
{
    int objects = 0;
    int updatables = 0;
    int lights = 0;
    int heightmaps = 0;
    int bodies = 0;
    int controllers = 0;
    int constraints = 0;
    int queued = 0; // drawables in the renderer's lists
    bool operator==(const StageCounts& o) const;
};
StageCounts CountStage();
std::string Describe(const StageCounts& counts);

// The scene object a test adds to the World's updatables: counts its updates
// and, once, asks for a stage load from inside the World's update loop.
class LoadingUpdatable;
LoadingUpdatable* AddLoadingUpdatable(const std::string& levelToLoad, int* updates, bool* sawPendingLoad);
