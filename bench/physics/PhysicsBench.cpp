// bench_physics [--quick] [--sizes 32,64,...] [--regime falling|settled|scattered] [--repeat R] [--both-systems]
// [--json] [--protocol] [--smoke]: the quarry scene in this
// engine and in Bullet, same terrain, bodies and 0.01 s sub-step, single
// thread, one process. Prints ms per sub-step for both and their ratio per
// body count and regime, the growth from 64 to 256 bodies, sanity figures,
// and the cost of a terrain query, a grid lookup and the grid builds.
//
// Each configuration runs R times per engine (3 by default), the two engines
// taking turns, and each engine's least disturbed run (lowest mean) is the
// one shown: a burst of load from elsewhere on the machine then has to hit
// every run of one engine to tilt the ratio.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <utility>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "EngineQuarry.h"

namespace {

struct Stats
{
    double mean = 0.0;
    double p50 = 0.0;
    double p95 = 0.0;
    double max = 0.0;
};

Stats Summarise(const std::vector<double>& ms)
{
    Stats s;
    s.mean = bench::Mean(ms);
    s.p50 = bench::Median(ms);
    s.p95 = bench::Percentile(ms, 95);
    s.max = bench::Percentile(ms, 100);
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
    std::printf("      %-7s bridge end moved %.2g  pivot gap %.3f  sag %.2f  dropped boxes on it ", who,
                f.bridgeEndMove, f.bridgePivotGap, f.bridgeSag);
    if (f.droppedOnBridge >= 0) {
        std::printf("%d/%d  awake at", f.droppedOnBridge, QuarryBridge::kDropped);
    } else {
        std::printf("(none yet)  awake at");
    }
    for (int k = 0; k < RunFigures::kAwakeSamples; ++k) {
        if (f.awakeAt[k] >= 0) {
            std::printf(" %gs %d", RunFigures::kAwakeTimes[k], f.awakeAt[k]);
        } else {
            std::printf(" %gs -", RunFigures::kAwakeTimes[k]);
        }
    }
    std::printf("\n");
}

// One configuration of one engine, as a JSON line.
struct JsonRun
{
    const char* engine;
    const char* regime;
    const char* config;
    int bodies;
    const RunPlan* plan;
    unsigned collisionSystem;
    bool reuseCollisions;
    const RunFigures* figures;
    bool withRecords;
};

void PrintJson(const JsonRun& r)
{
    const RunFigures& f = *r.figures;
    const Stats s = Summarise(f.stepMs);
    const double total = std::accumulate(f.stepMs.begin(), f.stepMs.end(), 0.0);
    const SanityVerdict verdict = JudgeSanity(f);
    std::printf("{\"engine\":\"%s\",\"regime\":\"%s\",\"config\":\"%s\",\"n\":%d,\"frame_s\":%.6f,\"freezing\":%s,"
                "\"collision_system\":%u,\"reuse_collisions\":%s,\"warmup_calls\":%d,\"timed_calls\":%d,",
                r.engine, r.regime, r.config, r.bodies, r.plan->frameSeconds, r.plan->freezing ? "true" : "false",
                r.collisionSystem, r.reuseCollisions ? "true" : "false", r.plan->warmupSteps, r.plan->timedSteps);
    std::printf("\"ms_per_substep\":{\"mean\":%.4f,\"p50\":%.4f,\"p95\":%.4f,\"max\":%.4f},\"total_ms\":%.2f,", s.mean,
                s.p50, s.p95, s.max, total);
    if (r.withRecords) {
        std::printf("\"records_per_substep\":{\"peak\":%lld,\"mean\":%.1f},", f.recordsPeak, f.recordsPerStep);
    } else {
        std::printf("\"records_per_substep\":null,");
    }
    std::printf("\"awake\":{");
    for (int k = 0; k < RunFigures::kAwakeSamples; ++k) {
        std::printf(k == 0 ? "\"%g\":" : ",\"%g\":", RunFigures::kAwakeTimes[k]);
        if (f.awakeAt[k] >= 0) {
            std::printf("%d", f.awakeAt[k]);
        } else {
            std::printf("null");
        }
    }
    const double decay = f.peakEnergy > 0.0 ? f.endEnergy / f.peakEnergy : 0.0;
    std::printf("},\"sanity\":{\"ok\":%s,\"nan\":%s,\"below_terrain\":%d,\"ke_end_over_peak\":%.5f,"
                "\"tower_drift\":%.4f,\"chain_gap\":%.4f,\"bridge_end_moved\":%.3g,\"bridge_pivot_gap\":%.4f,"
                "\"bridge_sag\":%.3f,\"dropped_on_bridge\":%d}",
                verdict.ok ? "true" : "false", f.anyNaN ? "true" : "false", f.belowTerrain, decay, f.towerDrift,
                f.chainGap, f.bridgeEndMove, f.bridgePivotGap, f.bridgeSag, f.droppedOnBridge);
    if (r.withRecords) std::printf(",\"hash\":\"%016llx\"", f.stateHash);
    std::printf("}\n");
}

struct Options
{
    bool quick = false;
    bool bothSystems = false;
    bool json = false;
    bool protocol = false;
    bool smoke = false;
    int repeat = 3;
    std::string only;
    std::vector<int> sizes{32, 64, 128, 256};
};

// A protocol configuration: this engine's switches and the frame time.
struct ProtocolConfig
{
    const char* name;
    float frameSeconds;
    bool freezing;
    unsigned collisionSystem;
    bool reuseCollisions;
};

void PrintRow(const char* regime, int n, const RunFigures& engine, const RunFigures& bullet)
{
    const Stats e = Summarise(engine.stepMs);
    const Stats b = Summarise(bullet.stepMs);
    std::printf("%-15s %5d | %8.3f %8.3f %8.3f | %8.3f %8.3f %8.3f | %6.2f | %8.0f\n", regime, n, e.mean, e.p50, e.p95,
                b.mean, b.p50, b.p95, b.mean > 0.0 ? e.mean / b.mean : 0.0, engine.recordsPerStep);
}

void PrintHeader(const char* first)
{
    std::printf("%-15s %5s | %-27s | %-27s | %6s | %8s\n", first, "N", "engine ms/step mean p50 p95",
                "bullet ms/step mean p50 p95", "ratio", "rec/step");
}

// 2000 calls of Update(0.01) (1200 of Update(1/60)) per configuration.
void RunProtocol(const QuarryTerrain& terrain, const Options& o)
{
    const ProtocolConfig configs[] = {
        {"default", 0.01f, true, 1, false},       {"frame 1/60", 1.0f / 60.0f, true, 1, false},
        {"freezing off", 0.01f, false, 1, false}, {"all-pairs (0)", 0.01f, true, 0, false},
        {"reuse records", 0.01f, true, 1, true},
    };
    std::printf("\nprotocol: falling pile, 20 simulated seconds per configuration\n");
    PrintHeader("configuration");
    for (int n : o.sizes) {
        const std::vector<QuarryBody> bodies = MakeQuarryBodies(terrain, n, Regime::FallingPile);
        // Bullet only sees the frame time and sleeping; its run is shared by
        // the configurations that differ in this engine's switches alone.
        std::map<std::pair<float, bool>, RunFigures> bulletRuns;
        for (const ProtocolConfig& c : configs) {
            RunPlan plan = ProtocolPlan(c.frameSeconds);
            plan.freezing = c.freezing;
            const RunFigures engine =
                RunEngineQuarry(terrain, bodies, plan, EngineOptions{c.collisionSystem, c.reuseCollisions}, nullptr);
            const std::pair<float, bool> bulletKey(c.frameSeconds, c.freezing);
            const bool bulletIsNew = bulletRuns.find(bulletKey) == bulletRuns.end();
            if (bulletIsNew) bulletRuns[bulletKey] = RunBulletQuarry(terrain, bodies, plan, nullptr);
            const RunFigures& bullet = bulletRuns[bulletKey];
            PrintRow(c.name, n, engine, bullet);
            PrintSanity("engine", engine);
            std::printf("      engine records and poses hash %016llx\n", engine.stateHash);
            if (bulletIsNew) PrintSanity("bullet", bullet);
            if (o.json) {
                PrintJson(
                    JsonRun{"this", "protocol", c.name, n, &plan, c.collisionSystem, c.reuseCollisions, &engine, true});
                if (bulletIsNew) {
                    PrintJson(JsonRun{"bullet", "protocol", c.name, n, &plan, c.collisionSystem, c.reuseCollisions,
                                      &bullet, false});
                }
            }
            std::fflush(stdout);
        }
    }
}

// A short run at a small pile, long enough for the boxes dropped on the
// bridge to land; non-zero exit when this engine's sanity fails.
int RunSmoke(const QuarryTerrain& terrain, const Options& o)
{
    const int n = 16;
    const RunPlan plan{0, 300, true, 0.01f};
    const std::vector<QuarryBody> bodies = MakeQuarryBodies(terrain, n, Regime::FallingPile);
    const RunFigures engine = RunEngineQuarry(terrain, bodies, plan, EngineOptions{}, nullptr);
    const RunFigures bullet = RunBulletQuarry(terrain, bodies, plan, nullptr);
    PrintHeader("smoke");
    PrintRow("falling, 3 s", n, engine, bullet);
    PrintSanity("engine", engine);
    PrintSanity("bullet", bullet);
    if (o.json) {
        PrintJson(JsonRun{"this", "smoke", "default", n, &plan, 1, false, &engine, true});
        PrintJson(JsonRun{"bullet", "smoke", "default", n, &plan, 1, false, &bullet, false});
    }
    const SanityVerdict verdict = JudgeSanity(engine);
    if (!verdict.ok) {
        std::fprintf(stderr, "bench_physics smoke: this engine fails sanity: %s\n", verdict.failures.c_str());
        return 1;
    }
    std::printf("smoke: this engine passes sanity (tower drift %.3f is a tuning figure, not judged)\n",
                engine.towerDrift);
    return 0;
}

const char* const kUsage =
    "usage: bench_physics [--quick] [--sizes 32,64,128,256] [--regime falling|settled|scattered|none]\n"
    "                     [--repeat R] [--both-systems] [--json] [--protocol] [--smoke]\n";

// False (after a line on the error stream) for an unknown option or a bad value.
bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int k = 1; k < argc; ++k) {
        const char* a = argv[k];
        const bool hasValue = k + 1 < argc;
        if (std::strcmp(a, "--quick") == 0) {
            o.quick = true;
        } else if (std::strcmp(a, "--both-systems") == 0) {
            o.bothSystems = true;
        } else if (std::strcmp(a, "--json") == 0) {
            o.json = true;
        } else if (std::strcmp(a, "--protocol") == 0) {
            o.protocol = true;
        } else if (std::strcmp(a, "--smoke") == 0) {
            o.smoke = true;
        } else if (std::strcmp(a, "--sizes") == 0 && hasValue) {
            o.sizes = ParseSizes(argv[++k]);
            for (int n : o.sizes) {
                if (n < 1 || n > 4096) {
                    std::fprintf(stderr, "bench_physics: body counts run from 1 to 4096, not %s\n", argv[k]);
                    return false;
                }
            }
        } else if (std::strcmp(a, "--regime") == 0 && hasValue) {
            o.only = argv[++k];
        } else if (std::strcmp(a, "--repeat") == 0 && hasValue) {
            o.repeat = std::atoi(argv[++k]);
            if (o.repeat < 1 || o.repeat > 20) {
                std::fprintf(stderr, "bench_physics: --repeat takes 1 to 20, not %s\n", argv[k]);
                return false;
            }
        } else {
            std::fprintf(stderr, "bench_physics: unknown option or missing value: %s\n%s", a, kUsage);
            return false;
        }
    }
    return true;
}

