// The effect of devices with pixel shaders 2.0 and up. The game passes the
// skinning palette's size as MATRIX_PALETTE_SIZE_DEFAULT (35); loaded without
// it, the same size is taken. Lit at every pixel.
#ifndef MATRIX_PALETTE_SIZE_DEFAULT
#define MATRIX_PALETTE_SIZE_DEFAULT 35
#endif
#define PER_VERTEX_LIGHTING 0

#include "Scene.fxh"
#include "PostProcess.fxh"
