#include "EngineQuarry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "BenchTiming.h"
#include "core/ConfigFile.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "physics/CollisionRecord.h"
#include "physics/ConstraintPoint.h"
#include "physics/ConstraintWorldPoint.h"
#include "physics/Heightmap.h"
#include "physics/HingeJoint.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "physics/collision/CollisionDetection.h"

namespace {

using bench::Clock;

double MsSince(Clock::time_point start)
{
    return bench::Milliseconds(start, Clock::now());
}

std::unique_ptr<Heightmap> BuildTerrain(const QuarryTerrain& terrain)
{
    auto map = std::make_unique<Heightmap>();
    map->ROWS = QuarryTerrain::kNodes;
    map->COLUMNS = QuarryTerrain::kNodes;
    map->DIFF = QuarryTerrain::kDiff;
    map->elasticity = QuarryMaterial::kElasticity;
    map->staticFriction = QuarryMaterial::kStaticFriction;
    map->dynamicFriction = QuarryMaterial::kDynamicFriction;
    std::vector<float> meshHeights(terrain.heights);
    for (float& h : meshHeights) h /= QuarryTerrain::kDiff;
    map->BuildFromHeights(meshHeights, terrain.originX / QuarryTerrain::kDiff, terrain.originY / QuarryTerrain::kDiff);
    return map;
}

std::unique_ptr<ShapeObject> MakeShape(BodyShape shape)
{
    switch (shape) {
    case BodyShape::Box:
        return std::make_unique<Box>(nullptr, 2.0f, 2.0f, 2.0f, 10.0f);
    case BodyShape::Capsule:
        return std::make_unique<Capsule>(nullptr, 0.5f, 3.0f, 5.0f, 2);
    case BodyShape::Sphere:
        return std::make_unique<Ellipsoid>(nullptr, 1.5f, 1.5f, 1.5f, 10, 9, 3.0f);
    case BodyShape::Cylinder:
        return std::make_unique<Cylinder>(nullptr, 0.6f, 2.5f, 32, 16, 6.0f);
    }
    return nullptr;
}

class Fnv
{
public:
    void Add(const void* data, size_t bytes)
    {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t k = 0; k < bytes; ++k) {
            value = (value ^ p[k]) * 1099511628211ull;
        }
    }
    void Add(const Vector3& v) { Add(&v, sizeof(v)); }
    unsigned long long value = 14695981039346656037ull;
};

void SetMaterial(RigidBody& body)
{
    body.elasticity = QuarryMaterial::kElasticity;
    body.staticFriction = QuarryMaterial::kStaticFriction;
    body.dynamicFriction = QuarryMaterial::kDynamicFriction;
}

Vector3 WorldPoint(const RigidBody& body, const Vector3& local)
{
    Vector3 w;
    Vector3::TimesMatrix3(w, body.GetOrientation(), local);
    return w + body.position;
}

Vector3 WorldPin(const RigidBody& body, float x)
{
    return WorldPoint(body, Vector3(x, 0.0f, 0.0f));
}

