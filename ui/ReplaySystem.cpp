#include "ui/ReplaySystem.h"

#include "core/SpineTrace.h"

cReplaySystem* gReplaySystem = nullptr;

void cReplaySystem::Update()
{
    SpineTrace::Record("cReplaySystem::Update");
}
