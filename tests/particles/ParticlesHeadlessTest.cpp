// The particle systems inside the whole game under the headless framework
// host (one WinMain per test: each runs in its own process):
// - each stage's own effects come with its load, in the numbers its objects
//   ask for, live through its frames and go with the next load; stage 3's
//   lava comes on its two-second timer and nowhere else; a stage loaded again
//   holds the same numbers of particles, bodies and drawables;
// - the developer key N makes an explosion that lives and dies;
// - the character's dust follows its standing, walking, stopping and fall;
// - with the particle folder empty or missing, or one of its files broken,
//   every stage still plays and ../Errors.txt holds one report per effect
//   asked for.
#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "StageTestSupport.h"
#include "Win32Host.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/Lumveran.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Object.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/BodyTypes.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/RenderLists.h"
#include "render/Renderer.h"
#include "tests/particles/ParticleCensus.h"

namespace fs = std::filesystem;

namespace {

using Census = std::map<std::string, int>;

const int kTorchType = 24;
const int kExitTriggerType = 11;
const int kCoinTriggerType = 37;
const int kMaskTriggerType = 38;
const int kFramesPerStage = 150; // stage 3 needs more than its 2 s
const float kLavaHalfExtent = 120.0f;
const float kLavaHeight = 4.0f;

// Stages in the order the developer keys load them; stage 1 comes back twice.
const std::vector<int> kStageOrder = {1, 2, 3, 4, 1, 1};

int FrameOfLoad(size_t i)
{
    return 2 + int(i) * kFramesPerStage;
}

void SilenceAudio()
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
}

void ScheduleStageKeys()
{
    SilenceAudio();
    for (size_t i = 0; i < kStageOrder.size(); ++i) {
        DXUTHeadlessScheduleKey(FrameOfLoad(i), UINT('0' + kStageOrder[i]), true);
        DXUTHeadlessScheduleKey(FrameOfLoad(i) + 1, UINT('0' + kStageOrder[i]), false);
    }
    DXUTHeadlessEnable(1.0 / 60.0, FrameOfLoad(kStageOrder.size()));
}

// Objects or triggers of the World of one type.
template <typename Things>
int CountOfType(const Things& things, int type)
{
    return int(std::count_if(things.begin(), things.end(), [type](const auto* t) { return t->GetType() == type; }));
}
bool IsRunning(const fParticle* root)
{
    const auto& systems = gPartManager->GetSystems();
    return std::find(systems.begin(), systems.end(), root) != systems.end();
}

// What the stage just loaded asks the particle manager for: a flame on every
// torch and in the character's hand (every stage but the first), sparkles on
// every coin and mask and at every exit, the dust at object 0's feet, and
// stage 1's mist and water spout.
Census AskedForBySetUp(int stage)
{
    Census asked;
    const auto& objects = gWorld->GetObjects();
    const auto& triggers = gWorld->GetTriggers();
    asked["TorchEmitter"] = CountOfType(objects, kTorchType);
    if (stage != 1 && CountOfType(objects, kRagdollLimbBodyType) > 0) ++asked["TorchEmitter"];
    asked["SparkleEmitter"] = CountOfType(triggers, kCoinTriggerType) + CountOfType(triggers, kMaskTriggerType);
    asked["AtomSparkleEmitter"] = CountOfType(triggers, kExitTriggerType);
    if (gWorld->GetObject(0)) asked["DustKickup"] = 1;
    if (stage == 1) asked["MistEmitter"] = asked["WaterSpout"] = 1;
    for (auto it = asked.begin(); it != asked.end();) it = it->second == 0 ? asked.erase(it) : std::next(it);
    return asked;
}

bool IsLava(const std::string& kind)
{
    return kind == "LavaFountain" || kind == "LavaDolphin";
}

int LiveParticles()
{
    int live = 0;
    for (const fParticle* system : gPartManager->GetSystems()) live += system->CountSystems();
    return live;
}

// Bodies of the physics world that are particles; every other body belongs
// to the stage.
int ParticleBodies()
{
    int count = 0;
    for (RigidBody* body : gPhysicsWorld->GetBodies()) count += dynamic_cast<fParticle*>(body) ? 1 : 0;
    return count;
}

int UnmarkedQuads()
{
    int quads = 0;
    for (int list : {1, 3}) {
        for (const MeshInstance* instance : gRenderer->GetRenderLists().Get(list))
            quads += instance->removeFlag ? 0 : 1;
    }
    return quads;
}

