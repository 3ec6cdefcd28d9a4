// The mouse pointer: a 32 x 32 image that follows the mouse's motion in
// back-buffer pixels, with its hot spot at the image's top-left corner. The
// menu items ask it whether it is over them and switch its image to the hover
// one; it forgets the hover every frame, so the items of the next motion
// decide afresh.
#pragma once

#include "core/EventObj.h"
#include "ui/HUDElement.h"
#include "ui/BackBufferSize.h"

class MousePointer : public HUDElement, public fEventObj
{
public:
    static constexpr int kImageSize = 32;
    // The hot spot sits this far up and left of the quad's centre.
    static constexpr int kHotSpotOffset = kImageSize / 2;

    // Starts at the back buffer's top-left corner; subscribes to motion, then buttons.
    explicit MousePointer(int textureId);

    void SubscribeMessages() override;
    // Motion moves the pointer, held within [0, W] x [0, H]; buttons change nothing.
    void HandleMessage(int id, fMessage* msg) override;
    // The quad's matrix, then the hover mark is cleared.
    void Update() override;

    // Whether the hot spot lies strictly inside the rectangle (pixels).
    bool IsOver(int left, int top, int width, int height) const;

    int GetX() const { return x; }
    int GetY() const { return y; }
    bool IsHovering() const { return hover; }
    void SetHovering(bool on) { hover = on; }

private:
    void MoveBy(int dx, int dy);

    // The back buffer when the pointer was made: its pixel space, like the items'.
    BackBufferSize screen;
    int x = 0; // pixels of the quad's centre
    int y = 0;
    bool hover = false;
};
