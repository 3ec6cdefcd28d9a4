// The whole game's frames as a player gets them: WinMain under the headless
// framework host on a windowless llvmpipe device in a 640 x 480 window, each
// stage loaded by its developer key and played with W held, the frame's two
// callbacks timed apart (everything but drawing, and the drawing), then the
// frame rate with each stage's post-processing chain of the 3.0 and the 2.0
// tier, the time from a stage key to the first frame drawn, and from the
// start to the first frame drawn.
#pragma once

constexpr int kGameStages = 4;
constexpr int kChainTiers = 2; // 0: pixel shaders 3.0, 1: 2.0

struct GameFrameFigures
{
    double logicMean = 0.0;       // ms: frame move and the World's update (game logic, physics, particles, menus)
    double logicWorst = 0.0;      // ms
    double renderWall = 0.0;      // ms: the renderer's frame, wall clock (llvmpipe's waits included)
    double renderCpu = 0.0;       // ms: the same, CPU time of the game's thread only
    double fps[kChainTiers] = {}; // whole frames a second (to glFinish) with the tier's chain
    double loadMs = 0.0;          // the stage key to the first frame drawn
};

struct GameRunFigures
{
    bool ran = false;       // false without an OpenGL 3.3 context
    double startupMs = 0.0; // WinMain's start to the first frame drawn
    GameFrameFigures stages[kGameStages];
};

// Runs WinMain once (one run per process: it registers the exit routine);
// quick shortens every phase.
GameRunFigures RunGameFrames(bool quick);
