// The exact point query of the primitive shapes. The grid builder asks it, node
// by node, where the surface is, so the grid needs no ray casting for them.
#pragma once

#include "core/Vector3.h"

class CollisionMeshObject
{
public:
    virtual ~CollisionMeshObject() = default;

    // point in body space; toSurface = nearest surface point - point. Points
    // on the surface count as inside.
    virtual bool GetMeshInfo(const Vector3& point, bool& inside, Vector3& toSurface) const = 0;
};
