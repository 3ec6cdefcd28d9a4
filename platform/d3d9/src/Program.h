// Programs as the device keeps them: the GL program and the locations of the
// device's own uniforms, with the values last given to them.
#pragma once

#include "GL.h"

#include <string>

struct LvProgram {
    GLuint program = 0;
    bool pretransformed = false;   // vertex stage is the device's XYZRHW stage
    GLint viewportLocation = -1;   // pretransformed: the viewport in pixels
    GLint alphaTestLocation = -1;  // (function, reference 0..255)
    GLint worldViewProjectionLocation = -1;
    GLint useTextureLocation = -1;
    float viewport[4] = {-1.f, -1.f, -1.f, -1.f};
    int alphaTest[2] = {-1, -1};
    unsigned transformsSerial = 0;
    int useTexture = -1;
};

namespace lvd3d {

// vertexBody null: the device's pre-transformed stage.
LvProgram* CompileProgram(bool clipControl, const char* vertexBody, const char* fragmentBody, std::string& log);
void DestroyProgram(LvProgram* program);
// The stand-ins for fixed-function drawing when no effect pass is active:
// diffuse colour times the texture of sampler 0 when one is set.
LvProgram* CompileBuiltinProgram(bool clipControl, bool pretransformed);

} // namespace lvd3d
