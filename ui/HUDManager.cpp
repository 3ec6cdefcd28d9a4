#include "ui/HUDManager.h"

#include "core/SpineTrace.h"

HUDManager* gHUDManager = nullptr;

void HUDManager::Update()
{
    SpineTrace::Record("HUDManager::Update");
}
