// The numbers a chain computes: clear colours, the six filters, the four
// rectangle modes, the mesh transforms and the render-target table's swaps.
#include <gtest/gtest.h>

#include <cmath>

#include "FakeTexture.h"
#include "render/DrawList.h"
#include "render/DrawListFrame.h"

namespace {

TEST(DrawListBuilders, ClearColoursQuantiseAtAndBetweenTheEnds)
{
    struct Case
    {
        float component;
        DWORD channel;
    };
    const Case cases[] = {{0.0f, 0},  {-1.0f, 0},         {1.0f, 255},   {7.5f, 255}, {0.5f, 128},
                          {0.2f, 51}, {1.0f / 255.0f, 1}, {0.999f, 255}, {NAN, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.component);
        ClearRecord r;
        r.red = r.green = r.blue = r.alpha = c.component;
        EXPECT_EQ(r.Colour(), D3DCOLOR_ARGB(c.channel, c.channel, c.channel, c.channel));
    }
    ClearRecord mixed;
    mixed.red = 1.0f;
    mixed.green = 0.0f;
    mixed.blue = 0.25f;
    mixed.alpha = 0.5f;
    EXPECT_EQ(mixed.Colour(), 0x80FF0040u); // alpha in the top byte, then red, green, blue
}

constexpr float kUntouched = 7.0f;

SampleFilter FilterOf(int kind, float multiplier = 1.0f, float deviation = 1.0f)
{
    SampleFilter f;
    f.kind = kind;
    f.multiplier = multiplier;
    f.deviation = deviation;
    for (auto& o : f.offsets) o[0] = o[1] = kUntouched;
    for (auto& w : f.weights) w[0] = w[1] = w[2] = w[3] = kUntouched;
    return f;
}

TEST(DrawListBuilders, DownScaleOffsetsCentreOnThePixelInRowOrder)
{
    const UINT w = 100, h = 50;
    const float tu = 1.0f / w, tv = 1.0f / h;
    SampleFilter two = FilterOf(SampleFilter::kDownScale2x2);
    two.Build(w, h);
    const float expected2[4][2] = {
        {-0.5f * tu, -0.5f * tv}, {0.5f * tu, -0.5f * tv}, {-0.5f * tu, 0.5f * tv}, {0.5f * tu, 0.5f * tv}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(two.offsets[i][0], expected2[i][0]) << i;
        EXPECT_FLOAT_EQ(two.offsets[i][1], expected2[i][1]) << i;
    }
    EXPECT_EQ(two.offsets[4][0], kUntouched); // a builder fills only its own samples
    EXPECT_EQ(two.weights[0][0], kUntouched);

    SampleFilter four = FilterOf(SampleFilter::kDownScale4x4);
    four.Build(w, h);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_FLOAT_EQ(four.offsets[y * 4 + x][0], (x - 1.5f) * tu);
            EXPECT_FLOAT_EQ(four.offsets[y * 4 + x][1], (y - 1.5f) * tv);
        }
    }

    SampleFilter none = FilterOf(SampleFilter::kNone);
    none.Build(w, h);
    EXPECT_EQ(none.offsets[0][0], kUntouched);
}

TEST(DrawListBuilders, Gauss5WeightsSumToTheMultiplierOverThirteenPoints)
{
    for (float multiplier : {1.0f, 0.5f, 3.0f}) {
        SCOPED_TRACE(multiplier);
        SampleFilter f = FilterOf(SampleFilter::kGauss5, multiplier);
        f.Build(64, 32);
        float sum[4] = {};
        for (int i = 0; i < 13; ++i) {
            for (int c = 0; c < 4; ++c) sum[c] += f.weights[i][c];
        }
        for (float s : sum) EXPECT_NEAR(s, multiplier, 1e-5f);
        // x outer, y inner: (-2, 0) first, the centre seventh, (2, 0) last.
        EXPECT_FLOAT_EQ(f.offsets[0][0], -2.0f / 64);
        EXPECT_FLOAT_EQ(f.offsets[0][1], 0.0f);
        EXPECT_FLOAT_EQ(f.offsets[6][0], 0.0f);
        EXPECT_FLOAT_EQ(f.offsets[6][1], 0.0f);
        EXPECT_FLOAT_EQ(f.offsets[12][0], 2.0f / 64);
        EXPECT_FLOAT_EQ(f.offsets[1][1], -1.0f / 32); // (-1, -1)
        for (int i = 0; i < 13; ++i) {
            EXPECT_LE(f.weights[i][0], f.weights[6][0]);
            EXPECT_FLOAT_EQ(f.weights[i][0], f.weights[12 - i][0]); // the point mirrored through the centre
        }
        EXPECT_EQ(f.offsets[13][0], kUntouched);
    }
}

