// The editor's dialog as the game builds it, reached through the game's own
// window-message handler: hot keys and clicks choose actions and run them on
// the editor, only while it is on. And the save: the character written where
// its record puts it, a collected coin or mask where it was collected from,
// and a save that cannot write keeping the old file.
#include <gtest/gtest.h>

#include <dinput.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "DXUTgui.h"
#include "EditorRig.h"
#include "core/Messages.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelFile.h"
#include "game/LevelLoader.h"
#include "game/Lumveran.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/Object.h"
#include "physics/BodyTypes.h"
#include "render/Camera.h"
#include "render/Renderer.h"

namespace {

// The dialog as the game makes it, freed as the game frees it.
struct GameDialog
{
    EditorDialogState state;
    GameDialog() { CreateEditorDialog(&state); }
    ~GameDialog()
    {
        delete gEditorDialog;
        gEditorDialog = nullptr;
        delete gDialogResourceManager;
        gDialogResourceManager = nullptr;
    }
};

// One window message through the game's handler; true when it was used.
bool Send(UINT message, WPARAM wParam, int x = 0, int y = 0)
{
    bool used = false;
    MsgProc(nullptr, message, wParam, MAKELPARAM(x, y), &used, nullptr);
    return used;
}

bool Click(int x, int y)
{
    const bool down = Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    const bool up = Send(WM_LBUTTONUP, 0, x, y);
    return down && up;
}

std::vector<LevelRecord> ReadRecords(const std::string& text)
{
    std::istringstream in(text);
    LevelReader reader(in, "saved");
    LevelHeader header;
    std::vector<LevelRecord> records;
    if (!reader.ReadHeader(header)) return records;
    for (LevelRecord r; reader.NextRecord(r);) records.push_back(r);
    return records;
}

class DialogAndSaveTest : public ::testing::Test
{
protected:
    void SetUp() override { gLevelLoader->LoadLevel("stage1.qvl"); }
    InGameLevelEditor& Editor() { return *gInGameLevelEditor; }
    // Saves with the console's copy of the file kept out of the test's output.
    void Save()
    {
        testing::internal::CaptureStdout();
        OnEditorGUIEvent(kMsgEditorSaveLevel);
        testing::internal::GetCapturedStdout();
    }

    EditorRig rig;
};

TEST_F(DialogAndSaveTest, HotKeysAndClicksRunTheChosenActionsOnlyWhileTheEditorIsOn)
{
    GameDialog dialog;
    CDXUTComboBox* list = gEditorDialog->GetComboBox(9);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(dialog.state.action, 45);

    // Off, the dialog hears nothing.
    EXPECT_FALSE(Send(WM_KEYDOWN, 'X'));
    EXPECT_FALSE(Click(280, 17));
    EXPECT_EQ(Editor().GetObjectIndex(), 0);

    rig.TapKey(DIK_0);
    // "Go (X)" with the first action: the next object, the camera on it.
    EXPECT_TRUE(Send(WM_KEYDOWN, 'X'));
    const int next = Editor().GetObjectIndex();
    EXPECT_GT(next, 0);
    EXPECT_EQ(gRenderer->GetCamera()->GetTargetPosition().x, gWorld->GetObject(next)->position.x);

    // 'Z' twice: "Rotate obj about Y"; two clicks on "Go (X)" leave a quarter turn.
    EXPECT_TRUE(Send(WM_KEYDOWN, 'Z'));
    EXPECT_TRUE(Send(WM_KEYDOWN, 'Z'));
    EXPECT_EQ(dialog.state.action, 36);
    EXPECT_TRUE(Click(280, 17));
    EXPECT_TRUE(Click(280, 17));
    EXPECT_FLOAT_EQ(Editor().GetAngle(), 180.0f);
    EXPECT_NEAR(gWorld->GetObject(next)->GetOrientation()(0, 2), -1.0f, 1e-6f); // x turned onto -z

    // The list: open it, pick "Cycle prev active object" (its second row),
    // then "Go (X)": the savable object before the turned one.
    const CDXUTComboBox::Layout layout = list->GetLayout();
    EXPECT_TRUE(Click(100, 12));
    ASSERT_TRUE(list->IsOpened());
    const int rowCentre = layout.itemHeight / 2;
    EXPECT_TRUE(Click(90, int(layout.items.top) + layout.itemHeight + rowCentre));
    EXPECT_FALSE(list->IsOpened());
    EXPECT_EQ(dialog.state.action, 44);
    EXPECT_TRUE(Click(280, 17));
    int previous = next;
    do {
        previous = previous == 0 ? gWorld->GetNumObjects() - 1 : previous - 1;
    } while (!IsSavedType(gWorld->GetObject(previous)->GetType()));
    EXPECT_EQ(Editor().GetObjectIndex(), previous);

    // The save is the last item: scrolled to by the list's down arrow.
    EXPECT_TRUE(Click(100, 12));
    const int downX = (layout.down.left + layout.down.right) / 2;
    const int downY = (layout.down.top + layout.down.bottom) / 2;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Click(downX, downY));
    EXPECT_EQ(list->GetScrollPosition(), 3);
    EXPECT_TRUE(Click(90, int(layout.items.top) + 4 * layout.itemHeight + rowCentre));
    EXPECT_EQ(dialog.state.action, 50);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Send(WM_KEYDOWN, 'X'));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.rfind("Opened log file: qvlstage.txt\n", 0), 0u);
    const std::string saved = rig.tree.Read("Levels/stage1.qvl");
    EXPECT_NE(console.find(saved), std::string::npos);
    // The one object turned is written turned.
    int turned = 0;
    for (const LevelRecord& r : ReadRecords(saved)) turned += r.orientation[2] == -1.0f ? 1 : 0;
    EXPECT_EQ(turned, 1);

    // Off again: 'Z' changes nothing.
    rig.TapKey(DIK_0);
    EXPECT_FALSE(Send(WM_KEYDOWN, 'Z'));
    EXPECT_EQ(dialog.state.action, 50);
}

