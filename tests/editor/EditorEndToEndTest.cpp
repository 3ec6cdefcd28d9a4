// The whole game under the headless framework host, in a scratch copy of the
// run tree: key 0 through the scheduled DirectInput poll turns the editor on;
// the dialog is worked through scheduled window messages, by its hot keys 'Z'
// and 'X' in one build of this test and by clicks at client coordinates in
// the other: the next object twice, two turns of it about y, then the save. Key 1
// reloads the stage from what was saved, and everything the writer saves must
// come back as it was; saving again at once gives the same file byte for byte; a save
// whose temporary file cannot be made reports it and keeps the file. The
// mouse build also starts without "Vid.cfg", which the game writes.
#include <gtest/gtest.h>

#include <dinput.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "EditorRig.h"
#include "core/ConfigFile.h"
#include "core/Matrix3.h"
#include "core/Messages.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "physics/BodyTypes.h"
#include "render/MeshInstance.h"

#ifndef LV_EDITOR_BY_MOUSE
#define LV_EDITOR_BY_MOUSE 0
#endif

namespace fs = std::filesystem;

namespace {

// What the level file keeps: "%f", six decimals.
float Kept(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtof(text, nullptr);
}

struct SavedObject
{
    int type;
    Vector3 position;
    Matrix3 orientation;
    int texture;
    bool immovable;
    float mass;
    bool frozen;
};

struct SavedSceneObject
{
    int type;
    Vector3 position;
    Vector3 scale;
    int texture;
};

struct StageState
{
    std::vector<SavedObject> objects;
    std::vector<SavedSceneObject> scenery;
};

StageState Capture()
{
    StageState s;
    for (const Object* o : gWorld->GetObjects()) {
        if (!IsSavedType(o->GetType())) continue;
        const int texture = o->meshes.empty() ? -1 : o->meshes.back()->textureId;
        s.objects.push_back(
            {o->GetType(), o->position, o->GetOrientation(), texture, o->immovable, o->creationMass, o->IsFrozen()});
    }
    for (const NPObj* n : gWorld->GetNPObjects()) {
        const int texture = n->models.empty() ? -1 : n->models.front()->textureId;
        s.scenery.push_back({n->GetType(), n->position, n->recordScale, texture});
    }
    return s;
}

// The state a reload must give back: what the file kept of each value. The
// character's walking body is written 4.5 below where it stands and raised
// by as much when built.
StageState AsReloaded(const StageState& saved)
{
    StageState s = saved;
    for (SavedObject& o : s.objects) {
        float lowered = o.position.z;
        if (o.type == kPlayerBodyType) lowered -= 4.5f;
        o.position = Vector3(Kept(o.position.x), Kept(o.position.y), Kept(lowered));
        if (o.type == kPlayerBodyType) o.position.z += 4.5f;
        for (int i = 0; i < 9; ++i) o.orientation[i] = Kept(o.orientation[i]);
        o.mass = Kept(o.mass);
    }
    for (SavedSceneObject& n : s.scenery) {
        n.position = Vector3(Kept(n.position.x), Kept(n.position.y), Kept(n.position.z));
        n.scale = Vector3(Kept(n.scale.x), Kept(n.scale.y), Kept(n.scale.z));
    }
    return s;
}

void ExpectSame(const StageState& expected, const StageState& actual)
{
    ASSERT_EQ(actual.objects.size(), expected.objects.size());
    for (size_t i = 0; i < expected.objects.size(); ++i) {
        const SavedObject& e = expected.objects[i];
        const SavedObject& a = actual.objects[i];
        SCOPED_TRACE("object " + std::to_string(i) + " of type " + std::to_string(e.type));
        EXPECT_EQ(a.type, e.type);
        EXPECT_EQ(a.position.x, e.position.x);
        EXPECT_EQ(a.position.y, e.position.y);
        EXPECT_EQ(a.position.z, e.position.z);
        EXPECT_TRUE(a.orientation == e.orientation);
        EXPECT_EQ(a.texture, e.texture);
        EXPECT_EQ(a.immovable, e.immovable);
        EXPECT_EQ(a.mass, e.mass);
        EXPECT_EQ(a.frozen, e.frozen);
    }
    ASSERT_EQ(actual.scenery.size(), expected.scenery.size());
    for (size_t i = 0; i < expected.scenery.size(); ++i) {
        const SavedSceneObject& e = expected.scenery[i];
        const SavedSceneObject& a = actual.scenery[i];
        SCOPED_TRACE("scene object " + std::to_string(i) + " of type " + std::to_string(e.type));
        EXPECT_EQ(a.type, e.type);
        EXPECT_EQ(a.position.x, e.position.x);
        EXPECT_EQ(a.position.y, e.position.y);
        EXPECT_EQ(a.position.z, e.position.z);
        EXPECT_EQ(a.scale.x, e.scale.x);
        EXPECT_EQ(a.scale.y, e.scale.y);
        EXPECT_EQ(a.scale.z, e.scale.z);
        EXPECT_EQ(a.texture, e.texture);
    }
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The dialog's controls at the top left of the window: the action list
// (200 x 24) with its 100-pixel drop-down of 18-pixel rows below it, and
// "Go (X)" at (240, 0), 80 x 35.
const int kGoX = 280, kGoY = 17;
const int kListX = 100, kListY = 12;
const int kRowX = 90, kFirstRowCentre = 24 + 2 + 9, kRowHeight = 18;
const int kDownArrowX = 190, kDownArrowY = 114;

void ScheduleClick(int frame, int x, int y)
{
    DXUTHeadlessScheduleMessage(frame, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    DXUTHeadlessScheduleMessage(frame, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// "Go (X)": by its hot key or by a click.
void ScheduleGo(int frame)
{
    if (LV_EDITOR_BY_MOUSE) {
        ScheduleClick(frame, kGoX, kGoY);
    } else {
        DXUTHeadlessScheduleKey(frame, 'X', true);
        DXUTHeadlessScheduleKey(frame, 'X', false);
    }
}

void ScheduleNextItem(int frame)
{
    DXUTHeadlessScheduleKey(frame, 'Z', true);
    DXUTHeadlessScheduleKey(frame, 'Z', false);
}

// The frames of the script.
enum Frame {
    kEditorKeyDown = 2,
    kEditorKeyUp = 3,
    kNextObject = 4,  // and 5: past the character's walking body to the first torch
    kChooseTurn = 6,  // to kChooseTurn + 1
    kFirstTurn = 8,   // the shared angle starts at 0: the first turn sets no turn
    kSecondTurn = 9,  // a quarter turn about y
    kChooseSave = 10, // to kChooseSave + 4
    kSave = 15,
    kReload = 17,
    kBlockSave = 18,
    kBlockedSave = 19,
    kFrames = 21
};

TEST(EditorEndToEnd, ASavedStageComesBackAsItWasEdited)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    ScratchRunTree tree(true);
    if (LV_EDITOR_BY_MOUSE) fs::remove(tree.Root() + "/Config/Vid.cfg");

    DXUTHeadlessEnable(1.0 / 60.0, kFrames);
    DXUTHeadlessScheduleInputKey(kEditorKeyDown, DIK_0, true);
    DXUTHeadlessScheduleInputKey(kEditorKeyUp, DIK_0, false);
    ScheduleGo(kNextObject);
    ScheduleGo(kNextObject + 1);
    if (LV_EDITOR_BY_MOUSE) {
        ScheduleClick(kChooseTurn, kListX, kListY);                              // open the list
        ScheduleClick(kChooseTurn + 1, kRowX, kFirstRowCentre + 2 * kRowHeight); // "Rotate obj about Y (Z)"
        ScheduleClick(kChooseSave, kListX, kListY);
        for (int i = 1; i <= 3; ++i) ScheduleClick(kChooseSave + i, kDownArrowX, kDownArrowY);
        ScheduleClick(kChooseSave + 4, kRowX, kFirstRowCentre + 4 * kRowHeight); // "Save current level (Z)"
    } else {
        for (int i = 0; i < 2; ++i) ScheduleNextItem(kChooseTurn + i);
        for (int i = 0; i < 5; ++i) ScheduleNextItem(kChooseSave + i);
    }
    ScheduleGo(kFirstTurn);
    ScheduleGo(kSecondTurn);
    ScheduleGo(kSave);
    ScheduleGo(kBlockedSave);

    const std::string level = tree.Root() + "/Levels/stage1.qvl";
    bool editorOn = false;
    int activeIndex = -1, typeTwentyTwo = 0;
    float angle = 0.0f;
    float turnedXz = 0.0f;
    StageState beforeSave, reloaded;
    std::string firstSave, secondSave, afterBlocked;
    DXUTHeadlessSetFrameHook([&](int frame) {
        switch (frame) {
        case kEditorKeyUp:
            editorOn = gInGameLevelEditor->IsEnabled();
            break;
        case kSecondTurn:
            if (const Object* active = gInGameLevelEditor->GetActiveObject()) turnedXz = active->GetOrientation()(0, 2);
            break;
        case kSave - 1:
            beforeSave = Capture();
            activeIndex = gInGameLevelEditor->GetObjectIndex();
            angle = gInGameLevelEditor->GetAngle();
            for (const Object* o : gWorld->GetObjects()) typeTwentyTwo += o->GetType() == kPlayerBodyType ? 1 : 0;
            break;
        case kSave:
            firstSave = tree.Read("Levels/stage1.qvl");
            break;
        case kReload:
            // Between frames, so that nothing has moved since the load: the
            // developer key's reload, then at once the save again.
            OnKeyboard('1', true, false, nullptr);
            reloaded = Capture();
            OnEditorGUIEvent(kMsgEditorSaveLevel);
            secondSave = tree.Read("Levels/stage1.qvl");
            break;
        case kBlockSave:
            fs::create_directory(level + ".tmp");
            break;
        case kBlockedSave:
            afterBlocked = tree.Read("Levels/stage1.qvl");
            break;
        default:
            break;
        }
    });
    testing::internal::CaptureStdout();
    const int exitCode = WinMain(nullptr, nullptr, nullptr, 0);
    testing::internal::GetCapturedStdout();
    DXUTHeadlessSetFrameHook(nullptr);
    ASSERT_EQ(exitCode, 0);

    EXPECT_TRUE(editorOn);
    // The next object was made active and turned a quarter about y.
    EXPECT_GT(activeIndex, 0);
    EXPECT_EQ(angle, 180.0f);
    ASSERT_FALSE(beforeSave.objects.empty());
    ASSERT_FALSE(beforeSave.scenery.empty());
    // x turned onto -z by the second turn (the frame after it moves the body a little).
    EXPECT_NEAR(turnedXz, -1.0f, 1e-2f);

    // Everything the writer saves is back, frozen as the file builds it.
    ExpectSame(AsReloaded(beforeSave), reloaded);
    int frozen = 0;
    for (const SavedObject& o : reloaded.objects) frozen += o.frozen ? 1 : 0;
    EXPECT_GT(frozen, 0);
    // The character's walking body among them (written as its record, height included).
    EXPECT_EQ(typeTwentyTwo, 1);

    // The writer's layout: the header, one record per saved object and scene object.
    const std::string separator = "/* ---------------------------------------------------------------- */";
    EXPECT_EQ(firstSave.rfind("levelname: stage1.qvl\n" + separator +
                                  "\n\nstagenumber: 1\nheightmap: stage1.x\nhmapconfig: stage1.hmp\n\n" + separator +
                                  "\ncamera_orientation: ",
                              0),
              0u);
    EXPECT_EQ(Count(firstSave, "__TAG object\n"), static_cast<int>(beforeSave.objects.size()));
    EXPECT_EQ(Count(firstSave, "__TAG npo\n"), static_cast<int>(beforeSave.scenery.size()));
    EXPECT_EQ(secondSave, firstSave);

    // The save that could not make its temporary file kept the file and said so.
    EXPECT_EQ(afterBlocked, firstSave);
    std::fflush(stderr);
    const std::string errors = tree.Read("Errors.txt");
    EXPECT_EQ(errors.rfind("Unable to open qvlstage.txt\nFailed in file: ", 0), 0u) << errors;
    EXPECT_EQ(Count(errors, "Failed in file: "), 1) << errors;

    if (LV_EDITOR_BY_MOUSE) {
        // Started without "Vid.cfg": the defaults were written, and the game ran.
        bool ok = false;
        ConfigFile video(tree.Root() + "/Config/Vid.cfg", &ok);
        ASSERT_TRUE(ok);
        int width = 0;
        int height = 0;
        bool fullscreen = false;
        EXPECT_TRUE(video.GetValue<bool>("Fullscreen", fullscreen));
        EXPECT_TRUE(video.GetValue<int>("FullscreenWidth", width));
        EXPECT_TRUE(video.GetValue<int>("FullscreenHeight", height));
        EXPECT_TRUE(fullscreen);
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
    }
}

} // namespace
