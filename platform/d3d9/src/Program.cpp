// GLSL programs with the device's prologue and epilogue (see d3d9_program.h).
#include "Program.h"

#include "Device.h"
#include "HostSeams.h"
#include "d3d9_program.h"

#include <cstdio>

namespace lvd3d {

namespace {

const char* const kVertexPrologue = R"(
layout(location = 0) in vec4 iPosition;
layout(location = 1) in vec3 iNormal;
layout(location = 2) in vec4 iTexCoord0;
layout(location = 3) in vec4 iTexCoord1;
layout(location = 4) in vec4 iTexCoord2;
layout(location = 5) in vec4 iBlendWeight;
layout(location = 6) in ivec4 iBlendIndices;
layout(location = 7) in vec4 iColor;
layout(location = 8) in vec4 iTexCoord3;
layout(location = 9) in vec3 iTangent;
layout(location = 10) in vec3 iBinormal;
layout(location = 11) in vec4 iColor1;
uniform vec4 lvViewport; // x, y, width, height in pixels
#define main lvBodyMain
)";

// Direct3D clip space to GL: y flips because every framebuffer is kept top
// row first; depth [0,1] maps to [-1,1] unless the context clips in [0,1].
// Direct3D puts pixel centres on whole viewport coordinates, GL half a pixel
// further right and down, so every vertex moves by half a pixel of the
// viewport (1 / size in normalised units, times w in clip space): x = -0.5
// is the left edge of pixel 0 for all geometry, transformed or not.
const char* const kVertexEpilogue = R"(
#undef main
void main()
{
    lvBodyMain();
    vec2 halfPixel = gl_Position.w / lvViewport.zw;
#if LV_DEPTH_ZERO_TO_ONE
    gl_Position = vec4(gl_Position.x + halfPixel.x, halfPixel.y - gl_Position.y, gl_Position.z, gl_Position.w);
#else
    gl_Position = vec4(gl_Position.x + halfPixel.x, halfPixel.y - gl_Position.y, 2.0 * gl_Position.z - gl_Position.w,
                       gl_Position.w);
#endif
}
)";

// Pixel positions of the render target to Direct3D clip space; the epilogue
// adds the half pixel, as for every other vertex.
const char* const kPretransformedBody = R"(
out vec2 uv;
out vec4 color;
void main()
{
    float w = iPosition.w != 0.0 ? 1.0 / iPosition.w : 1.0;
    vec2 ndc = vec2((iPosition.x - lvViewport.x) * 2.0 / lvViewport.z - 1.0,
                    1.0 - (iPosition.y - lvViewport.y) * 2.0 / lvViewport.w);
    gl_Position = vec4(ndc * w, iPosition.z * w, w);
    uv = iTexCoord0.xy;
    color = iColor;
}
)";

// The transformed built-in passes the same names as the pre-transformed one.
const char* const kTransformedBody = R"(
uniform mat4 lvWorldViewProjection;
out vec2 uv;
out vec4 color;
void main()
{
    gl_Position = lvWorldViewProjection * vec4(iPosition.xyz, 1.0);
    uv = iTexCoord0.xy;
    color = iColor;
}
)";

const char* const kFragmentPrologue = R"(
out vec4 oColor;
#define main lvBodyMain
)";

const char* const kFragmentEpilogue = R"(
#undef main
void main() { lvBodyMain(); }
)";

// Direct3D's alpha test runs on the 8-bit alpha against ALPHAREF.
const char* const kTestedFragmentEpilogue = R"(
#undef main
bool lvAlphaPasses(int a, int f, int r)
{
    if (f == 1) return false;
    if (f == 2) return a < r;
    if (f == 3) return a == r;
    if (f == 4) return a <= r;
    if (f == 5) return a > r;
    if (f == 6) return a != r;
    if (f == 7) return a >= r;
    return true;
}
uniform ivec2 lvAlphaTest;
void main()
{
    lvBodyMain();
    if (lvAlphaTest.x != 0 && !lvAlphaPasses(int(clamp(oColor.a, 0.0, 1.0) * 255.0 + 0.5), lvAlphaTest.x, lvAlphaTest.y))
        discard;
}
)";

const char* const kBuiltinFragment = R"(
uniform sampler2D lvTexture0;
uniform int lvUseTexture;
void main()
{
    oColor = lvUseTexture != 0 ? color * texture(lvTexture0, uv) : color;
}
)";

