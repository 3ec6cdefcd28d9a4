// The mine cart driven through the player's keys: the real WinMain under the
// headless host, key 4 for the cart stage, then DirectInput keys frame by
// frame. W drives, A steers, Space brakes (alone too), letting go coasts with
// the steering centred, S backs, Space let go while W and A stay held frees
// the wheels that same frame, K does nothing, and a cart that falls below
// -400 brings the stage back with the cart at its start. The path is drawn
// over the stage's terrain from above, beside the test binary.
#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "Image.h"
#include "PlayerTestSupport.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "game/World.h"
#include "objects/MineCart.h"
#include "physics/Heightmap.h"
#include "render/Terrain.h"

namespace {

const Vector3 kCartStart(-190.0f, -150.0f, 12.5f);

// The script: which keys are held from which frame on (after the stage loaded).
struct Stretch
{
    const char* what;
    int frames;
    std::vector<int> keys;
};
const Stretch kScript[] = {
    {"settle", 60, {}},          {"drive", 300, {DIK_W}},    {"turn", 120, {DIK_W, DIK_A}},
    {"straighten", 60, {DIK_W}}, {"coast", 60, {}},          {"brake", 300, {DIK_SPACE}},
    {"back", 120, {DIK_S}},      {"brake steering", 30, {DIK_W, DIK_A, DIK_SPACE}},
    {"steer off the brake", 30, {DIK_W, DIK_A}}, {"knock out", 10, {DIK_K}}, {"rest", 30, {}},
};

// What each frame showed, by stretch.
struct Seen
{
    float throttle, steering, brake;
    Vector3 position, velocity;
    bool rearLocked;
    bool upright;
    int stage;
};

struct DriveRun
{
    std::vector<std::vector<Seen>> stretches{std::size(kScript)};
    size_t stretch = 0;
    int frameInStretch = 0;
    int firstScriptFrame = -1;
    bool fell = false;
    Vector3 afterFall;
    int stageAfterFall = 0;
};

// The stretches' keys as DirectInput sees them, scheduled once the stage is in.
void ScheduleScript(int frame)
{
    std::vector<int> held;
    for (const Stretch& s : kScript) {
        for (int key : held) {
            if (std::find(s.keys.begin(), s.keys.end(), key) == s.keys.end())
                DXUTHeadlessScheduleInputKey(frame, key, false);
        }
        for (int key : s.keys) {
            if (std::find(held.begin(), held.end(), key) == held.end()) DXUTHeadlessScheduleInputKey(frame, key, true);
        }
        held = s.keys;
        frame += s.frames;
    }
}

// Seen from above, 160 units square about the path's middle: the terrain in
// grey, each stretch of the drive in its own colour.
void DrawPath(const DriveRun& run, const std::string& file)
{
    const int size = 480;
    const float half = 80.0f;
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (const auto& stretch : run.stretches) {
        for (const Seen& seen : stretch) {
            x0 = std::min(x0, seen.position.x);
            x1 = std::max(x1, seen.position.x);
            y0 = std::min(y0, seen.position.y);
            y1 = std::max(y1, seen.position.y);
        }
    }
    const float cx = 0.5f * (x0 + x1), cy = 0.5f * (y0 + y1);
    gen::Image image(size, size);
    const Heightmap& ground = gWorld->GetHeightmaps().front()->GetGround();
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float h = 0.0f;
            Vector3 n;
            ground.GetHeight(cx - half + (px + 0.5f) / size * 2 * half, cy + half - (py + 0.5f) / size * 2 * half, h,
                             n);
            const float grey = std::min(1.0f, std::max(0.0f, 0.5f + h / 40.0f)) * (0.6f + 0.4f * n.z);
            image.At(px, py) = gen::Color(grey, grey, grey);
        }
    }
    const gen::Color colours[] = {gen::Rgb(0xffffff), gen::Rgb(0x30c030), gen::Rgb(0xe0e030),
                                  gen::Rgb(0x30c030), gen::Rgb(0x3080ff), gen::Rgb(0xff3030),
                                  gen::Rgb(0xff30ff), gen::Rgb(0xff8000), gen::Rgb(0x30e0e0),
                                  gen::Rgb(0xffffff), gen::Rgb(0xffffff)};
    for (size_t s = 0; s < run.stretches.size(); ++s) {
        for (const Seen& seen : run.stretches[s]) {
            const int px = static_cast<int>((seen.position.x - cx + half) / (2 * half) * size);
            const int py = static_cast<int>((cy + half - seen.position.y) / (2 * half) * size);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (px + dx >= 0 && py + dy >= 0 && px + dx < size && py + dy < size)
                        image.At(px + dx, py + dy) = colours[s];
        }
    }
    gen::WritePng(file, image);
}

