// The six sample-offset builders. Offsets are measured in texels of the
// destination, also for the down-scales, which therefore average a wider box
// than the scale factor alone would.
#include "render/DrawListFilters.h"

#include <cmath>

#include "core/MathConstants.h"

namespace {

// Gauss5 spans two texels each way; the bloom filters seven each way.
constexpr int kGaussRadius = 2;
constexpr int kBloomTaps = 8;

float TexelSize(UINT extent)
{
    return 1.0f / float(extent ? extent : 1u);
}

void SetWeight(SampleFilter& filter, int i, float rgb, float alpha)
{
    filter.weights[i][0] = rgb;
    filter.weights[i][1] = rgb;
    filter.weights[i][2] = rgb;
    filter.weights[i][3] = alpha;
}

// Samples centred on the pixel, `side` by `side`, rows of x within each y.
void BoxOffsets(SampleFilter& filter, UINT width, UINT height, int side)
{
    const float tu = TexelSize(width), tv = TexelSize(height);
    const float centre = 0.5f * float(side - 1);
    int i = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x, ++i) {
            filter.offsets[i][0] = (float(x) - centre) * tu;
            filter.offsets[i][1] = (float(y) - centre) * tv;
        }
    }
}

// One axis: entry 0 at the centre, 1 to 7 at +i texels, then 8 to 15 copy
// entries 1 to 8 mirrored; entry 15 thus lands on entry 1 again, and the
// effect sums the first fifteen so the kernel stays symmetric.
void BloomOffsets(SampleFilter& filter, float texel, int axis)
{
    const float deviation = filter.deviation > 0.0f ? filter.deviation : kDefaultBloomDeviation;
    for (int i = 0; i < kBloomTaps; ++i) {
        filter.offsets[i][axis] = float(i) * texel;
        filter.offsets[i][1 - axis] = 0.0f;
        SetWeight(filter, i, filter.multiplier * GaussianDistribution(float(i), 0.0f, deviation), 1.0f);
    }
    for (int i = kBloomTaps; i < kFilterSampleCount; ++i) {
        const int from = i - (kBloomTaps - 1);
        filter.offsets[i][axis] = -filter.offsets[from][axis];
        filter.offsets[i][1 - axis] = filter.offsets[from][1 - axis];
        for (int c = 0; c < 4; ++c) filter.weights[i][c] = filter.weights[from][c];
    }
}

} // namespace

float GaussianDistribution(float x, float y, float rho)
{
    const float g = 1.0f / std::sqrt(2.0f * kPi * rho * rho);
    return g * std::exp(-(x * x + y * y) / (2.0f * rho * rho));
}

void SampleOffsetsNone(SampleFilter&, UINT, UINT) {}

void SampleOffsetsDownScale2x2(SampleFilter& filter, UINT width, UINT height)
{
    BoxOffsets(filter, width, height, 2);
}

void SampleOffsetsDownScale4x4(SampleFilter& filter, UINT width, UINT height)
{
    BoxOffsets(filter, width, height, 4);
}

void SampleOffsetsGauss5(SampleFilter& filter, UINT width, UINT height)
{
    const float tu = TexelSize(width), tv = TexelSize(height);
    float total = 0.0f;
    int count = 0;
    for (int x = -kGaussRadius; x <= kGaussRadius; ++x) {
        for (int y = -kGaussRadius; y <= kGaussRadius; ++y) {
            if (std::abs(x) + std::abs(y) > kGaussRadius) continue;
            filter.offsets[count][0] = float(x) * tu;
            filter.offsets[count][1] = float(y) * tv;
            const float g = GaussianDistribution(float(x), float(y), 1.0f);
            SetWeight(filter, count, g, g);
            total += g;
            ++count;
        }
    }
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 4; ++c) filter.weights[i][c] = filter.weights[i][c] / total * filter.multiplier;
    }
}

void SampleOffsetsBloomW(SampleFilter& filter, UINT width, UINT)
{
    BloomOffsets(filter, TexelSize(width), 0);
}

void SampleOffsetsBloomH(SampleFilter& filter, UINT, UINT height)
{
    BloomOffsets(filter, TexelSize(height), 1);
}

const SampleFilterBuilder kSampleFilterBuilders[SampleFilter::kKindCount] = {
    SampleOffsetsNone,   SampleOffsetsDownScale2x2, SampleOffsetsDownScale4x4,
    SampleOffsetsGauss5, SampleOffsetsBloomW,       SampleOffsetsBloomH,
};

void SampleFilter::Build(UINT width, UINT height)
{
    if (kind >= 0 && kind < kKindCount) kSampleFilterBuilders[kind](*this, width, height);
}
