// The whole game under the headless framework host, in a scratch copy of the
// run tree: key 0 through the scheduled DirectInput poll turns the editor on;
// the dialog is worked through scheduled window messages, by its hot keys 'Z'
// and 'X' in one build of this test and by clicks at client coordinates in
// the other: the next object twice, two turns of it about y, then the save. Key 1
// reloads the stage from what was saved, and everything the writer saves must
// come back as it was; saving again at once gives the same file byte for byte; a save
// whose temporary file cannot be made reports it and keeps the file. The
// mouse build also starts without "Vid.cfg", which the game writes. Both draw
// on a windowless device at 640 x 480: the dialog shows over the stage while
// the editor is on (LV_EDITOR_SHOTS names a folder to keep the mouse build's
// picture of the editor over stage 1, its list open and "Go (X)" hovered).
#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "d3d9_host.h"
#include "EditorRig.h"
#include "core/ConfigFile.h"
#include "core/Matrix3.h"
#include "DXUTgui.h"
#include "core/Messages.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/Trigger.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "physics/BodyTypes.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

#ifndef LV_EDITOR_BY_MOUSE
#define LV_EDITOR_BY_MOUSE 0
#endif

namespace fs = std::filesystem;

namespace {

// What the level file keeps of a value: "%f", six decimals.
float Kept(float value, bool kept)
{
    if (!kept) return value;
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtof(text, nullptr);
}

// Each object, scene object and trigger the writer saves, one line each with every
// value exact. kept: as a reload must give them back, what the file kept of
// them; the character's walking body is written 4.5 below where it stands
// and raised by as much when built. Frozen is not in the file: every body a
// file builds starts as its type does.
std::vector<std::string> Describe(bool kept)
{
    std::vector<std::string> lines;
    char line[512];
    auto print = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        return std::string(line);
    };
    auto triple = [&](const Vector3& v, bool keep) {
        return print("%.9g %.9g %.9g", Kept(v.x, keep), Kept(v.y, keep), Kept(v.z, keep));
    };
    const Vector3 raise(0.0f, 0.0f, 4.5f);
    for (const Object* o : gWorld->GetObjects()) {
        if (!IsSavedType(o->GetType())) continue;
        const bool character = o->GetType() == kPlayerBodyType;
        Vector3 p = character ? o->position - raise : o->position;
        p = Vector3(Kept(p.x, kept), Kept(p.y, kept), Kept(p.z, kept));
        if (character) p += raise;
        std::string text = print("object %d at ", o->GetType()) + triple(p, false) + " turned";
        for (int i = 0; i < 9; ++i) text += print(" %.9g", Kept(o->GetOrientation()[i], kept));
        lines.push_back(text + print(" texture %d immovable %d mass %.9g frozen %d",
                                     o->meshes.empty() ? -1 : o->meshes.back()->textureId, int(o->immovable),
                                     Kept(o->creationMass, kept), int(o->IsFrozen())));
    }
    for (const NPObj* n : gWorld->GetNPObjects()) {
        lines.push_back(print("scenery %d at ", n->GetType()) + triple(n->position, kept) + " scale " +
                        triple(n->recordScale, kept) +
                        print(" texture %d", n->models.empty() ? -1 : n->models.front()->textureId));
    }
    for (const Trigger* t : gWorld->GetTriggers()) {
        lines.push_back(print("trigger %d kind %d at ", t->GetType(), t->kind) + triple(t->position, kept) + " scale " +
                        triple(t->recordScale, kept) + " spawn " + triple(t->spawnPosition, kept));
    }
    return lines;
}

