// The replay: the last seconds of every World object kept in a ring of
// snapshots taken at a fixed interval of game time, with the character's
// animation state. After a knock-out it waits a moment, opens the replay menu
// and plays the ring back once round, with pause, frame steps, slow motion
// and the try-again choice. Recording and playback run once per frame move,
// right after the physics step; physics keeps running between ticks and each
// tick corrects it. While the replay holds the world frozen the frame uses a
// step time of 0.
//
// Ownership: the bodies are the World's; the replay points at the World's
// object list from one Reset to the next Clear and owns only its ring.
#pragma once

#include <vector>

#include "core/EventObj.h"
#include "core/Matrix3.h"
#include "core/Vector3.h"

class Object;

// One body's state in one snapshot: 18 floats.
struct ReplayFrame
{
    Vector3 position;
    Vector3 linearVelocity;
    Vector3 angularVelocity;
    Matrix3 orientation;
};

// The keyframe animator's current entry and its play position.
struct AnimatorState
{
    int entry = 0;
    float time = 0.0f;
};

class cReplaySystem : public fEventObj
{
public:
    static constexpr int kFrameCount = 30;
    static constexpr float kSlowMotionScale = 0.1f;
    // The replay menu's play/pause toggle.
    static constexpr int kPlayPauseItem = 5;

    // seconds: the length of the ring; subscribes.
    explicit cReplaySystem(float seconds);
    ~cReplaySystem() override;

    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;

    // After a stage load: the ring filled with the objects' present states,
    // time scaling off. Objects added later are not recorded.
    void Reset(const std::vector<Object*>& objects);
    // Forgets the bodies and the ring (before a stage load).
    void Clear();
    // Back to recording from the start of the ring; nothing frozen or slowed.
    void Stop();
    // The countdown, then one snapshot taken or shown per interval.
    void Update();
    bool IsFrozen() const { return frozen; }

    void Play();
    void PlayNormalSpeed();
    void SlowMotion();
    void StepForward();
    void StepBackward();
    void ApplyFrame();
    void RecordFrame();
    // The play/pause toggle of the replay menu, only while that menu is on top.
    void ShowPauseButton();
    void ShowPlayButton();

    bool IsPlaying() const { return playing; }
    bool IsRecording() const { return recording; }
    bool IsSlow() const { return slow; }
    bool IsRingReady() const { return ringReady; }
    bool IsPlayerAlive() const { return playerAlive; }
    int GetCurrentFrame() const { return currentFrame; }
    int GetStartFrame() const { return startFrame; }
    int GetDeathFrame() const { return deathFrame; }
    float GetDeathCountdown() const { return deathCountdown; }
    float GetFrameInterval() const { return frameInterval; }
    unsigned GetBodyCount() const { return bodyCount; }
    // Null when no body list is set.
    const std::vector<Object*>* GetBodies() const { return bodies; }
    // The snapshot of a recorded body at a ring index, or null.
    const ReplayFrame* GetFrame(unsigned body, int frame) const;
    const AnimatorState* GetAnimatorState(int frame) const;

private:
    // The countdown's length: half the ring.
    float CountdownLength() const { return frameCount * frameInterval * 0.5f; }
    // How many bodies the ring may address: no more than it recorded, nor
    // than the World still holds.
    unsigned AddressableBodies() const;
    bool CanAddressFrame() const;
    // The character goes limp and still, or animated again.
    void ShowPlayerLimp(bool limp);
    // At the knock-out frame the character turns the other way.
    void FlipPlayer();
    // At the start frame the character is shown animated.
    void ResetLookAtStart();
    void SetMouseLook(bool on) const;
    void SetPlayPauseChecked(bool checked) const;
    // Ids 59 to 64: on a press, or a message that is no key state at all.
    // False for any other id.
    bool HandleControl(int id, fMessage* msg);
    // Pause (61): freezes or thaws the world, over the replay menu only.
    void ToggleFreeze();

    bool playerAlive = true;
    std::vector<std::vector<ReplayFrame>> frames; // per body, frameCount snapshots
    std::vector<AnimatorState> animatorStates;    // per frame
    int deathFrame = -1;
    const std::vector<Object*>* bodies = nullptr;
    unsigned bodyCount = 0;
    float frameInterval;
    float accumulator = 0.0f;
    int currentFrame = -1;
    int frameCount = kFrameCount;
    float deathCountdown = -1.0f;
    int startFrame = 0;
    bool ringReady = false;
    bool playing = false;
    bool recording = true;
    bool frozen = false;
    bool slow = false;
};

extern cReplaySystem* gReplaySystem;
