// Settings the host hands to the stand-in, shared by the device files.
#pragma once

#include <d3d9.h>

#include "d3d9_host.h"

namespace lvd3d {

struct HostSettings
{
    LvPresentHook presentHook = nullptr;
    void* presentUser = nullptr;
    UINT drawableWidth = 0;
    UINT drawableHeight = 0;
    D3DDISPLAYMODE displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    DWORD pixelShaderVersion = 0;
    DWORD maxPrimitiveCount = 0;
};

HostSettings& Host();
// Counts GL objects the stand-in holds, for the leak checks of the tests.
void CountGlObjects(int delta);

constexpr DWORD kDefaultPixelShaderVersion = D3DPS_VERSION(3, 0);
constexpr DWORD kDefaultMaxPrimitiveCount = 0xFFFFF;

} // namespace lvd3d
