// The play-through's vocabulary (conditions, inputs, expectations) and its
// runner: a table becomes the menu script's steps, run by the real WinMain
// under the framework host in a child process.
#include "PlayScript.h"

#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include "ChildRun.h"
#include "DXUTHeadless.h"
#include "GameRun.h"
#include "MenuScript.h"
#include "ScratchGameTree.h"
#include "StageRig.h"
#include "audio/JukeBox.h"
#include "core/Matrix3.h"
#include "d3d9_host.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "objects/Vehicle.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/ReplayHooks.h"

namespace {

// Off the line by more than this share of the way: a side key with the walk.
constexpr float kSteerDeadZone = 0.08f;

int Stage()
{
    return CurrentStage();
}

int TopMenu()
{
    return gMenuMan ? gMenuMan->GetCurrentMenuId() : -1;
}

// What the player moves: the cart on the cart stage, else the character's walking body.
Object* Driven()
{
    if (!gWorld) return nullptr;
    if (Stage() == kCartStage) return gWorld->GetVehicles().empty() ? nullptr : gWorld->GetVehicles().front();
    return gPlayer ? gPlayer->GetWalkingBody() : nullptr;
}

std::string FileName(const std::string& step)
{
    std::string name;
    for (char c : step) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// The frame just run, for conditions that steer.
int sFrameJustRun = 0;

// Exactly these keys held from the given frame on.
void ScheduleHeld(int frame, const std::set<int>& keys)
{
    for (int dik = 0; dik < 256; ++dik) DXUTHeadlessScheduleInputKey(frame, dik, keys.count(dik) != 0);
}

} // namespace

Expect& Expect::Stack(std::vector<int> menus)
{
    stack = std::move(menus);
    return *this;
}
Expect& Expect::Also(std::function<void()> check)
{
    more.push_back(std::move(check));
    return *this;
}

void Expect::Check(const std::string& step) const
{
    SCOPED_TRACE("step \"" + step + "\"");
    if (!stack.empty()) {
        ASSERT_NE(gMenuMan, nullptr);
        EXPECT_EQ(std::vector<int>(gMenuMan->GetStack().begin(), gMenuMan->GetStack().end()), stack);
    }
    if (stageScore != kUnset || totalScore != kUnset || upright != kUnset) {
        ASSERT_NE(gPlayer, nullptr);
    }
    if (upright != kUnset) {
        ASSERT_NE(gPlayer->GetBody(), nullptr);
    }
    if (track != kUnset) {
        ASSERT_NE(gJukeBox, nullptr);
    }
    // Each field set, against what the game shows; the getters run only for the fields set.
    const struct
    {
        int want;
        int (*got)();
        const char* what;
    } fields[] = {
        {stage, [] { return ::Stage(); }, "stage"},
        {top, [] { return TopMenu(); }, "top menu"},
        {stageScore, [] { return gPlayer->GetStageScore(); }, "stage score"},
        {totalScore, [] { return gPlayer->GetTotalScore(); }, "total score"},
        {upright, [] { return gPlayer->IsUpright() ? 1 : 0; }, "upright"},
        {upright, [] { return gPlayer->GetBody()->IsLimp() ? 0 : 1; }, "body not limp"},
        {objects, [] { return gWorld->GetNumObjects(); }, "objects"},
        {lights, [] { return static_cast<int>(gWorld->GetLights().size()); }, "lights"},
        {track, [] { return gJukeBox->current; }, "track"},
        {playing, [] { return gJukeBox->playing ? 1 : 0; }, "playing"},
    };
    for (const auto& field : fields) {
        if (field.want != kUnset) {
            EXPECT_EQ(field.got(), field.want) << field.what;
        }
    }
    for (const auto& check : more) check();
}

Until Frames(int count)
{
    return [count](int waited) { return waited >= count; };
}
Until StageIs(int stage)
{
    return [stage](int) { return Stage() == stage; };
}
Until TopIs(int menu)
{
    return [menu](int) { return TopMenu() == menu; };
}
Until StageScoreIs(int score)
{
    return [score](int) { return gPlayer && gPlayer->GetStageScore() == score; };
}
Until Limp()
{
    return [](int) { return gPlayer && !gPlayer->IsUpright(); };
}
Until Upright()
{
    return [](int) { return gPlayer && gPlayer->IsUpright(); };
}
Until Near(const Vector3& point, float reach)
{
    return [point, reach](int) {
        const Object* first = gWorld ? gWorld->GetObject(0) : nullptr;
        return first && (first->position - point).LengthSquared() <= reach * reach;
    };
}
Until WalkTo(const Vector3& point, float reach)
{
    return [point, reach](int) {
        const Object* first = gWorld ? gWorld->GetObject(0) : nullptr;
        if (!first || !gRenderer) return false;
        const float dx = point.x - first->position.x, dy = point.y - first->position.y;
        const float distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= reach) return true;
        // The keys walk along the camera's yaw: W ahead, A to its left.
        const float yaw = gRenderer->GetCamera()->GetAngle();
        const float ahead = (dx * std::cos(yaw) + dy * std::sin(yaw)) / distance;
        const float left = (dx * std::sin(yaw) - dy * std::cos(yaw)) / distance;
        std::set<int> keys = {ahead >= 0.0f ? DIK_W : DIK_S};
        if (left > kSteerDeadZone) keys.insert(DIK_A);
        if (left < -kSteerDeadZone) keys.insert(DIK_D);
        ScheduleHeld(sFrameJustRun + 1, keys);
        return false;
    };
}
Until All(std::vector<Until> conditions)
{
    return [conditions](int waited) {
        return std::all_of(conditions.begin(), conditions.end(), [waited](const Until& c) { return c(waited); });
    };
}
Until Any(std::vector<Until> conditions)
{
    return [conditions](int waited) {
        return std::any_of(conditions.begin(), conditions.end(), [waited](const Until& c) { return c(waited); });
    };
}

