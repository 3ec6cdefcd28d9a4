// The renderer's stack of draw-list chains: the stage's chain chosen by the
// pixel-shader tier, the menus' blur chain put in front and taken away again.
// Only the first chain is drawn. Every change marks the next frame as a
// redraw frame, on which the passes rebuild their filters and rectangles.
#pragma once

#include <d3d9.h>

#include <list>
#include <string>

#include "render/DrawList.h"

// The preset column of a pixel-shader version: 0 for 3.0 and up, 1 for 2.0 and up, 2 below.
int PostProcessColumn(DWORD pixelShaderVersion);

class DrawListStack
{
public:
    // Loads a chain and appends it; a missing file appends an empty chain, so
    // every add still pairs with a pop.
    void Add(const std::string& path);
    // Removes the first chain, when there is one.
    void Pop();
    // Removes every chain.
    void Clear();
    // Loads the preset of stage 1 to 4 for the tier. With the blur chain in
    // front the chains behind it give way to the new one and the blur stays
    // first; otherwise the new chain replaces the first one. A stage outside
    // 1 to 4 is reported and changes nothing.
    void SelectLevel(int stage, DWORD pixelShaderVersion);

    // The chain drawn this frame, or null.
    DrawList* First() { return chains.empty() ? nullptr : &chains.front(); }
    const std::list<DrawList>& Chains() const { return chains; }

    // Set by every change and by device resets; the renderer clears it after each frame.
    bool IsRedraw() const { return redraw; }
    void SetRedraw(bool on) { redraw = on; }

private:
    std::list<DrawList> chains;
    bool redraw = false;
};