bool IsFinite(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The hinged bridge as the game's box bridge builds it, and the boxes that
// drop onto it later.
struct EngineBridge
{
    std::vector<std::unique_ptr<Box>> boxes;
    std::vector<std::unique_ptr<HingeJoint>> hinges;
    std::vector<std::unique_ptr<Box>> dropped;
    Vector3 endStart[2];
    float centreZ = 0.0f;

    void Build(PhysicsWorld& world, const QuarryTerrain& terrain)
    {
        const float* size = QuarryBridge::kSize;
        centreZ = QuarryBridge::CentreZ(terrain);
        for (int i = 0; i < QuarryBridge::kBoxes; ++i) {
            boxes.push_back(std::make_unique<Box>(nullptr, size[0], size[1], size[2], QuarryBridge::kMass));
            Box& b = *boxes.back();
            b.SetPosition(Vector3(QuarryBridge::kStart[0], QuarryBridge::BoxY(i), centreZ));
            if (i == 0 || i == QuarryBridge::kBoxes - 1) {
                b.immovable = true;
                b.SetInverseMass(0.0f);
                b.SetInverseInertia(0.0f, 0.0f, 0.0f);
            }
            b.elasticity = 0.0f;
            b.staticFriction = 1.0f;
            b.dynamicFriction = 0.7f;
            b.SetFreezeThresholds(0.7f, 15.0f);
            b.SetRestScale(2.0f);
            b.UpdateBounds();
            world.AddBody(&b);
        }
        endStart[0] = boxes.front()->position;
        endStart[1] = boxes.back()->position;
        const float armLength = Vector3(size[0], size[1], size[2]).Length();
        for (int i = 0; i + 1 < QuarryBridge::kBoxes; ++i) {
            BodyCollisionData* a = boxes[i]->GetCollisionData();
            BodyCollisionData* b = boxes[i + 1]->GetCollisionData();
            a->ignoreList.push_back(b);
            b->ignoreList.push_back(a);
            hinges.push_back(std::make_unique<HingeJoint>());
            hinges.back()->Setup(&world, boxes[i].get(), boxes[i + 1].get(), Vector3(1.0f, 0.0f, 0.0f),
                                 Vector3(0.0f, 0.5f * size[1], 0.0f), 90.0f, 90.0f, armLength, 0.1f, 0.0f);
        }
    }

    void Drop(PhysicsWorld& world)
    {
        const float e = QuarryBridge::kDropEdge;
        for (int k = 0; k < QuarryBridge::kDropped; ++k) {
            float at[3];
            QuarryBridge::DropPosition(k, centreZ, at);
            dropped.push_back(std::make_unique<Box>(nullptr, e, e, e, QuarryBridge::kDropMass));
            dropped.back()->SetPosition(Vector3(at[0], at[1], at[2]));
            SetMaterial(*dropped.back());
            dropped.back()->UpdateBounds();
            world.AddBody(dropped.back().get());
        }
    }

    double EndMove() const
    {
        return std::fmax((boxes.front()->position - endStart[0]).Length(),
                         (boxes.back()->position - endStart[1]).Length());
    }

    double Sag() const
    {
        double sag = 0.0;
        for (const auto& b : boxes) sag = std::fmax(sag, centreZ - b->position.z);
        return sag;
    }

    int OnBridge() const
    {
        if (dropped.empty()) return -1;
        int on = 0;
        for (const auto& b : dropped) {
            if (QuarryBridge::IsOnBridge(b->position.x, b->position.z, centreZ)) ++on;
        }
        return on;
    }

    double PivotGap() const
    {
        const float half = 0.5f * QuarryBridge::kSize[1];
        double gap = 0.0;
        for (size_t i = 0; i + 1 < boxes.size(); ++i) {
            const Vector3 a = WorldPoint(*boxes[i], Vector3(0.0f, half, 0.0f));
            const Vector3 b = WorldPoint(*boxes[i + 1], Vector3(0.0f, -half, 0.0f));
            gap = std::fmax(gap, (a - b).Length());
        }
        return gap;
    }
};

// The chain, its pins and ignore entries, and the pushed capsule.
struct EngineExtras
{
    std::vector<std::unique_ptr<Ellipsoid>> links;
    std::vector<std::unique_ptr<Constraint>> joints;
    std::unique_ptr<Capsule> pusher;
    std::unique_ptr<ObjectController> controller;
    EngineBridge bridge;

    void Build(PhysicsWorld& world, const QuarryTerrain& terrain)
    {
        const float half = 0.5f * QuarryChain::kPitch;
        const Vector3 pin(QuarryChain::kPin[0], QuarryChain::kPin[1], QuarryChain::kPin[2]);
        for (int k = 0; k < QuarryChain::kLinks; ++k) {
            const float d = QuarryChain::kDiameter;
            links.push_back(std::make_unique<Ellipsoid>(nullptr, d, d, d, 16, 10, QuarryChain::kMass));
            links.back()->SetPosition(Vector3(QuarryChain::CentreX(k), pin.y, pin.z));
            SetMaterial(*links.back());
            links.back()->UpdateBounds();
            world.AddBody(links.back().get());
        }
        joints.push_back(std::make_unique<ConstraintWorldPoint>(links[0].get(), Vector3(-half, 0.0f, 0.0f), pin));
        for (int k = 0; k + 1 < QuarryChain::kLinks; ++k) {
            joints.push_back(std::make_unique<ConstraintPoint>(links[k].get(), Vector3(half, 0.0f, 0.0f),
                                                               links[k + 1].get(), Vector3(-half, 0.0f, 0.0f), 0.0f,
                                                               -3.0f));
            links[k]->GetCollisionData()->ignoreList.push_back(links[k + 1]->GetCollisionData());
            links[k + 1]->GetCollisionData()->ignoreList.push_back(links[k]->GetCollisionData());
        }
        for (auto& j : joints) world.AddConstraint(j.get());

        pusher =
            std::make_unique<Capsule>(nullptr, QuarryPusher::kRadius, QuarryPusher::kLength, QuarryPusher::kMass, 2);
        const float x = QuarryPusher::kStart[0];
        const float y = QuarryPusher::kStart[1];
        pusher->SetPosition(Vector3(x, y, QuarryHeight(terrain, x, y) + 0.5f * QuarryPusher::kLength + 0.1f));
        SetMaterial(*pusher);
        pusher->UpdateBounds();
        world.AddBody(pusher.get());
        controller = std::make_unique<ObjectController>(&world);
        controller->SetObject(pusher.get());
        controller->SetStrength(QuarryPusher::kStrength);
        controller->SetEnabled(true);
        world.AddController(controller.get());
        bridge.Build(world, terrain);
    }

    void Push(float t) { controller->AddDirection(Vector3(std::cos(t), std::sin(t), 0.0f)); }

    double ChainGap() const
    {
        const float half = 0.5f * QuarryChain::kPitch;
        const Vector3 pin(QuarryChain::kPin[0], QuarryChain::kPin[1], QuarryChain::kPin[2]);
        double gap = (WorldPin(*links[0], -half) - pin).Length();
        for (size_t k = 0; k + 1 < links.size(); ++k) {
            gap = std::fmax(gap, (WorldPin(*links[k], half) - WorldPin(*links[k + 1], -half)).Length());
        }
        return gap;
    }
};

double KineticEnergy(const RigidBody& b)
{
    return 0.5 * b.GetMass() * b.linearVelocity.LengthSquared();
}

// The world's own config reader is the only way in for the reuse switch: hand
// it a file that repeats the constructor's tuning with that one key changed.
void LoadReuseConfig(PhysicsWorld& world)
{
    const char* path = "bench_physics_reuse.cfg";
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "bench_physics: cannot write %s; collisions are not reused\n", path);
        return;
    }
    std::fputs("physics_gravity 9.81\nphysics_freq 50\nphysics_time_scale 1.0\nuse_smaller_timestep true\n"
               "use_one_edge_collision_for_heightmap true\nuse_one_edge_collision_for_body false\n"
               "physics_collision_system 1\nphysics_collision_iterations 5\nphysics_reuse_collisions true\n"
               "physics_contact_iterations 10\nphysics_penetration_iterations 10\n"
               "physics_penetration_resolve_fraction 0.008\ninterpolate_collision_mesh true\n"
               "physics_enable_freezing true\nphysics_force_per_vel_per_mass 15.0\n",
               file);
    std::fclose(file);
    {
        bool opened = false;
        ConfigFile config(path, &opened);
        if (opened) world.LoadConfig(config);
    }
    std::remove(path);
    if (!world.ReusesCollisions()) {
        std::fprintf(stderr, "bench_physics: the world did not take physics_reuse_collisions\n");
    }
}