// The back buffer's pixels under the dialog's controls and open list.
std::vector<uint8_t> DialogCorner()
{
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    if (gRenderer == nullptr || !LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), rgba, &w, &h)) return {};
    std::vector<uint8_t> corner;
    for (UINT y = 0; y < 124 && y < h; ++y) {
        corner.insert(corner.end(), rgba.begin() + y * w * 4, rgba.begin() + (y * w + std::min<UINT>(320, w)) * 4);
    }
    return corner;
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

    const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480"};
    Win32SetCommandLine(4, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, kFrames);
    DXUTHeadlessEnableDevice();
    // Key 1 first: stage 1 again, and the menus the game starts with closed.
    DXUTHeadlessScheduleKey(0, '1', true);
    DXUTHeadlessScheduleKey(1, '1', false);
    DXUTHeadlessScheduleInputKey(kEditorKeyDown, DIK_0, true);
    DXUTHeadlessScheduleInputKey(kEditorKeyUp, DIK_0, false);
    ScheduleGo(kNextObject);
    ScheduleGo(kNextObject + 1);
    if (LV_EDITOR_BY_MOUSE) {
        ScheduleClick(kChooseTurn, kListX, kListY);                              // open the list
        ScheduleClick(kChooseTurn + 1, kRowX, kFirstRowCentre + 2 * kRowHeight); // "Rotate obj about Y (Z)"
        ScheduleClick(kChooseSave, kListX, kListY);
        for (int i = 1; i <= 3; ++i) ScheduleClick(kChooseSave + i, kDownArrowX, kDownArrowY);
        DXUTHeadlessScheduleMessage(kChooseSave + 3, WM_MOUSEMOVE, 0, MAKELPARAM(kGoX, kGoY));
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
    std::vector<std::string> beforeSave, reloaded;
    std::string firstSave, secondSave, afterBlocked;
    std::vector<uint8_t> cornerOff, cornerOn;
    bool listOpenAndGoHovered = false;
    DXUTHeadlessSetFrameHook([&](int frame) {
        switch (frame) {
        case kEditorKeyDown:
            cornerOff = DialogCorner();
            break;
        case kChooseSave + 3:
            cornerOn = DialogCorner();
            listOpenAndGoHovered =
                gEditorDialog->GetComboBox(9)->IsOpened() && gEditorDialog->GetButton(7)->IsMouseOver();
            if (const char* folder = std::getenv("LV_EDITOR_SHOTS")) {
                if (LV_EDITOR_BY_MOUSE) {
                    const std::string shot = std::string(folder) + "/editor_stage1_list_open.png";
                    LvD3D9_SaveBackBufferPNG(gRenderer->GetDevice(), shot.c_str());
                }
            }
            break;
        case kEditorKeyUp:
            editorOn = gInGameLevelEditor->IsEnabled();
            break;
        case kSecondTurn:
            if (const Object* active = gInGameLevelEditor->GetActiveObject()) turnedXz = active->GetOrientation()(0, 2);
            break;
        case kSave - 1:
            beforeSave = Describe(true);
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
            reloaded = Describe(false);
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
    // Drawn by the frame while on: the corner is not the stage seen before.
    ASSERT_FALSE(cornerOff.empty());
    ASSERT_EQ(cornerOn.size(), cornerOff.size());
    size_t changed = 0;
    for (size_t i = 0; i < cornerOn.size(); i += 4) changed += cornerOn[i] != cornerOff[i] ? 1 : 0;
    EXPECT_GT(changed, cornerOn.size() / 4 / 2);
    // The next object was made active and turned a quarter about y.
    EXPECT_GT(activeIndex, 0);
    EXPECT_EQ(angle, 180.0f);
    // x turned onto -z by the second turn (the frame after it moves the body a little).
    EXPECT_NEAR(turnedXz, -1.0f, 1e-2f);

    // Everything the writer saves is back as the file kept it, the
    // character's walking body among them (written as its record, height
    // included), frozen as the file builds it.
    EXPECT_EQ(reloaded, beforeSave);
    EXPECT_EQ(typeTwentyTwo, 1);
    int frozen = 0;
    for (const std::string& line : reloaded) frozen += line.find(" frozen 1") != std::string::npos ? 1 : 0;
    EXPECT_GT(frozen, 0);

    // The writer's layout: the header, one record per saved object, scene object and trigger.
    const std::string separator = "/* ---------------------------------------------------------------- */";
    EXPECT_EQ(firstSave.rfind("levelname: stage1.qvl\n" + separator +
                                  "\n\nstagenumber: 1\nheightmap: stage1.x\nhmapconfig: stage1.hmp\n\n" + separator +
                                  "\ncamera_orientation: ",
                              0),
              0u);
    const struct
    {
        const char* described;
        const char* tag;
    } kinds[] = {{"object ", "__TAG object\n"}, {"scenery ", "__TAG npo\n"}, {"trigger ", "__TAG trigger\n"}};
    for (const auto& kind : kinds) {
        int described = 0;
        for (const std::string& line : beforeSave) described += line.rfind(kind.described, 0) == 0 ? 1 : 0;
        EXPECT_GT(described, 0) << kind.described;
        EXPECT_EQ(Count(firstSave, kind.tag), described) << kind.described;
    }
    EXPECT_EQ(secondSave, firstSave);

    // The save that could not make its temporary file kept the file and said so.
    EXPECT_EQ(afterBlocked, firstSave);
    std::fflush(stderr);
    const std::string errors = tree.Read("Errors.txt");
    EXPECT_EQ(errors.rfind("Unable to open qvlstage.txt\nFailed in file: ", 0), 0u) << errors;
    EXPECT_EQ(Count(errors, "Failed in file: "), 1) << errors;

    if (LV_EDITOR_BY_MOUSE) {
        EXPECT_TRUE(listOpenAndGoHovered);
        // Started without "Vid.cfg": the defaults were written, and the game ran.
        bool ok = false;
        ConfigFile video(tree.Root() + "/Config/Vid.cfg", &ok);
        ASSERT_TRUE(ok);
        bool fullscreen = false;
        EXPECT_TRUE(video.GetValue<bool>("Fullscreen", fullscreen) && fullscreen);
        for (const auto& [key, expected] : {std::pair{"FullscreenWidth", 640}, std::pair{"FullscreenHeight", 480}}) {
            int value = 0;
            EXPECT_TRUE(video.GetValue<int>(key, value)) << key;
            EXPECT_EQ(value, expected) << key;
        }
    }
}

} // namespace
