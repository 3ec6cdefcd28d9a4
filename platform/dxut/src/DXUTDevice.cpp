// Everything that touches the rendering context or the device: creation on
// the window, reset to a new back buffer, present (with the screenshot
// switch) and destruction. The callbacks get the device from DXUTDeviceGet;
// until the Direct3D stand-in is wired in here that is null, and present
// clears the window itself.
#include "DXUTState.h"

#include <SDL.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef unsigned char GLubyte;

const GLenum kGL_VERSION = 0x1F02;
const GLenum kGL_RENDERER = 0x1F01;
const GLbitfield kGL_COLOR_BUFFER_BIT = 0x4000;
const GLbitfield kGL_DEPTH_BUFFER_BIT = 0x0100;
const GLenum kGL_RGBA = 0x1908;
const GLenum kGL_UNSIGNED_BYTE = 0x1401;
const GLenum kGL_PACK_ALIGNMENT = 0x0D05;

struct GLFunctions {
    void (*ClearColor)(GLfloat, GLfloat, GLfloat, GLfloat) = nullptr;
    void (*Clear)(GLbitfield) = nullptr;
    void (*Viewport)(GLint, GLint, GLsizei, GLsizei) = nullptr;
    void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) = nullptr;
    void (*PixelStorei)(GLenum, GLint) = nullptr;
    const GLubyte* (*GetString)(GLenum) = nullptr;
};

SDL_GLContext gContext = nullptr;
GLFunctions gl;
std::string gVersion;

template <typename F>
bool Load(F& function, const char* name)
{
    function = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return function != nullptr;
}

bool LoadFunctions()
{
    return Load(gl.ClearColor, "glClearColor") && Load(gl.Clear, "glClear") && Load(gl.Viewport, "glViewport")
        && Load(gl.ReadPixels, "glReadPixels") && Load(gl.PixelStorei, "glPixelStorei")
        && Load(gl.GetString, "glGetString");
}

void DrawableSize(const DXUTState& state, int& width, int& height)
{
    SDL_GL_GetDrawableSize(state.window, &width, &height);
}

// Reads framebuffer 0 and writes it top row first as a PNG.
void SaveScreenshot(const DXUTState& state, const std::string& path)
{
    int width = 0, height = 0;
    DrawableSize(state, width, height);
    if (width <= 0 || height <= 0) return;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    gl.PixelStorei(kGL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, width, height, kGL_RGBA, kGL_UNSIGNED_BYTE, pixels.data());
    const size_t row = static_cast<size_t>(width) * 4;
    std::vector<unsigned char> flipped(pixels.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&flipped[static_cast<size_t>(y) * row], &pixels[static_cast<size_t>(height - 1 - y) * row], row);
    }
    for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255; // what the player sees is opaque
    if (!stbi_write_png(path.c_str(), width, height, 4, flipped.data(), static_cast<int>(row))) {
        std::fprintf(stderr, "Could not write the screenshot %s\n", path.c_str());
        std::fflush(stderr);
    }
}

} // namespace

bool DXUTDeviceCreate(DXUTState& state)
{
    if (state.headless) return true;
    if (gContext) return true;
    if (!state.window) return false;
    gContext = SDL_GL_CreateContext(state.window);
    if (!gContext) {
        std::fprintf(stderr, "Could not create an OpenGL 3.3 core context: %s\n", SDL_GetError());
        std::fflush(stderr);
        return false;
    }
    SDL_GL_MakeCurrent(state.window, gContext);
    if (!LoadFunctions()) {
        std::fprintf(stderr, "The OpenGL driver lacks basic functions\n");
        std::fflush(stderr);
        SDL_GL_DeleteContext(gContext);
        gContext = nullptr;
        return false;
    }
    SDL_GL_SetSwapInterval(state.settings.pp.PresentationInterval == 1 && state.switches.constantFrameTime <= 0.0 ? 1 : 0);
    const GLubyte* version = gl.GetString(kGL_VERSION);
    const GLubyte* renderer = gl.GetString(kGL_RENDERER);
    gVersion = std::string(version ? reinterpret_cast<const char*>(version) : "?") + ", "
             + (renderer ? reinterpret_cast<const char*>(renderer) : "?");
    return DXUTDeviceReset(state);
}

bool DXUTDeviceReset(DXUTState& state)
{
    if (state.headless || !gContext) return state.headless;
    int width = 0, height = 0;
    DrawableSize(state, width, height);
    gl.Viewport(0, 0, width, height);
    return true;
}

void DXUTDevicePresent(DXUTState& state, int frameNumber)
{
    if (state.headless || !gContext) return;
    // Stand-in for the device's own clear: a dark blue, so a window that
    // shows anything at all is told apart from a black failure.
    int width = 0, height = 0;
    DrawableSize(state, width, height);
    gl.Viewport(0, 0, width, height);
    gl.ClearColor(0.10f, 0.15f, 0.35f, 1.0f);
    gl.Clear(kGL_COLOR_BUFFER_BIT | kGL_DEPTH_BUFFER_BIT);
    if (state.switches.screenshotFrame > 0 && frameNumber == state.switches.screenshotFrame) {
        SaveScreenshot(state, state.switches.screenshotPath);
    }
    SDL_GL_SwapWindow(state.window);
}

void DXUTDeviceDestroy(DXUTState& state)
{
    (void)state;
    if (gContext) {
        SDL_GL_DeleteContext(gContext);
        gContext = nullptr;
    }
    gl = GLFunctions();
}

IDirect3DDevice9* DXUTDeviceGet() { return nullptr; }

void DXUTDeviceFillCaps(const DXUTState& state, D3DCAPS9* caps)
{
    std::memset(caps, 0, sizeof(*caps));
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = state.settings.AdapterOrdinal;
    caps->PixelShaderVersion = state.switches.pixelShaderVersion ? state.switches.pixelShaderVersion : D3DPS_VERSION(3, 0);
    caps->VertexShaderVersion = 0xFFFE0300u; // vertex shaders 3.0
    caps->MaxPrimitiveCount = 0x55555;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = 16;
    caps->MaxTextureWidth = 8192;
    caps->MaxTextureHeight = 8192;
    caps->MaxPointSize = 256.0f;
    caps->NumSimultaneousRTs = 4;
    caps->PresentationIntervals = 1u | 0x80000000u; // ONE | IMMEDIATE
}

const char* DXUTDeviceGLVersion() { return gVersion.c_str(); }
