// The terrain's triangles grouped into square tiles of the ground, so a frame
// draws only the tiles that reach into the view, nearest first. A stage's
// ground is a 129 x 129 grid of which the camera sees a part; drawing the
// rest costs the software rasteriser its vertices and triangle set-up, and
// drawing near tiles first lets the depth test spare the far ones' pixels.
//
// Tiles are index ranges of the terrain's own index buffer, which Build
// rewrites tile by tile; the triangles and the vertices stay as they are.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <d3d9.h>
#include <d3dx9math.h>

#include "render/MeshBuffers.h"

struct TerrainTile
{
    int firstIndex = 0;
    int triangleCount = 0;
    int minVertex = 0;  // the lowest vertex the tile's triangles use
    int vertexSpan = 0; // from minVertex to the highest, inclusive
    float low[3] = {};  // the tile's bounds in mesh units
    float high[3] = {};
};

class TerrainTiles
{
public:
    // About this many triangles to a tile (16 x 16 grid cells); a small
    // terrain is one tile.
    static constexpr int kTrianglesPerTile = 512;
    static constexpr int kMaxTilesPerSide = 16;

    // Groups the triangles by the tile their centre falls in, rewriting
    // `indices` tile by tile; within a tile the triangles keep their order.
    void Build(const std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices);

    // The tiles whose bounds reach into the view of `worldViewProjection`
    // (mesh units to clip space), nearest first, as (first index, triangle
    // count, lowest vertex, vertex span) ranges with neighbours in the buffer
    // merged; null: every tile, in buffer order. Fills a list kept between
    // frames, so a frame allocates nothing.
    struct Range
    {
        int firstIndex;
        int triangleCount;
        int minVertex;
        int vertexSpan;
    };
    const std::vector<Range>& Visible(const D3DXMATRIX* worldViewProjection);

    // The visible ranges drawn from the terrain's buffers.
    void Draw(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection);

    const std::vector<TerrainTile>& GetTiles() const { return tiles; }

private:
    std::vector<TerrainTile> tiles;
    std::vector<std::pair<float, int>> order; // depth of a tile's centre, tile
    std::vector<Range> ranges;
};
