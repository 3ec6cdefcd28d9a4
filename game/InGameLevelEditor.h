// The in-game level editor. Placeholder until the editor is written.
#pragma once

#include "core/EventObj.h"

class InGameLevelEditor : public fEventObj
{
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    bool IsEnabled() const { return !off; }
    // Writes the editor's status lines to the debug channel.
    void PrintHelp();
    // Test seam until the editor's own key handling exists.
    void SetEnabledForTest(bool on) { off = !on; }

private:
    bool off = true;
};

// The dialog's action, run when its "Go (X)" button is pressed.
void OnEditorGUIEvent(int action);

extern InGameLevelEditor* gInGameLevelEditor;
