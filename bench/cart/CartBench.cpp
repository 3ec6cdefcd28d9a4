// bench_cart [--quick] [--repeat R]: what the mine cart costs per 0.01 s sub-step
// against a box of its hull's size moved along the same stretch of the stage 4
// track, each alone in a world with the stage's terrain; and what a cart's
// hull grid costs to build fresh against a cart that shares the first one's.
//
// The cart drives at full throttle for 10 simulated seconds; the box slides
// along the track at the speed the cart had at the same sub-step. Printed:
// microseconds per sub-step for the cart's own work (gravity, the four wheel
// probes and their forces, the controller step), for the box's own forces, and
// for the whole world step of each (the body's full share of a sub-step), with
// the ratio cart / box. Each side runs R times (3 by default), the two taking
// turns; the run with the lowest mean is shown.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "BenchOptions.h"
#include "BenchTiming.h"
#include "core/ConfigFile.h"
#include "physics/Heightmap.h"
#include "render/Terrain.h"
#include "physics/PhysicsWorld.h"
#include "physics/collision/CollisionDetection.h"
#include "objects/Box.h"
#include "objects/MineCart.h"
#include "objects/ShapeSettings.h"

namespace {

using bench::Clock;
using bench::Microseconds;

const float kSubStep = 0.01f;
const int kDriveSteps = 1000; // 10 simulated seconds
const float kTrackStartX = -150.0f;
const float kTrackY = -150.0f;
const float kTrackLevel = 10.5f;
const float kCartRestHeight = 2.0f;
// The hull: 15.2 x 8 x 2.4, its centre 0.4 behind and 0.4 above the cart's
// centre of mass.
const Vector3 kHullSize(15.2f, 8.0f, 2.4f);
const float kCartRatioLimit = 2.0f;

// A cart that clocks its own share of each sub-step.
class TimedCart : public MineCart
{
public:
    explicit TimedCart(PhysicsWorld* world) : MineCart(world, true, false) {}
    void ApplyForces(float h) override
    {
        const Clock::time_point t0 = Clock::now();
        MineCart::ApplyForces(h);
        forces += Clock::now() - t0;
    }
    void Update(float h) override
    {
        const Clock::time_point t0 = Clock::now();
        MineCart::Update(h);
        update += Clock::now() - t0;
    }
    Clock::duration forces{};
    Clock::duration update{};
};

class TimedBox : public Box
{
public:
    explicit TimedBox(PhysicsWorld* world) : Box(world, kHullSize.x, kHullSize.y, kHullSize.z, MineCart::kMass) {}
    void ApplyForces(float h) override
    {
        const Clock::time_point t0 = Clock::now();
        Box::ApplyForces(h);
        forces += Clock::now() - t0;
    }
    Clock::duration forces{};
};

struct RunFigures
{
    double stepMicros = 0.0;   // whole world step, per sub-step
    double forceMicros = 0.0;  // the body's own forces (and probes), per sub-step
    double updateMicros = 0.0; // the cart's controller step, per sub-step
    float distance = 0.0f;
    float endSpeed = 0.0f;
};

std::unique_ptr<Heightmap> LoadTrack(bool& stage)
{
    const char* const hmp = "../Maps/stage4.hmp";
    const char* const mesh = "../Maps/stage4.x";
    stage = std::ifstream(hmp).good() && std::ifstream(mesh).good();
    std::unique_ptr<Heightmap> terrain;
    if (stage) {
        Terrain loaded(hmp, mesh);
        terrain = std::make_unique<Heightmap>(std::move(loaded.GetGround()));
        stage = terrain->GetGrid().IsBuilt();
    }
    if (!stage) {
        // Level ground at the track's height, the same grid spacing.
        terrain = std::make_unique<Heightmap>();
        terrain->ROWS = terrain->COLUMNS = 129;
        terrain->DIFF = 4.0f;
        terrain->BuildFromHeights(std::vector<float>(129 * 129, kTrackLevel / 4.0f), -64.0f, -64.0f);
    }
    return terrain;
}

RunFigures RunCart(Heightmap& terrain, int steps, std::vector<float>* speeds)
{
    PhysicsWorld world;
    InstallCollisionDetection(world);
    world.AddHeightmap(&terrain);
    Object::ResetIdCounter();
    TimedCart cart(&world);
    cart.SetPosition(Vector3(kTrackStartX, kTrackY, kTrackLevel + kCartRestHeight));
    world.AddBody(&cart);
    cart.SetThrottle(1.0f);
    const Vector3 start = cart.position;

    Clock::duration total{};
    for (int i = 0; i < steps; ++i) {
        const Clock::time_point t0 = Clock::now();
        world.Step(kSubStep);
        total += Clock::now() - t0;
        if (speeds) {
            speeds->push_back(cart.linearVelocity.x);
        }
    }
    RunFigures f;
    f.stepMicros = Microseconds(total) / steps;
    f.forceMicros = Microseconds(cart.forces) / steps;
    f.updateMicros = Microseconds(cart.update) / steps;
    f.distance = cart.position.x - start.x;
    f.endSpeed = cart.linearVelocity.x;
    world.Clear();
    return f;
}

RunFigures RunBox(Heightmap& terrain, const std::vector<float>& speeds)
{
    PhysicsWorld world;
    InstallCollisionDetection(world);
    world.AddHeightmap(&terrain);
    Object::ResetIdCounter();
    TimedBox box(&world);
    // Where the cart's hull sits: resting on the ground under it.
    box.SetPosition(Vector3(kTrackStartX - 0.4f, kTrackY, kTrackLevel + 0.5f * kHullSize.z));
    box.staticFriction = box.dynamicFriction = 0.2f;
    box.UpdateBounds();
    world.AddBody(&box);
    const Vector3 start = box.position;

    Clock::duration total{};
    for (float speed : speeds) {
        box.linearVelocity.x = speed;
        const Clock::time_point t0 = Clock::now();
        world.Step(kSubStep);
        total += Clock::now() - t0;
    }
    const int steps = static_cast<int>(speeds.size());
    RunFigures f;
    f.stepMicros = Microseconds(total) / steps;
    f.forceMicros = Microseconds(box.forces) / steps;
    f.distance = box.position.x - start.x;
    f.endSpeed = box.linearVelocity.x;
    world.Clear();
    return f;
}

// Mean microseconds to build and destroy a cart, with or without a template
// cart alive to share its grid.
double TimeCartBuild(bool shared, int count)
{
    PhysicsWorld world;
    std::unique_ptr<MineCart> first;
    if (shared) {
        first = std::make_unique<MineCart>(&world, true, false);
    }
    const Clock::time_point t0 = Clock::now();
    for (int i = 0; i < count; ++i) {
        MineCart cart(&world, true, false);
        if (!shared && MineCart::GetMeshTemplate() != &cart) {
            std::fprintf(stderr, "a template cart outlived its run\n");
            std::exit(1);
        }
    }
    return Microseconds(Clock::now() - t0) / count;
}

bool Better(const RunFigures& a, const RunFigures& b)
{
    return a.stepMicros < b.stepMicros;
}

} // namespace

