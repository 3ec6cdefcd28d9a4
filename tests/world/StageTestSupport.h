// What the World and stage tests share: a scratch copy of the run tree to
// load and save stages in (tests/support/ScratchRunTree.h), the stage rig
// (tests/support/StageRig.h), counts
// of what a stage holds, and a scene object that asks for a stage load.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScratchRunTree.h"
#include "StageRig.h"
#include "core/Vector3.h"

class NPObj;
class Object;

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
