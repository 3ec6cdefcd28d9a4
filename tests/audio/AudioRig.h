// A sound system as the game builds it, run from a temporary run tree whose
// sound folders the test fills, with the dispatcher the keys go through and
// every update rendered into the capture so the test can listen.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "../fmod/SoundFixtures.h"
#include "audio/AudioSystem.h"
#include "core/EventDispatcher.h"
#include "fmod_test.h"

namespace audiotest {

constexpr int kStep = 735;          // frames rendered per update: 1/60 s
constexpr double kThreshold = 0.01; // RMS above this is sound
constexpr double kTrackPitch[] = {220.0, 330.0, 440.0};

// <tmp>/bin as the working directory with <tmp>/sounds/{sfx,bgm} beside it;
// the old directory comes back at destruction.
class RunTree
{
public:
    RunTree();
    ~RunTree();
    std::string Sfx(const std::string& file) const { return folder.Path() + "/sounds/sfx/" + file; }
    std::string Bgm(const std::string& file) const { return folder.Path() + "/sounds/bgm/" + file; }
    const std::string& Root() const { return folder.Path(); }

private:
    soundtest::TempFolder folder;
    std::string previous;
};

// What a capture sounded like, one update's block at a time: the tracks heard
// one after another (runs of 5 blocks or more near a track's pitch, silence
// between two runs of the same track merging them), and the blocks per pitch.
struct Heard
{
    std::vector<double> tracks;
    std::map<double, int> blocks;
    int soundingBlocks = 0;
};
Heard Listen(const std::vector<float>& stereo);
// Whether the first `frames` updates of a capture are silent.
bool QuietFor(const std::vector<float>& stereo, int frames);

class AudioRig : public ::testing::Test
{
protected:
    AudioRig();
    ~AudioRig() override;

    // track1.mp3, track2.mp3, ... at the given pitches.
    void WriteTracks(const std::vector<double>& pitches, double seconds);
    void StartAudio();   // Init and LoadAllSounds, from the run tree
    void ReplaceAudio(); // a fresh, unstarted system in place of the current one
    // Frames as the spine runs them: deliver the queue, then the sound update.
    std::vector<float> Frames(int count);
    void Post(int id, int state = 1); // a key state as the input posts it

    RunTree tree;
    EventDispatcher dispatcher;
    AudioSystem* audio = nullptr;
};

} // namespace audiotest
