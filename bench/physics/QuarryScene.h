// The benchmark scene ("quarry"), described once and built by both engines:
// a rippled bowl with a raised plateau, a seeded pile of mixed bodies and a
// tower of boxes on the plateau.
#pragma once

#include <cmath>
#include <string>
#include <vector>

enum class BodyShape {
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

struct QuarryTerrain;

// A bridge of boxes across a trench at the bowl's west rim, joined by hinges
// like the game's box bridge, both end boxes fixed; a handful of small boxes
// drop onto it at kDropTime. The boxes lie side by side along y, centred on
// kStart, resting on the rim.
struct QuarryBridge
{
    static constexpr int kBoxes = 16;
    static constexpr float kSize[3] = {4.0f, 2.5f, 1.0f};
    static constexpr float kMass = 50.0f;
    static constexpr float kStart[2] = {-88.0f, -40.0f};
    // The trench: the terrain drops by kTrenchDepth inside these bounds.
    static constexpr float kTrenchX[2] = {-96.0f, -80.0f};
    static constexpr float kTrenchY[2] = {-56.0f, -26.0f};
    static constexpr float kTrenchDepth = 6.0f;
    static constexpr int kDropped = 10;
    static constexpr float kDropEdge = 1.5f;
    static constexpr float kDropMass = 5.0f;
    static constexpr float kDropTime = 2.0f; // simulated seconds
    static float BoxY(int i) { return kStart[1] + kSize[1] * static_cast<float>(i) - kSize[1] * kBoxes / 2.0f; }
    // Every box's centre height: the rim under both end boxes, plus half a box.
    static float CentreZ(const QuarryTerrain& terrain);
    // Where dropped box k starts (above the middle of the bridge).
    static void DropPosition(int k, float centreZ, float out[3]);
    // Whether a dropped box's centre is over the deck and above the trench
    // floor's side of the bridge (it did not fall off into the trench).
    static bool IsOnBridge(float x, float z, float centreZ)
    {
        return std::fabs(x - kStart[0]) < 0.5f * kSize[0] && z > centreZ - 3.0f;
    }
};

enum class Regime {
    FallingPile, // dropped from above, freezing off
    Settled,     // the pile after it came to rest, freezing on
    Scattered,   // spread over the bowl, resting on the ground, not touching
};

const char* RegimeName(Regime regime);

struct QuarryTerrain
{
    static constexpr int kNodes = 101;   // per side
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
    double chainGap = 0.0;       // largest distance between joined pins, the wall pin included
    double bridgeEndMove = 0.0;  // largest displacement of a bridge end box
    double bridgePivotGap = 0.0; // largest distance between the two sides of a bridge hinge
    double bridgeSag = 0.0;      // largest drop of a bridge box centre below where it started
    int droppedOnBridge = -1;    // dropped boxes resting above the bridge at the end, -1 before the drop
    // Awake bodies (pile, tower, chain, bridge, dropped boxes; not the pusher)
    // at kAwakeTimes, -1 where the run ends earlier.
    static constexpr int kAwakeSamples = 4;
    static constexpr float kAwakeTimes[kAwakeSamples] = {2.0f, 5.0f, 10.0f, 20.0f};
    int awakeAt[kAwakeSamples] = {-1, -1, -1, -1};
    double recordsPerStep = 0.0; // this engine only, mean per sub-step over the timed part
    long long recordsPeak = 0;
    // FNV-1a over every record's contents and every final pose, bit for bit:
    // an optimisation that keeps the simulation identical keeps this value.
    unsigned long long stateHash = 0;
};

struct RunPlan
{
    int warmupSteps; // untimed, before timing (calls of Update / stepSimulation)
    int timedSteps;
    bool freezing;
    float frameSeconds = 0.01f; // handed to every Update call
};

RunPlan PlanFor(Regime regime, bool quick);
// The full protocol: 20 simulated seconds of the falling pile, freezing on.
RunPlan ProtocolPlan(float frameSeconds);

// Sanity of one run, as the smoke test judges this engine. Tower drift is a
// tuning figure and never makes a run fail.
struct SanityVerdict
{
    bool ok = true;
    std::string failures; // "; "-separated
};
SanityVerdict JudgeSanity(const RunFigures& figures);
