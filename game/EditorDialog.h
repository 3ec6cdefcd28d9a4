// The editor's framework dialog: an action list and a "Go (X)" button.
#pragma once

class CDXUTDialog;
class CDXUTDialogResourceManager;

// The action chosen in the dialog's list.
struct EditorDialogState
{
    int action = 45;
    int reserved0 = 0;
    int reserved1 = 0;
};

// Creates the dialog and its resource manager.
void CreateEditorDialog(EditorDialogState* state);
// The action chosen in the list, run when "Go (X)" is pressed: turns of the
// active object, previous and next item, gravity, the immovable flag, the
// next mode and the save; any other id does nothing.
void OnEditorGUIEvent(int action);

extern EditorDialogState* gEditorDialogState;
extern CDXUTDialog* gEditorDialog;
extern CDXUTDialogResourceManager* gDialogResourceManager;
