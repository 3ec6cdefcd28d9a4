// bench_particles [--quick] [--repeat R] [--sizes 500,2000,8000]: runs in the
// run tree's bin/.
//
// Steady streams of N live particles (falling, spinning, colour-keyed,
// bouncing off a stage-sized terrain, each living 0.5 s and replaced, so
// about 3 % are born and 3 % die every frame) at 1/60 s frames, beside a
// physics world stepping N bare falling bodies. Prints, per N, particles per
// millisecond for the particle layer (update, births, deaths, quads) alone
// and with its physics step, the layer's cost over the bare step, and the
// growth exponent of the layer from the smallest to the largest N.
// Then N sparks born in one frame and dying in one frame: the layer's frame
// while they live against the frame they all die in (every body leaving the
// physics world at once).
// Then the game's heaviest authored effects from the shipped definitions:
// an explosion alone, and stage 1 with the bridge breaking beside torches,
// mist and spout while an explosion goes off, with their peak frame cost
// and live quads.
//
// Each figure is the least disturbed (lowest mean) of R runs, the bare and
// the particle world taking turns; the effects' frames, the same work in
// every run, each keep their least disturbed time before the peak is taken.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <tinyxml2.h>

#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "particles/ParticleHooks.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"

namespace {

using Clock = std::chrono::steady_clock;

const float kFrame = 1.0f / 60.0f;
const float kLifetime = 0.5f;

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The renderer's side of a quad's life: queued on creation, freed the frame
// after it is marked.
class BenchHooks : public ParticleHooks
{
public:
    ~BenchHooks() override
    {
        for (MeshInstance* quad : quads) {
            delete quad;
        }
    }
    bool QueueInstance(MeshInstance* instance) override
    {
        quads.push_back(instance);
        return true;
    }
    void Prune()
    {
        for (auto it = quads.begin(); it != quads.end();) {
            if ((*it)->removeFlag) {
                delete *it;
                it = quads.erase(it);
            } else {
                ++it;
            }
        }
    }
    int Live() const
    {
        int live = 0;
        for (const MeshInstance* quad : quads) {
            live += quad->removeFlag ? 0 : 1;
        }
        return live;
    }
    std::list<MeshInstance*> quads;
};

// The terrain every stage has: 256 x 256 units of rolling ground.
std::unique_ptr<Heightmap> MakeStageTerrain()
{
    auto terrain = std::make_unique<Heightmap>();
    const int n = 65;
    terrain->ROWS = n;
    terrain->COLUMNS = n;
    terrain->DIFF = 4.0f;
    std::vector<float> heights;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            heights.push_back(0.8f * std::sin(0.3f * i) * std::cos(0.2f * j));
        }
    }
    terrain->BuildFromHeights(heights, -32.0f, -32.0f);
    return terrain;
}

class FallingBody : public RigidBody
{
public:
    void ApplyForces(float) override { ApplyGravity(); }
};

// One process-wide game: dispatcher, factory, manager, hooks and terrain.
struct Game
{
    Game()
    {
        gEventDispatcher = new EventDispatcher();
        gPartFactory = new fPartFactory();
        gPartFactory->RegisterBehaviours();
        gPartFactory->LoadDefinitions();
        gPartManager = new fPartManager();
        ParticleHookSlot::Install(&hooks);
        terrain = MakeStageTerrain();
    }
    ~Game()
    {
        delete gPartManager;
        gPartManager = nullptr;
        ParticleHookSlot::Install(nullptr);
        delete gPartFactory;
        gPartFactory = nullptr;
        delete gEventDispatcher;
        gEventDispatcher = nullptr;
    }

    // A world like the game's, with the terrain.
    std::unique_ptr<PhysicsWorld> NewWorld()
    {
        auto world = std::make_unique<PhysicsWorld>();
        world->LoadConfig();
        world->AddHeightmap(terrain.get());
        return world;
    }

    BenchHooks hooks;
    std::unique_ptr<Heightmap> terrain;
};

void DefineSystems(const std::string& systems)
{
    const std::string xml = "<DEFINITIONS>" + systems + "</DEFINITIONS>";
    tinyxml2::XMLDocument document;
    document.Parse(xml.c_str());
    for (const tinyxml2::XMLNode* node = document.RootElement()->FirstChild(); node; node = node->NextSibling()) {
        gPartFactory->ParseSystem(node);
    }
}

