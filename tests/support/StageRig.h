// The game's singletons as a stage needs them, for tests and benchmarks that
// load and run stages without the framework: the game's hooks installed,
// built in the order WinMain builds them and deleted in the order Shutdown
// deletes them, the player's push controller first among the physics world's
// controllers. Frames run as the frame loop and the renderer's frame run them.
#pragma once

#include <cstdint>

struct StageOptions
{
    bool renderer = true;  // a device-less renderer that queues and prunes drawables
    bool particles = true; // the particle factory and manager with the shipped definitions
};

// The singletons a stage load touches, created in the order WinMain creates
// them and deleted in the order Shutdown deletes them. The player's push
// controller is the physics world's first controller, as in the game.
class StageRig
{
public:
    explicit StageRig(const StageOptions& options = StageOptions());
    ~StageRig();
    StageRig(const StageRig&) = delete;
    StageRig& operator=(const StageRig&) = delete;

    // One frame: the physics step of dt, then the World's update and the
    // renderer's prune, as the frame loop and the renderer's frame do.
    void RunFrame(float dt = 1.0f / 60.0f);
    void RunSeconds(float seconds, float dt = 1.0f / 60.0f);

    float time = 0.0f;
};

// Every body's pose and motion (the World's objects, the machines' own
// parts and the particles), the scores, the stage and the menu
// stack, as one 64-bit FNV-1a hash: what a frame left, for comparing runs.
std::uint64_t HashGameState();
