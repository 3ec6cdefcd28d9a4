// Sound effects and music tracks, synthesised and written through libsndfile.
#pragma once

#include <string>
#include <vector>

namespace gen {

struct TrackSpec
{
    std::string file; // in sounds/bgm/, sorted in playlist order
    float rootHz;     // the dominant pitch
    float seconds;
};

const std::vector<TrackSpec>& MusicTracks();

std::vector<float> SynthThud(int sampleRate);
std::vector<float> SynthOw(int sampleRate);
std::vector<float> SynthTrack(const TrackSpec& spec, int sampleRate); // interleaved stereo

// Writes mono 16-bit WAV or stereo MP3; false (with a message) when libsndfile cannot.
bool WriteWav(const std::string& path, const std::vector<float>& mono, int sampleRate);
bool WriteMp3(const std::string& path, const std::vector<float>& stereo, int sampleRate);

} // namespace gen