// A source emitting n / 30 sparks a frame, each living half a second.
void DefineStream(int n)
{
    const int perFrame = std::max(1, static_cast<int>(std::lround(n * kFrame / kLifetime)));
    DefineSystems("<system><name>BenchSpark</name>"
                  "<APPEARANCE blendmode=\"1\" technique=\"ParticleAdditive\" start_tex=\"36\" end_tex=\"40\">"
                  "<COLOUR0 life=\"0\" r=\"1\" g=\"1\" b=\"0.5\" a=\"1\"/><COLOUR1 life=\"0.5\" r=\"1\" g=\"0.5\" "
                  "a=\"0.8\"/><COLOUR2 life=\"1\" r=\"0.5\"/></APPEARANCE>"
                  "<STATUS lifetime=\"0.5\" rotating=\"1\" angles_per_sec=\"180\"/><BEHAVIOUR0 "
                  "func=\"GroundCollision\"/></system><system><name>BenchSource</name><PHYSICS gravity=\"0\"/>"
                  "<STATUS aging=\"0\"/><EMISSION0 numemitted=\"" +
                  std::to_string(perFrame) +
                  "\" delay=\"0.0166\" type=\"BenchSpark\"><minvel x=\"-12\" y=\"-12\" z=\"-2\"/>"
                  "<maxvel x=\"12\" y=\"12\" z=\"6\"/></EMISSION0></system>");
}

// A source throwing n sparks at once (bursts are capped at 1000, so several).
void DefineBurst(int n)
{
    std::string emissions;
    for (int k = 0, left = n; left > 0; ++k, left -= 1000) {
        emissions += "<EMISSION" + std::to_string(k) + " numemitted=\"" + std::to_string(std::min(left, 1000)) +
                     "\" delay=\"0.001\" emit_once=\"1\" type=\"BenchSpark\"><minvel x=\"-12\" y=\"-12\" "
                     "z=\"-2\"/><maxvel x=\"12\" y=\"12\" z=\"6\"/></EMISSION" +
                     std::to_string(k) + ">";
    }
    DefineSystems("<system><name>BenchBurst</name><PHYSICS gravity=\"0\"/><STATUS lifetime=\"0.1\"/>" + emissions +
                  "</system>");
}

struct StreamFigures
{
    double layerMs = 0.0;   // the manager's update per frame
    double pruneMs = 0.0;   // the renderer freeing the marked quads per frame
    double physicsMs = 0.0; // the particle world's step per frame
    double bareMs = 0.0;    // the bare world's step per frame
    int live = 0;
};

double Mean(const std::vector<double>& v)
{
    double sum = 0.0;
    for (double x : v) {
        sum += x;
    }
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

// A new world made the game's, with one root of the type above the terrain.
std::unique_ptr<PhysicsWorld> StartRoot(Game& game, const char* type)
{
    auto world = game.NewWorld();
    gPhysicsWorld = world.get();
    const Vector3 source(0, 0, 12);
    const Vector3 still;
    const float scale = 1.0f;
    EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem, new fCreateSystem(type, &source, &still, &scale));
    return world;
}

// Everything goes, the marked quads are freed, the world is no longer the game's.
void EndRun(Game& game)
{
    gPartManager->DestroyAll();
    game.hooks.Prune();
    gPhysicsWorld = nullptr;
}

StreamFigures RunStream(Game& game, int n, int frames)
{
    DefineStream(n);
    auto world = StartRoot(game, "BenchSource");

    const int warmUp = 60;
    std::vector<double> prune, layer, physics;
    StreamFigures f;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        const Clock::time_point t0 = Clock::now();
        game.hooks.Prune();
        const Clock::time_point t1 = Clock::now();
        gPartManager->Update(&kFrame);
        gPartManager->SpawnLavaSystems(&kFrame);
        const Clock::time_point t2 = Clock::now();
        world->Update(kFrame);
        const Clock::time_point t3 = Clock::now();
        if (frame >= warmUp) {
            prune.push_back(Ms(t0, t1));
            layer.push_back(Ms(t1, t2));
            physics.push_back(Ms(t2, t3));
            f.live += static_cast<int>(world->GetBodies().size()) - 1;
        }
    }
    f.pruneMs = Mean(prune);
    f.layerMs = Mean(layer);
    f.physicsMs = Mean(physics);
    f.live /= frames;
    EndRun(game);
    return f;
}

double RunBare(Game& game, int n, int frames)
{
    auto world = game.NewWorld();
    std::vector<FallingBody> bodies(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        bodies[i].SetMass(1.0f);
        bodies[i].SetPosition(Vector3(static_cast<float>(i % 64) - 32.0f, static_cast<float>(i / 64) - 32.0f, 1e5f));
        world->AddBody(&bodies[i]);
    }
    std::vector<double> ms;
    for (int frame = 0; frame < 60 + frames; ++frame) {
        const Clock::time_point t0 = Clock::now();
        world->Update(kFrame);
        if (frame >= 60) {
            ms.push_back(Ms(t0, Clock::now()));
        }
    }
    return Mean(ms);
}

