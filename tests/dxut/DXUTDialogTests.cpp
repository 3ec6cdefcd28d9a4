// The editor's dialog: hot keys, clicks, the drop-down list, hover and events.
#include "DXUTgui.h"

#include "DialogUnderTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Events
{
    std::vector<std::string> log;
};

void CALLBACK OnGuiEvent(UINT event, int id, CDXUTControl* control, void* user)
{
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetID(), id);
    static_cast<Events*>(user)->log.push_back(std::to_string(event) + ":" + std::to_string(id));
}

TEST(DXUTDialog, HotkeysClicksAndComboSelection)
{
    CDXUTDialogResourceManager manager;
    EXPECT_EQ(manager.OnD3D9CreateDevice(nullptr), S_OK);
    EXPECT_EQ(manager.OnD3D9ResetDevice(), S_OK);
    EXPECT_FALSE(manager.MsgProc(nullptr, WM_KEYDOWN, 'X', 0));

    Events events;
    CDXUTDialog dialog;
    dialog.Init(&manager, true, L"UI\\DXUTControls.dds");
    dialog.SetCallback(OnGuiEvent, &events);
    EXPECT_EQ(dialog.SetFont(1, L"Comic Sans MS", 24, 400), S_OK);
    EXPECT_EQ(dialog.SetFont(2, L"Courier New", 16, 400), S_OK);
    EXPECT_EQ(dialog.GetFontFace(2), L"Courier New");
    EXPECT_EQ(dialog.GetTextureFile(0), L"UI\\DXUTControls.dds");
    ASSERT_EQ(dialog.AddButton(7, L"Go (X)", 240, 0, 80, 35, 'X'), S_OK);
    CDXUTComboBox* combo = nullptr;
    ASSERT_EQ(dialog.AddComboBox(9, 0, 0, 200, 24, 'Z', false, &combo), S_OK);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(dialog.GetComboBox(9), combo);
    EXPECT_EQ(dialog.GetComboBox(7), nullptr); // a button is not a combo box
    EXPECT_EQ(dialog.AddButton(9, L"again", 0, 0, 1, 1), E_INVALIDARG);

    EXPECT_EQ(combo->GetSelectedData(), nullptr);
    combo->SetDropHeight(100);
    int actions[] = {45, 44, 47};
    combo->AddItem(L"Cycle next active object (Z)", &actions[0]);
    combo->AddItem(L"Cycle prev active object (Z)", &actions[1]);
    combo->AddItem(L"Toggle gravity", &actions[2]);
    EXPECT_EQ(combo->GetSelectedData(), &actions[0]);
    EXPECT_TRUE(events.log.empty()); // selecting the first item is not the user's doing

    EXPECT_TRUE(dialog.MsgProc(nullptr, WM_KEYDOWN, 'Z', 0));
    EXPECT_EQ(combo->GetSelectedData(), &actions[1]);
    EXPECT_TRUE(dialog.MsgProc(nullptr, WM_KEYDOWN, 'X', 0));
    EXPECT_FALSE(dialog.MsgProc(nullptr, WM_KEYDOWN, 'Q', 0));
    EXPECT_FALSE(dialog.MsgProc(nullptr, WM_KEYUP, 'X', 0));

    // A click is press and release on the same control.
    EXPECT_TRUE(dialog.MsgProc(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 10)));
    EXPECT_TRUE(dialog.MsgProc(nullptr, WM_LBUTTONUP, 0, MAKELPARAM(300, 30)));
    EXPECT_TRUE(dialog.MsgProc(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 10)));
    EXPECT_FALSE(dialog.MsgProc(nullptr, WM_LBUTTONUP, 0, MAKELPARAM(400, 300)));
    EXPECT_FALSE(dialog.MsgProc(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 10))); // between controls
    // Two more hot-key presses wrap round to the first item.
    dialog.MsgProc(nullptr, WM_KEYDOWN, 'Z', 0);
    dialog.MsgProc(nullptr, WM_KEYDOWN, 'Z', 0);
    EXPECT_EQ(combo->GetSelectedData(), &actions[0]);

    const std::vector<std::string> expected = {"513:9", "257:7", "257:7", "513:9", "513:9"};
    EXPECT_EQ(events.log, expected);
    EXPECT_EQ(dialog.OnRender(0.016f), S_OK);

    // A hidden dialog takes nothing.
    dialog.SetVisible(false);
    EXPECT_FALSE(dialog.MsgProc(nullptr, WM_KEYDOWN, 'X', 0));
}

