// The credits page's full-screen image, rising at a sixth of a screen-half
// per second of game time and starting again from below every 24 seconds.
// Any left click while its menu is on top posts its event, wherever the
// pointer is.
#pragma once

#include "ui/MenuItemHUD.h"

class ScrollingCredits : public MenuItemHUD
{
public:
    static constexpr float kStartOffset = -2.0f;
    static constexpr float kWrapOffset = 2.0f;
    static constexpr float kSecondsPerScreenHalf = 6.0f;

    ScrollingCredits(int textureId, int event);

    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override;
    // Advances by the frame's game time, then places the image.
    void Update() override;

    float GetOffset() const { return offset; }

private:
    float offset = kStartOffset;
};
