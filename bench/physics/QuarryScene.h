// The benchmark scene ("quarry"), described once and built by both engines:
// a rippled bowl with a raised plateau, a seeded pile of mixed bodies and a
// tower of boxes on the plateau.
#pragma once

#include <string>
#include <vector>

enum class BodyShape
{
    Box,      // 2 x 2 x 2, mass 10
    Capsule,  // r 0.5, 3 long end to end, axis z, mass 5
    Sphere,   // diameter 1.5, mass 3
    Cylinder, // r 0.6, 2.5 long, axis x, mass 6
};

struct QuarryBody
{
    BodyShape shape;
    float position[3];
    float axis[3]; // rotation axis (unit) and angle of the initial pose
    float angleDegrees;
};

// A chain of spheres hanging from a pin beside the bowl, starting
// horizontal so it swings into the pile, and a heavy capsule pushed round in
// a circle through the pile's edge.
struct QuarryChain
{
    static constexpr int kLinks = 12;
    static constexpr float kDiameter = 1.0f;
    static constexpr float kPitch = 1.2f;
    static constexpr float kMass = 1.0f;
    static constexpr float kPin[3] = {-24.0f, 0.0f, 35.0f};
    // Centre of link k; its pins sit half a pitch either side along x.
    static float CentreX(int k) { return kPin[0] + 0.5f * kPitch + kPitch * static_cast<float>(k); }
};

struct QuarryPusher
{
    static constexpr float kRadius = 1.5f;
    static constexpr float kLength = 7.0f;
    static constexpr float kMass = 50.0f;
    static constexpr float kStrength = 6.67f; // force = direction * strength * mass
    static constexpr float kStart[2] = {20.0f, 0.0f};
};

enum class Regime
{
    FallingPile, // dropped from above, freezing off
    Settled,     // the pile after it came to rest, freezing on
    Scattered,   // spread over the bowl, resting on the ground, not touching
};

const char* RegimeName(Regime regime);

struct QuarryTerrain
{
    static constexpr int kNodes = 101;  // per side
    static constexpr float kDiff = 2.0f; // world units between nodes
    float originX = -100.0f;
    float originY = -100.0f;
    std::vector<float> heights; // world heights, i along x fastest
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
};

struct QuarryMaterial
{
    static constexpr float kElasticity = 0.3f;
    static constexpr float kStaticFriction = 0.6f;
    static constexpr float kDynamicFriction = 0.4f;
};

QuarryTerrain MakeQuarryTerrain();
// Height of the terrain's triangle surface (the (i,j)-(i+1,j+1) split).
float QuarryHeight(const QuarryTerrain& terrain, float x, float y);
// pileCount bodies of the pile (or the scatter), then the 8 tower boxes.
std::vector<QuarryBody> MakeQuarryBodies(const QuarryTerrain& terrain, int pileCount, Regime regime);
constexpr int kTowerBoxes = 8;
float BodyMass(BodyShape shape);

// What one engine reports for one run.
struct RunFigures
{
    std::vector<double> stepMs; // timed sub-steps
    int awakeAtEnd = 0;
    int belowTerrain = 0;
    bool anyNaN = false;
    double peakEnergy = 0.0;
    double endEnergy = 0.0;
    double towerDrift = 0.0;
    double chainGap = 0.0; // largest distance between joined pins, the wall pin included
    double recordsPerStep = 0.0; // this engine only
    // FNV-1a over every record's contents and every final pose, bit for bit:
    // an optimisation that keeps the simulation identical keeps this value.
    unsigned long long stateHash = 0;
};

struct RunPlan
{
    int warmupSteps; // untimed, before timing
    int timedSteps;
    bool freezing;
};

RunPlan PlanFor(Regime regime, bool quick);
