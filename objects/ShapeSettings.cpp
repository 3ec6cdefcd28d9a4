#include "objects/ShapeSettings.h"

#include <algorithm>

#include "core/ConfigFile.h"
#include "core/DebugPrint.h"
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
        shapeConfig->GetValue<int>(key, value);
    }
    const int clamped = std::max(minimum, std::min(maximum, value));
    if (clamped != value) {
        DebugPrint("%s %d is out of range, using %d\n", key, value, clamped);
    }
    return clamped;
}

int ReadMeshSizeKey(const char* key, int fallback)
{
    return ReadShapeKey(key, fallback, CollisionBodyMesh::kMinNodes, CollisionBodyMesh::kMaxNodes);
}
