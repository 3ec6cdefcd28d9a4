#include "render/TerrainMesh.h"

#include <cstring>
#include <utility>

#include "render/TechniqueNames.h"

TerrainMesh::~TerrainMesh()
{
    ReleaseDeviceBuffers();
}

void TerrainMesh::Build(const TerrainSourceVertex* source, int vertexCount, const uint16_t* sourceIndices,
                        int indexCount, IDirect3DDevice9* device)
{
    std::vector<TangentVertex> next(static_cast<size_t>(vertexCount));
    for (int k = 0; k + 2 < indexCount; k += 3) {
        TangentVertex* corner[3];
        for (int c = 0; c < 3; ++c) {
            const uint16_t v = sourceIndices[k + c];
            const TerrainSourceVertex& s = source[v];
            corner[c] = &next[v];
            std::memcpy(corner[c]->position, s.position, sizeof(s.position));
            std::memcpy(corner[c]->normal, s.normal, sizeof(s.normal));
            corner[c]->u = s.u;
            corner[c]->v = s.v;
        }
        ComputeTriangleTangent(*corner[0], *corner[1], *corner[2]);
    }
    vertices = std::move(next);
    indices.assign(sourceIndices, sourceIndices + indexCount);
    tiles.Build(vertices, indices);
    ReleaseDeviceBuffers();
    if (device != nullptr) {
        CreateDeviceBuffers(device);
    }
}

bool TerrainMesh::CreateDeviceBuffers(IDirect3DDevice9* device)
{
    if (vertices.empty() || indices.empty() || device == nullptr) {
        return false;
    }
    const std::vector<uint16_t>& coarse = tiles.GetCoarseIndices();
    std::vector<uint16_t> levelled;
    if (!coarse.empty()) {
        levelled.reserve(indices.size() + coarse.size());
        levelled.insert(levelled.end(), indices.begin(), indices.end());
        levelled.insert(levelled.end(), coarse.begin(), coarse.end());
    }
    const std::vector<uint16_t>& drawn = coarse.empty() ? indices : levelled;
    return ReportMeshBufferResult(CreateMeshBuffers(device, vertices.data(), static_cast<int>(vertices.size()),
                                                    drawn.data(), static_cast<int>(drawn.size()), 0, buffers, nullptr));
}

void TerrainMesh::ReleaseDeviceBuffers()
{
    ReleaseMeshBuffers(buffers);
    refusedDevice = nullptr;
}

const MeshBuffers& TerrainMesh::PrepareBuffers(IDirect3DDevice9* device)
{
    if (device == nullptr || (buffers.device == device && !buffers.IsEmpty()) || refusedDevice == device) {
        return buffers;
    }
    if (!CreateDeviceBuffers(device)) refusedDevice = device;
    return buffers;
}

void TerrainMesh::Draw(IDirect3DDevice9* device, DWORD maxPrimitiveCount, const D3DXMATRIX* worldViewProjection,
                       float viewportHeight, const TerrainTiles::HeightBand* band)
{
    tiles.Draw(PrepareBuffers(device), maxPrimitiveCount, worldViewProjection, viewportHeight, band);
}

void TerrainMesh::DrawTiles(IDirect3DDevice9* device, DWORD maxPrimitiveCount, const TerrainTiles::Range* first,
                            const TerrainTiles::Range* last)
{
    TerrainTiles::DrawRanges(PrepareBuffers(device), maxPrimitiveCount, first, last);
}

const char* TerrainMesh::GetInternedTechnique() const
{
    if (internedTechnique == nullptr || technique != internedTechnique) {
        internedTechnique = InternTechnique(technique);
    }
    return internedTechnique;
}
