// The lit vertex shared by processed meshes, the terrain and the unit quad,
// the per-triangle tangent frame, and the one procedural mesh (the unit quad
// that HUD elements, particles and rope visuals are drawn with).
#pragma once

#include "render/MeshBuffers.h"

// Writes one tangent and binormal, derived from the texture gradients of the
// triangle, into all three vertices (not normalised). Callers walk a mesh's
// triangles in index order, so a shared vertex keeps its last triangle's values.
void ComputeTriangleTangent(TangentVertex& a, TangentVertex& b, TangentVertex& c);

constexpr int kUnitQuadVertexCount = 4;
constexpr int kUnitQuadIndexCount = 6;

// The unit quad in the xy plane, two triangles 0,1,2 and 1,3,2.
void FillUnitQuad(TangentVertex vertices[kUnitQuadVertexCount], uint16_t indices[kUnitQuadIndexCount]);

// The renderer's primitive set-up calls this once: write-only managed buffers
// for the quad. A failure leaves the record empty and is not reported.
bool CreateUnitQuad(IDirect3DDevice9* device, MeshBuffers& out, HRESULT* lastResult);
