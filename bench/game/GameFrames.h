// The whole game's frames as a player gets them: WinMain under the headless
// framework host on a windowless llvmpipe device in a 640 x 480 window at one
// pixel-shader tier (the game's "-psversion" switch: its effect file and each
// stage's chain for that tier), each stage loaded by its developer key and
// played with W held, the frame's two callbacks timed apart (everything but
// drawing, and the drawing), then the stage's frames a second standing still,
// the time from a stage key to the first frame drawn, and from the start to
// the first frame drawn.
#pragma once

constexpr int kGameStages = 4;

struct GameFrameFigures
{
    double logicMean = 0.0;       // ms: frame move and the World's update (game logic, physics, particles, menus)
    double logicWorst = 0.0;      // ms
    double renderWall = 0.0;      // ms: the renderer's frame, wall clock (llvmpipe's waits included)
    double renderCpu = 0.0;       // ms: the same, CPU time of the game's thread only
    double fps = 0.0;             // whole frames a second (to glFinish), the tier's chain
    double loadMs = 0.0;          // the stage key to the first frame drawn
};

struct GameRunFigures
{
    bool ran = false;       // false without an OpenGL 3.3 context
    double startupMs = 0.0; // WinMain's start to the first frame drawn
    GameFrameFigures stages[kGameStages];
};

// Runs WinMain once at the pixel-shader version given ("3.0", "2.0", "1.4");
// one run per process, since WinMain registers its exit routine. quick
// shortens every phase.
GameRunFigures RunGameFrames(bool quick, const char* psVersion);
