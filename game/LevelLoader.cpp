#include "game/LevelLoader.h"

#include "core/SpineTrace.h"

LevelLoader* gLevelLoader = nullptr;

void LevelLoader::LoadLevel(const std::string& name)
{
    SpineTrace::Record("LevelLoader::LoadLevel " + name);
}
