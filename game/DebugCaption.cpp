#include "game/DebugCaption.h"

#include "core/DebugPrint.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "render/Renderer.h"

void PrintDebugCaption()
{
    DebugPrint("Quorvalith Stage %d", gLevelLoader ? gLevelLoader->GetStage() : -1);
    if (gRenderer && gRenderer->GetCamera()->IsMouseLookEnabled()) DebugPrint("camera mouse look is enabled 'c'");
    if (gInGameLevelEditor) gInGameLevelEditor->PrintHelp();
}