std::string ReadErrors()
{
    std::fflush(stderr);
    std::ifstream log("../Errors.txt");
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

// The particle reports of the log: message, then the type name for the
// unknown-type report.
std::vector<std::string> ParticleReports(const std::string& log)
{
    std::vector<std::string> lines, reports;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != "Failed in file: fPartFactory" && lines[i] != "Failed in file: fPartManager") continue;
        if (i >= 2 && lines[i - 2] == "Attempted to create unknown particle system type")
            reports.push_back("unknown " + lines[i - 1]);
        else if (i >= 1)
            reports.push_back(lines[i - 1]);
    }
    return reports;
}

TEST(ParticlesInTheGame, EachStagesEffectsComeWithItsLoadLiveThroughItAndGoWithTheNext)
{
    ScheduleStageKeys();
    struct Seen
    {
        Census atLoad, asked, atEnd;
        std::vector<const fParticle*> roots;
        bool rootsSurvived = true;
        int lavaSpawns = 0;
        bool lavaInPlace = true;
        int live = 0, particleBodies = 0, bodies = 0, quads = 0;
    };
    std::vector<Seen> seen(kStageOrder.size());
    DXUTHeadlessSetFrameHook([&](int frame) {
        const int i = (frame - 2) / kFramesPerStage;
        if (frame < 2 || i >= int(seen.size())) return;
        Seen& s = seen[i];
        const int into = (frame - 2) % kFramesPerStage;
        if (into == 0) {
            s.atLoad = TakeCensus();
            s.asked = AskedForBySetUp(kStageOrder[i]);
            s.roots.assign(gPartManager->GetSystems().begin(), gPartManager->GetSystems().end());
        }
        // Lava roots still hold their emitters in the frame they were made.
        for (const fParticle* root : gPartManager->GetSystems()) {
            if (!IsLava(KindOf(root))) continue;
            ++s.lavaSpawns;
            s.lavaInPlace = s.lavaInPlace && root->position.z == kLavaHeight &&
                            std::abs(root->position.x) <= kLavaHalfExtent &&
                            std::abs(root->position.y) <= kLavaHalfExtent;
        }
        if (into == kFramesPerStage - 1) {
            s.atEnd = TakeCensus();
            for (const fParticle* root : s.roots) s.rootsSurvived = s.rootsSurvived && IsRunning(root);
            s.live = LiveParticles();
            s.particleBodies = ParticleBodies();
            s.bodies = int(gPhysicsWorld->GetBodies().size());
            s.quads = gRenderer ? UnmarkedQuads() : 0;
        }
    });
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    for (size_t i = 0; i < seen.size(); ++i) {
        const Seen& s = seen[i];
        const int stage = kStageOrder[i];
        SCOPED_TRACE("load " + std::to_string(i) + ", stage " + std::to_string(stage));
        EXPECT_EQ(s.asked.count("TorchEmitter"), 1u);
        // Right after the load: exactly what the stage asked for, nothing left over.
        EXPECT_EQ(s.atLoad, s.asked);
        // At its end: the same roots, each burning or drifting, and the lava's.
        EXPECT_TRUE(s.rootsSurvived);
        EXPECT_EQ(s.particleBodies, s.live);
        EXPECT_EQ(s.lavaSpawns, stage == kLavaStage ? 2 : 0);
        EXPECT_TRUE(s.lavaInPlace);
        Census permanent = s.atEnd;
        for (auto it = permanent.begin(); it != permanent.end();)
            it = s.asked.count(it->first) ? std::next(it) : permanent.erase(it);
        EXPECT_EQ(permanent, s.asked);
    }
    // Stage 1 again and again: the same numbers every time.
    for (size_t i : {4, 5}) {
        EXPECT_EQ(seen[i].atEnd, seen[0].atEnd);
        EXPECT_EQ(seen[i].live, seen[0].live);
        EXPECT_EQ(seen[i].bodies, seen[0].bodies);
        EXPECT_EQ(seen[i].quads, seen[0].quads);
    }
    EXPECT_EQ(ParticleReports(ReadErrors()), std::vector<std::string>());
}

