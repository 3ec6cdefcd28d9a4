// bench_machinery [--quick] [--repeat R]: what each stage's machinery costs
// to build and to step, and how it settles, each machine alone in a world
// over flat ground with the run tree's grid sizes.
//
// Scenes, built as the stages build them: stage 1's bridge (broken half way
// through the run), stage 2's two whips (started), four spinning logs
// (switched on) and three swinging logs (released), stage 3's platform.
// Printed per scene: the build in milliseconds, microseconds per 0.01 s
// sub-step (mean and worst over 10 simulated seconds), the mean physics cost
// of a 60 Hz frame (1.67 sub-steps) as a share of the 3 ms a whole stage may
// spend, and what the machine did (the bridge's sag and the boxes that fell,
// the platform's hang, the whips' reach, the logs' spin and swing). Each scene
// runs R times (3 by default); the run with the lowest mean is shown.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "BenchOptions.h"
#include "BenchTiming.h"
#include "core/ConfigFile.h"
#include "core/Matrix3.h"
#include "objects/Box.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Object.h"
#include "objects/ShapeSettings.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "physics/collision/CollisionDetection.h"

namespace {

using bench::Clock;
using bench::Microseconds;

const float kSubStep = 0.01f;
const int kRunSteps = 1000; // 10 simulated seconds
const double kSubStepsPerFrame = (1.0 / 60.0) / 0.01;
const double kFrameBudgetMicros = 3000.0;

// Level ground at height z over [-extent, extent] in both directions.
std::unique_ptr<Heightmap> FlatGround(float z, float extent)
{
    auto ground = std::make_unique<Heightmap>();
    const float diff = 4.0f;
    const int n = static_cast<int>(2.0f * extent / diff) + 1;
    ground->ROWS = n;
    ground->COLUMNS = n;
    ground->DIFF = diff;
    ground->BuildFromHeights(std::vector<float>(static_cast<size_t>(n) * n, z / diff), -extent / diff, -extent / diff);
    return ground;
}

// What a scene's machines are and what they did, read after the run.
struct Machines
{
    std::vector<std::unique_ptr<PhysicsController>> controllers;
    // Runs after the given sub-step (the bridge breaks half way).
    std::function<void(int step)> afterStep;
    std::function<void(char* text, size_t size)> describe;
};

struct SceneFigures
{
    double buildMillis = 0.0;
    double meanMicros = 0.0;
    double worstMicros = 0.0;
    int bodies = 0;
    int constraints = 0;
    char outcome[160] = {};
};

struct SceneCase
{
    const char* name;
    float groundHeight;
    std::function<Machines(PhysicsWorld*)> build;
};

SceneFigures RunScene(const SceneCase& scene, int steps)
{
    PhysicsWorld world;
    InstallCollisionDetection(world);
    std::unique_ptr<Heightmap> ground = FlatGround(scene.groundHeight, 256.0f);
    world.AddHeightmap(ground.get());
    // Object 0 stands for the character, which never freezes.
    Object::ResetIdCounter();
    Object character;

    SceneFigures figures;
    const Clock::time_point built0 = Clock::now();
    Machines machines = scene.build(&world);
    figures.buildMillis = bench::Milliseconds(built0, Clock::now());
    figures.bodies = static_cast<int>(world.GetBodies().size());
    figures.constraints = static_cast<int>(world.GetConstraints().size());

    Clock::duration total{};
    for (int step = 0; step < steps; ++step) {
        const Clock::time_point t0 = Clock::now();
        world.Step(kSubStep);
        const Clock::duration spent = Clock::now() - t0;
        total += spent;
        figures.worstMicros = std::max(figures.worstMicros, Microseconds(spent));
        if (machines.afterStep) machines.afterStep(step);
    }
    figures.meanMicros = Microseconds(total) / steps;
    machines.describe(figures.outcome, sizeof(figures.outcome));
    // No World: each machine deletes the bodies it built.
    machines.controllers.clear();
    return figures;
}

Machines Bridge(PhysicsWorld* world, int steps)
{
    const Vector3 start(-36, -42, -1.8f);
    auto bridge = std::make_unique<BoxChain>(world, 20u, start, Vector3(8, 5, 2), 50.0f, 0);
    BoxChain* b = bridge.get();
    auto sag = std::make_shared<float>(0.0f);
    Machines m;
    m.afterStep = [b, sag, steps, start](int step) {
        if (step + 1 != steps / 2) return;
        for (const Box* box : b->GetBoxes()) *sag = std::max(*sag, start.z + 1.0f - box->position.z);
        srand(1);
        b->Break();
    };
    m.describe = [b, sag](char* text, size_t size) {
        int fallen = 0;
        for (const Box* box : b->GetBoxes()) fallen += box->position.z < -28.0f;
        std::snprintf(text, size, "sag %.2f before the break, %d boxes on the canyon floor after", *sag, fallen);
    };
    m.controllers.push_back(std::move(bridge));
    return m;
}

Machines Platform(PhysicsWorld* world)
{
    const Vector3 p(-35, 40, 75);
    std::unique_ptr<ChainPlatform> platform(ChainPlatform::Build(world, p, 20, 15, 70));
    ChainPlatform* c = platform.get();
    Machines m;
    m.describe = [c, p](char* text, size_t size) {
        const Box* box = c->GetPlatform();
        const double tilt = std::acos(std::min(1.0f, box->GetOrientation()(2, 2))) * 57.29578;
        std::snprintf(text, size, "hangs %.2f below where it was built, tilted %.3f degrees",
                      p.z + 0.5f - box->position.z, tilt);
    };
    m.controllers.push_back(std::move(platform));
    return m;
}

Machines Whips(PhysicsWorld* world, int steps)
{
    auto first = std::make_unique<ChainWhip>(world, Vector3(-6, -20, 0), 10.0f);
    auto second = std::make_unique<ChainWhip>(world, Vector3(-6, 13, 0), 10.0f);
    second->SetWhipVector(Vector3(0, 0, -10));
    ChainWhip* whips[2] = {first.get(), second.get()};
    auto reach = std::make_shared<float>(0.0f);
    Machines m;
    m.afterStep = [whips, reach, steps](int step) {
        if (step + 1 == steps / 2) {
            for (ChainWhip* w : whips) w->SetActive(true);
        }
        for (ChainWhip* w : whips) {
            for (const Object* link : w->GetBodies()) {
                Vector3 out = link->position - w->GetHandle()->position;
                out.z = 0.0f;
                *reach = std::max(*reach, out.Length());
            }
        }
    };
    m.describe = [whips, reach](char* text, size_t size) {
        std::snprintf(text, size, "started half way; links reach %.1f, handles turn at %.2f and %.2f rad/s", *reach,
                      whips[0]->GetHandle()->angularVelocity.z, whips[1]->GetHandle()->angularVelocity.z);
    };
    m.controllers.push_back(std::move(first));
    m.controllers.push_back(std::move(second));
    return m;
}

Machines SpinningLogs(PhysicsWorld* world)
{
    struct Made
    {
        Vector3 position;
        float length, radius, speed;
    };
    const Made made[] = {{{16, 160, 25}, 80, 15, 0.5f},
                         {{16, 129, 25}, 80, 15, -0.5f},
                         {{125, 80, 16}, 30, 20, -0.4f},
                         {{135, 150, 18}, 35, 30, 0.8f}};
    Machines m;
    auto logs = std::make_shared<std::vector<SpinningLog*>>();
    auto worst = std::make_shared<float>(0.0f);
    Matrix3 onEnd;
    Matrix3::RotationY(onEnd, 90);
    for (int i = 0; i < 4; ++i) {
        auto log = std::make_unique<SpinningLog>(world, made[i].position, made[i].length, made[i].radius, made[i].speed,
                                                 200.0f);
        if (i >= 2) {
            log->SetHazard(false);
            log->PlaceEnds(onEnd);
        }
        log->SetActive(true);
        logs->push_back(log.get());
        m.controllers.push_back(std::move(log));
    }
    m.afterStep = [logs, worst](int) {
        for (SpinningLog* log : *logs) {
            const float spin = Vector3::Dot(log->GetLog()->angularVelocity, log->GetAxis());
            *worst = std::max(*worst, std::fabs(spin - log->GetSpeed()));
        }
    };
    m.describe = [worst](char* text, size_t size) {
        std::snprintf(text, size, "spin off its speed by at most %.5f rad/s after a sub-step", *worst);
    };
    return m;
}

Machines SwingingLogs(PhysicsWorld* world, int steps)
{
    Machines m;
    auto logs = std::make_shared<std::vector<SwingingLog*>>();
    auto drop = std::make_shared<float>(0.0f);
    auto posed = std::make_shared<std::vector<float>>();
    for (const Vector3& p : {Vector3(-75, -127, 15), Vector3(-95, -127, 15), Vector3(125, 80, 35.5f)}) {
        auto log = std::make_unique<SwingingLog>(world, p, 30.0f, 3.0f, 200.0f, 30.0f);
        log->SetActive(false);
        logs->push_back(log.get());
        m.controllers.push_back(std::move(log));
    }
    Matrix3 across;
    (*logs)[0]->SwingTo(60);
    (*logs)[1]->SwingTo(-60);
    (*logs)[2]->Rotate(Matrix3::RotationZ(across, 90));
    (*logs)[2]->SwingBy(-80);
    for (SwingingLog* log : *logs) posed->push_back(log->GetLog()->position.z);
    m.afterStep = [logs, drop, posed, steps](int step) {
        if (step + 1 == steps / 2) {
            for (SwingingLog* log : *logs) log->GetLog()->SetFreezeState(0, 1.0f);
        }
        for (size_t i = 0; i < logs->size(); ++i) {
            *drop = std::max(*drop, (*posed)[i] - (*logs)[i]->GetLog()->position.z);
        }
    };
    m.describe = [drop](char* text, size_t size) {
        std::snprintf(text, size, "released half way; swung down by up to %.1f", *drop);
    };
    return m;
}

bool Better(const SceneFigures& a, const SceneFigures& b)
{
    return a.meanMicros < b.meanMicros;
}

} // namespace

