// bench_physics [--quick] [--sizes 32,64,...] [--regime falling|settled|scattered] [--both-systems]: the quarry scene in this
// engine and in Bullet, same terrain, bodies and 0.01 s sub-step, single
// thread, one process. Prints ms per sub-step for both and their ratio per
// body count and regime, the growth from 64 to 256 bodies, sanity figures,
// and the cost of a terrain query, a grid lookup and the grid builds.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "EngineQuarry.h"

namespace {

struct Stats
{
    double mean = 0.0;
    double p50 = 0.0;
    double p95 = 0.0;
    double max = 0.0;
};

Stats Summarise(std::vector<double> ms)
{
    Stats s;
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    s.mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    s.p50 = ms[ms.size() / 2];
    s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    s.max = ms.back();
    return s;
}

std::vector<int> ParseSizes(const char* text)
{
    std::vector<int> sizes;
    for (const char* p = text; *p != '\0';) {
        sizes.push_back(std::atoi(p));
        const char* comma = std::strchr(p, ',');
        if (comma == nullptr) break;
        p = comma + 1;
    }
    return sizes;
}

void PrintSanity(const char* who, const RunFigures& f)
{
    const double decay = f.peakEnergy > 0.0 ? f.endEnergy / f.peakEnergy : 0.0;
    std::printf("      %-7s awake %3d  below-terrain %d  NaN %s  KE end/peak %.4f  tower drift %.3f  chain gap %.3f\n",
                who, f.awakeAtEnd, f.belowTerrain, f.anyNaN ? "YES" : "no", decay, f.towerDrift, f.chainGap);
}

} // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    bool bothSystems = false;
    std::string only;
    std::vector<int> sizes{32, 64, 128, 256};
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--quick") == 0) quick = true;
        if (std::strcmp(argv[k], "--both-systems") == 0) bothSystems = true;
        if (std::strcmp(argv[k], "--sizes") == 0 && k + 1 < argc) sizes = ParseSizes(argv[++k]);
        if (std::strcmp(argv[k], "--regime") == 0 && k + 1 < argc) only = argv[++k];
    }
    const QuarryTerrain terrain = MakeQuarryTerrain();

    const MicroFigures micro = MeasureEngineMicro(terrain);
    std::printf("quarry terrain 101 x 101, DIFF 2; pile + %d tower boxes + 12-link chain + pushed capsule; sub-step 0.01 s; single thread\n",
                kTowerBoxes);
    std::printf("GetHeight %.1f ns/call   grid lookup (box, 16^3) %.1f ns/call   terrain build %.2f ms\n",
                micro.getHeightNs, micro.gridLookupNs, micro.terrainBuildMs);
    std::printf("grid build per body: box %.3f ms  capsule %.3f ms  sphere %.3f ms  cylinder %.3f ms\n\n",
                micro.boxBuildMs, micro.capsuleBuildMs, micro.sphereBuildMs, micro.cylinderBuildMs);

    std::printf("%-15s %5s | %-27s | %-27s | %6s | %8s\n", "regime", "N", "engine ms/step mean p50 p95",
                "bullet ms/step mean p50 p95", "ratio", "rec/step");
    std::map<Regime, std::map<int, double>> engineMean;
    for (Regime regime : {Regime::FallingPile, Regime::Settled, Regime::Scattered}) {
        if (!only.empty() && std::strncmp(RegimeName(regime), only.c_str(), only.size()) != 0) continue;
        const RunPlan plan = PlanFor(regime, quick);
        for (int n : sizes) {
            const std::vector<QuarryBody> bodies = MakeQuarryBodies(terrain, n, regime);
            double engineBuild = 0.0;
            double bulletBuild = 0.0;
            const RunFigures engine = RunEngineQuarry(terrain, bodies, plan, EngineOptions{1}, &engineBuild);
            const RunFigures bullet = RunBulletQuarry(terrain, bodies, plan, &bulletBuild);
            const Stats e = Summarise(engine.stepMs);
            const Stats b = Summarise(bullet.stepMs);
            engineMean[regime][n] = e.mean;
            std::printf("%-15s %5d | %8.3f %8.3f %8.3f | %8.3f %8.3f %8.3f | %6.2f | %8.0f\n", RegimeName(regime), n,
                        e.mean, e.p50, e.p95, b.mean, b.p50, b.p95, b.mean > 0.0 ? e.mean / b.mean : 0.0,
                        engine.recordsPerStep);
            std::printf("      bodies built: engine %.1f ms (grids), bullet %.2f ms\n", engineBuild, bulletBuild);
            PrintSanity("engine", engine);
            std::printf("      engine records and poses hash %016llx\n", engine.stateHash);
            PrintSanity("bullet", bullet);
            if (bothSystems) {
                const RunFigures pairs = RunEngineQuarry(terrain, bodies, plan, EngineOptions{0}, nullptr);
                std::printf("      all-pairs system: %.3f ms/step\n", Summarise(pairs.stepMs).mean);
            }
            std::fflush(stdout);
        }
    }
    std::printf("\ngrowth 64 -> 256 bodies (exponent of N; 2 = quadratic):\n");
    for (const auto& [regime, means] : engineMean) {
        const auto a = means.find(64);
        const auto b = means.find(256);
        if (a != means.end() && b != means.end() && a->second > 0.0) {
            std::printf("  %-15s %.2f\n", RegimeName(regime), std::log(b->second / a->second) / std::log(4.0));
        }
    }
    return 0;
}
