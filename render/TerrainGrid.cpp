// Recognising the grid and triangulating blocks of it coarsely.
#include "render/TerrainGrid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// How far, as a share of the first column's spacing, a vertex may sit from
// its row's and column's line and still count as on the grid.
constexpr float kPlacementTolerance = 1e-3f;

// Corners of a cell as bits: (row offset) * 2 + (column offset).
constexpr int kCornerBits = 4;
constexpr int kMainDiagonalMissing = (1 << 0) | (1 << 3); // the triangles miss corners 0 and 3
constexpr int kOtherDiagonalMissing = (1 << 1) | (1 << 2);

int Sign(long value)
{
    return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

// Twice the signed area of a triangle in (column, row) coordinates.
long GridArea(int r0, int c0, int r1, int c1, int r2, int c2)
{
    return long(c1 - c0) * long(r2 - r0) - long(c2 - c0) * long(r1 - r0);
}

bool RowsAndColumnsLineUp(const std::vector<TangentVertex>& vertices, TerrainGridShape& shape)
{
    const int count = int(vertices.size());
    if (count < 4) return false;
    const float dx = vertices[1].position[0] - vertices[0].position[0];
    const float tolerance = kPlacementTolerance * std::abs(dx);
    if (!(tolerance > 0.0f)) return false;
    int columns = 1;
    while (columns < count && std::abs(vertices[size_t(columns)].position[1] - vertices[0].position[1]) <= tolerance)
        ++columns;
    if (columns < 2 || columns >= count || count % columns != 0) return false;
    const float dy = vertices[size_t(columns)].position[1] - vertices[0].position[1];
    for (int i = 0; i < count; ++i) {
        const int column = i % columns, rowStart = i - column;
        const float* p = vertices[size_t(i)].position;
        if (!(std::abs(p[0] - vertices[size_t(column)].position[0]) <= tolerance) ||
            !(std::abs(p[1] - vertices[size_t(rowStart)].position[1]) <= tolerance))
            return false;
        // Columns march one way along x, rows one way along y.
        if (column > 0 && !((p[0] - vertices[size_t(i - 1)].position[0]) * dx > 0.0f)) return false;
        if (rowStart > 0 && !((p[1] - vertices[size_t(i - columns)].position[1]) * dy > 0.0f)) return false;
    }
    shape.columns = columns;
    shape.rows = count / columns;
    return true;
}

float HeightAt(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices, int row, int column)
{
    return vertices[size_t(row * shape.columns + column)].position[2];
}

// One cell of a coarse level: its corners' heights and the diagonal it is
// cut along, the one passing nearer the height of the cell's centre.
struct CoarseCell
{
    int row, column, step;
    float h00, h01, h10, h11; // (row offset)(column offset)
    bool mainDiagonal;        // from (row, column) to (row + step, column + step)

    CoarseCell(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices, int row_, int column_,
               int step_)
        : row(row_), column(column_), step(step_)
    {
        h00 = HeightAt(shape, vertices, row, column);
        h01 = HeightAt(shape, vertices, row, column + step);
        h10 = HeightAt(shape, vertices, row + step, column);
        h11 = HeightAt(shape, vertices, row + step, column + step);
        const float centre = HeightAt(shape, vertices, row + step / 2, column + step / 2);
        mainDiagonal = std::abs(centre - 0.5f * (h00 + h11)) <= std::abs(centre - 0.5f * (h01 + h10));
    }

    // The drawn height at (row + v * step, column + u * step).
    float Interpolate(float u, float v) const
    {
        if (mainDiagonal) {
            return u >= v ? h00 + u * (h01 - h00) + v * (h11 - h01) : h00 + v * (h10 - h00) + u * (h11 - h10);
        }
        return u + v <= 1.0f ? h00 + u * (h01 - h00) + v * (h10 - h00)
                             : h11 + (1.0f - u) * (h10 - h11) + (1.0f - v) * (h01 - h11);
    }
};

// Appends triangles in grid coordinates, wound as the mesh's own.
struct TriangleWriter
{
    const TerrainGridShape& shape;
    std::vector<uint16_t>& out;

    void Emit(int r0, int c0, int r1, int c1, int r2, int c2) const
    {
        if (Sign(GridArea(r0, c0, r1, c1, r2, c2)) != shape.winding) {
            std::swap(r1, r2);
            std::swap(c1, c2);
        }
        out.push_back(uint16_t(r0 * shape.columns + c0));
        out.push_back(uint16_t(r1 * shape.columns + c1));
        out.push_back(uint16_t(r2 * shape.columns + c2));
    }
};

} // namespace

