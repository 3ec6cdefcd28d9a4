#include "objects/ShapeSettings.h"

#include "core/ConfigFile.h"
#include "physics/shapes/CollisionBodyMesh.h"

namespace {

ConfigFile* shapeConfig = nullptr;

} // namespace

void SetShapeConfig(ConfigFile* config)
{
    shapeConfig = config;
}

ConfigFile* GetShapeConfig()
{
    return shapeConfig;
}

int ReadShapeKey(const char* key, int fallback, int minimum, int maximum)
{
    int value = fallback;
    if (shapeConfig) {
        shapeConfig->GetChecked(key, value, ConfigRange<int>{minimum, maximum, true, true});
    }
    return value;
}

int ReadMeshSizeKey(const char* key, int fallback)
{
    return ReadShapeKey(key, fallback, CollisionBodyMesh::kMinNodes, CollisionBodyMesh::kMaxNodes);
}
