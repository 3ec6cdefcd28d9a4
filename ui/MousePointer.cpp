#include "ui/MousePointer.h"

#include <algorithm>
#include <cstdint>

#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"

MousePointer::MousePointer(int textureId)
    : HUDElement(textureId, Vector3(-1.0f, -1.0f, 0.0f), Vector3(0.0f, 0.0f, 0.0f)), screen(GetBackBufferSize())
{
    size = Vector3(static_cast<float>(kImageSize) / static_cast<float>(screen.width),
                   static_cast<float>(kImageSize) / static_cast<float>(screen.height), 0.0f);
    SubscribeMessages();
}

void MousePointer::SubscribeMessages()
{
    if (!gEventDispatcher) return;
    gEventDispatcher->Subscribe(kMsgMouseMove, this);
    gEventDispatcher->Subscribe(kMsgMouseButton, this);
}

void MousePointer::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgMouseMove:
        if (const fMouseMoveState* move = dynamic_cast<const fMouseMoveState*>(msg)) MoveBy(move->dx, move->dy);
        break;
    case kMsgMouseButton:
        break;
    default:
        REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}

void MousePointer::MoveBy(int dx, int dy)
{
    // Summed in 64 bits: a wild delta must not wrap round past the clamp.
    x = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(x) + dx, 0, screen.width));
    y = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(y) + dy, 0, screen.height));
    const int halfWidth = screen.HalfWidth();
    const int halfHeight = screen.HalfHeight();
    position = Vector3(static_cast<float>(x - halfWidth) / static_cast<float>(halfWidth),
                       static_cast<float>(y - halfHeight) / static_cast<float>(halfHeight), 0.0f);
}

void MousePointer::Update()
{
    WriteQuadMatrix();
    hover = false;
}

bool MousePointer::IsOver(int left, int top, int width, int height) const
{
    // 64 bits again: a rectangle near the int range must not wrap.
    const int64_t hotX = static_cast<int64_t>(x) - kHotSpotOffset;
    const int64_t hotY = static_cast<int64_t>(y) - kHotSpotOffset;
    return left < hotX && hotX < static_cast<int64_t>(left) + width && top < hotY &&
           hotY < static_cast<int64_t>(top) + height;
}
