// The drawable geometry record shared by the static meshes, the unit quad and
// the terrain: a managed-pool vertex buffer of lit 56-byte vertices, 16-bit
// indices, and the indexed draw split into pieces the device accepts.
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

// The device buffers of one drawn mesh; empty (null) when creation failed,
// which draws nothing. The record owns one reference to each buffer; the
// device is the one they were made on, not referenced.
struct MeshBuffers
{
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    IDirect3DDevice9* device = nullptr;
    int vertexCount = 0;
    int triangleCount = 0;
    // A sphere around the vertices, in mesh units, for culling; a negative
    // radius: not known.
    float boundsCentre[3] = {0.0f, 0.0f, 0.0f};
    float boundsRadius = -1.0f;

    bool IsEmpty() const { return vertexBuffer == nullptr || indexBuffer == nullptr || triangleCount <= 0; }

    // Binds the buffers (stream 0, stride 56) and draws the indexed triangle
    // list in pieces of at most maxPrimitiveCount triangles, the device's
    // limit; 0 means the device sets no limit. An empty record draws nothing.
    void Draw(DWORD maxPrimitiveCount) const;
    // The same for `triangleCount` triangles from index `firstIndex`, whose
    // vertices lie in [minVertex, minVertex + vertexSpan).
    void DrawRange(int firstIndex, int triangleCount, int minVertex, int vertexSpan, DWORD maxPrimitiveCount) const;
};

enum class BufferResult {
    Created,
    VertexBufferFailed, // also without a device or without geometry
    IndexBufferFailed,
};

// Managed-pool buffers holding the given vertices and 16-bit indices. On any
// failure both buffers are released and the record stays empty; the device's
// last result goes to lastResult when given.
BufferResult CreateMeshBuffers(IDirect3DDevice9* device, const TangentVertex* vertices, int vertexCount,
                               const uint16_t* indices, int indexCount, DWORD vertexUsage, MeshBuffers& out,
                               HRESULT* lastResult);
void ReleaseMeshBuffers(MeshBuffers& buffers);

// The reports of a mesh that could not be loaded (followed by its file's
// name) or whose buffers could not be made, in the game's words.
extern const char* const kMeshLoadFailed;
extern const char* const kMeshVertexBufferFailed;
// Reports a failure to make a mesh's buffers; true when they were made.
bool ReportMeshBufferResult(BufferResult result);
