// The quarry scene in this engine and in Bullet; each returns its figures.
#pragma once

#include "QuarryScene.h"

struct EngineOptions
{
    unsigned collisionSystem = 1;
    bool reuseCollisions = false; // "physics_reuse_collisions", read through the world's config reader
};

RunFigures RunEngineQuarry(const QuarryTerrain& terrain, const std::vector<QuarryBody>& bodies, const RunPlan& plan,
                           const EngineOptions& options, double* buildMs);
RunFigures RunBulletQuarry(const QuarryTerrain& terrain, const std::vector<QuarryBody>& bodies, const RunPlan& plan,
                           double* buildMs);

// Nanoseconds per call of the terrain query and of one grid lookup, and
// milliseconds to build each shape's grid.
struct MicroFigures
{
    double getHeightNs = 0.0;
    double gridLookupNs = 0.0;
    double terrainBuildMs = 0.0;
    double boxBuildMs = 0.0;
    double capsuleBuildMs = 0.0;
    double sphereBuildMs = 0.0;
    double cylinderBuildMs = 0.0;
};

MicroFigures MeasureEngineMicro(const QuarryTerrain& terrain);
