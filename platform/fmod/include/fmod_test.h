// Test-only seam of the sound stand-in: a device that renders a fixed number of
// frames on every System::update, so what the game plays can be listened to
// frame-exactly with no sound card. Environment equivalents for whole-game
// runs: LV_AUDIO_CAPTURE=<file.wav> (capture to a file) and LV_AUDIO_NULL=1
// (render and discard).
#pragma once

#include "fmod.hpp"

#include <cstddef>
#include <vector>

namespace FMODTest {

constexpr int kCaptureRate = 44100;

struct CaptureConfig
{
    bool enabled = true;           // render on update instead of opening a sound card
    int framesPerUpdate = 735;     // 1/60 s at 44.1 kHz
    bool keepInMemory = true;      // keep the rendered frames for TakeCapture
    const char* wavPath = nullptr; // also append them to this file, finalised by System::close
};

// Applies to every System::init after the call; pass a config with enabled false to undo.
void SetCaptureConfig(const CaptureConfig& config);

// Moves out the stereo frames rendered since the last call (interleaved left, right).
// Returns the number of frames; zero when the system does not capture.
std::size_t TakeCapture(FMOD::System* system, std::vector<float>* interleaved);

// Whether the system plays through the render-on-update device.
bool IsCapturing(FMOD::System* system);

} // namespace FMODTest
