// The drawn half of a stage's ground: the grid mesh's vertices as lit
// vertices with their tangent frames, its 16-bit indices, the device buffers
// made from them, and what the renderer draws them with (technique, material,
// texture). The vertices are kept so the buffers can be made again for a new
// device; the buffers live in the managed pool and survive a device reset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "physics/Heightmap.h"
#include "render/QuadTangents.h"
#include "render/TerrainTiles.h"

class TerrainMesh
{
public:
    TerrainMesh() = default;
    // Releases the device buffers.
    ~TerrainMesh();

    // Owns device buffers: a copy would release them twice.
    TerrainMesh(const TerrainMesh&) = delete;
    TerrainMesh& operator=(const TerrainMesh&) = delete;

    // Copies the grid mesh into lit vertices, each with the tangent frame of
    // the last triangle that uses it (vertices no face uses stay zero), and
    // keeps the indices, grouped by tile (TerrainTiles). The arrays are the ones the ground accepted; the old
    // device buffers are released, and new ones made when a device is given.
    void Build(const TerrainSourceVertex* source, int vertexCount, const uint16_t* sourceIndices, int indexCount,
               IDirect3DDevice9* device);
    // Device buffers from the kept vertices and indices, the tiles' coarse
    // levels after the mesh's own triangles; false (and a report) when there
    // is nothing to upload or the device refuses a buffer.
    bool CreateDeviceBuffers(IDirect3DDevice9* device);
    void ReleaseDeviceBuffers();
    // The buffers on this device, made from the kept vertices the first time
    // a frame draws the terrain there (a terrain loaded headless, or on
    // another device). A device that refused them is not asked again.
    const MeshBuffers& PrepareBuffers(IDirect3DDevice9* device);

    // The tiles that reach into the view of `worldViewProjection` (mesh
    // units to clip space; null: every tile), nearest first, from the
    // buffers on this device, each at the level of detail a picture
    // `viewportHeight` pixels high needs (0: full detail); with a height band
    // only the tiles reaching into it.
    void Draw(IDirect3DDevice9* device, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection,
              float viewportHeight, const TerrainTiles::HeightBand* band = nullptr);
    // The same tiles (no band), each range marked by whether one of the
    // light spheres reaches it (TerrainTiles::Visible), and a run
    // [first, last) of them drawn.
    const std::vector<TerrainTiles::Range>& VisibleTiles(const D3DXMATRIX* worldViewProjection, float viewportHeight,
                                                         const std::vector<TerrainTiles::LightSphere>* lights)
    {
        return tiles.Visible(worldViewProjection, viewportHeight, nullptr, lights);
    }
    void DrawTiles(IDirect3DDevice9* device, DWORD maxPrimitiveCount, const TerrainTiles::Range* first,
                   const TerrainTiles::Range* last);

    // The technique as the renderer compares it: the interned copy of
    // `technique`, looked up again only when the name changed.
    const char* GetInternedTechnique() const;

    const std::vector<TangentVertex>& GetVertices() const { return vertices; }
    const std::vector<uint16_t>& GetIndices() const { return indices; }
    const MeshBuffers& GetBuffers() const { return buffers; }
    const TerrainTiles& GetTiles() const { return tiles; }

    std::string technique;
    int materialId = 0;
    int textureId = 0;

private:
    std::vector<TangentVertex> vertices;
    std::vector<uint16_t> indices;
    TerrainTiles tiles;
    MeshBuffers buffers;
    IDirect3DDevice9* refusedDevice = nullptr;
    mutable const char* internedTechnique = nullptr;
};
