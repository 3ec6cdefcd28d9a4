// The replay of the last seconds of every body. Placeholder until the replay
// is written.
#pragma once

#include <vector>

#include "core/EventObj.h"

class Object;

class cReplaySystem : public fEventObj
{
public:
    explicit cReplaySystem(float seconds) : length(seconds) {}
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    // True while the replay holds the world still.
    bool IsFrozen() const { return frozen; }
    // Records or plays back once per frame.
    void Update();
    // Forgets the recorded bodies (before a stage load).
    void Clear();
    // Starts recording the stage's bodies afresh (after a stage load).
    void Reset(const std::vector<Object*>& objects);
    // Back to recording, nothing frozen.
    void Stop();

    float GetLength() const { return length; }
    // Test seam for the frozen-world rule of the frame move.
    void SetFrozenForTest(bool on) { frozen = on; }

private:
    float length;
    bool frozen = false;
};

extern cReplaySystem* gReplaySystem;
