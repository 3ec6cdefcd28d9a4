// Tiling the terrain and choosing the tiles a frame draws.
#include "render/TerrainTiles.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// A plane of the view in mesh units: inside where a x + b y + c z + d >= 0.
struct Plane
{
    float a, b, c, d;
};

// The six planes of the clip volume of a row-vector transform (x and y
// within +-w, z within [0, w], as Direct3D clips).
void ViewPlanes(const D3DXMATRIX& m, Plane planes[6])
{
    auto column = [&](int j) { return Plane{m.m[0][j], m.m[1][j], m.m[2][j], m.m[3][j]}; };
    const Plane x = column(0), y = column(1), z = column(2), w = column(3);
    planes[0] = {w.a + x.a, w.b + x.b, w.c + x.c, w.d + x.d};
    planes[1] = {w.a - x.a, w.b - x.b, w.c - x.c, w.d - x.d};
    planes[2] = {w.a + y.a, w.b + y.b, w.c + y.c, w.d + y.d};
    planes[3] = {w.a - y.a, w.b - y.b, w.c - y.c, w.d - y.d};
    planes[4] = z;
    planes[5] = {w.a - z.a, w.b - z.b, w.c - z.c, w.d - z.d};
}

// False when the box lies wholly outside one of the planes.
bool BoxInView(const Plane planes[6], const float low[3], const float high[3])
{
    for (int i = 0; i < 6; ++i) {
        const Plane& p = planes[i];
        const float x = p.a > 0.0f ? high[0] : low[0];
        const float y = p.b > 0.0f ? high[1] : low[1];
        const float z = p.c > 0.0f ? high[2] : low[2];
        if (p.a * x + p.b * y + p.c * z + p.d < 0.0f) return false;
    }
    return true;
}

} // namespace

void TerrainTiles::Build(const std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices)
{
    tiles.clear();
    ranges.clear();
    order.clear();
    const int triangles = int(indices.size() / 3);
    if (triangles == 0 || vertices.empty()) return;

    float low[2] = {FLT_MAX, FLT_MAX}, high[2] = {-FLT_MAX, -FLT_MAX};
    for (const TangentVertex& v : vertices) {
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = std::min(low[axis], v.position[axis]);
            high[axis] = std::max(high[axis], v.position[axis]);
        }
    }
    const int side =
        std::clamp(int(std::lround(std::sqrt(double(triangles) / kTrianglesPerTile))), 1, kMaxTilesPerSide);
    auto cell = [&](float value, int axis) {
        const float extent = high[axis] - low[axis];
        if (!(extent > 0.0f)) return 0;
        return std::clamp(int((value - low[axis]) / extent * float(side)), 0, side - 1);
    };

    // Each triangle's tile, then a stable counting sort of the triangles.
    std::vector<int> tileOf(size_t(triangles), 0);
    std::vector<int> counts(size_t(side * side) + 1, 0);
    const int vertexCount = int(vertices.size());
    for (int t = 0; t < triangles; ++t) {
        float centre[2] = {0.0f, 0.0f};
        for (int c = 0; c < 3; ++c) {
            const int v = std::min<int>(indices[size_t(3 * t + c)], vertexCount - 1);
            centre[0] += vertices[size_t(v)].position[0] / 3.0f;
            centre[1] += vertices[size_t(v)].position[1] / 3.0f;
        }
        tileOf[size_t(t)] = cell(centre[1], 1) * side + cell(centre[0], 0);
        ++counts[size_t(tileOf[size_t(t)]) + 1];
    }
    for (size_t i = 1; i < counts.size(); ++i) counts[i] += counts[i - 1];
    std::vector<uint16_t> sorted(indices.size());
    std::vector<int> next(counts.begin(), counts.end() - 1);
    for (int t = 0; t < triangles; ++t) {
        const int slot = next[size_t(tileOf[size_t(t)])]++;
        for (int c = 0; c < 3; ++c) sorted[size_t(3 * slot + c)] = indices[size_t(3 * t + c)];
    }
    // A trailing partial triangle, if any, stays at the end, never drawn.
    for (size_t i = size_t(3 * triangles); i < indices.size(); ++i) sorted[i] = indices[i];
    indices.swap(sorted);

    for (int tile = 0; tile < side * side; ++tile) {
        const int first = counts[size_t(tile)], count = counts[size_t(tile) + 1] - first;
        if (count == 0) continue;
        TerrainTile record;
        record.firstIndex = 3 * first;
        record.triangleCount = count;
        int lowest = vertexCount, highest = 0;
        for (int axis = 0; axis < 3; ++axis) {
            record.low[axis] = FLT_MAX;
            record.high[axis] = -FLT_MAX;
        }
        for (int i = 3 * first; i < 3 * (first + count); ++i) {
            const int v = std::min<int>(indices[size_t(i)], vertexCount - 1);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
            for (int axis = 0; axis < 3; ++axis) {
                record.low[axis] = std::min(record.low[axis], vertices[size_t(v)].position[axis]);
                record.high[axis] = std::max(record.high[axis], vertices[size_t(v)].position[axis]);
            }
        }
        record.minVertex = lowest;
        record.vertexSpan = highest - lowest + 1;
        tiles.push_back(record);
    }
    order.reserve(tiles.size());
    ranges.reserve(tiles.size());
}

const std::vector<TerrainTiles::Range>& TerrainTiles::Visible(const D3DXMATRIX* worldViewProjection)
{
    order.clear();
    if (worldViewProjection) {
        Plane planes[6];
        ViewPlanes(*worldViewProjection, planes);
        const D3DXMATRIX& m = *worldViewProjection;
        for (int i = 0; i < int(tiles.size()); ++i) {
            const TerrainTile& tile = tiles[size_t(i)];
            if (!BoxInView(planes, tile.low, tile.high)) continue;
            // The clip w of the tile's centre: its distance along the view.
            const float x = 0.5f * (tile.low[0] + tile.high[0]);
            const float y = 0.5f * (tile.low[1] + tile.high[1]);
            const float z = 0.5f * (tile.low[2] + tile.high[2]);
            order.emplace_back(x * m._14 + y * m._24 + z * m._34 + m._44, i);
        }
        std::stable_sort(
            order.begin(), order.end(),
            [](const std::pair<float, int>& a, const std::pair<float, int>& b) { return a.first < b.first; });
    } else {
        for (int i = 0; i < int(tiles.size()); ++i) order.emplace_back(0.0f, i);
    }

    ranges.clear();
    for (const std::pair<float, int>& entry : order) {
        const TerrainTile& tile = tiles[size_t(entry.second)];
        if (!ranges.empty()) {
            Range& last = ranges.back();
            if (last.firstIndex + 3 * last.triangleCount == tile.firstIndex) {
                const int end = std::max(last.minVertex + last.vertexSpan, tile.minVertex + tile.vertexSpan);
                last.minVertex = std::min(last.minVertex, tile.minVertex);
                last.vertexSpan = end - last.minVertex;
                last.triangleCount += tile.triangleCount;
                continue;
            }
        }
        ranges.push_back({tile.firstIndex, tile.triangleCount, tile.minVertex, tile.vertexSpan});
    }
    return ranges;
}

void TerrainTiles::Draw(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection)
{
    if (buffers.IsEmpty()) return;
    for (const Range& range : Visible(worldViewProjection)) {
        buffers.DrawRange(range.firstIndex, range.triangleCount, range.minVertex, range.vertexSpan, maxPrimitiveCount);
    }
}
