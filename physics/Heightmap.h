// A stage's ground as the simulation sees it: a regular height field built
// from the vertices of the stage's grid mesh, with the terrain's contact
// material. Node (i, j), i along x and j along y, is mesh vertex j * ROWS + i.
// A heightmap that was never built, or whose build failed, is flat ground at
// height 0; a failed rebuild leaves the previous ground as it was. Reading the
// ".hmp" file and the mesh, and the drawn geometry, belong to the renderer's
// Terrain, which owns one of these.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/Geometry.h"
#include "core/Vector3.h"

struct HeightCell
{
    float height = 0.0f;
    Vector3 normal = Vector3(0.0f, 0.0f, 1.0f);
};

// The query side of the terrain: node heights and where the nodes sit.
struct HeightGrid
{
    int rows = 0;    // nodes per line along x
    int columns = 0; // lines along y
    float diff = 1.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float farX = 0.0f;
    float farY = 0.0f;
    std::vector<HeightCell> nodes;
    // The unit upward normals of each cell's two triangles, made once from
    // the node heights: [2 * (j * (rows - 1) + i)] is the triangle below the
    // diagonal (v < u), the next one the triangle above it.
    std::vector<Vector3> cellNormals;

    bool IsBuilt() const
    {
        return rows >= 1 && columns >= 1 && diff > 0.0f &&
               nodes.size() == static_cast<size_t>(rows) * static_cast<size_t>(columns) &&
               cellNormals.size() == 2 * static_cast<size_t>(rows - 1) * static_cast<size_t>(columns - 1);
    }
    // Fills cellNormals from the node heights.
    void BuildCellNormals();
    // Plane height and unit upward normal of the triangle under (x, y); flat
    // ground at 0 on a grid that is not built. Inline: the terrain pass asks
    // this for every sample point of every body near the ground.
    inline void GetHeight(float x, float y, float& height, Vector3& normal) const;
    // A height that GetHeight never exceeds over the rectangle [x0, x1] x
    // [y0, y1]: the highest node of the cells it covers, with an allowance
    // far above the rounding of the plane formula. Infinity when there is no
    // such bound (a grid not built, a rectangle reaching below the grid's
    // origin, where the edge planes are extended, or one not finite).
    float GetCeilingOver(float x0, float x1, float y0, float y1) const;

private:
    static float Clamp(float value, float low, float high) { return value < low ? low : (value > high ? high : value); }
    // Index of the cell under a world coordinate, clamped before the
    // conversion so far-away inputs never reach an undefined float-to-int cast.
    static int CellIndex(float offset, float cellSize, int count)
    {
        return static_cast<int>(Clamp(offset / cellSize, 0.0f, static_cast<float>(count - 1)));
    }
};

void HeightGrid::GetHeight(float x, float y, float& height, Vector3& normal) const
{
    height = 0.0f;
    normal = Vector3(0.0f, 0.0f, 1.0f);
    if (!IsBuilt() || !std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    const int i = CellIndex(x - originX, diff, rows);
    const int j = CellIndex(y - originY, diff, columns);
    const float h00 = nodes[static_cast<size_t>(j) * rows + i].height;
    // On the last line of nodes (or beyond it) the edge height holds.
    if (i + 1 >= rows || j + 1 >= columns) {
        height = h00;
        return;
    }
    const float x0 = originX + static_cast<float>(i) * diff;
    const float y0 = originY + static_cast<float>(j) * diff;
    const float u = Clamp((x - x0) / diff, 0.0f, 1.0f);
    const float v = Clamp((y - y0) / diff, 0.0f, 1.0f);
    const size_t cell = 2 * (static_cast<size_t>(j) * (rows - 1) + i);
    const Vector3& n = cellNormals[v < u ? cell : cell + 1];
    normal = n;
    height = h00 - (n.x * (x - x0) + n.y * (y - y0)) / n.z;
}

// A terrain mesh as the loader hands it over: position, normal, texture
// coordinate per vertex (in file order) and 16-bit triangle indices.
struct TerrainSourceVertex
{
    float position[3];
    float normal[3];
    float u;
    float v;
};

// The grid arrays of a rows x columns height array (mesh units, row-major, i
// fastest) at unit mesh spacing from mesh (x0, y0), wound like the stage
// meshes, with normals from the neighbouring heights and texture coordinates
// a quarter per node. False (and a report) when the array does not fill the grid.
bool MakeGridArrays(const std::vector<float>& meshHeights, int rows, int columns, float x0, float y0,
                    std::vector<TerrainSourceVertex>& vertices, std::vector<uint16_t>& indices);

class Heightmap
{
public:
    // The largest grid 16-bit indices can address.
    static constexpr int kMaxVertices = 65536;

    // Flat ground at height 0 and no material.
    Heightmap() = default;

    Heightmap(const Heightmap&) = delete;
    Heightmap& operator=(const Heightmap&) = delete;
    Heightmap(Heightmap&&) = default;
    Heightmap& operator=(Heightmap&&) = default;

    // Checks the arrays against ROWS, COLUMNS and DIFF and builds the height
    // field from them (ROWS x COLUMNS vertices). On failure the report names
    // the fault and the ground stays as it was.
    bool BuildFromArrays(const TerrainSourceVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);
    // The same from a height array (MakeGridArrays), the form tests and tools
    // have. Uses ROWS, COLUMNS and DIFF as set.
    bool BuildFromHeights(const std::vector<float>& meshHeights, float x0, float y0);

    void GetHeight(float x, float y, float& height, Vector3& normal) const { grid.GetHeight(x, y, height, normal); }
    // A downward probe (the cart's wheels): t along the segment's direction.
    bool IntersectSegment(const Segment& segment, float& t, Vector3& point, Vector3& normal) const;

    const HeightGrid& GetGrid() const { return grid; }
    float GetCentreX() const { return centreX; }
    float GetCentreY() const { return centreY; }

    float elasticity = 0.0f;
    float staticFriction = 0.0f;
    float dynamicFriction = 0.0f;
    int ROWS = 0;
    int COLUMNS = 0;
    float DIFF = 0.0f;

private:
    bool CheckGridKeys(int vertexCount) const;

    HeightGrid grid;
    float centreX = 0.0f;
    float centreY = 0.0f;
};