// Awake bodies among everything the scene adds but the pusher.
int CountAwake(const PhysicsWorld& world, const RigidBody* pusher)
{
    int awake = 0;
    for (const RigidBody* b : world.GetBodies()) {
        if (b != pusher && !b->immovable && !b->IsFrozen()) ++awake;
    }
    return awake;
}

void SampleAwake(RunFigures& figures, float t, int awake)
{
    for (int k = 0; k < RunFigures::kAwakeSamples; ++k) {
        if (figures.awakeAt[k] < 0 && t >= RunFigures::kAwakeTimes[k] - 1e-4f) figures.awakeAt[k] = awake;
    }
}

} // namespace

RunFigures RunEngineQuarry(const QuarryTerrain& terrain, const std::vector<QuarryBody>& bodies, const RunPlan& plan,
                           const EngineOptions& options, double* buildMs)
{
    SetSweepAxis(0);
    PhysicsWorld world;
    if (options.reuseCollisions) LoadReuseConfig(world);
    gPhysicsSettings.collisionSystem = options.collisionSystem;
    InstallCollisionDetection(world);
    world.SetFreezing(plan.freezing);
    auto map = BuildTerrain(terrain);
    world.AddHeightmap(map.get());

    // Object 0 is the player's character and never freezes; it is not in the scene.
    Object::ResetIdCounter();
    Object character;
    std::vector<std::unique_ptr<ShapeObject>> shapes;
    const Clock::time_point buildStart = Clock::now();
    for (const QuarryBody& q : bodies) {
        shapes.push_back(MakeShape(q.shape));
    }
    if (buildMs != nullptr) *buildMs = MsSince(buildStart);
    for (size_t k = 0; k < bodies.size(); ++k) {
        const QuarryBody& q = bodies[k];
        ShapeObject& s = *shapes[k];
        Matrix3 r;
        Matrix3::FromAxisAngle(r, q.angleDegrees, Vector3(q.axis[0], q.axis[1], q.axis[2]));
        s.SetOrientation(r);
        s.SetPosition(Vector3(q.position[0], q.position[1], q.position[2]));
        SetMaterial(s);
        s.UpdateBounds();
        world.AddBody(&s);
    }

    EngineExtras extras;
    extras.Build(world, terrain);

    RunFigures figures;
    Fnv hash;
    long long records = 0;
    int timedSubSteps = 0;
    const float frame = plan.frameSeconds;
    const int total = plan.warmupSteps + plan.timedSteps;
    for (int step = 0; step < total; ++step) {
        const float t = frame * static_cast<float>(step);
        if (extras.bridge.dropped.empty() && t >= QuarryBridge::kDropTime - 1e-4f) extras.bridge.Drop(world);
        extras.Push(t);
        const Clock::time_point start = Clock::now();
        world.Update(frame);
        const double ms = MsSince(start);
        const int subSteps = world.GetLastSubStepCount();
        const long long stepRecords = static_cast<long long>(world.GetRecords().size());
        if (step >= plan.warmupSteps && subSteps > 0) {
            figures.stepMs.push_back(ms / subSteps);
            timedSubSteps += subSteps;
            records += stepRecords;
            figures.recordsPeak = std::max(figures.recordsPeak, stepRecords);
        }
        for (const CollisionRecord& r : world.GetRecords()) {
            hash.Add(r.point);
            hash.Add(r.normal);
            hash.Add(&r.depth, sizeof(r.depth));
        }
        double energy = 0.0;
        for (const auto& s : shapes) energy += KineticEnergy(*s);
        figures.peakEnergy = std::fmax(figures.peakEnergy, energy);
        figures.endEnergy = energy;
        SampleAwake(figures, frame * static_cast<float>(step + 1), CountAwake(world, extras.pusher.get()));
    }
    // Records are those of each call's last sub-step; with one sub-step per
    // call (every plan here) that is every sub-step's.
    figures.recordsPerStep = timedSubSteps > 0 ? static_cast<double>(records) / timedSubSteps : 0.0;
    for (const auto& s : shapes) {
        hash.Add(s->position);
        hash.Add(&s->GetOrientation(), sizeof(s->GetOrientation()));
    }
    figures.stateHash = hash.value;
    figures.chainGap = extras.ChainGap();
    figures.bridgeEndMove = extras.bridge.EndMove();
    figures.bridgePivotGap = extras.bridge.PivotGap();
    figures.bridgeSag = extras.bridge.Sag();
    figures.droppedOnBridge = extras.bridge.OnBridge();
    for (const auto& s : shapes) {
        if (!s->IsFrozen()) ++figures.awakeAtEnd;
    }
    for (const RigidBody* b : world.GetBodies()) {
        const Vector3& p = b->position;
        if (!IsFinite(p)) {
            figures.anyNaN = true;
            continue;
        }
        float h = 0.0f;
        Vector3 n;
        map->GetHeight(p.x, p.y, h, n);
        if (p.z < h - 0.1f) ++figures.belowTerrain;
    }
    const ShapeObject& top = *shapes.back();
    const QuarryBody& topStart = bodies.back();
    figures.towerDrift = std::hypot(top.position.x - topStart.position[0], top.position.y - topStart.position[1]);
    return figures;
}

