// The drawable of a visible particle: one camera-facing quad mesh instance
// that reads the particle's own position and orientation. Kept apart from the
// particle so the render record's details stay in one place.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "particles/ParticleDefs.h"

struct MeshInstance;

// A transparent, camera-facing instance of the quad mesh; blendmode non-zero
// queues it by technique. Null when it cannot be allocated.
MeshInstance* CreateParticleQuad(int meshId, const char* technique, int textureId, int blendmode,
                                 const Vector3* position, const Matrix3* orientation);
// Hands the quad to the renderer; true when the renderer took it.
bool QueueParticleQuad(MeshInstance* quad);
// Lets the quad go: a queued one is marked for the renderer to free at its
// next frame, an unqueued one is deleted now. Null does nothing.
void ReleaseParticleQuad(MeshInstance* quad, bool queued);

void SetParticleQuadScale(MeshInstance* quad, float scale);
void SetParticleQuadColour(MeshInstance* quad, const ColourKey& key);
void SetParticleQuadColour(MeshInstance* quad, const ColourKey& from, const ColourKey& to, float t);
void SetParticleQuadTexture(MeshInstance* quad, int textureId);
int GetParticleQuadTexture(const MeshInstance* quad);
