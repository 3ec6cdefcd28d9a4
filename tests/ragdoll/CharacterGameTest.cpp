// The character in the whole game under the headless framework host, on a
// windowless llvmpipe device: twenty reloads of stage 1 leave exactly one
// animated model, skinned drawable and animation instance, still animated;
// window resizes and full-screen toggles while it walks keep it posed and
// drawn where it stands; and it walks stage 1 with its feet on the ground
// (in a real window when there is a display, with the -screenshot switch);
// and it is one figure at every moment, the skinned model or the limp limbs,
// the replay included. The player walks it with the forward key, puts the
// mask on and off with L and knocks it out with K.
//
// One WinMain per process: each test is its own run.
#include "CharacterGameSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Character.h"
#include "DXUTHeadless.h"
#include "d3d9_host.h"
#include "dinput.h"
#include "game/Lumveran.h"
#include "game/Player.h"
#include "objects/Capsule.h"
#include "objects/Ragdoll.h"
#include "objects/RagdollLayout.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/Renderer.h"
#include "render/SceneDrawer.h"
#include "ui/ReplaySystem.h"

namespace {

TEST(CharacterInTheGame, TwentyStageReloadsLeaveOneModelDrawableAndInstanceAndItStillAnimates)
{
    // Stage 1 again from the developer key every kRound frames; the counts
    // are read once the renderer has pruned what the old stage gave back.
    constexpr int kReloads = 20, kFirst = 10, kRound = 8, kSettled = 3;
    StartGame(320, 240, kFirst + kReloads * kRound, true);
    for (int i = 0; i < kReloads; ++i) {
        DXUTHeadlessScheduleKey(kFirst + i * kRound, '1', true);
        DXUTHeadlessScheduleKey(kFirst + i * kRound + 1, '1', false);
    }
    int looked = 0, firstOpaque = -1;
    D3DXMATRIX lastHand;
    DXUTHeadlessSetFrameHook([&](int frame) {
        const int since = frame - kFirst;
        if (since < 0 || since % kRound < kSettled - 1) return;
        const D3DXFRAME* hand = gRenderer->FindFrame("Bip01_L_Hand");
        if (!hand) return;
        if (since % kRound == kSettled - 1) {
            lastHand = hand->TransformationMatrix;
            return;
        }
        if (since % kRound != kSettled) return;
        SCOPED_TRACE(testing::Message() << "reload " << since / kRound + 1);
        ++looked;
        EXPECT_EQ(gRenderer->GetModelCount(), 1);
        EXPECT_EQ(gRenderer->GetRenderLists().Count(kSkinnedList), 1);
        EXPECT_EQ(gRenderer->GetMultiAnim().GetInstanceCount(), 1u);
        EXPECT_EQ(CountCharacters(), 1);
        // The old stage's drawables, the old character's limbs among them, are gone.
        const int opaque = gRenderer->GetRenderLists().Count(kOpaqueList);
        if (firstOpaque < 0) firstOpaque = opaque;
        EXPECT_EQ(opaque, firstOpaque);
        const MeshInstance* skin = SkinnedDrawable();
        EXPECT_TRUE(skin && skin->model == gRenderer->GetModel(0) && gRenderer->GetModel(0) &&
                    gRenderer->GetModel(0)->GetInstance() == gRenderer->GetMultiAnim().GetInstance(0))
            << "the drawable, its model and the hierarchy's instance are one";
        // The idle sways the arms: the hand bone moves from frame to frame.
        const float handMoved = Distance(BoneOrigin("Bip01_L_Hand"), Vector3(lastHand._41, lastHand._42, lastHand._43));
        EXPECT_GT(handMoved, 1e-4f);
        EXPECT_LT(handMoved, 0.5f);
        // The skeleton is posed on the character: the head limb lies on its bone.
        const Ragdoll* character = FindCharacter();
        ASSERT_NE(character, nullptr);
        EXPECT_LT(Distance(BoneMidpoint("Bip01_Head"), character->GetLimb(kHeadLimb)->position), 0.05f);
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    EXPECT_EQ(looked, kReloads);
    EXPECT_EQ(GameErrors(), "");
}

// Where the pictures go: LV_PICTURE_DIR, or nowhere.
std::string PicturePath(const std::string& name)
{
    const char* folder = std::getenv("LV_PICTURE_DIR");
    return folder ? std::string(folder) + "/" + name : std::string();
}

// The skinned model covers the skeleton where the frame puts it: every limb
// midpoint on a drawn pixel, next to nothing outside the skeleton's box, and
// a good share of the box covered.
void ExpectDrawnOnTheSkeleton(const SkinnedLook& look)
{
    EXPECT_EQ(look.bonesMissed, 0);
    EXPECT_GT(look.pixels, look.boxPixels / 5);
    EXPECT_LE(look.outside, look.pixels / 50);
}

// How far the skin's lowest point is above what the walking body stands on.
float SoleClearance(const Ragdoll& character)
{
    return LowestSkinHeight() - (character.GetMainBody()->position.z - kWalkingBodyHalfLength);
}

TEST(CharacterInTheGame, ResizesAndFullScreenTogglesWhileWalkingKeepItPosedAndDrawn)
{
    // Walking from frame 10 on; the window grows, goes full screen, comes
    // back and shrinks, each change looked at some frames after it.
    struct Change
    {
        int frame;
        const char* what;
        unsigned width, height; // the back buffer expected after it
    };
    const Change changes[] = {{0, "as started", 640, 480},
                              {40, "resized", 800, 600},
                              {80, "full screen", 0, 0},
                              {120, "windowed again", 800, 600},
                              {160, "resized smaller", 480, 360}};
    constexpr int kLookAfter = 25, kWalkFrom = 10, kFrames = 200;
    StartGame(640, 480, kFrames, true);
    HoldForward(kWalkFrom, kFrames - kWalkFrom);
    DXUTHeadlessScheduleMessage(40, WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600));
    for (int frame : {80, 120}) {
        DXUTHeadlessScheduleKey(frame, VK_RETURN, true, false, true);
        DXUTHeadlessScheduleKey(frame + 1, VK_RETURN, false, false, true);
    }
    DXUTHeadlessScheduleMessage(160, WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 360));

    // Each change looked at where it is seen; the feet's spread and the body's
    // place are kept to show the walk went on throughout.
    size_t looked = 0;
    Vector3 start, firstSpread, lastBody;
    float stride = 0.0f;
    DXUTHeadlessSetFrameHook([&](int frame) {
        Ragdoll* character = FindCharacter();
        if (!character) return;
        if (frame == kWalkFrom) start = character->GetMainBody()->position;
        for (const Change& change : changes) {
            if (frame != change.frame + kLookAfter) continue;
            SCOPED_TRACE(change.what);
            const std::string picture = PicturePath(std::string("walking_") + std::to_string(frame) + ".png");
            const SkinnedLook look = LookAtSkinnedModel(*character, picture.empty() ? nullptr : picture.c_str());
            if (change.width) {
                EXPECT_EQ(look.width, change.width);
                EXPECT_EQ(look.height, change.height);
            }
            EXPECT_EQ(gRenderer->IsFullscreen(), change.width == 0);
            ExpectDrawnOnTheSkeleton(look);
            EXPECT_NEAR(SoleClearance(*character), 0.0f, 0.15f) << "on its feet";
            const Vector3 spread = BoneOrigin("Bip01_L_Foot") - BoneOrigin("Bip01_R_Foot");
            if (looked++ == 0) firstSpread = spread;
            stride = std::max(stride, Distance(spread, firstSpread));
            lastBody = character->GetMainBody()->position;
        }
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    ASSERT_EQ(looked, std::size(changes));
    // It walked on throughout, and its feet kept swinging about its body.
    EXPECT_GT(Distance(lastBody, start), 6.0f);
    EXPECT_GT(stride, 0.5f);
    EXPECT_EQ(GameErrors(), "");
}

TEST(CharacterInTheGame, WalksStageOneWithItsFeetOnTheGround)
{
    // In a real window when there is a display (the test's xvfb entry), else
    // headless on a device; either way the game's own -screenshot switch
    // keeps one frame of the walk.
    constexpr int kWalkFrom = 20, kFrames = 140, kShot = 100;
    // Within this of the heightmap, the walking body stands on the terrain.
    constexpr float kResting = 0.01f;
    std::string shot = PicturePath("stage1_walking.png");
    const bool kept = !shot.empty();
    if (!kept) shot = testing::TempDir() + "character_walking_" + std::to_string(getpid()) + ".png";
    std::filesystem::remove(shot);
    StartGame(640, 480, kFrames, true, {"-screenshot:" + std::to_string(kShot) + ":" + shot}, true);
    HoldForward(kWalkFrom, kFrames - kWalkFrom);

    float lowest = 1e9f, highest = -1e9f;
    float leftLift = 0.0f, rightLift = 0.0f;
    int supported = 0, onTerrain = 0;
    DXUTHeadlessSetFrameHook([&](int frame) {
        Ragdoll* character = FindCharacter();
        if (!character || frame < kWalkFrom) return;
        // While the walking body stands, the skin's lowest point is a sole on
        // what it stands on.
        const Vector3 body = character->GetMainBody()->position;
        const float standing = body.z - kWalkingBodyHalfLength;
        // Standing on the terrain, then walking up the bridge's end.
        if (!gPlayer->IsTouching()) return;
        ++supported;
        onTerrain += std::fabs(standing - GroundHeight(body.x, body.y)) <= kResting;
        const float sole = SoleClearance(*character);
        lowest = std::min(lowest, sole);
        highest = std::max(highest, sole);
        leftLift = std::max(leftLift, BoneOrigin("Bip01_L_Foot").z - standing);
        rightLift = std::max(rightLift, BoneOrigin("Bip01_R_Foot").z - standing);
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    // A foot is down at every frame, and the skin never sinks in further than
    // the pose trails the body by within a step while it climbs the bridge.
    EXPECT_GT(supported, 90);
    EXPECT_GT(onTerrain, 20);
    EXPECT_GT(lowest, -0.12f);
    EXPECT_LT(highest, 0.1f);
    // Each foot leaves the ground in its turn (its bone stands 0.25 up when down).
    EXPECT_GT(leftLift, 0.6f);
    EXPECT_GT(rightLift, 0.6f);
    EXPECT_TRUE(std::filesystem::exists(shot)) << shot;
    if (!kept) std::filesystem::remove(shot);
    EXPECT_EQ(GameErrors(), "");
}

// The character is one figure at every moment: standing, its skinned model,
// with the head's drawable over the model's head only while it wears the
// mask; knocked out, its limp limbs and no model; in the replay, whichever
// it was at the recorded frame. Each moment is looked at from the side,
// where the left hand lies clear of the body and the bridge.
TEST(CharacterInTheGame, ShowsOneFigureStandingMaskedWalkingKnockedOutAndInTheReplay)
{
    // A frame of the game, or a replay tick this many ticks after the
    // playback began (upright) or after it reached the knock-out (limp).
    enum class When { Frame, ReplayUpright, ReplayLimp };
    struct Moment
    {
        const char* name;
        When when;
        int at;
        bool shows[kFigurePartCount]; // skinned model, head, left hand (or torch), the other limbs
    };
    constexpr int kMaskOn = 20, kWalkFrom = 40, kMaskOff = 80, kWalkUntil = 105, kKnockOut = 110;
    constexpr int kTorchStage = 310, kFrames = 345;
    const Moment moments[] = {
        {"standing", When::Frame, 15, {true, false, false, false}},
        {"standing_with_the_mask", When::Frame, 35, {true, true, false, false}},
        {"walking_with_the_mask", When::Frame, 70, {true, true, false, false}},
        {"walking", When::Frame, 100, {true, false, false, false}},
        {"knocked_out", When::Frame, 140, {false, true, true, true}},
        {"replay_standing", When::ReplayUpright, 2, {true, false, false, false}},
        {"replay_knocked_out", When::ReplayLimp, 1, {false, true, true, true}},
        {"standing_with_the_torch", When::Frame, kTorchStage + 30, {true, false, true, false}},
    };
    const char* const kPartNames[kFigurePartCount] = {"the skinned model", "the head's drawable",
                                                      "the left hand's drawable", "the other limb drawables"};
    // Enough changed pixels to be a part in view (the bare hand is the
    // smallest), not a stray edge. The replay's menu leaves the middle of the
    // screen free at this size.
    constexpr int kInView = 8;

    StartGame(640, 480, kFrames, true);
    DXUTHeadlessScheduleInputKeyHold(kMaskOn, DIK_L, 2);
    HoldForward(kWalkFrom, kWalkUntil - kWalkFrom);
    DXUTHeadlessScheduleInputKeyHold(kMaskOff, DIK_L, 2);
    PressKnockOutKey(kKnockOut);
    // The developer key: the second stage, where the character carries the torch.
    DXUTHeadlessScheduleKey(kTorchStage, '2', true);
    DXUTHeadlessScheduleKey(kTorchStage + 1, '2', false);

    std::vector<std::string> looked;
    int lastTick = -1, ticks = 0, knockTick = -1;
    DXUTHeadlessSetFrameHook([&](int frame) {
        Ragdoll* character = FindCharacter();
        if (!character) return;
        const cReplaySystem& replay = *gReplaySystem;
        const bool ticked = replay.IsPlaying() && replay.GetCurrentFrame() != lastTick;
        if (ticked) {
            lastTick = replay.GetCurrentFrame();
            if (lastTick == replay.GetDeathFrame()) knockTick = ticks;
            ++ticks;
        }
        const auto isNow = [&](const Moment& moment) {
            switch (moment.when) {
            case When::Frame:
                return frame == moment.at;
            case When::ReplayUpright:
                return ticked && ticks - 1 == moment.at;
            case When::ReplayLimp:
                return ticked && knockTick >= 0 && ticks - 1 == knockTick + moment.at;
            }
            return false;
        };
        for (const Moment& moment : moments) {
            if (!isNow(moment)) continue;
            SCOPED_TRACE(moment.name);
            looked.push_back(moment.name);
            Camera& camera = *gRenderer->GetCamera();
            const float yaw = camera.GetAngle();
            camera.SetAngle(yaw + 0.5f * D3DX_PI);
            const std::string picture = PicturePath(std::string("figure_") + moment.name + ".png");
            const FigureLook seen = LookAtFigure(*character, picture.empty() ? nullptr : picture.c_str());
            camera.SetAngle(yaw);
            // A worn mask sits on the model's head, not where the physics
            // step has carried the head's limb on to (walking, a stride ahead).
            if (moment.shows[kSkinPart] && moment.shows[kHeadPart]) {
                D3DXMATRIX drawn, noFacing;
                D3DXMatrixIdentity(&noFacing);
                SceneDrawer::InstanceWorld(*character->GetLimbInstances()[kHeadLimb], noFacing, &drawn);
                EXPECT_LT(Distance(Vector3(drawn._41, drawn._42, drawn._43), BoneMidpoint("Bip01_Head")), 0.01f);
            }
            for (int part = 0; part < kFigurePartCount; ++part) {
                if (moment.shows[part]) {
                    EXPECT_GT(seen[part], kInView) << kPartNames[part] << " should show";
                } else {
                    EXPECT_EQ(seen[part], 0) << kPartNames[part] << " should not show";
                }
            }
        }
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);
    EXPECT_EQ(looked.size(), std::size(moments)) << testing::PrintToString(looked);
    EXPECT_EQ(GameErrors(), "");
}

// A broken "male.x" in a scratch copy of the run tree, played through: the
// stage loaded, reloaded, walked, knocked out and stood up again.
enum class FileForm { Missing, Truncated, Whole };

struct BrokenModel
{
    const char* name;
    FileForm form;
    void (*change)(gen::SkinnedModel&); // on the generated character before it is written
    bool loads;
};

// Every track of every set.
template <class Change>
void ForEachTrack(gen::SkinnedModel& m, Change change)
{
    for (gen::AnimSet& set : m.sets)
        for (gen::AnimTrack& track : set.tracks) change(track);
}

const BrokenModel kBrokenModels[] = {
    {"Missing", FileForm::Missing, nullptr, false},
    {"Truncated", FileForm::Truncated, nullptr, false},
    {"SkinBoneNamingNoFrame", FileForm::Whole, [](gen::SkinnedModel& m) { m.bones[0].name = "Bip01_Nowhere"; }, false},
    {"ThreeSets", FileForm::Whole, [](gen::SkinnedModel& m) { m.sets.resize(3); }, true},
    {"OneKeyPerTrack", FileForm::Whole,
     [](gen::SkinnedModel& m) { ForEachTrack(m, [](gen::AnimTrack& t) { t.keys.resize(1); }); }, true},
    {"ZeroPeriod", FileForm::Whole,
     [](gen::SkinnedModel& m) {
         ForEachTrack(m, [](gen::AnimTrack& t) {
             for (gen::PosKey& key : t.keys) key.time = 0;
         });
     },
     true},
};

std::string FileText(const BrokenModel& broken)
{
    gen::SkinnedModel model = gen::BuildCharacter();
    if (broken.change) broken.change(model);
    const std::string text = gen::SkinnedModelText(model);
    return broken.form == FileForm::Truncated ? text.substr(0, text.size() / 2) : text;
}

void PrintTo(const BrokenModel& broken, std::ostream* out)
{
    *out << broken.name;
}

class BrokenModelInTheGame : public testing::TestWithParam<BrokenModel>
{
};

bool AllFinite(const Ragdoll& character)
{
    for (int i = 0; i < character.GetLimbCount(); ++i) {
        const Object* limb = character.GetLimb(i);
        for (float v : {limb->position.x, limb->position.y, limb->position.z, limb->linearVelocity.x,
                        limb->linearVelocity.y, limb->linearVelocity.z})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

TEST_P(BrokenModelInTheGame, IsReportedAndTheGamePlaysOn)
{
    const BrokenModel& broken = GetParam();
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("lv_character_tree_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    for (const char* folder : {"Config", "Effects", "Levels", "Maps", "Meshes", "Particles", "Textures", "sounds"})
        fs::copy(fs::path("..") / folder, root / folder, fs::copy_options::recursive);
    fs::copy(fs::path("UI"), root / "bin" / "UI", fs::copy_options::recursive);
    fs::remove(root / "Meshes" / "male.x");
    if (broken.form != FileForm::Missing) std::ofstream(root / "Meshes" / "male.x") << FileText(broken);
    const fs::path home = fs::current_path();
    fs::current_path(root / "bin");

    constexpr int kReload = 20, kWalkFrom = 30, kKnockOut = 60, kStandUp = 90, kFrames = 120;
    StartGame(320, 240, kFrames, true);
    DXUTHeadlessScheduleKey(kReload, '1', true);
    DXUTHeadlessScheduleKey(kReload + 1, '1', false);
    HoldForward(kWalkFrom, kKnockOut - kWalkFrom);
    PressKnockOutKey(kKnockOut);
    PressKnockOutKey(kStandUp);
    int frames = 0, withCharacter = 0, finite = 0, following = 0, limp = 0, standing = 0;
    DXUTHeadlessSetFrameHook([&](int frame) {
        ++frames;
        Ragdoll* character = FindCharacter();
        if (!character) return;
        ++withCharacter;
        finite += AllFinite(*character);
        // The K key's knock-out holds until the second press stands it up
        // (each press is acted on within a frame).
        if (frame > kKnockOut + 1 && frame < kStandUp) limp += character->IsLimp();
        if (frame > kStandUp + 1) standing += !character->IsLimp();
        if (frame == kFrames - 1)
            for (int i = 0; i < character->GetLimbCount(); ++i) following += character->FollowsBone(i);
    });
    const int result = WinMain(nullptr, nullptr, nullptr, 0);
    DXUTHeadlessSetFrameHook(nullptr);
    const std::vector<std::string> reports = ReportMessages(GameErrors());
    fs::current_path(home);
    fs::remove_all(root);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames, kFrames);
    EXPECT_EQ(withCharacter, kFrames);
    EXPECT_EQ(finite, kFrames);
    EXPECT_EQ(limp, kStandUp - kKnockOut - 2);
    EXPECT_EQ(standing, kFrames - kStandUp - 2);
    if (broken.loads) {
        EXPECT_EQ(reports, std::vector<std::string>());
        EXPECT_EQ(following, kRagdollLimbCount);
        return;
    }
    // Without a model every limb is held at its place on the body plan.
    EXPECT_EQ(following, 0);
    const std::vector<std::string> expected = {"could not create Mesh Hierarchy from file: male.x",
                                               "Could not load model: male.x"};
    EXPECT_NE(std::search(reports.begin(), reports.end(), expected.begin(), expected.end()), reports.end())
        << testing::PrintToString(reports);
}

INSTANTIATE_TEST_SUITE_P(CharacterInTheGame, BrokenModelInTheGame, testing::ValuesIn(kBrokenModels),
                         [](const testing::TestParamInfo<BrokenModel>& info) { return std::string(info.param.name); });

} // namespace
