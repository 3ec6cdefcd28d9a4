#include "objects/MineCart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/ConfigFile.h"
#include "core/DebugPrint.h"
#include "core/MathConstants.h"
#include "physics/PhysicsWorld.h"
#include "objects/ShapeObject.h"
#include "objects/ShapeSettings.h"

MineCart* MineCart::meshTemplate = nullptr;

namespace {

// The hull: x in [-8, 7.2], y in [-4, 4], z in [-0.8, 1.6]. It reaches further
// back than forward, and its floor sits at the wheels' attachment height.
const Vector3 kHullCorners[8] = {Vector3(7.2f, 4.0f, -0.8f),   Vector3(7.2f, 4.0f, 1.6f),   Vector3(7.2f, -4.0f, -0.8f),
                                 Vector3(7.2f, -4.0f, 1.6f),   Vector3(-8.0f, 4.0f, -0.8f), Vector3(-8.0f, 4.0f, 1.6f),
                                 Vector3(-8.0f, -4.0f, -0.8f), Vector3(-8.0f, -4.0f, 1.6f)};
// Front, left, right, rear, bottom, top; each face (a, b, c, d) is the
// triangles (a, b, c) and (a, c, d), wound outward. The segment test takes
// one plane per face from its first triangle.
const int kHullFaces[6][4] = {{0, 1, 3, 2}, {4, 5, 1, 0}, {2, 3, 7, 6}, {4, 6, 7, 5}, {0, 2, 6, 4}, {1, 5, 7, 3}};
const int kHullEdges[12][2] = {{0, 2}, {1, 3}, {0, 4}, {2, 6}, {1, 5}, {3, 7},
                               {4, 6}, {5, 7}, {0, 1}, {2, 3}, {4, 5}, {6, 7}};
// The face centres, front, left, right and rear first, then the top before
// the bottom.
const Vector3 kHullFaceCentres[6] = {Vector3(7.2f, 0.0f, 0.4f),   Vector3(-0.4f, 4.0f, 0.4f),
                                     Vector3(-0.4f, -4.0f, 0.4f), Vector3(-8.0f, 0.0f, 0.4f),
                                     Vector3(-0.4f, 0.0f, 1.6f),  Vector3(-0.4f, 0.0f, -0.8f)};
const int kEdgeSamples = 6;
const float kGridMargin = 1.1f;

// Grid nodes per axis when "Physics.cfg" gives none (a box's default).
const int kDefaultGridCount = 16;
const char* const kGridCountKeys[3] = {"vehicle_mesh_size_x", "vehicle_mesh_size_y", "vehicle_mesh_size_z"};

// All four wheels are the same: a stiff, lightly damped spring with a long travel.
const Vector3 kSuspensionAxis(0.0f, 0.0f, 1.0f);
const float kWheelStiffness = 3750.0f;
const float kWheelTravel = 1.6f;
const float kWheelInertia = 78.4f;
const float kWheelRadius = 1.6f;
const float kWheelGrip = 0.5f;
const float kWheelDamping = 100.0f;
const Vector3 kWheelOffsets[MineCart::kWheelCount] = {Vector3(-4.0f, 4.32f, -0.8f), Vector3(-4.0f, -4.32f, -0.8f),
                                                      Vector3(3.2f, 4.32f, -0.8f), Vector3(3.2f, -4.32f, -0.8f)};

// Throttle and steering follow their targets at this many units per second.
const float kControlRate = 4.0f;
// Drive torque per unit of throttle for one driven axle; shared by both when
// all four wheels drive.
const float kAxleDrive = 400.0f;
const float kBrakeThreshold = 0.5f;
// The inner front wheel's angle at full steering.
const float kFullSteerDegrees = 30.0f;

// A missing key or 0 asks for no size in particular: the default. A word that
// is no whole number is reported and gives the default; any other number goes
// through the shapes' grid-size clamp.
int ReadGridCount(const char* key)
{
    ConfigFile* config = GetShapeConfig();
    int value = kDefaultGridCount;
    if (config == nullptr || config->GetChecked(key, value, kAnyConfigNumber<int>) != ConfigRead::kTaken ||
        value == 0) {
        return kDefaultGridCount;
    }
    return ReadMeshSizeKey(key, kDefaultGridCount);
}

float StepTowards(float value, float target, float maxStep)
{
    return value + std::max(-maxStep, std::min(maxStep, target - value));
}

} // namespace

MineCart::MineCart(PhysicsWorld* world_, bool driveFront, bool driveRear)
    : steeringTarget(0.0f), throttleTarget(0.0f), steering(0.0f), throttle(0.0f), brake(0.0f), collisionData(this),
      driveFrontAxle(driveFront), driveRearAxle(driveRear), world(world_)
{
    DebugPrint("Creating a mine car\n");
    if (world) {
        world->AddController(this);
    }
    SetMass(kMass);
    SetInertia(kInertia, kInertia, kInertia);
    SetOrientation(Matrix3::Identity());

    BuildCollisionData();
    for (int i = kWheelCount - 1; i >= 0; --i) {
        wheels[i].reset(new Wheel(this, world, kWheelOffsets[i], kSuspensionAxis, kWheelStiffness, kWheelTravel,
                                  kWheelInertia, kWheelRadius, kWheelGrip, kWheelDamping));
    }
    if (meshTemplate == nullptr) {
        meshTemplate = this;
    }
}

