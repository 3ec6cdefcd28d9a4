#include "ui/MenuItemHUD.h"

#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"

namespace {
// The item's centre in normalised units, from its pixel rectangle. The halves
// are integer halves and the division is in floating point.
Vector3 LayoutCentre(const BackBufferSize& screen, int x, int y, int w, int h)
{
    const int halfWidth = screen.HalfWidth();
    const int halfHeight = screen.HalfHeight();
    return Vector3(static_cast<float>(x + w / 2 - halfWidth) / static_cast<float>(halfWidth),
                   static_cast<float>(y + h / 2 - halfHeight) / static_cast<float>(halfHeight), 0.0f);
}

Vector3 LayoutSize(const BackBufferSize& screen, int w, int h)
{
    return Vector3(static_cast<float>(w) / static_cast<float>(screen.width),
                   static_cast<float>(h) / static_cast<float>(screen.height), 0.0f);
}
} // namespace

MenuItemHUD::MenuItemHUD(int textureId, int x, int y, int w, int h, int event_)
    : HUDElement(textureId, Vector3(), Vector3()), left(x), top(y), width(w), height(h), screen(GetBackBufferSize()),
      event(event_)
{
    position = LayoutCentre(screen, x, y, w, h);
    size = LayoutSize(screen, w, h);
    SubscribeMessages();
}

void MenuItemHUD::SubscribeMessages()
{
    if (!gEventDispatcher) return;
    gEventDispatcher->Subscribe(kMsgMouseButton, this);
    gEventDispatcher->Subscribe(kMsgMouseMove, this);
}

MousePointer* MenuItemHUD::ActivePointer() const
{
    if (!gMenuMan || gMenuMan->GetCurrentMenuId() != menu || !gHUDManager) return nullptr;
    return gHUDManager->GetPointer();
}

bool MenuItemHUD::IsLeftPress(const fMessage* msg)
{
    const fMouseButtonState* button = dynamic_cast<const fMouseButtonState*>(msg);
    return button && button->state == kPressPressed && button->button == 0;
}

bool MenuItemHUD::IsUnderPointer(const MousePointer& pointer) const
{
    return pointer.IsOver(left, top, width, height);
}

void MenuItemHUD::UpdateHover(MousePointer& pointer, int hoverEvent) const
{
    if (pointer.IsHovering()) return;
    if (hoverEvent != kNoEvent && IsUnderPointer(pointer)) {
        pointer.SetTexture(HUDManager::kPointerHoverTexture);
        pointer.SetHovering(true);
    } else {
        pointer.SetTexture(HUDManager::kPointerTexture);
    }
}

void MenuItemHUD::PostEvent(int eventId)
{
    if (eventId == kNoEvent || !gEventDispatcher) return;
    gEventDispatcher->PostMessage(eventId, new fInputState(eventId, kPressPressed));
}

void MenuItemHUD::HandleMessage(int id, fMessage* msg)
{
    if (id != kMsgMouseButton && id != kMsgMouseMove) {
        REPORT_ERROR(kUnknownMessageReport);
        return;
    }
    MousePointer* pointer = ActivePointer();
    if (!pointer) return;
    if (id == kMsgMouseMove) {
        UpdateHover(*pointer, event);
    } else if (IsLeftPress(msg) && IsUnderPointer(*pointer)) {
        PostEvent(event);
    }
}

void MenuItemHUD::Update()
{
    WriteQuadMatrix();
}

ToggleBoxItemHUD::ToggleBoxItemHUD(int x, int y, int w, int h, int hoverEvent, int imageA_, int imageB_, int eventA_,
                                   int eventB_, int shownImage, bool flag_)
    : MenuItemHUD(shownImage, x, y, w, h, hoverEvent), flag(flag_), imageA(imageA_), imageB(imageB_), eventA(eventA_),
      eventB(eventB_)
{}

void ToggleBoxItemHUD::HandleMessage(int id, fMessage* msg)
{
    if (id != kMsgMouseButton) {
        MenuItemHUD::HandleMessage(id, msg);
        return;
    }
    MousePointer* pointer = ActivePointer();
    if (!pointer || !IsLeftPress(msg) || !IsUnderPointer(*pointer)) return;
    // The box shows what the click asks for; the event's receiver then shows
    // what it decided.
    const int chosenEvent = flag ? eventA : eventB;
    const int chosenImage = flag ? imageA : imageB;
    flag = !flag;
    PostEvent(chosenEvent);
    SetTexture(chosenImage);
}

void ToggleBoxItemHUD::SetUnchecked()
{
    flag = true;
    SetTexture(imageA);
}

void ToggleBoxItemHUD::SetChecked()
{
    flag = false;
    SetTexture(imageB);
}