// One session with the editor's dialog, step by step. The list (8 rows of 18
// pixels in 100 pixels below the 24-pixel box) shows 5 rows and a scroll bar at
// x 182..198: up arrow y 26..42, track 42..106 with a 40-pixel thumb, down
// arrow 106..122. Rows start at y 26.
TEST(DXUTDialog, ListButtonAndHotKeysStepByStep)
{
    enum Action { kKey, kMove, kDown, kUp, kClick, kWheel };
    struct Step
    {
        const char* what;
        Action action;
        int a, b;  // key, or client point, or wheel delta
        bool used; // what MsgProc answered (for a click: the press and the release)
        int selected;
        bool open;
        int scroll;
        const char* events; // raised by this step, joined by ','
    };
    const Step steps[] = {
        {"Z selects the next item", kKey, 'Z', 0, true, 1, false, 0, "select 9:1"},
        {"X clicks the button", kKey, 'X', 0, true, 1, false, 0, "click 7"},
        {"a key that is no hot key", kKey, 'Q', 0, false, 1, false, 0, ""},
        {"moving over the button is not taken", kMove, 280, 17, false, 1, false, 0, ""},
        {"a press on the box opens the list", kDown, 100, 12, true, 1, true, 0, ""},
        {"Z waits while the list is open", kKey, 'Z', 0, false, 1, true, 0, ""},
        {"the release on the box", kUp, 100, 12, true, 1, true, 0, ""},
        {"moving over a row is taken", kMove, 50, 89, true, 1, true, 0, ""},
        {"moving past the list is not", kMove, 300, 200, false, 1, true, 0, ""},
        {"the wheel scrolls one row", kWheel, -WHEEL_DELTA, 0, true, 1, true, 1, ""},
        {"the up arrow scrolls back", kClick, 190, 34, true, 1, true, 0, ""},
        {"the down arrow", kClick, 190, 114, true, 1, true, 1, ""},
        {"the down arrow again", kClick, 190, 114, true, 1, true, 2, ""},
        {"the wheel past the end stops at the last row", kWheel, -5 * WHEEL_DELTA, 0, true, 1, true, 3, ""},
        {"the track above the thumb pages up", kClick, 190, 45, true, 1, true, 0, ""},
        {"the thumb taken 8 pixels down", kDown, 190, 50, true, 1, true, 0, ""},
        {"dragged 24 pixels: three rows", kMove, 190, 74, true, 1, true, 3, ""},
        {"let go", kUp, 190, 74, true, 1, true, 3, ""},
        {"the second row shown is item 4", kClick, 50, 53, true, 4, false, 3, "select 9:4"},
        {"open again", kClick, 100, 12, true, 4, true, 3, ""},
        {"a press elsewhere closes the list", kDown, 400, 300, true, 4, false, 3, ""},
        {"its release is not taken", kUp, 400, 300, false, 4, false, 3, ""},
        {"open once more", kClick, 100, 12, true, 4, true, 3, ""},
        {"a press on the button closes the list and clicks it", kClick, 260, 10, true, 4, false, 3, "click 7"},
        {"open, last rows in view", kClick, 100, 12, true, 4, true, 3, ""},
        {"X clicks with the list open", kKey, 'X', 0, true, 4, true, 3, "click 7"},
        {"the box closes its own list", kClick, 100, 12, true, 4, false, 3, ""},
        {"Z after the list closed", kKey, 'Z', 0, true, 5, false, 3, "select 9:5"},
        {"a press off the button", kDown, 260, 10, true, 5, false, 3, ""},
        {"released elsewhere is no click", kUp, 400, 300, false, 5, false, 3, ""},
        {"between the controls", kDown, 230, 10, false, 5, false, 3, ""},
        {"the wheel over a closed list", kWheel, WHEEL_DELTA, 0, false, 5, false, 3, ""},
        {"Z", kKey, 'Z', 0, true, 6, false, 3, "select 9:6"},
        {"Z", kKey, 'Z', 0, true, 7, false, 3, "select 9:7"},
        {"Z wraps to the first item", kKey, 'Z', 0, true, 0, false, 3, "select 9:0"},
        {"opening shows the selection", kClick, 100, 12, true, 0, true, 0, ""},
        {"a double press on the box counts as a press", kDown, 100, 12, true, 0, false, 0, ""},
    };
    DialogUnderTest d;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        d.events.clear();
        bool used = false;
        switch (step.action) {
        case kKey:
            used = d.Key(UINT(step.a));
            break;
        case kMove:
            used = d.Move(step.a, step.b);
            break;
        case kDown:
            used =
                d.Send(std::string(step.what).find("double") != std::string::npos ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN,
                       MK_LBUTTON, step.a, step.b);
            break;
        case kUp:
            used = d.Up(step.a, step.b);
            break;
        case kClick: {
            const bool down = d.Down(step.a, step.b);
            const bool up = d.Up(step.a, step.b);
            EXPECT_EQ(down, up) << "press and release of one click answered differently";
            used = down && up;
            break;
        }
        case kWheel:
            used = d.Wheel(step.a);
            break;
        }
        EXPECT_EQ(used, step.used);
        EXPECT_EQ(d.list->GetSelectedIndex(), step.selected);
        EXPECT_EQ(d.list->IsOpened(), step.open);
        EXPECT_EQ(d.list->GetScrollPosition(), step.scroll);
        std::string joined;
        for (const std::string& e : d.events) joined += (joined.empty() ? "" : ",") + e;
        EXPECT_EQ(joined, step.events);
    }
}

