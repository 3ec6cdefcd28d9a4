#include "game/InGameLevelEditor.h"

#include "core/SpineTrace.h"

InGameLevelEditor* gInGameLevelEditor = nullptr;

void InGameLevelEditor::PrintHelp()
{
    SpineTrace::Record("InGameLevelEditor::PrintHelp");
}

void OnEditorGUIEvent(int action)
{
    SpineTrace::Record("OnEditorGUIEvent " + std::to_string(action));
}
