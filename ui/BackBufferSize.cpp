#include "ui/BackBufferSize.h"

#include <algorithm>

#include "DXUT.h"

namespace {
int AtLeastOne(UINT pixels)
{
    // A description wider than an int can say is no real back buffer either.
    const UINT kLargest = 1u << 30;
    return static_cast<int>(std::clamp<UINT>(pixels, 1u, kLargest));
}
} // namespace

BackBufferSize GetBackBufferSize()
{
    BackBufferSize size;
    if (const D3DSURFACE_DESC* desc = DXUTGetBackBufferSurfaceDesc()) {
        size.width = AtLeastOne(desc->Width);
        size.height = AtLeastOne(desc->Height);
    }
    return size;
}
