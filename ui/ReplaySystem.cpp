#include "ui/ReplaySystem.h"

#include "core/SpineTrace.h"

cReplaySystem* gReplaySystem = nullptr;

void cReplaySystem::Update()
{
    SpineTrace::Record("cReplaySystem::Update");
}

void cReplaySystem::Clear()
{
    SpineTrace::Record("cReplaySystem::Clear");
}

void cReplaySystem::Reset(const std::vector<Object*>& objects)
{
    SpineTrace::Record("cReplaySystem::Reset " + std::to_string(objects.size()));
}

void cReplaySystem::Stop()
{
    SpineTrace::Record("cReplaySystem::Stop");
}
