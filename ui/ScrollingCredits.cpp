#include "ui/ScrollingCredits.h"

#include <d3dx9math.h>

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "render/MeshInstance.h"

ScrollingCredits::ScrollingCredits(int textureId, int event) : MenuItemHUD(textureId, 0, 0, 0, 0, event) {}

void ScrollingCredits::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgMouseButton:
        if (ActivePointer() && IsLeftPress(msg)) PostEvent(GetEvent());
        break;
    case kMsgMouseMove:
        break;
    default:
        REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}

void ScrollingCredits::Update()
{
    offset += Clock::GetFrameTime(false) / 1000.0f / kSecondsPerScreenHalf;
    if (offset > kWrapOffset) offset = kStartOffset;
    D3DXMatrixTranslation(&GetQuad()->world, 0.0f, offset, 0.0f);
}
