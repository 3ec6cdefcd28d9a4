// The OpenGL core API, linked straight from libOpenGL (GLVND exports every
// core entry point, so no loader is needed).
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
