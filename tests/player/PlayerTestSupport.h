// What the player and trigger tests share: a scratch run tree holding a test
// terrain (flat ground with a trench) beside the game's data, a writer of
// test level files, and a rig that runs the game's frame move and render the
// way the frame loop does, with keys through the real input and DirectInput's
// test seam and a virtual clock.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "StageRig.h"
#include "StageTestSupport.h"
#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "particles/fPartManager.h"

// A character record standing at the origin (its walking body resting at z 3.5).
const Vector3 kStandingRecord(0.0f, 0.0f, -1.0f);

// The test terrain: flat at z 0, a trench 60 deep from x 60 on, over
// [-128, 128] x [-128, 128].
constexpr float kTrenchStartX = 60.0f;
constexpr float kTrenchDepth = -60.0f;
float TestGroundHeight(float x, float y);

// A temporary run tree (bin/ the working directory, Config and Levels copies)
// with everything the whole game reads: Maps a folder of links to the game's
// maps plus "flat.x" and "flat.hmp", every other data folder and bin/UI links.
class PlayerRunTree : public ScratchRunTree
{
public:
    PlayerRunTree();
};

// A level file on the test terrain, built up record by record.
class LevelText
{
public:
    // The stage number decides the fall limit, the stage's set-up and the exits' ring.
    LevelText(int stage, float cameraYaw = 0.0f);
    LevelText& Character(const Vector3& position);
    LevelText& Object(int type, const Vector3& position, const Vector3& size, float mass, bool immovable = true,
                      int texture = 1);
    LevelText& SceneObject(int type, const Vector3& position, const Vector3& size, int texture = 5);
    LevelText& Trigger(int type, const Vector3& position, const Vector3& size, const Vector3& spawn = Vector3());
    std::string Text() const { return text; }

private:
    // The lines every record starts with; a negative texture writes none.
    void Record(const char* tag, int type, const Vector3& position, const Vector3& size, int texture);

    std::string text;
    int counter = 0;
};

// The game's particle manager, noting every system asked of it by name and place.
class RecordingPartManager : public fPartManager
{
public:
    struct Request
    {
        int id; // 0 made in place, 1 attached
        std::string name;
        Vector3 position;
        float scale;
    };
    void HandleMessage(int id, fMessage* msg) override;
    int Count(const std::string& name) const;
    std::vector<Request> requests;
};

// The game's singletons (StageRig) on a scratch run tree, with the input and
// the clock: each Frame is a frame move and render of the game.
class PlayerRig
{
public:
    static constexpr float kFrameSeconds = 1.0f / 60.0f;

    PlayerRig();
    ~PlayerRig();

    // Writes the level as "Levels/test.qvl" and loads it.
    void Load(const LevelText& level);
    // The two halves of Frame: the clock and the input's messages delivered
    // (what the player does with its keys), then the rest of the frame.
    void BeginFrame();
    void EndFrame();
    // Holds exactly these DirectInput keys (DIK codes) from this frame on.
    void Hold(std::set<int> keys);
    // One frame: clock, input poll and delivery, the player, the physics
    // step, the World's update, the renderer's prune.
    void Frame();
    void Frames(int count);
    // Sets the camera's yaw (radians) as the mouse would.
    void SetYaw(float yaw);

    PlayerRunTree tree;
    std::unique_ptr<StageRig> rig;
    // Takes the particle manager's place in the rig.
    RecordingPartManager* particles = nullptr;

private:
    std::set<int> held;
    double time = 0.0;
};

// Counts the knock-out's message to the replay while it lives.
class CountdownListener : public fEventObj
{
public:
    CountdownListener();
    void SubscribeMessages() override;
    void HandleMessage(int, fMessage*) override { ++count; }
    int count = 0;
};

// The keyframe animator's current entry (11 idle, 4 walking).
unsigned AnimatorEntry();

// Counts live particle systems of the manager (the created ones stay alive a while).
int LiveParticleSystems();

// The whole game under the headless host with silent sound: frames of 1/60 s up
// to lastFrame, the main menu's key for a stage pressed at kHeadlessLoadFrame.
constexpr int kHeadlessLoadFrame = 5;
void StartHeadlessStage(char stageKey, int lastFrame);

std::string ReadWholeFile(const std::string& name);

// Each component within the tolerance, the failure naming what was compared.
void ExpectNear(const Vector3& a, const Vector3& b, float tolerance, const char* what);
