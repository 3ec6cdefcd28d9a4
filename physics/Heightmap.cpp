#include "physics/Heightmap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>

#include "core/ErrorReport.h"

namespace {

// Mesh coordinates are node positions in world units after scaling by DIFF;
// anything beyond this is a broken file, not a stage.
constexpr float kMaxWorldCoordinate = 1.0e7f;
// Closer nodes than this make the cell normals' cross products underflow
// (their squared length falls below the smallest float) into infinite normals
// and heights; no stage's grid is anywhere near this dense.
constexpr float kMinNodeSpacing = 1.0e-3f;

bool IsFiniteWorld(float meshCoordinate, float diff)
{
    const float world = meshCoordinate * diff;
    return std::isfinite(world) && std::fabs(world) <= kMaxWorldCoordinate;
}

} // namespace

namespace {

// Unit normal of a triangle of a cell whose corner (i, j) is at height h00:
// below the diagonal (i, j), (i1, j), (i1, j1); above it (i, j), (i1, j1), (i, j1).
Vector3 CellTriangleNormal(float diff, float h00, float hSide, float h11, bool belowDiagonal)
{
    Vector3 e1;
    Vector3 e2;
    if (belowDiagonal) {
        e1 = Vector3(diff, 0.0f, hSide - h00);
        e2 = Vector3(diff, diff, h11 - h00);
    } else {
        e1 = Vector3(diff, diff, h11 - h00);
        e2 = Vector3(0.0f, diff, hSide - h00);
    }
    Vector3 n;
    Vector3::Cross(n, e1, e2);
    n *= 1.0f / n.Length();
    return n;
}

} // namespace

void HeightGrid::BuildCellNormals()
{
    cellNormals.clear();
    if (rows < 2 || columns < 2) {
        return;
    }
    cellNormals.resize(static_cast<size_t>(rows - 1) * static_cast<size_t>(columns - 1) * 2);
    for (int j = 0; j + 1 < columns; ++j) {
        for (int i = 0; i + 1 < rows; ++i) {
            const size_t n00 = static_cast<size_t>(j) * rows + i;
            const float h00 = nodes[n00].height;
            const float h10 = nodes[n00 + 1].height;
            const float h01 = nodes[n00 + rows].height;
            const float h11 = nodes[n00 + rows + 1].height;
            const size_t cell = 2 * (static_cast<size_t>(j) * (rows - 1) + i);
            cellNormals[cell] = CellTriangleNormal(diff, h00, h10, h11, true);
            cellNormals[cell + 1] = CellTriangleNormal(diff, h00, h01, h11, false);
        }
    }
}

float HeightGrid::GetCeilingOver(float x0, float x1, float y0, float y1) const
{
    const float none = std::numeric_limits<float>::infinity();
    if (!IsBuilt() || !(x0 >= originX && y0 >= originY && x1 >= x0 && y1 >= y0) || !std::isfinite(x1) ||
        !std::isfinite(y1)) {
        return none;
    }
    // The cell index grows with the coordinate, so every point of the
    // rectangle lies in a cell from the first range to the last.
    const int iLast = std::min(CellIndex(x1 - originX, diff, rows) + 1, rows - 1);
    const int jLast = std::min(CellIndex(y1 - originY, diff, columns) + 1, columns - 1);
    float highest = -none;
    float lowest = none;
    for (int j = CellIndex(y0 - originY, diff, columns); j <= jLast; ++j) {
        for (int i = CellIndex(x0 - originX, diff, rows); i <= iLast; ++i) {
            const float h = nodes[static_cast<size_t>(j) * rows + i].height;
            highest = std::max(highest, h);
            lowest = std::min(lowest, h);
        }
    }
    // Within a cell the plane lies between its nodes; what the formula adds
    // is rounding: a few float steps of the heights, and of the cell's width
    // over the normal's upward part (at most its width plus its rise), which
    // this allowance exceeds by orders of magnitude.
    const float ceiling = highest + 1.0e-3f * (1.0f + std::fabs(highest) + (highest - lowest) + 2.0f * diff);
    return std::isfinite(ceiling) ? ceiling : none;
}

bool Heightmap::CheckGridKeys(int vertexCount) const
{
    std::ostringstream message;
    const long long expected = static_cast<long long>(ROWS) * static_cast<long long>(COLUMNS);
    if (ROWS < 1 || COLUMNS < 1) {
        message << "heightmap grid of " << ROWS << " x " << COLUMNS << " nodes is empty";
    } else if (!(DIFF > 0.0f) || !std::isfinite(DIFF)) {
        message << "heightmap node spacing DIFF " << DIFF << " must be positive";
    } else if (DIFF < kMinNodeSpacing) {
        message << "heightmap node spacing DIFF " << DIFF << " is too small (at least " << kMinNodeSpacing << ")";
    } else if (expected > kMaxVertices) {
        message << "heightmap grid of " << ROWS << " x " << COLUMNS << " nodes exceeds " << kMaxVertices;
    } else if (vertexCount != expected) {
        message << "heightmap mesh has " << vertexCount << " vertices, expected " << expected;
    } else {
        return true;
    }
    REPORT_ERROR(message.str());
    return false;
}

