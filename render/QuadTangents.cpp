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

bool CreateUnitQuad(IDirect3DDevice9* device, MeshBuffers& out, HRESULT* lastResult)
{
    TangentVertex vertices[kUnitQuadVertexCount];
    uint16_t indices[kUnitQuadIndexCount];
    FillUnitQuad(vertices, indices);
    return CreateMeshBuffers(device, vertices, kUnitQuadVertexCount, indices, kUnitQuadIndexCount, D3DUSAGE_WRITEONLY,
                             out, lastResult) == BufferResult::Created;
}
