// What a body costs to build at the default "Physics.cfg" sizes: the shape's
// tessellation plus its distance grid, which dominates. The primitives fill
// their grids from their exact point query; the polyhedra cast ten rays per
// node against their hulls. The "s/node" counter compares the two fills.
#include <benchmark/benchmark.h>

#include <memory>

#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/Polyhedron.h"

namespace {

template <typename Make>
void Run(benchmark::State& state, Make make)
{
    int nodes = 0;
    for (auto _ : state) {
        auto shape = make();
        const CollisionBodyMesh& mesh = shape->GetCollisionData()->mesh;
        nodes = mesh.GetCountX() * mesh.GetCountY() * mesh.GetCountZ();
        benchmark::DoNotOptimize(mesh.GetCell(1, 1, 1).distance);
    }
    state.counters["nodes"] = nodes;
    // Seconds per grid node (shown with an SI prefix: u = microseconds).
    state.counters["s/node"] =
        benchmark::Counter(nodes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Box(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Box>(nullptr, 2.0f, 2.0f, 2.0f, 10.0f); });
}

void BM_Capsule(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Capsule>(nullptr, 0.5f, 3.0f, 10.0f, 2); });
}

// The factory's column: 32 slices, 16 stacks.
void BM_Cylinder(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Cylinder>(nullptr, 1.0f, 4.0f, 32, 16, 10.0f); });
}

// The factory's boulder: 8 bands, 8 sectors.
void BM_Ellipsoid(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Ellipsoid>(nullptr, 2.0f, 2.0f, 2.0f, 8, 8, 10.0f); });
}

void BM_Prism(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Prism>(nullptr, 4.0f, 2.0f, 2.0f, 10.0f); });
}

void BM_Pyramid(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Pyramid>(nullptr, 2.0f, 3.0f, 10.0f); });
}

void BM_Tetrahedron(benchmark::State& state)
{
    Run(state, [] { return std::make_unique<Tetrahedron>(nullptr, 2.5f, 100.0f); });
}

} // namespace

BENCHMARK(BM_Box)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Capsule)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Cylinder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ellipsoid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Prism)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pyramid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tetrahedron)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
