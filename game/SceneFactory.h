// The scene-object factory: builds the non-physical object a level file's
// "npo" or "trigger" record (or the cart, the loader, the character) names by
// its type id and hands it to the World's updatables. The type table is in
// SceneFactory.cpp.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"

class NPObj;
class World;

// The object built, owned by the World; null for a type that builds nothing.
NPObj* BuildSceneObject(World& world, int type, const Vector3& position, const Matrix3& orientation,
                        const Vector3& scale, int texture);