bool DetectTerrainGrid(const std::vector<TangentVertex>& vertices, const std::vector<uint16_t>& indices,
                       TerrainGridShape& shape, std::vector<int>& cellOf)
{
    shape = TerrainGridShape{};
    cellOf.clear();
    TerrainGridShape found;
    if (indices.size() % 3 != 0 || !RowsAndColumnsLineUp(vertices, found)) return false;
    const int cellColumns = found.columns - 1, cellRows = found.rows - 1;
    const size_t triangles = indices.size() / 3;
    if (triangles != size_t(2) * size_t(cellColumns) * size_t(cellRows)) return false;

    std::vector<int> perCell(size_t(cellColumns) * size_t(cellRows), 0);
    std::vector<int> missing(perCell.size(), 0);
    std::vector<int> cells(triangles, 0);
    for (size_t t = 0; t < triangles; ++t) {
        int r[3], c[3];
        for (int k = 0; k < 3; ++k) {
            const int v = indices[3 * t + size_t(k)];
            r[k] = v / found.columns;
            c[k] = v % found.columns;
        }
        const int row = std::min({r[0], r[1], r[2]}), column = std::min({c[0], c[1], c[2]});
        if (row >= cellRows || column >= cellColumns) return false;
        int corners = 0;
        for (int k = 0; k < 3; ++k) {
            if (r[k] - row > 1 || c[k] - column > 1) return false;
            corners |= 1 << ((r[k] - row) * 2 + (c[k] - column));
        }
        const int winding = Sign(GridArea(r[0], c[0], r[1], c[1], r[2], c[2]));
        if (winding == 0 || (found.winding != 0 && winding != found.winding)) return false;
        found.winding = winding;
        const int cell = row * cellColumns + column;
        const int lacking = ~corners & ((1 << kCornerBits) - 1);
        if (++perCell[size_t(cell)] > 2 || (missing[size_t(cell)] & lacking) != 0) return false;
        missing[size_t(cell)] |= lacking;
        cells[t] = cell;
    }
    for (const int lacking : missing) {
        if (lacking != kMainDiagonalMissing && lacking != kOtherDiagonalMissing) return false;
    }
    shape = found;
    cellOf.swap(cells);
    return true;
}

void AppendCoarseBlock(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices,
                       const CellBlock& block, int step, int fineSides, std::vector<uint16_t>& out)
{
    const TriangleWriter writer{shape, out};
    const int half = step / 2;
    for (int row = block.row; row < block.row + block.rows; row += step) {
        for (int column = block.column; column < block.column + block.columns; column += step) {
            int split = 0;
            if (column == block.column) split |= fineSides & kSideLowColumn;
            if (column + step == block.column + block.columns) split |= fineSides & kSideHighColumn;
            if (row == block.row) split |= fineSides & kSideLowRow;
            if (row + step == block.row + block.rows) split |= fineSides & kSideHighRow;
            const int r1 = row + step, c1 = column + step;
            if (split == 0) {
                const CoarseCell cell(shape, vertices, row, column, step);
                if (cell.mainDiagonal) {
                    writer.Emit(row, column, row, c1, r1, c1);
                    writer.Emit(row, column, r1, c1, r1, column);
                } else {
                    writer.Emit(row, column, row, c1, r1, column);
                    writer.Emit(row, c1, r1, c1, r1, column);
                }
                continue;
            }
            // A fan from the centre around the cell's sides, a side kept
            // fine passing through its middle vertex.
            const int rm = row + half, cm = column + half;
            const struct
            {
                int side, r0, c0, r1, c1;
            } sides[4] = {
                {kSideLowRow, row, column, row, c1},
                {kSideHighColumn, row, c1, r1, c1},
                {kSideHighRow, r1, c1, r1, column},
                {kSideLowColumn, r1, column, row, column},
            };
            for (const auto& s : sides) {
                if (split & s.side) {
                    const int midRow = (s.r0 + s.r1) / 2, midColumn = (s.c0 + s.c1) / 2;
                    writer.Emit(rm, cm, s.r0, s.c0, midRow, midColumn);
                    writer.Emit(rm, cm, midRow, midColumn, s.r1, s.c1);
                } else {
                    writer.Emit(rm, cm, s.r0, s.c0, s.r1, s.c1);
                }
            }
        }
    }
}

float CoarseBlockError(const TerrainGridShape& shape, const std::vector<TangentVertex>& vertices,
                       const CellBlock& block, int step)
{
    float error = 0.0f;
    for (int row = block.row; row < block.row + block.rows; row += step) {
        for (int column = block.column; column < block.column + block.columns; column += step) {
            const CoarseCell cell(shape, vertices, row, column, step);
            for (int r = 0; r <= step; ++r) {
                for (int c = 0; c <= step; ++c) {
                    const float drawn = cell.Interpolate(float(c) / float(step), float(r) / float(step));
                    error = std::max(error, std::abs(HeightAt(shape, vertices, row + r, column + c) - drawn));
                }
            }
        }
    }
    return error;
}