struct BurstFigures
{
    double livingMs = 0.0; // the layer's frame while the sparks live
    double dyingMs = 0.0;  // the layer's frame in which they all die
};

// n sparks born in one frame die together half a second later: every one
// leaves the physics world in that frame's update.
BurstFigures RunBurst(Game& game, int n)
{
    DefineStream(n);
    DefineBurst(n);
    auto world = StartRoot(game, "BenchBurst");
    std::vector<double> living;
    BurstFigures f;
    for (int frame = 0; !gPartManager->GetSystems().empty() && frame < 120; ++frame) {
        game.hooks.Prune();
        const size_t before = world->GetBodies().size();
        const Clock::time_point t0 = Clock::now();
        gPartManager->Update(&kFrame);
        const double ms = Ms(t0, Clock::now());
        world->Update(kFrame);
        if (before > static_cast<size_t>(n) && world->GetBodies().size() < before / 2) {
            f.dyingMs = ms;
        } else if (frame >= 5 && world->GetBodies().size() > static_cast<size_t>(n)) {
            living.push_back(ms);
        }
    }
    f.livingMs = Mean(living);
    EndRun(game);
    return f;
}

struct EffectFigures
{
    std::vector<double> frameMs; // the same frames every run: the game's rand starts at 1
    double peakMs = 0.0;
    double meanMs = 0.0;
    int peakFrame = 0;
    int peakQuads = 0;
    int peakExplosionQuads = 0;

    // Keeps each frame's least disturbed time over the runs so far; a frame's
    // work is the same in every run, only the machine's other load differs.
    void Merge(const EffectFigures& run)
    {
        if (frameMs.empty()) frameMs = run.frameMs;
        for (size_t i = 0; i < frameMs.size() && i < run.frameMs.size(); ++i)
            frameMs[i] = std::min(frameMs[i], run.frameMs[i]);
        peakFrame = int(std::max_element(frameMs.begin(), frameMs.end()) - frameMs.begin());
        peakMs = frameMs[size_t(peakFrame)];
        meanMs = Mean(frameMs);
        peakQuads = run.peakQuads;
        peakExplosionQuads = run.peakExplosionQuads;
    }
};

