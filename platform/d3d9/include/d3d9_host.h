// Host side of the Direct3D 9 stand-in: what the framework host and the tests
// call around the device. The game never includes this header.
//
// The device draws on the OpenGL 3.3+ core context that is current when it is
// created (the host made it). Everything is drawn into the device's own back
// buffer, a framebuffer object kept top row first; Present copies it to GL
// framebuffer 0 upside down and scaled to the drawable, then calls the host's
// swap hook.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

// Called at the end of Present, after the back buffer reached framebuffer 0.
typedef void (*LvPresentHook)(void* user);
void LvD3D9_SetPresentHook(LvPresentHook hook, void* user);

// Size of GL framebuffer 0 (the window's drawable) that Present scales to.
// 0 x 0 (the default) means headless: Present copies nothing.
void LvD3D9_SetDrawableSize(UINT width, UINT height);

// Size reported by IDirect3D9::GetAdapterDisplayMode (the desktop). Default 1024 x 768.
void LvD3D9_SetDisplayMode(UINT width, UINT height, UINT refreshRate);

// Caps overrides, read when caps are queried. 0 restores the default
// (pixel shader D3DPS_VERSION(3,0), max primitive count 0xFFFFF).
void LvD3D9_SetPixelShaderVersion(DWORD version);
void LvD3D9_SetMaxPrimitiveCount(DWORD count);

// Shortcut for hosts and tests: Direct3DCreate9 + CreateDevice on the current
// context with a windowed width x height back buffer. Null on failure.
IDirect3DDevice9* LvD3D9_CreateDevice(UINT width, UINT height);

// The back buffer as RGBA8, top row first (what a player sees).
bool LvD3D9_ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba, UINT* width, UINT* height);
// Any render-target surface as RGBA floats, top row first (16F targets keep their range).
bool LvD3D9_ReadSurface(IDirect3DSurface9* surface, std::vector<float>& rgba, UINT* width, UINT* height);
// Writes the back buffer as a PNG; false (and a line on stderr) on failure.
bool LvD3D9_SaveBackBufferPNG(IDirect3DDevice9* device, const char* path);

// Call log for trace tests: SetRenderTarget, Clear, SetTechnique, Begin, draws...
// One entry per call, "Name arg arg". Off by default; costs nothing when off.
void LvD3D9_EnableCallLog(bool enable);
bool LvD3D9_CallLogEnabled();
void LvD3D9_LogCall(const std::string& entry);
const std::vector<std::string>& LvD3D9_GetCallLog();
void LvD3D9_ClearCallLog();
// Finer entries in the call log, off by default even while the log is on:
// every render and sampler state set ("SetRenderState type value",
// "SetSamplerState sampler type value"), "SetVertexDeclaration", and the
// effect parameters set by name ("SetValue name bytes", "SetFloat name",
// "SetMatrix name", "SetTexture name").
void LvD3D9_EnableStateLog(bool enable);
bool LvD3D9_StateLogEnabled();

// Benchmark seam: while on, draws and clears are checked and logged as usual
// but never reach OpenGL, so a frame's time is what its callers spend.
void LvD3D9_SetDrawsDropped(bool dropped);
bool LvD3D9_DrawsDropped();

// Live GL objects owned by the stand-in (textures, buffers, framebuffers): tests
// check that a reset or a release gives back what it took.
int LvD3D9_LiveResourceCount();