void DriveOnce()
{
    PlayerRunTree tree;
    DriveRun run;
    int total = 0;
    for (const Stretch& s : kScript) total += s.frames;
    const int scriptStart = kHeadlessLoadFrame + 2;
    StartHeadlessStage('4', scriptStart + total + 10);
    ScheduleScript(scriptStart);
    DXUTHeadlessSetFrameHook([&](int frame) {
        if (frame < scriptStart || run.stretch >= run.stretches.size()) {
            if (run.stretch >= run.stretches.size() && !run.fell) {
                // Over the edge: the next frame's player brings the stage back.
                gWorld->GetVehicles().front()->SetPosition(Vector3(0.0f, 0.0f, Player::kCartFallLimit - 1.0f));
                run.fell = true;
            } else if (run.fell && run.stageAfterFall == 0) {
                run.stageAfterFall = CurrentStage();
                run.afterFall = gWorld->GetVehicles().front()->position;
                DrawPath(run, LV_DRIVE_VIEW_DIR "/cart_drive.png");
            }
            return;
        }
        const MineCart& cart = *dynamic_cast<MineCart*>(gWorld->GetVehicles().front());
        run.stretches[run.stretch].push_back({cart.GetThrottle(), cart.GetSteering(), cart.GetBrake(), cart.position,
                                              cart.linearVelocity, cart.GetBrake() > 0.5f, gPlayer->IsUpright(),
                                              CurrentStage()});
        if (++run.frameInStretch == kScript[run.stretch].frames) {
            ++run.stretch;
            run.frameInStretch = 0;
        }
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    auto at = [&](const char* what) -> const std::vector<Seen>& {
        for (size_t s = 0; s < std::size(kScript); ++s)
            if (std::string(kScript[s].what) == what) return run.stretches[s];
        return run.stretches[0];
    };
    for (const auto& stretch : run.stretches) {
        for (const Seen& seen : stretch) {
            EXPECT_EQ(seen.stage, 4);
            EXPECT_TRUE(seen.upright);
        }
    }
    // Held W: the throttle climbs to full at the cart's pace (4 a second) from
    // the key's second frame, and the cart gathers speed along its row.
    const std::vector<Seen>& drive = at("drive");
    EXPECT_EQ(drive[0].throttle, 0.0f);
    for (size_t i = 1; i < drive.size(); ++i) {
        EXPECT_NEAR(drive[i].throttle, std::min(1.0f, 4.0f * static_cast<float>(i) / 60.0f), 1e-4f) << "frame " << i;
    }
    EXPECT_GT(drive.back().position.x, drive.front().position.x + 5.0f);
    EXPECT_GT(drive.back().velocity.x, drive[drive.size() / 2].velocity.x);
    EXPECT_NEAR(drive.back().position.y, kCartStart.y, 0.5f);
    // A: the steering heads for -0.3 and the cart turns to -y; released, it comes back to 0.
    const std::vector<Seen>& turn = at("turn");
    EXPECT_LT(turn.back().steering, -0.29f);
    EXPECT_LT(turn.back().velocity.y, -0.2f);
    EXPECT_EQ(at("straighten")[10].steering, 0.0f);
    // Nothing held: no throttle, no brake, steering centred; it rolls on.
    const std::vector<Seen>& coast = at("coast");
    EXPECT_EQ(coast.back().throttle, 0.0f);
    EXPECT_LT(coast[1].throttle, coast[0].throttle);
    EXPECT_EQ(coast.back().brake, 0.0f);
    EXPECT_EQ(coast.back().steering, 0.0f);
    EXPECT_GT(coast.back().velocity.Length(), 1.0f);
    // Space alone brakes every frame it is held, and the cart comes nearly to rest.
    const std::vector<Seen>& brake = at("brake");
    for (size_t i = 1; i < brake.size(); ++i) EXPECT_TRUE(brake[i].rearLocked) << "brake frame " << i;
    EXPECT_LT(brake.back().velocity.Length(), 0.2f * brake.front().velocity.Length());
    EXPECT_EQ(at("back").front().brake, 0.0f);
    // S backs it up.
    const std::vector<Seen>& back = at("back");
    EXPECT_NEAR(back.back().throttle, -1.0f, 1e-4f);
    EXPECT_LT(back.back().velocity.x, -0.3f);
    // Space with W and A held brakes as well; Space let go while both stay
    // held frees the wheels in that very frame, and the cart drives on.
    const std::vector<Seen>& brakeSteering = at("brake steering");
    for (size_t i = 1; i < brakeSteering.size(); ++i) EXPECT_TRUE(brakeSteering[i].rearLocked) << "frame " << i;
    const std::vector<Seen>& offBrake = at("steer off the brake");
    for (size_t i = 0; i < offBrake.size(); ++i) {
        EXPECT_EQ(offBrake[i].brake, 0.0f) << "frame " << i;
        EXPECT_LT(offBrake[i].steering, 0.0f) << "frame " << i;
    }
    // K changed nothing (every frame above stayed upright); the cart stays put after.
    // The fall: the stage again, the cart where it started.
    EXPECT_TRUE(run.fell);
    EXPECT_EQ(run.stageAfterFall, 4);
    ExpectNear(run.afterFall, kCartStart, 0.5f, "cart after the fall");
}

TEST(CartDriveEndToEnd, TheKeysDriveSteerBrakeAndBackTheCartAndAFallBringsTheStageBack)
{
    DriveOnce();
}

} // namespace
