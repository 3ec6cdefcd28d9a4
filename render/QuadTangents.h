// The lit vertex shared by processed meshes, the terrain and the unit quad,
// the per-triangle tangent frame, and the one procedural mesh (the unit quad
// that HUD elements, particles and rope visuals are drawn with).
#pragma once

#include <cstdint>

#include <d3d9.h>

// Position, normal, one texture coordinate pair, then the tangent and the
// binormal in texture sets 1 and 2 (three floats each).
struct TangentVertex
{
    float position[3];
    float normal[3];
    float u;
    float v;
    float tangent[3];
    float binormal[3];
};
static_assert(sizeof(TangentVertex) == 56, "the lit vertex is 56 bytes");

// XYZ | NORMAL | TEX3. The format alone implies a shorter vertex; the stride
// that counts is sizeof(TangentVertex), set by the declaration at draw time.
constexpr DWORD kTangentVertexFormat = 0x312;

// Writes one tangent and binormal, derived from the texture gradients of the
// triangle, into all three vertices (not normalised). Callers walk a mesh's
// triangles in index order, so a shared vertex keeps its last triangle's values.
void ComputeTriangleTangent(TangentVertex& a, TangentVertex& b, TangentVertex& c);

// The device buffers of one drawn mesh; empty (null) when creation failed,
// which draws nothing.
struct TangentMeshBuffers
{
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    int vertexCount = 0;
    int triangleCount = 0;
};

enum class BufferResult {
    Created,
    VertexBufferFailed, // also without a device or without geometry
    IndexBufferFailed,
};

// Managed-pool buffers holding the given vertices and 16-bit indices. On any
// failure both buffers are released and the record stays empty; the device's
// last result goes to lastResult when given.
BufferResult CreateTangentMeshBuffers(IDirect3DDevice9* device, const TangentVertex* vertices, int vertexCount,
                                      const uint16_t* indices, int indexCount, DWORD vertexUsage,
                                      TangentMeshBuffers& out, HRESULT* lastResult);
void ReleaseTangentMeshBuffers(TangentMeshBuffers& buffers);

constexpr int kUnitQuadVertexCount = 4;
constexpr int kUnitQuadIndexCount = 6;

// The unit quad in the xy plane, two triangles 0,1,2 and 1,3,2.
void FillUnitQuad(TangentVertex vertices[kUnitQuadVertexCount], uint16_t indices[kUnitQuadIndexCount]);

// The renderer's primitive set-up calls this once: write-only managed buffers
// for the quad. A failure leaves the record empty and is not reported.
bool CreateUnitQuad(IDirect3DDevice9* device, TangentMeshBuffers& out, HRESULT* lastResult);
