#include <gtest/gtest.h>

#include "render/QuadTangents.h"

namespace {

TangentVertex Vertex(float x, float y, float z, float u, float v)
{
    return TangentVertex{{x, y, z}, {0.0f, 0.0f, 1.0f}, u, v, {9.0f, 9.0f, 9.0f}, {9.0f, 9.0f, 9.0f}};
}

} // namespace

TEST(Tangents, TextureGradientsGiveTheTangentFrame)
{
    TangentVertex a = Vertex(0, 0, 0, 0, 0);
    TangentVertex b = Vertex(1, 0, 0, 1, 0);
    TangentVertex c = Vertex(0, 1, 0, 0, 1);
    ComputeTriangleTangent(a, b, c);
    for (const TangentVertex* v : {&a, &b, &c}) {
        EXPECT_FLOAT_EQ(v->tangent[0], 1.0f);
        EXPECT_FLOAT_EQ(v->tangent[1], 0.0f);
        EXPECT_FLOAT_EQ(v->tangent[2], 0.0f);
        EXPECT_FLOAT_EQ(v->binormal[0], 0.0f);
        EXPECT_FLOAT_EQ(v->binormal[1], 1.0f);
        EXPECT_FLOAT_EQ(v->binormal[2], 0.0f);
    }
    // Scaled texture coordinates: the frame is not normalised.
    TangentVertex d = Vertex(0, 0, 0, 0, 0);
    TangentVertex e = Vertex(2, 0, 0, 1, 0);
    TangentVertex f = Vertex(0, 2, 0, 0, 1);
    ComputeTriangleTangent(d, e, f);
    EXPECT_FLOAT_EQ(d.tangent[0], 2.0f);
    EXPECT_FLOAT_EQ(f.binormal[1], 2.0f);
}

TEST(Tangents, CollinearTextureCoordinatesGiveZeroAndTheLastTriangleWins)
{
    TangentVertex a = Vertex(0, 0, 0, 0, 0);
    TangentVertex b = Vertex(1, 0, 0, 1, 1);
    TangentVertex c = Vertex(0, 1, 0, 2, 2);
    ComputeTriangleTangent(a, b, c);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(a.tangent[k], 0.0f);
        EXPECT_EQ(c.binormal[k], 0.0f);
    }
    TangentVertex e = Vertex(1, 0, 0, 1, 0);
    TangentVertex f = Vertex(0, 1, 0, 0, 1);
    ComputeTriangleTangent(a, e, f); // a is shared with the first triangle
    EXPECT_FLOAT_EQ(a.tangent[0], 1.0f);
    EXPECT_EQ(b.tangent[0], 0.0f);
}

TEST(UnitQuad, TableIndicesAndAHeadlessBuild)
{
    TangentVertex v[kUnitQuadVertexCount];
    uint16_t idx[kUnitQuadIndexCount];
    FillUnitQuad(v, idx);
    EXPECT_EQ(v[0].position[0], -1.0f);
    EXPECT_EQ(v[0].position[1], 1.0f);
    EXPECT_EQ(v[3].position[0], 1.0f);
    EXPECT_EQ(v[3].position[1], -1.0f);
    EXPECT_FLOAT_EQ(v[0].normal[2], 0.7071068f);
    for (int k = 1; k < 4; ++k) {
        EXPECT_FLOAT_EQ(v[k].normal[2], -0.7071068f);
        EXPECT_EQ(v[k].tangent[0], 1.0f);
        EXPECT_EQ(v[k].binormal[1], 1.0f);
    }
    EXPECT_EQ(v[3].u, 1.0f);
    EXPECT_EQ(v[3].v, 1.0f);
    const uint16_t expected[kUnitQuadIndexCount] = {0, 1, 2, 1, 3, 2};
    for (int k = 0; k < kUnitQuadIndexCount; ++k) {
        EXPECT_EQ(idx[k], expected[k]);
    }
    MeshBuffers buffers;
    HRESULT result = S_OK;
    EXPECT_FALSE(CreateUnitQuad(nullptr, buffers, &result));
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(buffers.vertexBuffer, nullptr);
    EXPECT_EQ(buffers.triangleCount, 0);
}