int main(int argc, char** argv)
{
    const bench::RunOptions options = bench::ParseRunOptions(argc, argv, 3);
    const int steps = options.quick ? kRunSteps / 5 : kRunSteps;
    const int repeat = options.quick ? 1 : options.repeat;

    bool configOpened = false;
    ConfigFile config("../Config/Physics.cfg", &configOpened);
    if (configOpened) SetShapeConfig(&config);

    const SceneCase scenes[] = {
        {"stage 1 bridge", -30.0f, [steps](PhysicsWorld* w) { return Bridge(w, steps); }},
        {"stage 2 whips", 0.0f, [steps](PhysicsWorld* w) { return Whips(w, steps); }},
        {"stage 2 spinning logs", 0.0f, [](PhysicsWorld* w) { return SpinningLogs(w); }},
        {"stage 2 swinging logs", 0.0f, [steps](PhysicsWorld* w) { return SwingingLogs(w, steps); }},
        {"stage 3 platform", 0.0f, [](PhysicsWorld* w) { return Platform(w); }},
    };
    std::printf("bench_machinery: %d sub-steps of %.2f s over flat ground, grids from %s, best of %d runs\n", steps,
                kSubStep, configOpened ? "../Config/Physics.cfg" : "the defaults", repeat);
    std::printf("  %-22s %9s %6s %6s %10s %10s %11s\n", "scene", "build ms", "bodies", "links", "step us", "worst us",
                "frame share");
    for (const SceneCase& scene : scenes) {
        SceneFigures best;
        for (int r = 0; r < repeat; ++r) {
            const SceneFigures run = RunScene(scene, steps);
            if (r == 0 || Better(run, best)) best = run;
        }
        const double frameShare = best.meanMicros * kSubStepsPerFrame / kFrameBudgetMicros;
        std::printf("  %-22s %9.2f %6d %6d %10.2f %10.2f %10.1f%%\n", scene.name, best.buildMillis, best.bodies,
                    best.constraints, best.meanMicros, best.worstMicros, 100.0 * frameShare);
        std::printf("  %-22s %s\n", "", best.outcome);
    }
    SetShapeConfig(nullptr);
    return 0;
}
