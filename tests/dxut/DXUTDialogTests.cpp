// The editor's dialog: hot keys, clicks, combo selection and events.
#include "DXUTgui.h"

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
