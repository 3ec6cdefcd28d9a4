// Test and tool helper: an OpenGL 3.3 core context on Mesa's surfaceless EGL
// platform, so GL tests and benchmarks need no window and no X server.
#pragma once

struct LvEglContext;

// Creates the context and makes it current. Null (with a line on stderr) when
// no such context can be had. softwareOnly forces llvmpipe for reproducible pixels.
LvEglContext* LvEgl_Create(bool softwareOnly = true);
void LvEgl_Destroy(LvEglContext* context);
