// The SDL window: video start-up (falling back to the offscreen driver when
// there is no display), creation, windowed or full-screen mode, destruction.
#include "DXUTState.h"
#include "Win32String.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
// SDL's X11 video opens a D-Bus connection whose library keeps a buffer for
// the life of the process; not ours to free. Weak, so a program or test with
// its own suppressions keeps them.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
#endif

namespace {

// The GL driver keeps some buffers for the life of the process. SDL unloads
// it when the window goes, after which LeakSanitizer reports those buffers as
// leaks of an unknown module. In sanitizer builds the driver stays loaded, so
// they stay reachable; missing libraries are simply skipped.
void KeepGLDriverLoaded()
{
#if defined(__SANITIZE_ADDRESS__)
    const char* libraries[] = {"libEGL.so.1",      "libEGL_mesa.so.0", "libGL.so.1",
                               "libGLX_mesa.so.0", "libglapi.so.0",    "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"};
    for (const char* library : libraries) dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
#endif
}

void UseOffscreenDriver(const char* reason)
{
    std::printf("No display (%s): using the offscreen video driver.\n", reason);
    std::fflush(stdout);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

bool InitVideo()
{
    KeepGLDriverLoaded();
    // Without any display there is nothing to probe: go offscreen directly
    // (probing prints noise and can take a while).
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        UseOffscreenDriver("no DISPLAY");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "offscreen") == 0) return false;
    // A display that cannot be opened: draw into an offscreen surface instead.
    UseOffscreenDriver(SDL_GetError());
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

} // namespace

bool DXUTStartVideo(DXUTState& state)
{
    if (state.videoStarted) return true;
    if (!InitVideo()) {
        std::fprintf(stderr, "Could not start video: %s\n", SDL_GetError());
        std::fflush(stderr);
        return false;
    }
    state.videoStarted = true;
    return true;
}

bool DXUTOpenWindow(DXUTState& state, const std::string& title, int x, int y, int width, int height)
{
    if (!DXUTStartVideo(state)) return false;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    const int posX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
    const int posY = y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;
    state.window = SDL_CreateWindow(title.c_str(), posX, posY, width, height,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (!state.window) {
        std::fprintf(stderr, "Could not create the window: %s\n", SDL_GetError());
        std::fflush(stderr);
        return false;
    }
    // Drops are off until the game asks for them (DragAcceptFiles).
    SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
    SDL_EventState(SDL_DROPBEGIN, SDL_ENABLE);
    SDL_EventState(SDL_DROPCOMPLETE, SDL_ENABLE);
    return true;
}

void DXUTApplyWindowMode(DXUTState& state, const DXUTDeviceSettings& settings)
{
    if (!state.window) return;
    if (settings.pp.Windowed) {
        SDL_SetWindowFullscreen(state.window, 0);
        SDL_SetWindowSize(state.window, state.windowedWidth, state.windowedHeight);
    } else {
        // Cover the desktop at its own mode; the back buffer is scaled to it.
        SDL_SetWindowFullscreen(state.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_ShowWindow(state.window);
}

void DXUTCloseWindow(DXUTState& state)
{
    if (state.window) {
        SDL_DestroyWindow(state.window);
        state.window = nullptr;
    }
    state.windowCreated = false;
    if (state.videoStarted) {
        SDL_Quit();
        state.videoStarted = false;
    }
}

HRESULT DXUTCreateWindow(LPCWSTR title, HINSTANCE instance, HICON icon, HMENU menu, int x, int y)
{
    return DXUTCreateWindow(title, instance, icon, menu, x, y, 640, 480);
}

HRESULT DXUTCreateWindow(LPCWSTR title, HINSTANCE instance, HICON icon, HMENU menu, int x, int y, int clientWidth,
                         int clientHeight)
{
    (void)icon;
    (void)menu;
    DXUTState& state = DXUTGetState();
    if (state.windowCreated) return S_OK; // one window per process, as the framework keeps it
    state.instance = instance ? instance : GetModuleHandleW(nullptr);
    int width = state.switches.width > 0 ? state.switches.width : clientWidth;
    int height = state.switches.height > 0 ? state.switches.height : clientHeight;
    if (width <= 0) width = 640;
    if (height <= 0) height = 480;
    state.windowedWidth = width;
    state.windowedHeight = height;
    if (!state.headless) {
        const std::string narrowTitle = Win32WideToUtf8(title ? title : L"");
        if (!DXUTOpenWindow(state, narrowTitle, x, y, width, height)) return E_FAIL;
    }
    state.windowCreated = true;
    return S_OK;
}
