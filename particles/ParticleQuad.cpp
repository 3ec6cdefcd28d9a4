#include "particles/ParticleQuad.h"

#include <new>

#include "particles/ParticleHooks.h"
#include "render/MeshInstance.h"

MeshInstance* CreateParticleQuad(int meshId, const char* technique, int textureId, int blendmode,
                                 const Vector3* position, const Matrix3* orientation)
{
    MeshInstance* quad =
        new (std::nothrow) MeshInstance(true, false, meshId, technique, 0, textureId, true, false, false);
    if (!quad) {
        return nullptr;
    }
    quad->position = position;
    quad->orientation = orientation;
    quad->queueByTechnique = blendmode;
    return quad;
}

bool QueueParticleQuad(MeshInstance* quad)
{
    return quad && ParticleHookSlot::Get().QueueInstance(quad);
}

void ReleaseParticleQuad(MeshInstance* quad, bool queued)
{
    if (!quad) {
        return;
    }
    if (queued) {
        quad->MarkForRemoval();
    } else {
        delete quad;
    }
}

void SetParticleQuadScale(MeshInstance* quad, float scale)
{
    if (quad) {
        D3DXMatrixScaling(&quad->world, scale, scale, scale);
    }
}

void SetParticleQuadColour(MeshInstance* quad, const ColourKey& key)
{
    if (quad) {
        quad->colour[0] = key.r;
        quad->colour[1] = key.g;
        quad->colour[2] = key.b;
        quad->colour[3] = key.a;
    }
}

void SetParticleQuadColour(MeshInstance* quad, const ColourKey& from, const ColourKey& to, float t)
{
    if (quad) {
        const float s = 1.0f - t;
        quad->colour[0] = from.r * s + to.r * t;
        quad->colour[1] = from.g * s + to.g * t;
        quad->colour[2] = from.b * s + to.b * t;
        quad->colour[3] = from.a * s + to.a * t;
    }
}

void SetParticleQuadTexture(MeshInstance* quad, int textureId)
{
    if (quad) {
        quad->textureId = textureId;
    }
}

int GetParticleQuadTexture(const MeshInstance* quad)
{
    return quad ? quad->textureId : 0;
}