bool Heightmap::BuildFromArrays(const TerrainSourceVertex* source, int vertexCount, const uint16_t* sourceIndices,
                                int indexCount)
{
    if (source == nullptr || sourceIndices == nullptr || vertexCount <= 0 || indexCount < 3 || indexCount % 3 != 0) {
        REPORT_ERROR("heightmap mesh is empty");
        return false;
    }
    if (!CheckGridKeys(vertexCount)) {
        return false;
    }
    for (int v = 0; v < vertexCount; ++v) {
        for (const float c : source[v].position) {
            if (!IsFiniteWorld(c, DIFF)) {
                std::ostringstream message;
                message << "heightmap mesh vertex " << v << " has an invalid coordinate " << c;
                REPORT_ERROR(message.str());
                return false;
            }
        }
    }
    for (int k = 0; k < indexCount; ++k) {
        if (sourceIndices[k] >= vertexCount) {
            std::ostringstream message;
            message << "heightmap mesh face " << k / 3 << " uses vertex " << sourceIndices[k] << " of " << vertexCount;
            REPORT_ERROR(message.str());
            return false;
        }
    }

    // Everything is checked: build the new ground beside the old one. Only
    // the vertices the faces use become nodes; the others stay at height 0.
    HeightGrid next;
    next.rows = ROWS;
    next.columns = COLUMNS;
    next.diff = DIFF;
    next.nodes.assign(static_cast<size_t>(vertexCount), HeightCell());
    for (int k = 0; k < indexCount; ++k) {
        const uint16_t v = sourceIndices[k];
        const TerrainSourceVertex& s = source[v];
        next.nodes[v].height = s.position[2] * DIFF;
        next.nodes[v].normal = Vector3(s.normal[0], s.normal[1], s.normal[2]);
    }
    next.originX = DIFF * source[0].position[0];
    next.originY = DIFF * source[0].position[1];
    next.farX = DIFF * source[vertexCount - 1].position[0];
    next.farY = DIFF * source[vertexCount - 1].position[1];
    next.BuildCellNormals();

    grid = std::move(next);
    centreX = 0.5f * (grid.originX + grid.farX);
    centreY = 0.5f * (grid.originY + grid.farY);
    return true;
}

bool MakeGridArrays(const std::vector<float>& meshHeights, int rows, int columns, float x0, float y0,
                    std::vector<TerrainSourceVertex>& source, std::vector<uint16_t>& faces)
{
    const long long count = static_cast<long long>(rows) * static_cast<long long>(columns);
    if (rows < 2 || columns < 2 || count > Heightmap::kMaxVertices ||
        meshHeights.size() != static_cast<size_t>(count)) {
        std::ostringstream message;
        message << "height array of " << meshHeights.size() << " values does not fill a " << rows << " x " << columns
                << " grid";
        REPORT_ERROR(message.str());
        return false;
    }
    source.assign(static_cast<size_t>(count), TerrainSourceVertex());
    auto at = [&](int i, int j) {
        i = i < 0 ? 0 : (i >= rows ? rows - 1 : i);
        j = j < 0 ? 0 : (j >= columns ? columns - 1 : j);
        return meshHeights[static_cast<size_t>(j) * rows + i];
    };
    for (int j = 0; j < columns; ++j) {
        for (int i = 0; i < rows; ++i) {
            TerrainSourceVertex& s = source[static_cast<size_t>(j) * rows + i];
            s.position[0] = x0 + static_cast<float>(i);
            s.position[1] = y0 + static_cast<float>(j);
            s.position[2] = at(i, j);
            Vector3 n(0.5f * (at(i - 1, j) - at(i + 1, j)), 0.5f * (at(i, j - 1) - at(i, j + 1)), 1.0f);
            n *= 1.0f / n.Length();
            s.normal[0] = n.x;
            s.normal[1] = n.y;
            s.normal[2] = n.z;
            s.u = 0.25f * static_cast<float>(i);
            s.v = 0.25f * static_cast<float>(j);
        }
    }
    faces.clear();
    faces.reserve(static_cast<size_t>(rows - 1) * (columns - 1) * 6);
    for (int j = 0; j + 1 < columns; ++j) {
        for (int i = 0; i + 1 < rows; ++i) {
            const int v00 = j * rows + i;
            const int v10 = v00 + 1;
            const int v11 = v00 + rows + 1;
            const int v01 = v00 + rows;
            for (const int v : {v00, v10, v11, v00, v11, v01}) {
                faces.push_back(static_cast<uint16_t>(v));
            }
        }
    }
    return true;
}

bool Heightmap::BuildFromHeights(const std::vector<float>& meshHeights, float x0, float y0)
{
    std::vector<TerrainSourceVertex> source;
    std::vector<uint16_t> faces;
    if (!MakeGridArrays(meshHeights, ROWS, COLUMNS, x0, y0, source, faces)) {
        return false;
    }
    return BuildFromArrays(source.data(), static_cast<int>(source.size()), faces.data(),
                           static_cast<int>(faces.size()));
}

bool Heightmap::IntersectSegment(const Segment& segment, float& t, Vector3& point, Vector3& normal) const
{
    if (!(segment.direction.z <= -0.0001f)) {
        return false;
    }
    float hs = 0.0f;
    Vector3 ns;
    GetHeight(segment.origin.x, segment.origin.y, hs, ns);
    if (hs > segment.origin.z) {
        return false;
    }
    const Vector3 end = segment.origin + segment.direction;
    float he = 0.0f;
    Vector3 ne;
    GetHeight(end.x, end.y, he, ne);
    if (he < end.z) {
        return false;
    }
    const float a = segment.origin.z - hs;
    const float b = he - end.z;
    const float wa = 1.0f / (a + 0.001f);
    const float wb = 1.0f / (b + 0.001f);
    normal = (ns * wa + ne * wb) * (1.0f / (wa + wb));
    t = a / (a + b + 1e-5f);
    point = segment.origin + segment.direction * t;
    return true;
}