TEST(ParticlesInTheGame, KeyNMakesAnExplosionThatLivesAndDies)
{
    DXUTHeadlessEnable(1.0 / 60.0, 12);
    DXUTHeadlessScheduleKey(4, 'N', true);
    DXUTHeadlessScheduleKey(5, 'N', false);
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);

    ASSERT_NE(gPartFactory, nullptr);
    EXPECT_NE(gPartFactory->FindDefinition("Explosion"), nullptr);
    ASSERT_NE(gPartManager, nullptr);
    // The stage's own systems (torch flames, mist) run beside it.
    const auto isExplosion = [](const fParticle* system) { return system->position.x == 173.0f; };
    const auto& systems = gPartManager->GetSystems();
    ASSERT_EQ(std::count_if(systems.begin(), systems.end(), isExplosion), 1);
    const fParticle* explosion = *std::find_if(systems.begin(), systems.end(), isExplosion);
    EXPECT_EQ(KindOf(explosion), "Explosion");
    EXPECT_GT(explosion->CountSystems(), 50);
    // Every particle is a body of the physics world.
    EXPECT_EQ(ParticleBodies(), LiveParticles());

    // The framework's loop has ended; the frame move goes on by hand, on the
    // same virtual clock, until well past the explosion's longest life.
    ASSERT_TRUE(Win32IsCounterVirtual());
    const double frame = 1.0 / 60.0;
    for (int i = 0; i < 600; ++i) {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(frame * kWin32CounterFrequency));
        OnFrameMove(nullptr, 1.0 + i * frame, static_cast<float>(frame), nullptr);
    }
    EXPECT_EQ(std::count_if(systems.begin(), systems.end(), isExplosion), 0);
    EXPECT_EQ(ParticleBodies(), LiveParticles());

    // The shipped definitions read without a report.
    EXPECT_EQ(ParticleReports(ReadErrors()), std::vector<std::string>());
}

// The character's dust on stage 1, driven through the keys: the kick-up at
// its feet stays hidden while it stands, shows and emits while it walks, the
// stop sends twenty puffs round its feet, and the knock-out ends the kick-up
// once its dust has settled.
TEST(ParticlesInTheGame, TheCharactersDustFollowsItsWalkingStopAndKnockOut)
{
    SilenceAudio();
    const int load = 2, walk = 90, stop = 200, knockOut = 260, last = 420;
    const int kStopPuffs = 20;
    const float kFeetReach = 6.0f; // object 0's offset of 4 plus the puffs' spread
    struct Watch
    {
        int hiddenStanding = 0, shownWalking = 0, puffsAtStop = 0, puffsNearFeet = 0;
        int emittedWalking = 0;
        const fParticle* kickupRoot = nullptr;
        bool walked = false, down = false, finishedWhenDown = false, goneAtLast = false;
    } w;
    DXUTHeadlessScheduleKey(load, '1', true);
    DXUTHeadlessScheduleKey(load + 1, '1', false);
    DXUTHeadlessScheduleInputKey(walk, DIK_W, true);
    DXUTHeadlessScheduleInputKey(stop, DIK_W, false);
    DXUTHeadlessScheduleInputKeyHold(knockOut, DIK_K, 2);
    DXUTHeadlessEnable(1.0 / 60.0, last + 1);
    Vector3 start;
    DXUTHeadlessSetFrameHook([&](int frame) {
        if (frame < load + 30 || !gWorld->GetObject(0)) return;
        const Vector3 feet = gWorld->GetObject(0)->position;
        if (frame == walk) start = feet;
        const fParticle* kickup = nullptr;
        int puffs = 0, near = 0;
        for (const fParticle* root : gPartManager->GetSystems()) {
            const std::string kind = KindOf(root);
            if (kind == "DustKickup") kickup = root;
            if (kind.find("DustKickupBlur") == std::string::npos) continue;
            ++puffs;
            near += (root->position - feet).Length() < kFeetReach ? 1 : 0;
        }
        if (frame < walk && kickup) w.hiddenStanding += kickup->hidden ? 1 : 0;
        if (frame > walk + 30 && frame < stop && kickup && !kickup->hidden) {
            ++w.shownWalking;
            w.emittedWalking = std::max(w.emittedWalking, int(kickup->GetChildren().size()));
        }
        if (frame == stop + 10) {
            w.puffsAtStop = puffs;
            w.puffsNearFeet = near;
            w.walked = (feet - start).Length() > 5.0f;
        }
        if (frame == walk) w.kickupRoot = kickup;
        // The first frame down: finished, and still there until its dust has gone.
        if (!gPlayer->IsUpright() && !w.down) {
            w.down = true;
            w.finishedWhenDown = IsRunning(w.kickupRoot) && w.kickupRoot->finished;
        }
        if (frame == last) w.goneAtLast = !IsRunning(w.kickupRoot);
    });
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    std::printf("standing hidden %d, walking shown %d (children up to %d), puffs at the stop %d (%d near the feet)\n",
                w.hiddenStanding, w.shownWalking, w.emittedWalking, w.puffsAtStop, w.puffsNearFeet);

    EXPECT_EQ(w.hiddenStanding, walk - load - 30);
    EXPECT_TRUE(w.walked);
    EXPECT_GT(w.shownWalking, 30);
    EXPECT_GT(w.emittedWalking, 2);
    EXPECT_EQ(w.puffsAtStop, kStopPuffs);
    EXPECT_EQ(w.puffsNearFeet, kStopPuffs);
    ASSERT_NE(w.kickupRoot, nullptr);
    EXPECT_TRUE(w.down);
    EXPECT_TRUE(w.finishedWhenDown);
    EXPECT_TRUE(w.goneAtLast);
    EXPECT_EQ(ParticleReports(ReadErrors()), std::vector<std::string>());
}

