// Where screen text goes: the renderer installs a drawer over its bitmap font
// once the font exists and removes it (null) when the font is released, so no
// text is drawn without a device.
#pragma once

typedef void (*ScreenTextDrawer)(const wchar_t* text, float x, float y, unsigned int colour);

void SetScreenTextDrawer(ScreenTextDrawer drawer);
ScreenTextDrawer GetScreenTextDrawer();
