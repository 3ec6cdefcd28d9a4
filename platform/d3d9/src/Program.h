// Programs as the device keeps them. Each comes in two variants: without the
// alpha test, and with it. A shader that may discard loses the rasteriser's
// early depth test, so the plain variant is what draws unless ALPHATESTENABLE
// is on; the tested one is built the first time it is needed.
#pragma once

#include "GL.h"

#include <string>
#include <vector>

struct LvProgramVariant
{
    GLuint program = 0;
    GLint viewportLocation = -1;  // the viewport in pixels (the half-pixel shift; pretransformed placing)
    GLint alphaTestLocation = -1; // (function, reference 0..255)
    GLint worldViewProjectionLocation = -1;
    GLint useTextureLocation = -1;
    // Values last given to the device's own uniforms.
    float viewport[4] = {-1.f, -1.f, -1.f, -1.f};
    int alphaTest[2] = {-1, -1};
    unsigned transformsSerial = 0;
    int useTexture = -1;
};

// A uniform of the plain variant and where the same value lives in the tested one.
struct LvUniformCopy
{
    GLint from;
    GLint to;
    GLenum type;
};

struct LvProgram
{
    LvProgramVariant variants[2]; // [0] plain, [1] alpha-tested
    bool pretransformed = false;  // vertex stage is the device's XYZRHW stage
    bool clipControl = false;
    bool testedFailed = false;
    bool testedStale = true; // the plain variant holds values the tested one lacks
    std::string vertexBody;  // kept to build the tested variant later
    std::string fragmentBody;
    std::vector<LvUniformCopy> copies;
};

namespace lvd3d {

// vertexBody null: the device's pre-transformed stage. Builds the plain variant.
LvProgram* CompileProgram(bool clipControl, const char* vertexBody, const char* fragmentBody, std::string& log);
void DestroyProgram(LvProgram* program);
// The tested variant, built on first use and brought up to the plain one's
// uniform values; null when it cannot be built.
LvProgramVariant* AlphaTestedVariant(LvProgram* program);
// The stand-ins for fixed-function drawing when no effect pass is active:
// diffuse colour times the texture of sampler 0 when one is set.
LvProgram* CompileBuiltinProgram(bool clipControl, bool pretransformed);

} // namespace lvd3d
