#include "render/QuadTangents.h"

#include <cstring>

#include <d3dx9math.h>

void ComputeTriangleTangent(TangentVertex& a, TangentVertex& b, TangentVertex& c)
{
    for (int k = 0; k < 3; ++k) {
        const D3DXVECTOR3 e1(b.position[k] - a.position[k], b.u - a.u, b.v - a.v);
        const D3DXVECTOR3 e2(c.position[k] - a.position[k], c.u - a.u, c.v - a.v);
        D3DXVECTOR3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
        D3DXVec3Normalize(&n, &n);
        float tangent = 0.0f;
        float binormal = 0.0f;
        // A texture mapping that does not vary along this axis has no gradient.
        if (n.x >= 1e-5f || n.x <= -1e-5f) {
            tangent = -n.y / n.x;
            binormal = -n.z / n.x;
        }
        a.tangent[k] = b.tangent[k] = c.tangent[k] = tangent;
        a.binormal[k] = b.binormal[k] = c.binormal[k] = binormal;
    }
}

void ReleaseTangentMeshBuffers(TangentMeshBuffers& buffers)
{
    if (buffers.vertexBuffer != nullptr) {
        buffers.vertexBuffer->Release();
    }
    if (buffers.indexBuffer != nullptr) {
        buffers.indexBuffer->Release();
    }
    buffers = TangentMeshBuffers();
}

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

BufferResult CreateTangentMeshBuffers(IDirect3DDevice9* device, const TangentVertex* vertices, int vertexCount,
                                      const uint16_t* indices, int indexCount, DWORD vertexUsage,
                                      TangentMeshBuffers& out, HRESULT* lastResult)
{
    ReleaseTangentMeshBuffers(out);
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
        ReleaseTangentMeshBuffers(out);
        return failure;
    }
    out.vertexCount = vertexCount;
    out.triangleCount = indexCount / 3;
    return BufferResult::Created;
}

void FillUnitQuad(TangentVertex vertices[kUnitQuadVertexCount], uint16_t indices[kUnitQuadIndexCount])
{
    // Vertex 0's normal leans the other way in z; the lighting of every quad
    // user was tuned with it, so it stays.
    static const TangentVertex kQuad[kUnitQuadVertexCount] = {
        {{-1.0f, 1.0f, 0.0f}, {-0.5f, 0.5f, 0.7071068f}, 0.0f, 0.0f, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {{1.0f, 1.0f, 0.0f}, {0.5f, 0.5f, -0.7071068f}, 1.0f, 0.0f, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {{-1.0f, -1.0f, 0.0f}, {-0.5f, -0.5f, -0.7071068f}, 0.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {{1.0f, -1.0f, 0.0f}, {0.5f, -0.5f, -0.7071068f}, 1.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
    };
    static const uint16_t kIndices[kUnitQuadIndexCount] = {0, 1, 2, 1, 3, 2};
    std::memcpy(vertices, kQuad, sizeof(kQuad));
    std::memcpy(indices, kIndices, sizeof(kIndices));
}

bool CreateUnitQuad(IDirect3DDevice9* device, TangentMeshBuffers& out, HRESULT* lastResult)
{
    TangentVertex vertices[kUnitQuadVertexCount];
    uint16_t indices[kUnitQuadIndexCount];
    FillUnitQuad(vertices, indices);
    return CreateTangentMeshBuffers(device, vertices, kUnitQuadVertexCount, indices, kUnitQuadIndexCount,
                                    D3DUSAGE_WRITEONLY, out, lastResult) == BufferResult::Created;
}