int main(int argc, char** argv)
{
    const bench::RunOptions options = bench::ParseRunOptions(argc, argv, 3);
    const int repeat = options.repeat;
    const int steps = options.quick ? kDriveSteps / 5 : kDriveSteps;
    const int builds = options.quick ? 5 : 30;

    // The shipped grid sizes, when the run tree has them.
    bool configOpened = false;
    ConfigFile config("../Config/Physics.cfg", &configOpened);
    if (configOpened) {
        SetShapeConfig(&config);
    }

    bool stage = false;
    std::unique_ptr<Heightmap> terrain = LoadTrack(stage);
    std::printf("bench_cart: %s, %d sub-steps of %.2f s, best of %d runs each\n",
                stage ? "stage 4 track (../Maps/stage4.x)" : "level ground (no generated stage 4 in this run tree)",
                steps, kSubStep, repeat);

    RunFigures cart;
    RunFigures box;
    for (int r = 0; r < repeat; ++r) {
        std::vector<float> speeds;
        const RunFigures c = RunCart(*terrain, steps, &speeds);
        const RunFigures b = RunBox(*terrain, speeds);
        if (r == 0 || Better(c, cart)) {
            cart = c;
        }
        if (r == 0 || Better(b, box)) {
            box = b;
        }
    }

    std::printf("  cart  step %7.2f us   own %6.2f us (forces and probes %5.2f, update %5.2f)   %6.1f m, %5.2f m/s\n",
                cart.stepMicros, cart.forceMicros + cart.updateMicros, cart.forceMicros, cart.updateMicros,
                cart.distance, cart.endSpeed);
    std::printf("  box   step %7.2f us   own %6.2f us                                        %6.1f m, %5.2f m/s\n",
                box.stepMicros, box.forceMicros, box.distance, box.endSpeed);
    const double ratio = box.stepMicros > 0.0 ? cart.stepMicros / box.stepMicros : 0.0;
    std::printf("  cart / box per sub-step %.2f (limit %.1f)%s\n", ratio, kCartRatioLimit,
                ratio <= kCartRatioLimit ? "" : "  OVER THE LIMIT");

    double fresh = 0.0;
    double shared = 0.0;
    for (int r = 0; r < repeat; ++r) {
        const double f = TimeCartBuild(false, builds);
        const double s = TimeCartBuild(true, builds);
        fresh = r == 0 ? f : std::min(fresh, f);
        shared = r == 0 ? s : std::min(shared, s);
    }
    MineCart sample(nullptr, true, false);
    const CollisionBodyMesh& grid = sample.GetCollisionData()->mesh;
    std::printf("  hull grid %d x %d x %d (%s): cart built fresh %8.1f us, sharing the first cart's %6.1f us (%.0fx)\n",
                grid.GetCountX(), grid.GetCountY(), grid.GetCountZ(),
                configOpened ? "../Config/Physics.cfg" : "defaults", fresh, shared,
                shared > 0.0 ? fresh / shared : 0.0);
    SetShapeConfig(nullptr);
    return 0;
}