MicroFigures MeasureEngineMicro(const QuarryTerrain& terrain)
{
    MicroFigures m;
    Clock::time_point start = Clock::now();
    auto map = BuildTerrain(terrain);
    m.terrainBuildMs = MsSince(start);

    const int queries = 2000000;
    float sink = 0.0f;
    start = Clock::now();
    uint32_t state = 1;
    for (int k = 0; k < queries; ++k) {
        state = state * 1664525u + 1013904223u;
        const float x = -100.0f + 200.0f * static_cast<float>(state >> 16) / 65536.0f;
        const float y = -100.0f + 200.0f * static_cast<float>(state & 0xffff) / 65536.0f;
        float h = 0.0f;
        Vector3 n;
        map->GetHeight(x, y, h, n);
        sink += h + n.z;
    }
    m.getHeightNs = MsSince(start) * 1e6 / queries;

    Box box(nullptr, 2.0f, 2.0f, 2.0f, 10.0f);
    const CollisionBodyMesh& mesh = box.GetCollisionData()->mesh;
    start = Clock::now();
    for (int k = 0; k < queries; ++k) {
        state = state * 1664525u + 1013904223u;
        const Vector3 p(-1.2f + 2.4f * static_cast<float>(state >> 22) / 1024.0f,
                        -1.2f + 2.4f * static_cast<float>((state >> 12) & 1023) / 1024.0f,
                        -1.2f + 2.4f * static_cast<float>((state >> 2) & 1023) / 1024.0f);
        Vector3 n;
        float d = 0.0f;
        mesh.GetContact(p, n, d, false);
        sink += d;
    }
    m.gridLookupNs = MsSince(start) * 1e6 / queries;

    auto timeBuild = [](BodyShape shape) {
        const int repeats = 20;
        const Clock::time_point t = Clock::now();
        for (int k = 0; k < repeats; ++k) MakeShape(shape);
        return MsSince(t) / repeats;
    };
    m.boxBuildMs = timeBuild(BodyShape::Box);
    m.capsuleBuildMs = timeBuild(BodyShape::Capsule);
    m.sphereBuildMs = timeBuild(BodyShape::Sphere);
    m.cylinderBuildMs = timeBuild(BodyShape::Cylinder);
    volatile float keep = sink; // keeps the loops from being removed
    (void)keep;
    return m;
}
