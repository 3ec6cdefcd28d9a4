#include "particles/fPartManager.h"

#include <string>

#include "core/Messages.h"
#include "core/SpineTrace.h"

fPartManager* gPartManager = nullptr;

void fPartManager::HandleMessage(int id, fMessage* msg) {
    const fCreateSystem* create = dynamic_cast<const fCreateSystem*>(msg);
    if (id == 0 && create)
        SpineTrace::Record("fPartManager::CreateSystem " + create->name);
}

void fPartManager::Update(float* dt) {
    SpineTrace::Record("fPartManager::Update " + std::to_string(dt ? *dt : -1.0f));
}

void fPartManager::SpawnLavaSystems(float* dt) { SpineTrace::Record("fPartManager::SpawnLavaSystems"); }