GLuint CompileStage(GLenum stage, const std::string& header, const char* prologue, const char* body,
                    const char* epilogue, const char* stageName, std::string& log)
{
    const GLuint shader = glCreateShader(stage);
    const char* parts[] = {header.c_str(), prologue, "\n#line 1 0\n", body, epilogue};
    glShaderSource(shader, 5, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::string text(size_t(length > 0 ? length : 1), '\0');
        glGetShaderInfoLog(shader, GLsizei(text.size()), nullptr, &text[0]);
        log += std::string(stageName) + " stage: " + text.c_str() + "\n";
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void LocateDeviceUniforms(LvProgramVariant& v)
{
    v.viewportLocation = glGetUniformLocation(v.program, "lvViewport");
    v.alphaTestLocation = glGetUniformLocation(v.program, "lvAlphaTest");
    v.worldViewProjectionLocation = glGetUniformLocation(v.program, "lvWorldViewProjection");
    v.useTextureLocation = glGetUniformLocation(v.program, "lvUseTexture");
    const GLint sampler = glGetUniformLocation(v.program, "lvTexture0");
    if (sampler >= 0) {
        glUseProgram(v.program);
        glUniform1i(sampler, 0);
    }
}

GLuint Build(bool clipControl, const char* vertexBody, const char* fragmentBody, bool alphaTest, std::string& log)
{
    const std::string header =
        std::string("#version 330 core\n#define LV_DEPTH_ZERO_TO_ONE ") + (clipControl ? "1" : "0") + "\n";
    const bool pretransformed = vertexBody == nullptr;
    const GLuint vs = CompileStage(GL_VERTEX_SHADER, header, kVertexPrologue,
                                   pretransformed ? kPretransformedBody : vertexBody, kVertexEpilogue, "vertex", log);
    const std::string fragmentPrologue =
        std::string(kFragmentPrologue) + (pretransformed ? "in vec2 uv;\nin vec4 color;\n" : "");
    const GLuint fs = CompileStage(GL_FRAGMENT_SHADER, header, fragmentPrologue.c_str(), fragmentBody,
                                   alphaTest ? kTestedFragmentEpilogue : kFragmentEpilogue, "fragment", log);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            char text[2048] = {};
            glGetProgramInfoLog(program, sizeof(text), nullptr, text);
            log += std::string("link: ") + text + "\n";
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    if (program) CountGlObjects(1);
    return program;
}

// Pairs every uniform element of the plain variant with the tested one's.
void MatchUniforms(LvProgram& p)
{
    const GLuint from = p.variants[0].program, to = p.variants[1].program;
    GLint count = 0;
    glGetProgramiv(from, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(from, GLuint(i), sizeof name, nullptr, &size, &type, name);
        std::string base(name);
        if (base.compare(0, 2, "lv") == 0) continue; // the device's own, kept per variant
        const size_t bracket = base.find('[');
        if (bracket != std::string::npos) base.resize(bracket);
        for (GLint e = 0; e < size; ++e) {
            const std::string element = size > 1 ? base + "[" + std::to_string(e) + "]" : base;
            const GLint a = glGetUniformLocation(from, element.c_str());
            const GLint b = glGetUniformLocation(to, element.c_str());
            if (a >= 0 && b >= 0) p.copies.push_back({a, b, type});
        }
    }
}

// Brings the tested variant (bound) up to the plain variant's values.
void CopyUniforms(const LvProgram& p)
{
    const GLuint from = p.variants[0].program;
    for (const LvUniformCopy& c : p.copies) {
        GLfloat f[16];
        GLint n[4];
        switch (c.type) {
        case GL_FLOAT:
            glGetUniformfv(from, c.from, f);
            glUniform1fv(c.to, 1, f);
            break;
        case GL_FLOAT_VEC2:
            glGetUniformfv(from, c.from, f);
            glUniform2fv(c.to, 1, f);
            break;
        case GL_FLOAT_VEC3:
            glGetUniformfv(from, c.from, f);
            glUniform3fv(c.to, 1, f);
            break;
        case GL_FLOAT_VEC4:
            glGetUniformfv(from, c.from, f);
            glUniform4fv(c.to, 1, f);
            break;
        case GL_FLOAT_MAT4:
            glGetUniformfv(from, c.from, f);
            glUniformMatrix4fv(c.to, 1, GL_FALSE, f);
            break;
        case GL_FLOAT_MAT3:
            glGetUniformfv(from, c.from, f);
            glUniformMatrix3fv(c.to, 1, GL_FALSE, f);
            break;
        case GL_INT_VEC2:
        case GL_BOOL_VEC2:
            glGetUniformiv(from, c.from, n);
            glUniform2iv(c.to, 1, n);
            break;
        case GL_INT_VEC3:
        case GL_BOOL_VEC3:
            glGetUniformiv(from, c.from, n);
            glUniform3iv(c.to, 1, n);
            break;
        case GL_INT_VEC4:
        case GL_BOOL_VEC4:
            glGetUniformiv(from, c.from, n);
            glUniform4iv(c.to, 1, n);
            break;
        default:
            glGetUniformiv(from, c.from, n);
            glUniform1iv(c.to, 1, n);
            break; // int, bool, samplers
        }
    }
}

} // namespace

LvProgram* CompileProgram(bool clipControl, const char* vertexBody, const char* fragmentBody, std::string& log)
{
    if (!fragmentBody) {
        log += "No fragment stage given.\n";
        return nullptr;
    }
    const GLuint program = Build(clipControl, vertexBody, fragmentBody, false, log);
    if (!program) return nullptr;
    LvProgram* p = new LvProgram;
    p->variants[0].program = program;
    p->pretransformed = vertexBody == nullptr;
    p->clipControl = clipControl;
    if (vertexBody) p->vertexBody = vertexBody;
    p->fragmentBody = fragmentBody;
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    LocateDeviceUniforms(p->variants[0]);
    glUseProgram(GLuint(previous));
    return p;
}

LvProgramVariant* AlphaTestedVariant(LvProgram* p)
{
    LvProgramVariant& tested = p->variants[1];
    if (!tested.program && !p->testedFailed) {
        std::string log;
        tested.program = Build(p->clipControl, p->pretransformed ? nullptr : p->vertexBody.c_str(),
                               p->fragmentBody.c_str(), true, log);
        if (!tested.program) {
            p->testedFailed = true;
            std::fprintf(stderr, "The alpha-tested variant of a program did not build:\n%s", log.c_str());
            std::fflush(stderr);
            return nullptr;
        }
        LocateDeviceUniforms(tested);
        MatchUniforms(*p);
        p->testedStale = true;
    }
    if (!tested.program) return nullptr;
    glUseProgram(tested.program);
    if (p->testedStale) {
        CopyUniforms(*p);
        p->testedStale = false;
    }
    return &tested;
}

void DestroyProgram(LvProgram* program)
{
    if (!program) return;
    for (LvProgramVariant& v : program->variants) {
        if (v.program) {
            glDeleteProgram(v.program);
            CountGlObjects(-1);
        }
    }
    delete program;
}

LvProgram* CompileBuiltinProgram(bool clipControl, bool pretransformed)
{
    std::string log;
    const std::string fragment = std::string(pretransformed ? "" : "in vec2 uv;\nin vec4 color;\n") + kBuiltinFragment;
    LvProgram* p = CompileProgram(clipControl, pretransformed ? nullptr : kTransformedBody, fragment.c_str(), log);
    if (!p) {
        std::fprintf(stderr, "The device's own shaders did not compile:\n%s", log.c_str());
        std::fflush(stderr);
    }
    return p;
}

} // namespace lvd3d

LvProgram* LvD3D9_CreateProgram(IDirect3DDevice9* device, const char* vertexBody, const char* fragmentBody,
                                std::string& log)
{
    if (!device) return nullptr;
    lvd3d::Device* d = static_cast<lvd3d::Device*>(device);
    return lvd3d::CompileProgram(d->HasClipControl(), vertexBody, fragmentBody, log);
}

void LvD3D9_DestroyProgram(LvProgram* program)
{
    lvd3d::DestroyProgram(program);
}

unsigned LvD3D9_ProgramName(const LvProgram* program)
{
    return program ? program->variants[0].program : 0;
}

void LvD3D9_UseProgram(IDirect3DDevice9* device, LvProgram* program)
{
    if (device) static_cast<lvd3d::Device*>(device)->UseProgram(program);
}

LvProgram* LvD3D9_CurrentProgram(IDirect3DDevice9* device)
{
    return device ? static_cast<lvd3d::Device*>(device)->CurrentProgram() : nullptr;
}