TEST(DrawListBuilders, BloomEntriesMirrorAlongTheirAxis)
{
    struct Case
    {
        int kind;
        int axis;
    };
    for (const Case c : {Case{SampleFilter::kBloomW, 0}, Case{SampleFilter::kBloomH, 1}}) {
        SCOPED_TRACE(c.kind);
        const UINT w = 40, h = 20;
        const float texel = c.axis == 0 ? 1.0f / w : 1.0f / h;
        SampleFilter f = FilterOf(c.kind, 2.0f, 3.0f);
        f.Build(w, h);
        for (int i = 0; i < 8; ++i) {
            const float g = 2.0f * GaussianDistribution(float(i), 0.0f, 3.0f);
            EXPECT_FLOAT_EQ(f.offsets[i][c.axis], i * texel);
            EXPECT_EQ(f.offsets[i][1 - c.axis], 0.0f);
            EXPECT_FLOAT_EQ(f.weights[i][0], g);
            EXPECT_FLOAT_EQ(f.weights[i][2], g);
            EXPECT_EQ(f.weights[i][3], 1.0f);
        }
        for (int i = 8; i < 15; ++i) {
            EXPECT_FLOAT_EQ(f.offsets[i][c.axis], -f.offsets[i - 7][c.axis]) << i;
            EXPECT_EQ(f.weights[i][1], f.weights[i - 7][1]) << i;
        }
        EXPECT_FLOAT_EQ(f.offsets[15][c.axis], texel); // the last entry lands on the first step again
        EXPECT_EQ(f.weights[15][0], f.weights[1][0]);
    }
    EXPECT_FLOAT_EQ(GaussianDistribution(0, 0, 1), 0.3989423f);
    EXPECT_FLOAT_EQ(GaussianDistribution(1, 0, 1), 0.2419707f);

    SampleFilter flat = FilterOf(SampleFilter::kBloomW, 1.0f, 0.0f); // never reaches here from a file
    flat.Build(0, 0);
    for (const auto& w : flat.weights) EXPECT_TRUE(std::isfinite(w[0]));
    for (const auto& o : flat.offsets) EXPECT_TRUE(std::isfinite(o[0]));
}

TEST(DrawListBuilders, RectangleModesMapTheIntendedTexels)
{
    // A 165 x 123 screen: crop 160 x 120, quarter 40 x 30, bordered 42 x 32 and 22 x 17.
    FakeTexture screen(165, 123), quarter(40, 30), bordered(42, 32), eighth(22, 17);
    struct Case
    {
        const char* what;
        int mode;
        FakeTexture* source;
        FakeTexture* destination;
        TexCoordRect expected;
    };
    const Case cases[] = {
        {"whole, same size", RectMode::kWhole, &screen, &screen, {0, 0, 1, 1}},
        {"whole, both bordered",
         RectMode::kWhole,
         &bordered,
         &eighth,
         {1.f / 42 - 1.f / 22, 1.f / 32 - 1.f / 17, 1 - 1.f / 42 + 1.f / 22, 1 - 1.f / 32 + 1.f / 17}},
        {"crop", RectMode::kCrop, &screen, &quarter, {2.f / 165, 1.f / 123, 1 - 3.f / 165, 1 - 2.f / 123}},
        {"source rect", RectMode::kSrcRect, &bordered, &eighth, {1.f / 42, 1.f / 32, 1 - 1.f / 42, 1 - 1.f / 32}},
        {"destination rect",
         RectMode::kDestRect,
         &quarter,
         &bordered,
         {-1.f / 42, -1.f / 32, 1 + 1.f / 42, 1 + 1.f / 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RectMode rect;
        rect.mode = c.mode;
        rect.Build(c.source, c.destination, 160, 120);
        EXPECT_NEAR(rect.coords.left, c.expected.left, 1e-6f);
        EXPECT_NEAR(rect.coords.top, c.expected.top, 1e-6f);
        EXPECT_NEAR(rect.coords.right, c.expected.right, 1e-6f);
        EXPECT_NEAR(rect.coords.bottom, c.expected.bottom, 1e-6f);
    }

    RECT r = {};
    EXPECT_EQ(GetTextureRect(&bordered, &r), S_OK);
    EXPECT_EQ(r.right, 42);
    EXPECT_EQ(r.bottom, 32);
    TexCoordRect coords;
    EXPECT_EQ(GetTextureRect(nullptr, &r), E_INVALIDARG);
    EXPECT_EQ(GetTextureCoords(nullptr, nullptr, &screen, nullptr, &coords), E_INVALIDARG);
    EXPECT_EQ(GetTextureCoords(&screen, nullptr, nullptr, nullptr, &coords), E_INVALIDARG);
    EXPECT_EQ(GetTextureCoords(&screen, nullptr, &screen, nullptr, nullptr), E_INVALIDARG);
    RectMode orphan;
    orphan.mode = RectMode::kCrop;
    orphan.coords.left = 0.3f;
    orphan.Build(nullptr, &screen, 160, 120); // an empty source slot: the whole image
    EXPECT_EQ(orphan.coords.left, 0.0f);
    EXPECT_EQ(orphan.coords.right, 1.0f);
}

TEST(DrawListBuilders, MeshTransformsAndTargetSwaps)
{
    EXPECT_FLOAT_EQ(MeshTransforms[0]._11, 0.01f);
    EXPECT_FLOAT_EQ(MeshTransforms[0]._33, 0.01f);
    EXPECT_FLOAT_EQ(MeshTransforms[0]._44, 1.0f);
    for (int i = 1; i < kMeshTransformCount; ++i) {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) EXPECT_EQ(MeshTransforms[i].m[r][c], r == c ? 1.0f : 0.0f);
        }
    }

    FakeTexture a(8, 8), b(8, 8);
    RenderTargetTable table;
    table.Slot(13) = &a;
    table.Slot(14) = &b;
    EXPECT_EQ(table.At(2), nullptr);
    EXPECT_EQ(table.At(-1), nullptr);
    EXPECT_EQ(table.At(16), nullptr);
    const TargetSwap swap{13, 14};
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(table.At(13), frame % 2 ? &b : &a) << frame;
        DrawList::SwapRenderTargets(swap, table);
    }
    table.Swap(13, 99); // out of range: nothing moves
    EXPECT_EQ(table.At(13), &a);
    EXPECT_EQ(table.Slot(14), &b); // slots keep their textures; only the order changes
}

} // namespace
