// The terrain's triangles grouped into square tiles of the ground, so a frame
// draws only the tiles that reach into the view, nearest first. A stage's
// ground is a 129 x 129 grid of which the camera sees a part; drawing the
// rest costs the software rasteriser its vertices and triangle set-up, and
// drawing near tiles first lets the depth test spare the far ones' pixels.
//
// Tiles are index ranges of the terrain's own index buffer, which Build
// rewrites tile by tile; the triangles and the vertices stay as they are.
//
// When the mesh is a regular grid (TerrainGrid.h) each tile also has coarser
// levels, drawn with every 2nd, 4th... vertex, whose triangles follow the
// mesh's own in the device buffer (GetCoarseIndices). A frame draws each tile
// at the coarsest level whose height error stays under a pixel on screen;
// neighbours differ by at most one level, and the coarser of two keeps the
// finer one's vertices along their shared side, so the ground has no cracks.
// Level 0 is the mesh's own triangles, untouched.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <d3d9.h>
#include <d3dx9math.h>

#include "render/MeshBuffers.h"
#include "render/TerrainGrid.h"

// Levels 0 (every vertex) to 4 (every 16th), as far as a tile's size divides.
constexpr int kTerrainLevelCount = 5;

struct TerrainTile
{
    int firstIndex = 0;
    int triangleCount = 0;
    int minVertex = 0;  // the lowest vertex the tile's triangles use
    int vertexSpan = 0; // from minVertex to the highest, inclusive
    float low[3] = {};  // the tile's bounds in mesh units
    float high[3] = {};
    int levelCount = 1;                   // levels this tile can be drawn at
    int neighbours[4] = {-1, -1, -1, -1}; // across the low/high column, low/high row sides
    float error[kTerrainLevelCount] = {}; // largest height deviation of each level, mesh units
    int firstVariant = 0;                 // its coarse levels' entries in the variant table
};

class TerrainTiles
{
public:
    // About this many triangles to a tile (16 x 16 grid cells); a small
    // terrain is one tile.
    static constexpr int kTrianglesPerTile = 512;
    static constexpr int kMaxTilesPerSide = 16;
    // A coarse level has one variant for each set of sides kept fine.
    static constexpr int kSideMasks = 16;
    // The most a coarse level may move the ground on screen, in pixels: the
    // tile's worst height error as seen at its nearest corner, so most of the
    // tile moves less. At one pixel the stages' rough ground keeps nearly
    // every tile whole; at two the far ground drops about a quarter of the
    // triangles with no difference to see.
    static constexpr float kMaxPixelError = 2.0f;

    // Groups the triangles by the tile their centre falls in, rewriting
    // `indices` tile by tile; within a tile the triangles keep their order.
    // A regular grid of several tiles also gets its coarse levels. Building
    // again replaces everything.
    void Build(const std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices);

    // The tiles whose bounds reach into the view of `worldViewProjection`
    // (mesh units to clip space), nearest first, as (first index, triangle
    // count, lowest vertex, vertex span) ranges with neighbours in the buffer
    // merged; null: every tile, in buffer order. Each tile's level comes from
    // the matrix and the height in pixels of the picture it is drawn for (0:
    // unknown, every tile at full detail), so every pass of a frame given the
    // same two draws the same triangles. Fills lists kept between frames, so
    // a frame allocates nothing.
    // Heights in mesh units: with a band, only tiles reaching into it are
    // drawn (their levels chosen as without it, so they keep their triangles).
    //
    // With `lights` (spheres in mesh units), a range is marked `lit` when
    // some sphere reaches into one of its tiles' bounds, and neighbours merge
    // only when they agree; without, every range is lit. Neither the order
    // nor the levels depend on the lights.
    struct HeightBand
    {
        float low;
        float high;
    };
    struct Range
    {
        int firstIndex;
        int triangleCount;
        int minVertex;
        int vertexSpan;
        bool lit;
    };
    struct LightSphere
    {
        float centre[3];
        float radius;
    };
    const std::vector<Range>& Visible(const D3DXMATRIX* worldViewProjection, float viewportHeight,
                                      const HeightBand* band = nullptr,
                                      const std::vector<LightSphere>* lights = nullptr);

    // The visible ranges drawn from the terrain's buffers, which hold the
    // mesh's indices followed by GetCoarseIndices().
    void Draw(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection,
              float viewportHeight, const HeightBand* band = nullptr);
    // Ranges [first, last) of a list Visible returned.
    static void DrawRanges(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const Range* first, const Range* last);

    // True when the sphere reaches into the box, with a margin wider than
    // the shader's rounding of distances. A sphere with no range reaches
    // nothing; one whose range is not a number, everything.
    static bool SphereReachesBox(const LightSphere& sphere, const float low[3], const float high[3]);

    const std::vector<TerrainTile>& GetTiles() const { return tiles; }
    // The coarse levels' triangles, indexed as if they followed the mesh's.
    const std::vector<uint16_t>& GetCoarseIndices() const { return coarseIndices; }
    // Each tile's level as the last Visible chose it.
    const std::vector<int>& GetLevels() const { return levels; }

private:
    void BuildLevels(const std::vector<TangentVertex>& vertices, const TerrainGridShape& shape, int side, int tileRows,
                     int tileColumns, int meshIndexCount);
    void ChooseLevels(const D3DXMATRIX& worldViewProjection, float viewportHeight);
    // The sides of a tile whose neighbour is drawn finer than it.
    int FineSides(int tile) const;
    Range RangeOf(int tile) const;
    bool LightReaches(int tile, const std::vector<LightSphere>* lights) const;

    std::vector<TerrainTile> tiles;
    std::vector<uint16_t> coarseIndices;
    std::vector<Range> variants; // by tile's firstVariant + (level - 1) * kSideMasks + fine sides
    std::vector<int> levels;
    std::vector<std::pair<float, int>> order; // depth of a tile's centre, tile
    std::vector<Range> ranges;
};
