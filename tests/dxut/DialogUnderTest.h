// The level editor's dialog as the game builds it (an action list of eight
// items with hot key Z at the top left, a "Go (X)" button beside it), with
// window messages sent in client pixels and every event it raises logged.
#pragma once

#include "DXUTgui.h"

#include <string>
#include <vector>

struct DialogUnderTest
{
    static constexpr int kButtonId = 7;
    static constexpr int kListId = 9;

    CDXUTDialogResourceManager manager; // declared first: outlives the dialog
    CDXUTDialog dialog;
    CDXUTComboBox* list = nullptr;
    CDXUTButton* button = nullptr;
    // "click 7", "select 9:3" (the selected index as the callback saw it).
    std::vector<std::string> events;

    explicit DialogUnderTest(const wchar_t* skin = L"UI\\DXUTControls.dds")
    {
        dialog.Init(&manager, true, skin);
        dialog.SetCallback(OnEvent, this);
        dialog.SetFont(1, L"Comic Sans MS", 24, FW_NORMAL);
        dialog.SetFont(2, L"Courier New", 16, FW_NORMAL);
        dialog.AddButton(kButtonId, L"Go (X)", 240, 0, 80, 35, 'X', false, &button);
        dialog.AddComboBox(kListId, 0, 0, 200, 24, 'Z', false, &list);
        list->SetDropHeight(100);
        static const wchar_t* const kItems[] = {
            L"Cycle next active object (Z)", L"Cycle prev active object (Z)", L"Rotate obj about Y (Z)",
            L"Rotate obj about Z (Z)",       L"Small rotate about Z (Z)",     L"Small -rotate about Z (Z)",
            L"Next active object mode (Z)",  L"Save current level (Z)",
        };
        intptr_t action = 0;
        for (const wchar_t* item : kItems) list->AddItem(item, reinterpret_cast<void*>(++action));
    }

    bool Send(UINT message, WPARAM wParam, int x, int y)
    {
        return dialog.MsgProc(nullptr, message, wParam, MAKELPARAM(x, y));
    }
    bool Key(UINT vk) { return Send(WM_KEYDOWN, vk, 0, 0); }
    bool Move(int x, int y) { return Send(WM_MOUSEMOVE, 0, x, y); }
    bool Down(int x, int y) { return Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    bool Up(int x, int y) { return Send(WM_LBUTTONUP, 0, x, y); }
    bool Wheel(int delta) { return Send(WM_MOUSEWHEEL, WPARAM(uint32_t(uint16_t(int16_t(delta))) << 16), 0, 0); }

private:
    static void CALLBACK OnEvent(UINT event, int id, CDXUTControl* control, void* user)
    {
        DialogUnderTest* self = static_cast<DialogUnderTest*>(user);
        if (event == EVENT_BUTTON_CLICKED) {
            self->events.push_back("click " + std::to_string(id));
        } else if (event == EVENT_COMBOBOX_SELECTION_CHANGED) {
            const int index = static_cast<CDXUTComboBox*>(control)->GetSelectedIndex();
            self->events.push_back("select " + std::to_string(id) + ":" + std::to_string(index));
        }
    }
};