TEST_F(DialogAndSaveTest, TheCharactersBodyIsWrittenAsItsRecordAtTheHeightTheRecordRaises)
{
    // The walking body stands 4.5 above what its record says; written back
    // as a character record 4.5 lower, a save and reload keeps its height,
    // wherever it walked to.
    Object* body = nullptr;
    for (Object* o : gWorld->GetObjects()) {
        if (o->GetType() == kPlayerBodyType) body = o;
    }
    ASSERT_NE(body, nullptr);
    const float mass = body->creationMass;
    body->position = Vector3(12.5f, -3.25f, 20.0f);
    rig.TapKey(DIK_0);
    Save();
    int characters = 0;
    for (const LevelRecord& r : ReadRecords(rig.tree.Read("Levels/stage1.qvl"))) {
        EXPECT_NE(r.type, kPlayerBodyType);
        if (r.kind != LevelRecordKind::Object || r.type != 15) continue;
        ++characters;
        EXPECT_EQ(r.position.x, 12.5f);
        EXPECT_EQ(r.position.y, -3.25f);
        EXPECT_EQ(r.position.z, 15.5f);
        EXPECT_EQ(r.mass, mass);
    }
    EXPECT_EQ(characters, 1);
}

TEST_F(DialogAndSaveTest, ACollectedCoinAndMaskAreWrittenWhereTheyWereCollectedFromAndWhereTheEditorMovedThem)
{
    // Stage 3 has coins and the mask: the first of each, by its index among
    // the triggers, which a reload keeps.
    gLevelLoader->LoadLevel("stage3.qvl");
    const std::vector<Trigger*>& triggers = gWorld->GetTriggers();
    const auto firstOfKind = [&triggers](int kind) {
        return size_t(std::find_if(triggers.begin(), triggers.end(), [kind](Trigger* t) { return t->kind == kind; }) -
                      triggers.begin());
    };
    const size_t coinIndex = firstOfKind(Trigger::kCoin), maskIndex = firstOfKind(Trigger::kMask);
    ASSERT_LT(std::max(coinIndex, maskIndex), triggers.size());
    Trigger* coin = triggers[coinIndex];
    Trigger* mask = triggers[maskIndex];
    const Vector3 coinPlace = coin->position;
    const Vector3 maskPlace = mask->position;
    rig.TapKey(DIK_0);
    Save();
    const std::string beforeCollecting = rig.tree.Read("Levels/stage3.qvl");

    coin->Fire();
    mask->Fire();
    ASSERT_GT(std::min(coin->position.z - coinPlace.z, mask->position.z - maskPlace.z), 1000.0f) << "put away";
    Save();
    EXPECT_EQ(rig.tree.Read("Levels/stage3.qvl"), beforeCollecting);

    // The editor lifts the collected coin by two steps: written two steps
    // above its place.
    OnEditorGUIEvent(kMsgEditorNextMode);
    while (Editor().GetActiveTrigger() != coin) OnEditorGUIEvent(kMsgEditorNext);
    rig.HoldKey(DIK_NUMPAD9, 3);
    Save();
    const Vector3 moved = coinPlace + Vector3(0.0f, 0.0f, 2.0f * InGameLevelEditor::kTriggerStep);

    gLevelLoader->LoadLevel("stage3.qvl");
    ASSERT_LT(std::max(coinIndex, maskIndex), triggers.size());
    coin = triggers[coinIndex];
    mask = triggers[maskIndex];
    EXPECT_TRUE(coin->kind == Trigger::kCoin && mask->kind == Trigger::kMask);
    EXPECT_FALSE(coin->fired || mask->fired);
    EXPECT_NEAR((coin->position - moved).Length(), 0.0f, 1e-5f);
    EXPECT_EQ(mask->position, maskPlace);
}

TEST_F(DialogAndSaveTest, ASaveThatCannotWriteReportsItAndKeepsTheOldFile)
{
    rig.TapKey(DIK_0);
    const std::string shipped = rig.tree.Read("Levels/stage1.qvl");
    ASSERT_FALSE(shipped.empty());
    // A folder where the temporary file would go: a read-only folder would
    // not stop a test run as root.
    std::filesystem::create_directory(rig.tree.Root() + "/Levels/stage1.qvl.tmp");
    // Object 0 is the character's spine limb, which the file does not keep:
    // the turns go to the next object, which it does.
    OnEditorGUIEvent(kMsgEditorNext);
    ASSERT_NE(gInGameLevelEditor->GetActiveObject(), nullptr);
    ASSERT_TRUE(LevelLoader::SavesType(gInGameLevelEditor->GetActiveObject()->GetType()));
    OnEditorGUIEvent(kMsgEditorRotateYPlus);
    OnEditorGUIEvent(kMsgEditorRotateYPlus);
    testing::internal::CaptureStderr();
    Save();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Unable to open qvlstage.txt\nFailed in file: "), std::string::npos) << errors;
    EXPECT_EQ(rig.tree.Read("Levels/stage1.qvl"), shipped);

    // With the way clear the same save goes through.
    std::filesystem::remove(rig.tree.Root() + "/Levels/stage1.qvl.tmp");
    testing::internal::CaptureStderr();
    Save();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(rig.tree.Read("Levels/stage1.qvl"), shipped);
}

} // namespace
