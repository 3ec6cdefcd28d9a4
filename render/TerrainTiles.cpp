// Tiling the terrain and choosing the tiles a frame draws.
#include "render/TerrainTiles.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "render/ViewVolume.h"

namespace {

// How much further than its range a light is taken to reach: the shader's
// distance comes from an approximate inverse square root, and the pixels'
// positions from interpolation.
constexpr float kReachRelativeMargin = 1e-3f;
constexpr float kReachAbsoluteMargin = 1e-3f;

} // namespace

bool TerrainTiles::SphereReachesBox(const LightSphere& sphere, const float low[3], const float high[3])
{
    float squared = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float c = sphere.centre[axis];
        const float gap = c < low[axis] ? low[axis] - c : (c > high[axis] ? c - high[axis] : 0.0f);
        squared += gap * gap;
    }
    // No range reaches nothing; a range that is not a number, everything.
    if (!(sphere.radius > 0.0f)) return !(sphere.radius <= 0.0f);
    const float reach = sphere.radius * (1.0f + kReachRelativeMargin) + kReachAbsoluteMargin;
    return !(squared >= reach * reach);
}

void TerrainTiles::Build(const std::vector<TangentVertex>& vertices, std::vector<uint16_t>& indices)
{
    tiles.clear();
    ranges.clear();
    order.clear();
    coarseIndices.clear();
    variants.clear();
    levels.clear();
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

    // A regular grid whose tiles are whole, even blocks of cells gets coarse
    // levels; its tiles are those blocks.
    TerrainGridShape grid;
    std::vector<int> cellOf;
    const bool levelled = side > 1 && DetectTerrainGrid(vertices, indices, grid, cellOf) &&
                          (grid.columns - 1) % (2 * side) == 0 && (grid.rows - 1) % (2 * side) == 0;
    const int tileColumns = levelled ? (grid.columns - 1) / side : 0;
    const int tileRows = levelled ? (grid.rows - 1) / side : 0;

    // Each triangle's tile, then a stable counting sort of the triangles.
    std::vector<int> tileOf(size_t(triangles), 0);
    std::vector<int> counts(size_t(side * side) + 1, 0);
    const int vertexCount = int(vertices.size());
    for (int t = 0; t < triangles; ++t) {
        if (levelled) {
            const int row = cellOf[size_t(t)] / (grid.columns - 1), column = cellOf[size_t(t)] % (grid.columns - 1);
            tileOf[size_t(t)] = row / tileRows * side + column / tileColumns;
        } else {
            float centre[2] = {0.0f, 0.0f};
            for (int c = 0; c < 3; ++c) {
                const int v = std::min<int>(indices[size_t(3 * t + c)], vertexCount - 1);
                centre[0] += vertices[size_t(v)].position[0] / 3.0f;
                centre[1] += vertices[size_t(v)].position[1] / 3.0f;
            }
            tileOf[size_t(t)] = cell(centre[1], 1) * side + cell(centre[0], 0);
        }
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
    if (levelled) BuildLevels(vertices, grid, side, tileRows, tileColumns, int(indices.size()));
    order.reserve(tiles.size());
    ranges.reserve(tiles.size());
    levels.assign(tiles.size(), 0);
}

void TerrainTiles::BuildLevels(const std::vector<TangentVertex>& vertices, const TerrainGridShape& shape, int side,
                               int tileRows, int tileColumns, int meshIndexCount)
{
    int levelCount = 1;
    while (levelCount < kTerrainLevelCount && tileRows % (1 << levelCount) == 0 && tileColumns % (1 << levelCount) == 0)
        ++levelCount;
    for (int t = 0; t < int(tiles.size()); ++t) {
        TerrainTile& tile = tiles[size_t(t)];
        const int row = t / side, column = t % side;
        const CellBlock block{row * tileRows, column * tileColumns, tileRows, tileColumns};
        tile.levelCount = levelCount;
        tile.neighbours[0] = column > 0 ? t - 1 : -1;
        tile.neighbours[1] = column + 1 < side ? t + 1 : -1;
        tile.neighbours[2] = row > 0 ? t - side : -1;
        tile.neighbours[3] = row + 1 < side ? t + side : -1;
        tile.firstVariant = int(variants.size());
        for (int level = 1; level < levelCount; ++level) {
            const int step = 1 << level;
            tile.error[level] = std::max(tile.error[level - 1], CoarseBlockError(shape, vertices, block, step));
            for (int fineSides = 0; fineSides < kSideMasks; ++fineSides) {
                const size_t first = coarseIndices.size();
                AppendCoarseBlock(shape, vertices, block, step, fineSides, coarseIndices);
                const auto [lowest, highest] =
                    std::minmax_element(coarseIndices.begin() + long(first), coarseIndices.end());
                variants.push_back({meshIndexCount + int(first), int(coarseIndices.size() - first) / 3, int(*lowest),
                                    int(*highest) - int(*lowest) + 1, true});
            }
        }
    }
}

void TerrainTiles::ChooseLevels(const D3DXMATRIX& m, float viewportHeight)
{
    // A coarse level moves the ground only up or down. A unit of height at
    // clip (x, y, w) moves the picture by (m31 - x/w m34, m32 - y/w m34) / w
    // in normalised device units; x counts in the picture's width, which is
    // its height times the aspect the projection implies.
    const float columnX = std::sqrt(m._11 * m._11 + m._21 * m._21 + m._31 * m._31);
    const float columnY = std::sqrt(m._12 * m._12 + m._22 * m._22 + m._32 * m._32);
    const float aspect = columnX > 0.0f ? columnY / columnX : 1.0f;
    const float halfHeight = 0.5f * viewportHeight;
    for (int t = 0; t < int(tiles.size()); ++t) {
        const TerrainTile& tile = tiles[size_t(t)];
        // The tile's nearest depth, and the most a unit of height moves the
        // picture at any of its corners, undivided by depth. A tile reaching
        // behind the eye stays whole.
        float nearest = FLT_MAX, shift = 0.0f;
        for (int corner = 0; corner < 8; ++corner) {
            const float x = (corner & 1) ? tile.high[0] : tile.low[0];
            const float y = (corner & 2) ? tile.high[1] : tile.low[1];
            const float z = (corner & 4) ? tile.high[2] : tile.low[2];
            const float w = x * m._14 + y * m._24 + z * m._34 + m._44;
            nearest = std::min(nearest, w);
            if (!(w > 0.0f)) break;
            const float nx = std::clamp((x * m._11 + y * m._21 + z * m._31 + m._41) / w, -1.0f, 1.0f);
            const float ny = std::clamp((x * m._12 + y * m._22 + z * m._32 + m._42) / w, -1.0f, 1.0f);
            shift = std::max({shift, std::abs(m._31 - nx * m._34) * aspect, std::abs(m._32 - ny * m._34)});
        }
        int level = 0;
        if (nearest > 0.0f) {
            const float pixelsPerUnit = halfHeight * shift / nearest;
            level = tile.levelCount - 1;
            while (level > 0 && !(tile.error[level] * pixelsPerUnit <= kMaxPixelError)) --level;
        }
        levels[size_t(t)] = level;
    }
    // Neighbours at most one level apart: refine the coarser until they are.
    for (bool changed = true; changed;) {
        changed = false;
        for (int t = 0; t < int(tiles.size()); ++t) {
            for (const int n : tiles[size_t(t)].neighbours) {
                if (n >= 0 && levels[size_t(t)] > levels[size_t(n)] + 1) {
                    levels[size_t(t)] = levels[size_t(n)] + 1;
                    changed = true;
                }
            }
        }
    }
}

int TerrainTiles::FineSides(int tile) const
{
    int sides = 0;
    const int* neighbours = tiles[size_t(tile)].neighbours;
    for (int side = 0; side < 4; ++side) {
        if (neighbours[side] >= 0 && levels[size_t(neighbours[side])] < levels[size_t(tile)]) sides |= 1 << side;
    }
    return sides;
}

TerrainTiles::Range TerrainTiles::RangeOf(int t) const
{
    const TerrainTile& tile = tiles[size_t(t)];
    const int level = levels[size_t(t)];
    if (level == 0) return {tile.firstIndex, tile.triangleCount, tile.minVertex, tile.vertexSpan, true};
    return variants[size_t(tile.firstVariant + (level - 1) * kSideMasks + FineSides(t))];
}

bool TerrainTiles::LightReaches(int t, const std::vector<LightSphere>* lights) const
{
    if (!lights) return true;
    const TerrainTile& tile = tiles[size_t(t)];
    // A coarse level's vertices are some of the tile's own: its bounds hold.
    for (const LightSphere& sphere : *lights) {
        if (SphereReachesBox(sphere, tile.low, tile.high)) return true;
    }
    return false;
}

const std::vector<TerrainTiles::Range>& TerrainTiles::Visible(const D3DXMATRIX* worldViewProjection,
                                                              float viewportHeight, const HeightBand* band,
                                                              const std::vector<LightSphere>* lights)
{
    order.clear();
    std::fill(levels.begin(), levels.end(), 0);
    if (worldViewProjection && viewportHeight > 0.0f && !variants.empty()) {
        ChooseLevels(*worldViewProjection, viewportHeight);
    }
    if (worldViewProjection) {
        const ViewVolume view(*worldViewProjection);
        const D3DXMATRIX& m = *worldViewProjection;
        for (int i = 0; i < int(tiles.size()); ++i) {
            const TerrainTile& tile = tiles[size_t(i)];
            if (!view.BoxInside(tile.low, tile.high)) continue;
            // The clip w of the tile's centre: its distance along the view.
            const float x = 0.5f * (tile.low[0] + tile.high[0]);
            const float y = 0.5f * (tile.low[1] + tile.high[1]);
            const float z = 0.5f * (tile.low[2] + tile.high[2]);
            order.emplace_back(x * m._14 + y * m._24 + z * m._34 + m._44, i);
        }
        // Equal depths keep the buffer's order. An in-place sort on (depth,
        // tile) rather than a stable sort, which takes a buffer every frame.
        std::sort(order.begin(), order.end());
    } else {
        for (int i = 0; i < int(tiles.size()); ++i) order.emplace_back(0.0f, i);
    }

    ranges.clear();
    for (const std::pair<float, int>& entry : order) {
        if (band) {
            const TerrainTile& bounds = tiles[size_t(entry.second)];
            if (bounds.high[2] < band->low || bounds.low[2] > band->high) continue;
        }
        Range tile = RangeOf(entry.second);
        tile.lit = LightReaches(entry.second, lights);
        if (!ranges.empty()) {
            Range& last = ranges.back();
            if (last.lit == tile.lit && last.firstIndex + 3 * last.triangleCount == tile.firstIndex) {
                const int end = std::max(last.minVertex + last.vertexSpan, tile.minVertex + tile.vertexSpan);
                last.minVertex = std::min(last.minVertex, tile.minVertex);
                last.vertexSpan = end - last.minVertex;
                last.triangleCount += tile.triangleCount;
                continue;
            }
        }
        ranges.push_back(tile);
    }
    return ranges;
}

void TerrainTiles::Draw(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection,
                        float viewportHeight, const HeightBand* band)
{
    if (buffers.IsEmpty()) return;
    const std::vector<Range>& visible = Visible(worldViewProjection, viewportHeight, band);
    DrawRanges(buffers, maxPrimitiveCount, visible.data(), visible.data() + visible.size());
}

void TerrainTiles::DrawRanges(const MeshBuffers& buffers, DWORD maxPrimitiveCount, const Range* first,
                              const Range* last)
{
    if (buffers.IsEmpty()) return;
    for (const Range* range = first; range != last; ++range) {
        buffers.DrawRange(range->firstIndex, range->triangleCount, range->minVertex, range->vertexSpan,
                          maxPrimitiveCount);
    }
}
