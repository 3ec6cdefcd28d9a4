// The whole game as the end-to-end tests run it: under the headless framework
// host at 640 x 480 on a windowless llvmpipe context, with no sound device,
// and the back buffer it drew read as an image.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "d3d9_host.h"
#include "render/Renderer.h"

constexpr int kGameWidth = 640;
constexpr int kGameHeight = 480;

// No sound device here: the sound library must not complain into the log.
inline void WithoutSoundDevice()
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
}

// The game set up to run `frames` frames at the tier of the pixel-shader
// switch, whatever Vid.cfg says; WinMain then runs it.
inline void PrepareGameRun(const char* pixelShaderSwitch, int frames)
{
    WithoutSoundDevice();
    static const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480", nullptr};
    argv[4] = pixelShaderSwitch;
    Win32SetCommandLine(5, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, frames);
    DXUTHeadlessEnableDevice();
}

// A stage's developer key pressed at `frame`, released the next.
inline void PressStageKey(int frame, int stage)
{
    DXUTHeadlessScheduleKey(frame, UINT('0' + stage), true);
    DXUTHeadlessScheduleKey(frame + 1, UINT('0' + stage), false);
}

struct Image
{
    std::vector<uint8_t> rgba;
    UINT width = 0, height = 0;
    const uint8_t* At(UINT x, UINT y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    double Luminance(UINT x, UINT y) const
    {
        const uint8_t* p = At(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
};

// The back buffer as drawn; empty when it cannot be read.
inline Image BackBuffer()
{
    Image image;
    if (!LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), image.rgba, &image.width, &image.height)) image = Image();
    return image;
}

// The standard deviation of the luminance: a cleared or single-colour frame
// has none.
inline double Spread(const Image& image)
{
    double sum = 0, squares = 0;
    for (UINT y = 0; y < image.height; ++y) {
        for (UINT x = 0; x < image.width; ++x) {
            const double l = image.Luminance(x, y);
            sum += l;
            squares += l * l;
        }
    }
    const double n = double(image.width) * image.height;
    return n > 0 ? std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n))) : 0.0;
}

// The mean absolute luminance step between neighbouring pixels: blur lowers it.
inline double Sharpness(const Image& image)
{
    if (image.width < 2 || image.height < 2) return 0.0;
    double sum = 0.0;
    for (UINT y = 0; y + 1 < image.height; ++y) {
        for (UINT x = 0; x + 1 < image.width; ++x) {
            const double here = image.Luminance(x, y);
            sum += std::fabs(image.Luminance(x + 1, y) - here) + std::fabs(image.Luminance(x, y + 1) - here);
        }
    }
    return sum / (double(image.width - 1) * double(image.height - 1));
}