// Plays every stage in a scratch run tree whose particle folder holds what
// prepare leaves there; returns the particle reports of its log, and the
// unknown-type reports the stages' set-ups and the lava must have made for
// the kinds the folder lacks.
void PlayWithParticleFolder(const std::function<void(const fs::path&)>& prepare, std::vector<std::string>& reports,
                            std::multiset<std::string>& asked, const std::set<std::string>& lacking)
{
    const fs::path shipped = fs::current_path().parent_path() / "Particles";
    ScratchRunTree tree;
    const fs::path folder = fs::path(tree.Root()) / "Particles";
    fs::remove(folder); // a link to the shipped folder
    fs::create_directory(folder);
    for (const fs::directory_entry& file : fs::directory_iterator(shipped)) fs::copy(file.path(), folder);
    prepare(folder);

    ScheduleStageKeys();
    std::vector<int> framesPlayed(5, 0);
    DXUTHeadlessSetFrameHook([&](int frame) {
        const int i = std::max(0, frame - 2) / kFramesPerStage;
        if (i >= int(kStageOrder.size())) return;
        const int stage = CurrentStage();
        if (stage == kStageOrder[i] && gWorld->GetNumObjects() > 0) ++framesPlayed[stage];
        // The start-up's own load, then each key's.
        if (frame == 0 || (frame - 2) % kFramesPerStage == 0) {
            for (const auto& [kind, count] : AskedForBySetUp(stage)) {
                for (int n = 0; n < count; ++n) {
                    if (lacking.count(kind)) asked.insert("unknown " + kind);
                }
            }
        }
        // The lava timer asks at every two seconds of stage 3.
        if (stage == kLavaStage && gPartManager->GetLavaTimer() == 0.0f && (frame - 2) % kFramesPerStage != 0) {
            for (const char* kind : {"LavaFountain", "LavaDolphin"}) {
                if (lacking.count(kind)) asked.insert(std::string("unknown ") + kind);
            }
        }
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    reports = ParticleReports(ReadErrors());
    for (int stage = 1; stage <= 4; ++stage) EXPECT_GE(framesPlayed[stage], kFramesPerStage - 1) << stage;
}

// Each type asked for is reported the first time only: the stages and the
// lava ask again and again.
std::multiset<std::string> FirstAsks(const std::multiset<std::string>& asked)
{
    const std::set<std::string> distinct(asked.begin(), asked.end());
    return std::multiset<std::string>(distinct.begin(), distinct.end());
}

// The folder emptied, or gone altogether.
class ParticlesWithoutFiles : public ::testing::TestWithParam<bool>
{
};

TEST_P(ParticlesWithoutFiles, AreReportedOnceAndEveryStagePlays)
{
    const bool folderGone = GetParam();
    std::vector<std::string> reports;
    std::multiset<std::string> asked;
    const std::set<std::string> every = {"TorchEmitter", "SparkleEmitter", "AtomSparkleEmitter", "DustKickup",
                                         "MistEmitter",  "WaterSpout",     "LavaFountain",       "LavaDolphin"};
    PlayWithParticleFolder(
        [folderGone](const fs::path& folder) {
            fs::remove_all(folder);
            if (!folderGone) fs::create_directory(folder);
        },
        reports, asked, every);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), "No particle systems files located");
    EXPECT_EQ(std::count(reports.begin(), reports.end(), reports.front()), 1);
    EXPECT_EQ(std::multiset<std::string>(reports.begin() + 1, reports.end()), FirstAsks(asked));
    EXPECT_GT(asked.size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(ParticlesInTheGame, ParticlesWithoutFiles, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "FolderMissing" : "FolderEmpty");
                         });

TEST(ParticlesInTheGame, ABrokenParticleFileLosesOnlyItsOwnEffects)
{
    std::vector<std::string> reports;
    std::multiset<std::string> asked;
    // Cut off in the middle of an element: the file does not parse, and a
    // particle file that cannot be parsed is skipped without a report.
    PlayWithParticleFolder(
        [](const fs::path& folder) {
            std::ifstream in(folder / "Torch.xml");
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            in.close();
            std::ofstream(folder / "Torch.xml", std::ios::trunc) << text.substr(0, text.size() / 2);
        },
        reports, asked, {"TorchEmitter"});
    EXPECT_EQ(std::multiset<std::string>(reports.begin(), reports.end()), FirstAsks(asked));
    EXPECT_GE(asked.size(), 10u);
}

} // namespace
