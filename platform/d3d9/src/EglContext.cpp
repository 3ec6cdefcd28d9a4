// A windowless OpenGL 3.3 core context on Mesa's surfaceless EGL platform.
#include "d3d9_egl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>

struct LvEglContext
{
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

namespace {

EGLDisplay SurfacelessDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

void Fail(const char* what)
{
    std::fprintf(stderr, "EGL: %s (error 0x%x)\n", what, eglGetError());
    std::fflush(stderr);
}

} // namespace

LvEglContext* LvEgl_Create(bool softwareOnly)
{
    if (softwareOnly) {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        setenv("GALLIUM_DRIVER", "llvmpipe", 0);
    }
    LvEglContext* c = new LvEglContext;
    c->display = SurfacelessDisplay();
    EGLint major = 0, minor = 0;
    if (c->display == EGL_NO_DISPLAY || !eglInitialize(c->display, &major, &minor)) {
        Fail("no surfaceless display");
        delete c;
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        Fail("desktop OpenGL is not available");
        eglTerminate(c->display);
        delete c;
        return nullptr;
    }
    const EGLint attributes[] = {
        EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    c->context = eglCreateContext(c->display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (c->context == EGL_NO_CONTEXT || !eglMakeCurrent(c->display, EGL_NO_SURFACE, EGL_NO_SURFACE, c->context)) {
        Fail("no OpenGL 3.3 core context");
        if (c->context != EGL_NO_CONTEXT) eglDestroyContext(c->display, c->context);
        eglTerminate(c->display);
        delete c;
        return nullptr;
    }
    return c;
}

void LvEgl_Destroy(LvEglContext* c)
{
    if (!c) return;
    eglMakeCurrent(c->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(c->display, c->context);
    eglTerminate(c->display);
    delete c;
}
