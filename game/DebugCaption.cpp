#include "game/DebugCaption.h"

#include "core/DebugPrint.h"
#include "core/Stage.h"
#include "game/InGameLevelEditor.h"
#include "render/Renderer.h"

void PrintDebugCaption()
{
    DebugPrint("Quorvalith Stage %d", CurrentStage());
    if (gRenderer && gRenderer->GetCamera()->IsMouseLookEnabled()) DebugPrint("camera mouse look is enabled 'c'");
    if (gInGameLevelEditor) gInGameLevelEditor->PrintHelp();
}
