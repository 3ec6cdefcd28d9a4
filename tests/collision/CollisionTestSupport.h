// Helpers of the collision tests (and of the shape and terrain tests that
// build on them): terrains built in memory, a world with detection installed,
// scratch files and the error stream.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"

// Mesh-unit height of node (i, j).
using MeshHeightFunction = std::function<float(int i, int j)>;

// A rows x columns terrain at DIFF diff whose mesh starts at (x0, y0).
std::unique_ptr<Heightmap> MakeTerrain(int rows, int columns, float diff, float x0, float y0,
                                       const MeshHeightFunction& height);
// Flat ground at world height z over [-extent, extent]^2 (DIFF 4).
std::unique_ptr<Heightmap> MakeFlatTerrain(float z, float extent = 64.0f);

// A file in a per-process scratch folder; returns its path.
std::string WriteScratchFile(const std::string& name, const std::string& text);

// A world with the detection installed and default tuning, freezing on.
class CollisionTestWorld
{
public:
    CollisionTestWorld();
    PhysicsWorld world;
    // Runs n sub-steps of h.
    void Run(int steps, float h = 0.01f);
};

// Captures what is written to the error stream while alive.
class ErrorCapture
{
public:
    ErrorCapture();
    ~ErrorCapture();
    std::string Text() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
