#include "game/World.h"

#include "core/ConfigFile.h"
#include "core/Resources.h"
#include "core/ErrorReport.h"
#include "core/SpineTrace.h"
#include "objects/ShapeSettings.h"

World* gWorld = nullptr;

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
    SetShapeConfig(nullptr);
    delete vidConfig;
    vidConfig = nullptr;
    delete physicsConfig;
    physicsConfig = nullptr;
}

void World::Update(float time)
{
    SpineTrace::Record("World::Update");
}

void World::AddHeightmap(const std::string& fileName)
{
    SpineTrace::Record("World::AddHeightmap " + fileName);
}

void World::ClearHeightmaps()
{
    SpineTrace::Record("World::ClearHeightmaps");
}