Act Hold(const std::set<int>& keys)
{
    return [keys](PlayInput& in) { ScheduleHeld(in.frame + 1, keys); };
}
Act Tap(int dik)
{
    return [dik](PlayInput& in) { DXUTHeadlessScheduleInputKeyHold(in.frame + 1, dik, 2); };
}
Act Key(unsigned virtualKey)
{
    return [virtualKey](PlayInput& in) { in.script.PressKey(virtualKey); };
}
Act Click(int menu, int item)
{
    return [menu, item](PlayInput& in) {
        const Menu* m = gMenuMan ? gMenuMan->GetMenu(menu) : nullptr;
        const MenuItemHUD* it = m ? m->GetItem(item) : nullptr;
        ASSERT_NE(it, nullptr) << "menu " << menu << " item " << item;
        in.script.ClickAt(it->GetLeft() + it->GetWidth() / 2, it->GetTop() + it->GetHeight() / 2);
    };
}
Act ClickAt(int x, int y)
{
    return [x, y](PlayInput& in) { in.script.ClickAt(x, y); };
}
Act Place(const Vector3& point)
{
    return [point](PlayInput&) {
        Object* body = Driven();
        ASSERT_NE(body, nullptr);
        body->SetPosition(point);
        body->linearVelocity = Vector3();
        body->angularVelocity = Vector3();
    };
}
Act Then(std::vector<Act> acts)
{
    return [acts](PlayInput& in) {
        for (const Act& act : acts)
            if (act) act(in);
    };
}

