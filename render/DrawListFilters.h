// Sample offsets and weights of the full-screen passes: the six filter kinds a
// draw-list file names ("None", "2", "4", "Gauss5", "BloomW", "BloomH") and the
// builders that fill them from the destination target's size.
#pragma once

#include <windows.h>

constexpr int kFilterSampleCount = 16;

// The offsets and weights one full-screen pass sends to its effect. A builder
// fills only the entries of its own samples; the rest keep what they held,
// which for a new pass is zero.
struct SampleFilter
{
    enum Kind { kNone = 0, kDownScale2x2, kDownScale4x4, kGauss5, kBloomW, kBloomH, kKindCount };

    int kind = kNone;
    float offsets[kFilterSampleCount][2] = {};
    float weights[kFilterSampleCount][4] = {};
    float multiplier = 0.0f;
    float deviation = 0.0f;

    // Runs the builder of `kind` for a destination of width x height texels.
    void Build(UINT width, UINT height);
};

static_assert(sizeof(SampleFilter::offsets) == 128, "the effect takes 16 float pairs");
static_assert(sizeof(SampleFilter::weights) == 256, "the effect takes 16 float groups of four");

// The deviation a bloom filter falls back to when the file gives none above zero.
constexpr float kDefaultBloomDeviation = 1.0f;

typedef void (*SampleFilterBuilder)(SampleFilter& filter, UINT width, UINT height);

// The builders, indexed by SampleFilter::Kind.
extern const SampleFilterBuilder kSampleFilterBuilders[SampleFilter::kKindCount];

void SampleOffsetsNone(SampleFilter& filter, UINT width, UINT height);
void SampleOffsetsDownScale2x2(SampleFilter& filter, UINT width, UINT height);
void SampleOffsetsDownScale4x4(SampleFilter& filter, UINT width, UINT height);
void SampleOffsetsGauss5(SampleFilter& filter, UINT width, UINT height);
void SampleOffsetsBloomW(SampleFilter& filter, UINT width, UINT height);
void SampleOffsetsBloomH(SampleFilter& filter, UINT width, UINT height);

// The two-dimensional normal density at (x, y) with deviation rho.
float GaussianDistribution(float x, float y, float rho);
