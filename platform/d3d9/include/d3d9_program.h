// Shader programs of the Direct3D 9 stand-in, for the effect layer (D3DX). The
// game never includes this header.
//
// The effect layer hands over GLSL bodies; the device wraps them in its own
// prologue and epilogue so that every program follows the same conventions:
//
// Vertex stage (the body's main writes a Direct3D clip-space position to
// gl_Position; the epilogue flips y for the top-row-first framebuffers, moves
// the vertex by half a pixel of the current viewport so that pixel centres lie
// on whole coordinates as in Direct3D, and maps depth [0,1] to GL's range when
// the context cannot do it natively). The uniform name `lvViewport` is the
// device's. Inputs, bound by declaration usage:
//   layout(location = 0) in vec4  iPosition;      POSITION / POSITIONT
//   layout(location = 1) in vec3  iNormal;        NORMAL
//   layout(location = 2) in vec4  iTexCoord0;     TEXCOORD0
//   layout(location = 3) in vec4  iTexCoord1;     TEXCOORD1
//   layout(location = 4) in vec4  iTexCoord2;     TEXCOORD2
//   layout(location = 5) in vec4  iBlendWeight;   BLENDWEIGHT
//   layout(location = 6) in ivec4 iBlendIndices;  BLENDINDICES (bytes in memory order)
//   layout(location = 7) in vec4  iColor;         COLOR0 (D3DCOLOR arrives as r,g,b,a)
//   layout(location = 8) in vec4  iTexCoord3;     TEXCOORD3
//   layout(location = 9) in vec3  iTangent;       TANGENT
//   layout(location = 10) in vec3 iBinormal;      BINORMAL
//
// Pre-transformed stage (vertex body null): the device's own stage turns
// XYZRHW pixel positions into clip space (the same pixel-centre rule) and
// passes `vec2 uv` (TEXCOORD0) and `vec4 color` (COLOR0) to the fragment body,
// which finds them declared.
//
// Fragment stage: the body writes `oColor`. The alpha test (ALPHATESTENABLE,
// ALPHAREF, ALPHAFUNC) runs after it as in Direct3D, in a second variant of the
// program that the device builds when a draw first needs it, so that programs
// drawn without the test keep the rasteriser's early depth test.
#pragma once

#include <d3d9.h>

#include <string>

struct LvProgram;

// Compiles and links. On failure returns null and fills log with the compiler's
// lines, numbered as in the bodies given.
LvProgram* LvD3D9_CreateProgram(IDirect3DDevice9* device, const char* vertexBody, const char* fragmentBody,
                                std::string& log);
void LvD3D9_DestroyProgram(LvProgram* program);
// The GL program name, for uniform look-ups by the caller.
unsigned LvD3D9_ProgramName(const LvProgram* program);
// Binds program for the following draws and makes it the GL program, so that
// glUniform calls reach it: set uniforms only after this call (the device copies
// them to the alpha-tested variant when a draw needs it). Null returns to the
// device's built-in stage.
void LvD3D9_UseProgram(IDirect3DDevice9* device, LvProgram* program);
LvProgram* LvD3D9_CurrentProgram(IDirect3DDevice9* device);

// The GL texture target and name behind a texture (0 when none), for tests.
unsigned LvD3D9_TextureName(IDirect3DBaseTexture9* texture, unsigned* target);