// Shipped effects for a few seconds of game time; the explosion goes off at
// half a second, the bridge breaks from one second for two.
EffectFigures RunEffects(Game& game, bool stageOne)
{
    auto world = game.NewWorld();
    gPhysicsWorld = world.get();
    srand(1);
    const Vector3 still;
    const float one = 1.0f;
    std::vector<Vector3> torches;
    const Matrix3 upright = Matrix3::Identity();
    const Vector3 torchTop(0, 0, 3.5f);
    if (stageOne) {
        for (int i = 0; i < 8; ++i) {
            torches.push_back(Vector3(-200.0f + 12.0f * i, -40.0f, 20.0f));
        }
        for (Vector3& torch : torches) {
            EventDispatcher::SendMessage(gPartManager, kMsgAttachSystem,
                                         new fAttachSystem("TorchEmitter", &torchTop, &torch, &upright, nullptr, &one));
        }
        const Vector3 mist(-115, -34, 100), spout(-227, -44, 190);
        EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                     new fCreateSystem("MistEmitter", &mist, &still, &one));
        EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                     new fCreateSystem("WaterSpout", &spout, &still, &one));
    }
    EffectFigures f;
    const fParticle* explosion = nullptr;
    float bridgeTimer = 0.0f;
    for (int frame = 0; frame < 360; ++frame) {
        const float t = frame * kFrame;
        if (frame == 30) {
            const Vector3 at(173, -181, 12);
            EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                         new fCreateSystem("Explosion", &at, &still, &one));
            explosion = gPartManager->GetSystems().back();
        }
        if (stageOne && t >= 1.0f && t < 3.0f) {
            bridgeTimer += kFrame;
            while (bridgeTimer >= 0.025f) {
                bridgeTimer -= 0.025f;
                const Vector3 at(-150.0f + 6.0f * (rand() / 32767.0f) - 3.0f,
                                 -60.0f + 6.0f * (rand() / 32767.0f) - 3.0f, 15.0f);
                EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                             new fCreateSystem("BridgeBreak", &at, &still, &one));
            }
        }
        const Clock::time_point t0 = Clock::now();
        game.hooks.Prune();
        gPartManager->Update(&kFrame);
        world->Update(kFrame);
        f.frameMs.push_back(Ms(t0, Clock::now()));
        f.peakQuads = std::max(f.peakQuads, game.hooks.Live());
        bool explosionLives = false;
        for (const fParticle* system : gPartManager->GetSystems()) {
            explosionLives = explosionLives || system == explosion;
        }
        if (explosionLives) {
            f.peakExplosionQuads = std::max(f.peakExplosionQuads, explosion->CountSystems() - 1);
        }
    }
    EndRun(game);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    int repeat = 3;
    std::vector<int> sizes = {500, 2000, 8000};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
            sizes.clear();
            for (const char* p = argv[++i]; *p;) {
                char* end = nullptr;
                const long n = std::strtol(p, &end, 10);
                if (end == p) break;
                if (n > 0) sizes.push_back(static_cast<int>(std::min(n, 1000000L)));
                p = *end == ',' ? end + 1 : end;
            }
            if (sizes.empty()) sizes = {500, 2000, 8000};
        }
    }
    if (chdir(LV_RUN_BIN) != 0) {
        std::fprintf(stderr, "bench_particles: no run tree at %s\n", LV_RUN_BIN);
        return 1;
    }
    Game game;
    if (!gPartFactory->FindDefinition("Explosion")) {
        std::fprintf(stderr, "bench_particles: no particle definitions in the run tree\n");
        return 1;
    }
    const int frames = quick ? 60 : 300;

    std::printf("particle layer against the bare physics step, 1/60 s frames, %d measured frames, best of %d\n", frames,
                repeat);
    std::printf("%6s %6s %10s %10s %10s %10s %12s %12s %10s\n", "N", "live", "layer ms", "prune ms", "phys ms",
                "bare ms", "layer p/ms", "+phys p/ms", "layer/bare");
    std::vector<double> layerMs;
    for (int n : sizes) {
        // Each figure's least disturbed run.
        StreamFigures best = RunStream(game, n, frames);
        best.bareMs = RunBare(game, n, frames);
        for (int r = 1; r < repeat; ++r) {
            best.bareMs = std::min(best.bareMs, RunBare(game, n, frames));
            const StreamFigures f = RunStream(game, n, frames);
            best.layerMs = std::min(best.layerMs, f.layerMs);
            best.pruneMs = std::min(best.pruneMs, f.pruneMs);
            best.physicsMs = std::min(best.physicsMs, f.physicsMs);
        }
        layerMs.push_back(best.layerMs);
        std::printf("%6d %6d %10.3f %10.3f %10.3f %10.3f %12.0f %12.0f %10.2f\n", n, best.live, best.layerMs,
                    best.pruneMs, best.physicsMs, best.bareMs, best.live / best.layerMs,
                    best.live / (best.layerMs + best.physicsMs), best.layerMs / best.bareMs);
    }
    if (sizes.size() >= 2 && sizes.back() != sizes.front()) {
        const double exponent =
            std::log(layerMs.back() / layerMs.front()) / std::log(static_cast<double>(sizes.back()) / sizes.front());
        std::printf("layer growth exponent %d -> %d: %.2f\n", sizes.front(), sizes.back(), exponent);
    }
    std::printf("\n");

    std::printf("sparks born together and dying together (the layer's frame)\n");
    std::printf("%6s %12s %12s %8s\n", "N", "living ms", "dying ms", "ratio");
    for (int n : sizes) {
        BurstFigures best = RunBurst(game, n);
        for (int r = 1; r < repeat; ++r) {
            const BurstFigures f = RunBurst(game, n);
            best.livingMs = std::min(best.livingMs, f.livingMs);
            best.dyingMs = std::min(best.dyingMs, f.dyingMs);
        }
        std::printf("%6d %12.3f %12.3f %8.2f\n", n, best.livingMs, best.dyingMs, best.dyingMs / best.livingMs);
    }
    std::printf("\n");

    std::printf("shipped effects (layer and physics per frame)\n");
    std::printf("%-50s %10s %10s %10s %10s %12s\n", "scene", "peak ms", "at frame", "mean ms", "peak quads",
                "expl. quads");
    const char* names[] = {"explosion alone", "stage 1: bridge, torches, mist, spout, explosion"};
    for (int s = 0; s < 2; ++s) {
        EffectFigures best;
        for (int r = 0; r < repeat; ++r) best.Merge(RunEffects(game, s == 1));
        std::printf("%-50s %10.3f %10d %10.3f %10d %12d\n", names[s], best.peakMs, best.peakFrame, best.meanMs,
                    best.peakQuads, best.peakExplosionQuads);
    }
    return 0;
}
