// Making, releasing and drawing the geometry records.
#include "render/MeshBuffers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "core/ErrorReport.h"

namespace {

template <typename Buffer>
HRESULT CopyInto(Buffer* buffer, const void* data, size_t bytes)
{
    void* target = nullptr;
    const HRESULT hr = buffer->Lock(0, 0, &target, 0);
    if (FAILED(hr) || target == nullptr) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    std::memcpy(target, data, bytes);
    return buffer->Unlock();
}

} // namespace

void MeshBuffers::Draw(DWORD maxPrimitiveCount) const
{
    DrawRange(0, triangleCount, 0, vertexCount, maxPrimitiveCount);
}

void MeshBuffers::DrawRange(int firstIndex, int count, int minVertex, int vertexSpan, DWORD maxPrimitiveCount) const
{
    if (IsEmpty() || device == nullptr || count <= 0) return;
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(TangentVertex));
    device->SetIndices(indexBuffer);
    const UINT lowest = static_cast<UINT>(minVertex);
    const UINT vertices = static_cast<UINT>(vertexSpan);
    UINT remaining = static_cast<UINT>(count);
    UINT start = static_cast<UINT>(firstIndex);
    if (maxPrimitiveCount > 0) {
        while (remaining > maxPrimitiveCount) {
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, lowest, vertices, start, maxPrimitiveCount);
            start += 3 * maxPrimitiveCount;
            remaining -= maxPrimitiveCount;
        }
    }
    if (remaining > 0) device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, lowest, vertices, start, remaining);
}

// The centre of the vertices' box and the farthest vertex from it.
static void SetBounds(const TangentVertex* vertices, int vertexCount, MeshBuffers& out)
{
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (int i = 0; i < vertexCount; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], vertices[i].position[axis]);
            high[axis] = std::max(high[axis], vertices[i].position[axis]);
        }
    }
    for (int axis = 0; axis < 3; ++axis) out.boundsCentre[axis] = 0.5f * (low[axis] + high[axis]);
    float farthest = 0.0f;
    for (int i = 0; i < vertexCount; ++i) {
        float squared = 0.0f;
        for (int axis = 0; axis < 3; ++axis) {
            const float d = vertices[i].position[axis] - out.boundsCentre[axis];
            squared += d * d;
        }
        farthest = std::max(farthest, squared);
    }
    // A vertex that is not a number leaves the bounds unknown: drawn always.
    const float radius = std::sqrt(farthest);
    out.boundsRadius =
        std::isfinite(radius) && std::isfinite(out.boundsCentre[0] + out.boundsCentre[1] + out.boundsCentre[2]) ? radius
                                                                                                                : -1.0f;
}

void ReleaseMeshBuffers(MeshBuffers& buffers)
{
    if (buffers.vertexBuffer != nullptr) {
        buffers.vertexBuffer->Release();
    }
    if (buffers.indexBuffer != nullptr) {
        buffers.indexBuffer->Release();
    }
    buffers = MeshBuffers();
}

BufferResult CreateMeshBuffers(IDirect3DDevice9* device, const TangentVertex* vertices, int vertexCount,
                               const uint16_t* indices, int indexCount, DWORD vertexUsage, MeshBuffers& out,
                               HRESULT* lastResult)
{
    ReleaseMeshBuffers(out);
    HRESULT hr = E_FAIL;
    BufferResult failure = BufferResult::VertexBufferFailed;
    if (device != nullptr && vertexCount > 0 && indexCount >= 3) {
        const size_t vertexBytes = sizeof(TangentVertex) * static_cast<size_t>(vertexCount);
        const size_t indexBytes = sizeof(uint16_t) * static_cast<size_t>(indexCount);
        hr = device->CreateVertexBuffer(static_cast<UINT>(vertexBytes), vertexUsage, kTangentVertexFormat,
                                        D3DPOOL_MANAGED, &out.vertexBuffer, nullptr);
        if (SUCCEEDED(hr)) {
            hr = CopyInto(out.vertexBuffer, vertices, vertexBytes);
        }
        if (SUCCEEDED(hr)) {
            failure = BufferResult::IndexBufferFailed;
            hr = device->CreateIndexBuffer(static_cast<UINT>(indexBytes), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                           D3DPOOL_MANAGED, &out.indexBuffer, nullptr);
        }
        if (SUCCEEDED(hr)) {
            hr = CopyInto(out.indexBuffer, indices, indexBytes);
        }
    }
    if (lastResult != nullptr) {
        *lastResult = hr;
    }
    if (FAILED(hr)) {
        ReleaseMeshBuffers(out);
        return failure;
    }
    out.device = device;
    out.vertexCount = vertexCount;
    out.triangleCount = indexCount / 3;
    SetBounds(vertices, vertexCount, out);
    return BufferResult::Created;
}

const char* const kMeshLoadFailed = "Could not load mesh: ";
const char* const kMeshVertexBufferFailed = "could not create the proper vertex buffer for mesh";

bool ReportMeshBufferResult(BufferResult result)
{
    if (result == BufferResult::VertexBufferFailed) {
        REPORT_ERROR(kMeshVertexBufferFailed);
    } else if (result == BufferResult::IndexBufferFailed) {
        REPORT_ERROR("could not create the new index buffer for mesh");
    }
    return result == BufferResult::Created;
}
