#include "AudioDevice.h"

#include <fmod_test.h>

#include <AL/alext.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fmodal {
namespace {

struct SeamState
{
    bool set = false;
    FMODTest::CaptureConfig config;
    std::string wavPath;
};

SeamState& Seam()
{
    static SeamState state;
    return state;
}

// Opening the default device probes every sound back-end the library knows,
// and the back-ends print what they lack straight to the error stream, which
// is the game's error log. A machine without a sound card is not a fault of
// the game's (it plays on, silent), so the probe runs with that stream muted.
class MutedErrorStream
{
public:
    MutedErrorStream()
    {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~MutedErrorStream()
    {
        std::fflush(stderr);
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    MutedErrorStream(const MutedErrorStream&) = delete;
    MutedErrorStream& operator=(const MutedErrorStream&) = delete;

private:
    int saved = -1;
};

} // namespace

CaptureSettings CurrentCaptureSettings()
{
    CaptureSettings settings;
    const SeamState& seam = Seam();
    if (seam.set) {
        settings.loopback = seam.config.enabled;
        if (seam.config.enabled) {
            settings.framesPerUpdate = seam.config.framesPerUpdate;
            settings.keepInMemory = seam.config.keepInMemory;
            settings.wavPath = seam.wavPath.empty() ? nullptr : seam.wavPath.c_str();
        }
        return settings;
    }
    const char* capture = std::getenv("LV_AUDIO_CAPTURE");
    const char* discard = std::getenv("LV_AUDIO_NULL");
    if (capture && capture[0]) {
        settings.loopback = true;
        settings.wavPath = capture;
    } else if (discard && discard[0] == '1') {
        settings.loopback = true;
    }
    return settings;
}

AudioDevice::~AudioDevice()
{
    Close();
}

bool AudioDevice::Open(const CaptureSettings& settings)
{
    Close();
    if (!settings.loopback) {
        {
            MutedErrorStream muted;
            device = alcOpenDevice(nullptr);
        }
        if (device) {
            context = alcCreateContext(device, nullptr);
            if (context) {
                alcMakeContextCurrent(context);
                return true;
            }
            alcCloseDevice(device);
            device = nullptr;
        }
        // No sound card: keep going on a device whose output goes nowhere,
        // so channels still start, run and end.
    }
    return OpenLoopback(settings);
}

bool AudioDevice::OpenLoopback(const CaptureSettings& settings)
{
    auto openLoopback =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto formatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    if (!openLoopback || !formatSupported) {
        return false;
    }
    device = openLoopback(nullptr);
    if (!device) {
        return false;
    }
    const int rate = FMODTest::kCaptureRate;
    if (!formatSupported(device, rate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 rate,
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 0};
    context = alcCreateContext(device, attributes);
    if (!context) {
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    alcMakeContextCurrent(context);
    loopback = true;
    framesPerUpdate = settings.framesPerUpdate > 0 ? settings.framesPerUpdate : 735;
    keepInMemory = settings.keepInMemory;
    step.assign(static_cast<std::size_t>(framesPerUpdate) * 2, 0.0f);
    if (settings.wavPath) {
        SF_INFO info = {};
        info.samplerate = rate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        wav = sf_open(settings.wavPath, SFM_WRITE, &info);
        if (!wav) {
            std::fprintf(stderr, "Could not write the sound capture %s: %s\n", settings.wavPath, sf_strerror(nullptr));
            std::fflush(stderr);
        }
    }
    return true;
}

void AudioDevice::MakeCurrent() const
{
    if (context && alcGetCurrentContext() != context) {
        alcMakeContextCurrent(context);
    }
}

void AudioDevice::RenderStep()
{
    if (!loopback || !device) {
        return;
    }
    static auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!render) {
        return;
    }
    MakeCurrent();
    render(device, step.data(), framesPerUpdate);
    if (keepInMemory) {
        captured.insert(captured.end(), step.begin(), step.end());
    }
    if (wav) {
        sf_writef_float(wav, step.data(), framesPerUpdate);
    }
}

std::size_t AudioDevice::TakeCapture(std::vector<float>* interleaved)
{
    const std::size_t frames = captured.size() / 2;
    if (interleaved) {
        interleaved->swap(captured);
    }
    captured.clear();
    return frames;
}

void AudioDevice::Close()
{
    if (wav) {
        sf_close(wav); // fixes the header's sizes
        wav = nullptr;
    }
    if (context) {
        if (alcGetCurrentContext() == context) {
            alcMakeContextCurrent(nullptr);
        }
        alcDestroyContext(context);
        context = nullptr;
    }
    if (device) {
        alcCloseDevice(device);
        device = nullptr;
    }
    loopback = false;
}

} // namespace fmodal

namespace FMODTest {

void SetCaptureConfig(const CaptureConfig& config)
{
    fmodal::SeamState& seam = fmodal::Seam();
    seam.set = true;
    seam.config = config;
    seam.wavPath = config.wavPath ? config.wavPath : "";
    seam.config.wavPath = nullptr;
}

} // namespace FMODTest
