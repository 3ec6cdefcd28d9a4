// Sound files made on the spot with libsndfile, and measurements of the
// captured mix: loudness per channel and pitch.
#pragma once

#include <string>
#include <vector>

namespace soundtest {

// A temporary folder removed with everything in it.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

// Mp3 is variable bit rate behind the encoder's info frame, Mp3WithoutInfo the
// same stream with that frame dropped, Mp3Constant constant bit rate.
enum class FileKind { Wav, Mp3, Mp3WithoutInfo, Mp3Constant };

// A sine tone; returns false when the file could not be written.
bool WriteTone(const std::string& path, FileKind kind, double frequency, double seconds, int channels,
               double amplitude = 0.5);

// Root mean square of one channel (0 left, 1 right) over frames [first, last).
double Rms(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t last);
double Rms(const std::vector<float>& stereo, int channel);

// Pitch of one channel over frames [first, last), from its zero crossings.
double ZeroCrossingFrequency(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t last,
                             int rate);

// Frames whose 10 ms window is louder than the threshold, summed.
std::size_t SoundingFrames(const std::vector<float>& stereo, double threshold);

} // namespace soundtest
