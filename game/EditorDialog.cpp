// The editor's dialog: an action list (combo box, hot key Z) and a "Go (X)"
// button that runs the chosen action.
#include "game/EditorDialog.h"

#include <cstdint>
#include <new>

#include "DXUTgui.h"
#include "core/Messages.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"

EditorDialogState* gEditorDialogState = nullptr;
CDXUTDialog* gEditorDialog = nullptr;
CDXUTDialogResourceManager* gDialogResourceManager = nullptr;

namespace {

const int kGoButtonId = 7;
const int kActionListId = 9;

struct DialogAction
{
    const wchar_t* text;
    int action;
};

const DialogAction kActions[] = {
    {L"Cycle next active object (Z)", 45}, {L"Cycle prev active object (Z)", 44}, {L"Rotate obj about Y (Z)", 36},
    {L"Rotate obj about Z (Z)", 37},       {L"Small rotate about Z (Z)", 41},     {L"Small -rotate about Z (Z)", 42},
    {L"Next active object mode (Z)", 49},  {L"Save current level (Z)", 50},
};

void CALLBACK OnEditorDialogEvent(UINT event, int controlId, CDXUTControl* control, void* userContext)
{
    EditorDialogState* state = static_cast<EditorDialogState*>(userContext);
    if (!state) return;
    if (controlId == kActionListId && event == EVENT_COMBOBOX_SELECTION_CHANGED) {
        CDXUTComboBox* list = static_cast<CDXUTComboBox*>(control);
        state->action = static_cast<int>(reinterpret_cast<intptr_t>(list->GetSelectedData()));
    } else if (controlId == kGoButtonId && event == EVENT_BUTTON_CLICKED) {
        OnEditorGUIEvent(state->action);
    }
}

} // namespace

void CreateEditorDialog(EditorDialogState* state)
{
    gDialogResourceManager = new (std::nothrow) CDXUTDialogResourceManager();
    gEditorDialog = new (std::nothrow) CDXUTDialog();
    if (!gDialogResourceManager || !gEditorDialog) return;

    gEditorDialog->Init(gDialogResourceManager, true, L"UI\\DXUTControls.dds");
    gEditorDialog->SetCallback(OnEditorDialogEvent, state);
    gEditorDialog->SetFont(1, L"Comic Sans MS", 24, 400);
    gEditorDialog->SetFont(2, L"Courier New", 16, 400);
    gEditorDialog->AddButton(kGoButtonId, L"Go (X)", 240, 0, 80, 35, 'X');

    CDXUTComboBox* list = nullptr;
    gEditorDialog->AddComboBox(kActionListId, 0, 0, 200, 24, 'Z', false, &list);
    if (!list) return;
    list->SetDropHeight(100);
    for (const DialogAction& a : kActions)
        list->AddItem(a.text, reinterpret_cast<void*>(static_cast<intptr_t>(a.action)));
}

void OnEditorGUIEvent(int action)
{
    InGameLevelEditor* editor = gInGameLevelEditor;
    if (editor == nullptr) return;
    // Every action but the save works on the editor's active item and mode.
    switch (action) {
    case kMsgEditorRotateXPlus:
    case kMsgEditorRotateYPlus:
    case kMsgEditorRotateZPlus:
        editor->Rotate(action, false, false);
        break;
    case kMsgEditorSmallRotateZ:
        editor->Rotate(action, false, true);
        break;
    case kMsgEditorSmallRotateZMinus:
        editor->Rotate(action, true, true);
        break;
    case kMsgEditorPrevious:
        editor->CycleActiveItem(-1);
        break;
    case kMsgEditorNext:
        editor->CycleActiveItem(1);
        break;
    case kMsgEditorGravity:
        editor->ToggleGravity();
        break;
    case kMsgEditorImmovable:
        editor->ToggleImmovable();
        break;
    case kMsgEditorNextMode:
        editor->NextMode();
        break;
    case kMsgEditorSaveLevel:
        if (gLevelLoader != nullptr) gLevelLoader->SaveLevel();
        break;
    default:
        break;
    }
}
