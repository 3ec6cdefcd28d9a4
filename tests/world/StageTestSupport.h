// What the World and stage tests share: a scratch copy of the run tree to
// load and save stages in, the stage rig (tests/support/StageRig.h), counts
// of what a stage holds, and a scene object that asks for a stage load.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "StageRig.h"
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
    int triggers = 0;
    int particleSystems = 0; // the particle manager's, when there is one
    bool operator==(const StageCounts& o) const;
};
StageCounts CountStage();
std::string Describe(const StageCounts& counts);

// The scene object a test adds to the World's updatables: counts its updates
// and, once, asks for a stage load from inside the World's update loop.
class LoadingUpdatable;
LoadingUpdatable* AddLoadingUpdatable(const std::string& levelToLoad, int* updates, bool* sawPendingLoad);