namespace {

void Trace(int frame, const MenuScript& script)
{
    const Object* first = gWorld ? gWorld->GetObject(0) : nullptr;
    const Vector3 p = first ? first->position : Vector3();
    std::printf("frame %d stage %d top %d yaw %.2f at (%.1f, %.1f, %.1f) score %d/%d %s objects %d lights %d %s\n",
                frame, Stage(), TopMenu(), gRenderer ? gRenderer->GetCamera()->GetAngle() : 0.0f, p.x, p.y, p.z,
                gPlayer ? gPlayer->GetStageScore() : -1, gPlayer ? gPlayer->GetTotalScore() : -1,
                gPlayer && gPlayer->IsUpright() ? "upright" : "down", gWorld ? gWorld->GetNumObjects() : 0,
                gWorld ? static_cast<int>(gWorld->GetLights().size()) : 0, script.Progress().c_str());
}

// One run of the table in this process.
void PlayHere(const PlayTable& table, const PlayOptions& options, PlayResult& result)
{
    WithoutSoundDevice();
    ScratchGameTree tree(options.treeName);
    MenuScript script(kGameWidth, kGameHeight, options.maxFrames);
    int frame = 0;
    int stepDone = 0; // the frame the step before was done in
    int pictures = 0;
    // LV_PLAY_TRACE=n prints where the run stands every n frames: for
    // writing a new step.
    const char* traceSetting = std::getenv("LV_PLAY_TRACE");
    const int trace = traceSetting ? std::atoi(traceSetting) : 0;
    script.everyFrame = [&](int f) {
        frame = f;
        sFrameJustRun = f;
        result.hashes.push_back(HashGameState());
        if (trace > 0 && f % trace == 0) Trace(f, script);
    };
    for (const PlayStep& step : table) {
        script.Add(
            step.name, [&step, &frame, &stepDone] { return !step.until || step.until(frame - stepDone); },
            [&, stepPointer = &step] {
                const PlayStep& s = *stepPointer;
                s.expect.Check(s.name);
                if (options.withDevice && !options.pictures.empty()) {
                    char prefix[8];
                    std::snprintf(prefix, sizeof prefix, "%02d_", pictures++);
                    const std::string file = options.pictures + "/" + prefix + FileName(s.name) + ".png";
                    EXPECT_TRUE(LvD3D9_SaveBackBufferPNG(DXUTGetD3D9Device(), file.c_str())) << file;
                }
                PlayInput input{script, frame};
                if (s.act) s.act(input);
                stepDone = frame;
                result.stepFrames.push_back(frame);
            },
            step.budget);
    }
    if (!options.pictures.empty()) {
        // Only this run's pictures: a step renamed since must not leave its old one.
        std::filesystem::remove_all(options.pictures);
        std::filesystem::create_directories(options.pictures);
    }
    script.Start(options.withDevice);
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    EXPECT_TRUE(script.Finished()) << script.Progress();
    std::fflush(stderr);
    EXPECT_EQ(tree.Read("Errors.txt"), "");
}

} // namespace

PlayResult PlayInChild(const PlayTable& table, const PlayOptions& options)
{
    const ChildRun child = RunInChild([&](std::string& bytes) {
        // The game points the error stream at the scratch tree's log; the
        // sanitizers' reports at exit belong on the test's own.
        const int testErrors = dup(STDERR_FILENO);
        PlayResult seen;
        PlayHere(table, options, seen);
        std::fflush(stderr);
        if (testErrors >= 0) dup2(testErrors, STDERR_FILENO);
        // The step frames' count, the step frames, then the hashes.
        std::vector<std::uint64_t> words = {seen.stepFrames.size()};
        words.insert(words.end(), seen.stepFrames.begin(), seen.stepFrames.end());
        words.insert(words.end(), seen.hashes.begin(), seen.hashes.end());
        bytes.assign(reinterpret_cast<const char*>(words.data()), words.size() * sizeof(std::uint64_t));
        return testing::Test::HasFailure() ? 1 : 0;
    });
    PlayResult result;
    result.exitStatus = child.exitStatus;
    std::vector<std::uint64_t> words(child.bytes.size() / sizeof(std::uint64_t));
    std::memcpy(words.data(), child.bytes.data(), words.size() * sizeof(std::uint64_t));
    const std::size_t steps = words.empty() ? 0 : std::min<std::size_t>(words[0], words.size() - 1);
    for (std::size_t i = 1; i <= steps; ++i) result.stepFrames.push_back(static_cast<int>(words[i]));
    result.hashes.assign(words.begin() + std::ptrdiff_t(std::min(words.size(), steps + 1)), words.end());
    return result;
}
