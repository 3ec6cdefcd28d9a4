// The effect of devices below pixel shaders 2.0: the same techniques, lit at
// the vertices, with a smaller skinning palette. The game passes no macro and
// sets none of the light or time parameters here: their defaults hold.
#ifndef MATRIX_PALETTE_SIZE_DEFAULT
#define MATRIX_PALETTE_SIZE_DEFAULT 26
#endif
#define PER_VERTEX_LIGHTING 1

#include "Scene.fxh"
#include "PostProcess.fxh"
