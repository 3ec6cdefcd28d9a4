#include "EngineQuarry.h"

#include <chrono>
#include <cmath>
#include <memory>

#include "physics/CollisionRecord.h"
#include "physics/ConstraintPoint.h"
#include "physics/ConstraintWorldPoint.h"
#include "physics/Heightmap.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "physics/collision/CollisionDetection.h"
#include "physics/shapes/Box.h"
#include "physics/shapes/Capsule.h"
#include "physics/shapes/Cylinder.h"
#include "physics/shapes/Ellipsoid.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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
    case BodyShape::Box: return std::make_unique<Box>(nullptr, 2.0f, 2.0f, 2.0f, 10.0f);
    case BodyShape::Capsule: return std::make_unique<Capsule>(nullptr, 0.5f, 3.0f, 5.0f, 2);
    case BodyShape::Sphere: return std::make_unique<Ellipsoid>(nullptr, 1.5f, 1.5f, 1.5f, 10, 9, 3.0f);
    case BodyShape::Cylinder: return std::make_unique<Cylinder>(nullptr, 0.6f, 2.5f, 32, 16, 6.0f);
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

Vector3 WorldPin(const RigidBody& body, float x)
{
    Vector3 w;
    Vector3::TimesMatrix3(w, body.orientation, Vector3(x, 0.0f, 0.0f));
    return w + body.position;
}

// The chain, its pins and ignore entries, and the pushed capsule.
struct EngineExtras
{
    std::vector<std::unique_ptr<Ellipsoid>> links;
    std::vector<std::unique_ptr<Constraint>> joints;
    std::unique_ptr<Capsule> pusher;
    std::unique_ptr<ObjectController> controller;

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
                                                               links[k + 1].get(), Vector3(-half, 0.0f, 0.0f),
                                                               0.0f, -3.0f));
            links[k]->GetCollisionData()->ignoreList.push_back(links[k + 1]->GetCollisionData());
            links[k + 1]->GetCollisionData()->ignoreList.push_back(links[k]->GetCollisionData());
        }
        for (auto& j : joints) world.AddConstraint(j.get());

        pusher = std::make_unique<Capsule>(nullptr, QuarryPusher::kRadius, QuarryPusher::kLength, QuarryPusher::kMass, 2);
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
    return 0.5 * b.mass * b.linearVelocity.LengthSquared();
}

} // namespace

RunFigures RunEngineQuarry(const QuarryTerrain& terrain, const std::vector<QuarryBody>& bodies, const RunPlan& plan,
                           const EngineOptions& options, double* buildMs)
{
    gPhysicsSettings.collisionSystem = options.collisionSystem;
    SetSweepAxis(0);
    PhysicsWorld world;
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
    const int total = plan.warmupSteps + plan.timedSteps;
    for (int step = 0; step < total; ++step) {
        extras.Push(0.01f * static_cast<float>(step));
        const Clock::time_point start = Clock::now();
        world.Update(0.01f);
        const double ms = MsSince(start);
        if (step >= plan.warmupSteps) {
            figures.stepMs.push_back(ms);
            records += static_cast<long long>(world.GetRecords().size());
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
    }
    figures.recordsPerStep = plan.timedSteps > 0 ? static_cast<double>(records) / plan.timedSteps : 0.0;
    for (const auto& s : shapes) {
        hash.Add(s->position);
        hash.Add(&s->orientation, sizeof(s->orientation));
    }
    figures.stateHash = hash.value;
    figures.chainGap = extras.ChainGap();
    for (const auto& s : shapes) {
        const Vector3& p = s->position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            figures.anyNaN = true;
            continue;
        }
        float h = 0.0f;
        Vector3 n;
        map->GetHeight(p.x, p.y, h, n);
        if (p.z < h - 0.1f) ++figures.belowTerrain;
        if (!s->IsFrozen()) ++figures.awakeAtEnd;
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
