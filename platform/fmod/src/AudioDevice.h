// The OpenAL device and context behind a sound system: the sound card when
// there is one, otherwise (or when tests ask) a loopback device that renders a
// fixed step of frames per update and keeps or writes what it rendered.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <sndfile.h>

#include <cstddef>
#include <vector>

namespace fmodal {

struct CaptureSettings
{
    bool loopback = false;
    int framesPerUpdate = 735;
    bool keepInMemory = false;
    const char* wavPath = nullptr;
};

// What the next init uses: the test seam's settings, else the environment.
CaptureSettings CurrentCaptureSettings();

class AudioDevice
{
public:
    AudioDevice() = default;
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;
    ~AudioDevice();

    bool Open(const CaptureSettings& settings);
    void Close();
    bool IsOpen() const { return context != nullptr; }
    void MakeCurrent() const;

    // Renders one step on a loopback device; nothing on a sound card.
    void RenderStep();
    bool IsLoopback() const { return loopback; }
    std::size_t TakeCapture(std::vector<float>* interleaved);

private:
    bool OpenLoopback(const CaptureSettings& settings);

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    int framesPerUpdate = 0;
    bool keepInMemory = false;
    std::vector<float> step;
    std::vector<float> captured;
    SNDFILE* wav = nullptr;
};

} // namespace fmodal
