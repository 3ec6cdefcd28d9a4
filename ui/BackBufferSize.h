// The back buffer's size in pixels, as the framework describes it. Menu items
// lay themselves out and the pointer clamps in these pixels. The headless host
// describes its back buffer from its window size, so the menus lay out and
// take clicks without a device.
#pragma once

struct BackBufferSize
{
    int width = 1;
    int height = 1;

    // Integer halves, as the layout formulas take them; never 0, so nothing
    // divides by a vanished half on a one-pixel or minimised back buffer.
    int HalfWidth() const { return width / 2 > 0 ? width / 2 : 1; }
    int HalfHeight() const { return height / 2 > 0 ? height / 2 : 1; }
};

// The framework's back-buffer description; a width or height of 0 (no device
// yet, a minimised window) counts as 1.
BackBufferSize GetBackBufferSize();
