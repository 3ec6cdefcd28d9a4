// The terrain's mesh recognised as a regular grid of cells, and the coarser
// triangulations a block of its cells can be drawn with when it is far away.
// A distant tile drawn at every second or fourth vertex looks the same but
// costs the software rasteriser a quarter or a sixteenth of the triangles.
//
// Grid coordinates: vertex i sits at row i / columns, column i % columns;
// cell (row, column) spans the vertices from (row, column) to (row + 1,
// column + 1). Heights are the vertices' third coordinate.
#pragma once

#include <cstdint>
#include <vector>

#include "render/MeshBuffers.h"

struct TerrainGridShape
{
    int columns = 0; // vertices a row
    int rows = 0;
    // The sign of the triangles' area in (column, row) coordinates, so the
    // coarse triangles face the way the mesh's own do.
    int winding = 0;
};

// A block of cells: its first row and column and its size, in cells.
struct CellBlock
{
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
};

// Sides of a block, as bits of a mask.
enum BlockSide : int {
    kSideLowColumn = 1,
    kSideHighColumn = 2,
    kSideLowRow = 4,
    kSideHighRow = 8,
    kAllSides = 15,
};

// True when the mesh is a regular grid: every vertex at its row's y and its
// column's x (both strictly monotonic), and every cell covered by exactly two
// triangles that share one of its diagonals, all wound alike. `cellOf` then
// holds each triangle's cell as row * (columns - 1) + column.
bool DetectTerrainGrid(const std::vector<TangentVertex>& vertices, const std::vector<uint16_t>& indices,
                       TerrainGridShape& shape, std::vector<int>& cellOf);

// Appends the triangles of `block` drawn with every `step`-th vertex (the
// block's sizes are multiples of `step`). A side in `fineSides` keeps the
// vertices at half the step, the spacing of a finer neighbour, so the two
// blocks share every edge along it; the cells touching that side are fanned
// from their centre vertex.
void AppendCoarseBlock(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices,
                       const CellBlock& block, int step, int fineSides, std::vector<uint16_t>& out);

// The largest height difference, over the block's vertices, between the mesh
// and the block drawn at `step` with no side kept fine.
float CoarseBlockError(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices,
                       const CellBlock& block, int step);