// The run with the lowest mean of several.
void KeepLeastDisturbed(RunFigures& best, RunFigures run, bool first)
{
    if (first || Summarise(run.stepMs).mean < Summarise(best.stepMs).mean) best = std::move(run);
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseOptions(argc, argv, o)) return 2;
    const QuarryTerrain terrain = MakeQuarryTerrain();
    if (o.smoke) return RunSmoke(terrain, o);

    const MicroFigures micro = MeasureEngineMicro(terrain);
    std::printf("quarry terrain 101 x 101, DIFF 2; pile + %d tower boxes + 12-link chain + pushed capsule + "
                "%d-box hinged bridge (%d boxes dropped at %g s); single thread\n",
                kTowerBoxes, QuarryBridge::kBoxes, QuarryBridge::kDropped, QuarryBridge::kDropTime);
    std::printf("GetHeight %.1f ns/call   grid lookup (box, 16^3) %.1f ns/call   terrain build %.2f ms\n",
                micro.getHeightNs, micro.gridLookupNs, micro.terrainBuildMs);
    std::printf("grid build per body: box %.3f ms  capsule %.3f ms  sphere %.3f ms  cylinder %.3f ms\n\n",
                micro.boxBuildMs, micro.capsuleBuildMs, micro.sphereBuildMs, micro.cylinderBuildMs);

    std::printf("each row: the least disturbed of %d runs per engine, the engines taking turns\n", o.repeat);
    PrintHeader("regime");
    std::map<Regime, std::map<int, double>> engineMean;
    bool deterministic = true;
    for (Regime regime : {Regime::FallingPile, Regime::Settled, Regime::Scattered}) {
        if (!o.only.empty() && std::strncmp(RegimeName(regime), o.only.c_str(), o.only.size()) != 0) continue;
        const RunPlan plan = PlanFor(regime, o.quick);
        for (int n : o.sizes) {
            const std::vector<QuarryBody> bodies = MakeQuarryBodies(terrain, n, regime);
            double engineBuild = 0.0;
            double bulletBuild = 0.0;
            RunFigures engine;
            RunFigures bullet;
            for (int r = 0; r < o.repeat; ++r) {
                RunFigures run = RunEngineQuarry(terrain, bodies, plan, EngineOptions{1}, &engineBuild);
                if (r > 0 && run.stateHash != engine.stateHash) {
                    std::fprintf(stderr,
                                 "bench_physics: %s %d: this engine's repeated run differs (hash %016llx, "
                                 "then %016llx)\n",
                                 RegimeName(regime), n, engine.stateHash, run.stateHash);
                    deterministic = false;
                }
                KeepLeastDisturbed(engine, std::move(run), r == 0);
                KeepLeastDisturbed(bullet, RunBulletQuarry(terrain, bodies, plan, &bulletBuild), r == 0);
            }
            engineMean[regime][n] = Summarise(engine.stepMs).mean;
            PrintRow(RegimeName(regime), n, engine, bullet);
            std::printf("      bodies built: engine %.1f ms (grids), bullet %.2f ms\n", engineBuild, bulletBuild);
            PrintSanity("engine", engine);
            std::printf("      engine records and poses hash %016llx\n", engine.stateHash);
            PrintSanity("bullet", bullet);
            if (o.json) {
                PrintJson(JsonRun{"this", RegimeName(regime), "default", n, &plan, 1, false, &engine, true});
                PrintJson(JsonRun{"bullet", RegimeName(regime), "default", n, &plan, 1, false, &bullet, false});
            }
            if (o.bothSystems) {
                const RunFigures pairs = RunEngineQuarry(terrain, bodies, plan, EngineOptions{0}, nullptr);
                std::printf("      all-pairs system: %.3f ms/step\n", Summarise(pairs.stepMs).mean);
                if (o.json) {
                    PrintJson(JsonRun{"this", RegimeName(regime), "all-pairs (0)", n, &plan, 0, false, &pairs, true});
                }
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
    if (o.protocol) RunProtocol(terrain, o);
    return deterministic ? 0 : 1;
}
