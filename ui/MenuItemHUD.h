// The clickable images of the menus. An item is laid out in back-buffer
// pixels (W x H read when it is built) and converted once to normalised
// screen units. While its menu is on top, a left press with the pointer's hot
// spot inside it posts its event as an fInputState in state 2, and the
// pointer shows the hover image while it is over an item that has an event.
// A toggle box has two images and two events and swaps on each click; the
// receiver of its event then shows the resulting state (SetChecked or
// SetUnchecked).
#pragma once

#include "core/EventObj.h"
#include "ui/HUDElement.h"
#include "ui/BackBufferSize.h"

class MousePointer;

class MenuItemHUD : public HUDElement, public fEventObj
{
public:
    // No event: the item is a picture only.
    static constexpr int kNoEvent = -1;

    // x, y: the top-left corner, w, h: the size, in back-buffer pixels.
    // Subscribes to buttons, then motion.
    MenuItemHUD(int textureId, int x, int y, int w, int h, int event);

    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;
    void Update() override;

    // Set by the menu when the item is added to it.
    void SetPlace(int menuPage, int itemIndex)
    {
        menu = menuPage;
        index = itemIndex;
    }
    int GetMenu() const { return menu; }
    int GetIndex() const { return index; }
    int GetEvent() const { return event; }
    int GetLeft() const { return left; }
    int GetTop() const { return top; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

protected:
    // The pointer, when it exists and this item's menu is on top; else null.
    MousePointer* ActivePointer() const;
    // A left press in this frame, from a message of id 52.
    static bool IsLeftPress(const fMessage* msg);
    bool IsUnderPointer(const MousePointer& pointer) const;
    // The first item under the pointer with an event marks it hovering and
    // shows the hover image; the others show the plain image until then.
    void UpdateHover(MousePointer& pointer, int hoverEvent) const;
    // Posts the event as an fInputState in state 2, unless it is kNoEvent.
    static void PostEvent(int eventId);

private:
    int menu = 0;
    int index = 0;
    int left;
    int top;
    int width;
    int height;
    BackBufferSize screen; // the back buffer when the item was built
    int event;
};

class ToggleBoxItemHUD : public MenuItemHUD
{
public:
    // hoverEvent decides the hover image; the click posts eventA or eventB.
    ToggleBoxItemHUD(int x, int y, int w, int h, int hoverEvent, int imageA, int imageB, int eventA, int eventB,
                     int shownImage, bool flag);

    // The item's subscriptions were made by the item's constructor.
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override;

    // Flag set, image A shown.
    void SetUnchecked();
    // Flag clear, image B shown.
    void SetChecked();
    bool GetFlag() const { return flag; }

private:
    bool flag;
    int imageA;
    int imageB;
    int eventA;
    int eventB;
};
