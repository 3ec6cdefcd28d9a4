#include "particles/fPartFactory.h"

#include "core/SpineTrace.h"

fPartFactory* gPartFactory = nullptr;

void fPartFactory::RegisterBehaviours() { SpineTrace::Record("fPartFactory::RegisterBehaviours"); }
void fPartFactory::LoadDefinitions() { SpineTrace::Record("fPartFactory::LoadDefinitions"); }
