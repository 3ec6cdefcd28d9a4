// The character's keyframe sampler. When the skinned hierarchy loads, every
// animation set's keys are copied out of its controller into our own tables;
// each step the current entry's play position moves on and every track writes
// a freshly sampled local matrix (scale x rotation x translation) into its
// frame. The player picks the entry by index, the replay saves and restores
// the index and position.
#pragma once

#include <d3dx9anim.h>

#include <vector>

struct AnimationTrack
{
    std::vector<D3DXKEY_QUATERNION> rotationKeys; // as stored: the sampler inverts them
    std::vector<D3DXKEY_VECTOR3> translationKeys;
    std::vector<D3DXKEY_VECTOR3> scaleKeys;
    // The frame whose matrix the track writes. Not owned: it lives in the
    // hierarchy the animator was built on. Null when no frame bears the
    // animation's name; such a track is skipped.
    D3DXFRAME* frame = nullptr;
};

struct AnimationEntry
{
    std::vector<AnimationTrack> tracks;
    float position = 0.0f; // play position in key ticks
    float period = 0.0f;   // loop length in key ticks; an entry without a positive period holds position 0
};

class KeyframeAnimator
{
public:
    // The game plays key ticks at this rate whatever the file declares.
    static constexpr float kTicksPerSecond = 5000.0f;

    // Replaces the tables with one entry per animation set of the controller
    // (in its set order), each track pointing at the frame of its animation's
    // name under frameRoot. A null controller leaves the animator empty.
    // Entry 0 becomes current at position 0.
    void Build(ID3DXAnimationController* controller, D3DXFRAME* frameRoot);
    // Forgets every table: the animator is empty again.
    void Clear();

    // Moves the current entry on by dt seconds, wraps it by its period and
    // poses every frame it animates. An empty animator does nothing.
    void Advance(float dt);
    // The entry left goes back to position 0, so switching to the entry that
    // is playing restarts it. An index past the entries is ignored.
    void SwitchTo(unsigned index);
    // As SwitchTo, then the entry continues from the given position (the
    // replay puts recorded states back with it).
    void SetCurrent(unsigned index, float position);
    // The current entry and its position; 0 and 0 when empty.
    void GetCurrent(unsigned* index, float* position) const;

    unsigned GetEntryCount() const { return static_cast<unsigned>(entries.size()); }
    // Null past the entries.
    const AnimationEntry* GetEntry(unsigned index) const { return index < entries.size() ? &entries[index] : nullptr; }
    // The hierarchy the tracks point into, null when empty.
    const D3DXFRAME* GetFrameRoot() const { return frameRoot; }

private:
    std::vector<AnimationEntry> entries;
    unsigned current = 0;
    const D3DXFRAME* frameRoot = nullptr;
};

// The program's one animator. It always exists, so callers never test it:
// until a hierarchy with animation sets has loaded it is empty and every call
// is harmless.
extern KeyframeAnimator* const gKeyframeAnimator;