// Hover follows the mouse: over the button, over a row of the open list (which
// lies over anything beneath it), and nowhere once the mouse leaves; a dialog
// moved from the corner takes client points relative to its own corner.
TEST(DXUTDialog, HoverAndDialogLocation)
{
    DialogUnderTest d;
    d.Move(280, 17);
    EXPECT_TRUE(d.button->IsMouseOver());
    EXPECT_FALSE(d.list->IsMouseOver());
    d.Move(10, 10);
    EXPECT_FALSE(d.button->IsMouseOver());
    EXPECT_TRUE(d.list->IsMouseOver());
    d.Down(10, 10);
    d.Up(10, 10);
    d.Move(50, 26 + 2 * 18 + 1);
    EXPECT_EQ(d.list->GetHoveredItem(), 2);
    EXPECT_TRUE(d.list->IsMouseOver());
    d.Move(50, 26 + 5 * 18 + 2); // the list's bottom padding: no row
    EXPECT_EQ(d.list->GetHoveredItem(), -1);
    d.Move(500, 400);
    EXPECT_FALSE(d.list->IsMouseOver());
    EXPECT_FALSE(d.button->IsMouseOver());
    d.Down(500, 400);
    EXPECT_FALSE(d.list->IsOpened());

    const CDXUTComboBox::Layout layout = d.list->GetLayout();
    EXPECT_EQ(layout.list.top, 24);
    EXPECT_EQ(layout.list.bottom, 124);
    EXPECT_EQ(layout.list.left, 0);
    EXPECT_EQ(layout.list.right, 200);
    EXPECT_LT(layout.visibleItems, 8);
    EXPECT_GT(layout.thumb.bottom, layout.thumb.top);

    DialogUnderTest moved;
    moved.dialog.SetLocation(100, 50);
    EXPECT_FALSE(moved.Down(50, 10)); // where the box would be at the corner
    EXPECT_TRUE(moved.Down(150, 60));
    moved.Up(150, 60);
    EXPECT_TRUE(moved.list->IsOpened());
    EXPECT_TRUE(moved.Down(150, 50 + 26 + 18 + 5)); // second row
    EXPECT_EQ(moved.list->GetSelectedIndex(), 1);
    EXPECT_TRUE(moved.Down(100 + 250, 50 + 5));
    EXPECT_TRUE(moved.Up(100 + 250, 50 + 5));
    const std::vector<std::string> expected = {"select 9:1", "click 7"};
    EXPECT_EQ(moved.events, expected);
}

TEST(DXUTDialog, EitherMayBeDeletedFirst)
{
    CDXUTDialogResourceManager* manager = new CDXUTDialogResourceManager;
    CDXUTDialog* dialog = new CDXUTDialog;
    dialog->Init(manager);
    dialog->AddButton(1, L"b", 0, 0, 10, 10);
    delete manager;
    EXPECT_EQ(dialog->GetManager(), nullptr);
    delete dialog;

    manager = new CDXUTDialogResourceManager;
    dialog = new CDXUTDialog;
    dialog->Init(manager);
    delete dialog;
    delete manager;
}

} // namespace