MineCart::~MineCart()
{
    // The cells are shared by count: the other carts keep them when the
    // template goes first.
    if (meshTemplate == this) {
        meshTemplate = nullptr;
    }
}

void MineCart::BuildCollisionData()
{
    triangles.clear();
    for (const int* face : kHullFaces) {
        const Vector3& a = kHullCorners[face[0]];
        const Vector3& c = kHullCorners[face[2]];
        triangles.push_back(SurfaceTriangle{a, kHullCorners[face[1]], c});
        triangles.push_back(SurfaceTriangle{a, c, kHullCorners[face[3]]});
    }
    const std::vector<Vector3> facePoints(std::begin(kHullFaceCentres), std::end(kHullFaceCentres));
    const std::vector<Vector3> corners(std::begin(kHullCorners), std::end(kHullCorners));
    std::vector<SampledEdge> edges;
    for (const int* e : kHullEdges) {
        edges.push_back(SampledEdge{e[0], e[1], kEdgeSamples});
    }

    // Later carts take the first one's cells (and so its sizes) without
    // reading the sizes again.
    if (meshTemplate != nullptr) {
        collisionData.Build(meshTemplate->collisionData.mesh.Share(), facePoints, corners, edges);
        return;
    }
    int counts[3];
    for (int axis = 0; axis < 3; ++axis) {
        counts[axis] = ReadGridCount(kGridCountKeys[axis]);
    }
    collisionData.Build(counts[0], counts[1], counts[2], kGridMargin, triangles, facePoints, corners, edges, nullptr);
}

void MineCart::ApplyForces(float h)
{
    // A resting cart may have been frozen; a driver's throttle is no force
    // the freezing can see, so it wakes the cart itself.
    if (IsFrozen() && throttleTarget != 0.0f && world) {
        world->WakeBody(this);
    }
    ApplyGravity();
    for (std::unique_ptr<Wheel>& wheel : wheels) {
        wheel->ApplyGroundForces(h);
    }
}

void MineCart::Update(float h)
{
    for (std::unique_ptr<Wheel>& wheel : wheels) {
        wheel->UpdateSpin(h);
    }

    const float maxStep = kControlRate * h;
    throttle = StepTowards(throttle, throttleTarget, maxStep);
    steering = StepTowards(steering, steeringTarget, maxStep);

    const float drive = throttle * (driveFrontAxle && driveRearAxle ? 0.5f * kAxleDrive : kAxleDrive);
    if (driveFrontAxle) {
        wheels[kFrontLeft]->driveTorque += drive;
        wheels[kFrontRight]->driveTorque += drive;
    }
    if (driveRearAxle) {
        wheels[kRearLeft]->driveTorque += drive;
        wheels[kRearRight]->driveTorque += drive;
    }

    const bool locked = brake > kBrakeThreshold;
    wheels[kRearLeft]->braked = locked;
    wheels[kRearRight]->braked = locked;

    SteerFrontWheels();
}

void MineCart::SteerFrontWheels()
{
    const float angle = std::fabs(steering * kFullSteerDegrees);
    const float sign = steering > 0.0f ? 1.0f : -1.0f;
    Wheel& inner = *wheels[steering > 0.0f ? kFrontLeft : kFrontRight];
    Wheel& outer = *wheels[steering > 0.0f ? kFrontRight : kFrontLeft];
    inner.steerAngle = sign * angle;
    if (angle == 0.0f) {
        outer.steerAngle = 0.0f;
        return;
    }
    // The outer wheel turns less than the inner one. The track width stands
    // where a textbook turning circle puts the wheelbase, and the wheelbase is
    // added: the cart's handling was tuned with the angles this gives.
    const float track = wheels[kFrontLeft]->offset.y - wheels[kFrontRight]->offset.y;
    const float wheelbase = wheels[kFrontRight]->offset.x - wheels[kRearRight]->offset.x;
    const float outerRadians = std::atan2(track, track / std::tan(DegreesToRadians(angle)) + wheelbase);
    outer.steerAngle = sign * static_cast<float>(outerRadians * kDegreesPerRadian);
}

bool MineCart::IntersectSegment(const Vector3& start, const Vector3& end, float& tEnter, float& tExit, Vector3& point)
{
    // One plane per face: the first of its two triangles.
    return ClipSegmentByFaces(triangles, 2, *this, start, end, tEnter, tExit, point, nullptr);
}

void MineCart::ResetWheels()
{
    for (std::unique_ptr<Wheel>& wheel : wheels) {
        wheel->Reset();
    }
}

int MineCart::CountWheelsOnGround()
{
    int count = 0;
    for (const std::unique_ptr<Wheel>& wheel : wheels) {
        count += wheel->onGround ? 1 : 0;
    }
    return count;
}

Wheel* MineCart::GetWheel(int index)
{
    return index >= 0 && index < kWheelCount ? wheels[index].get() : nullptr;
}

const Wheel* MineCart::GetWheel(int index) const
{
    return index >= 0 && index < kWheelCount ? wheels[index].get() : nullptr;
}
