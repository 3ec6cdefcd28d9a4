// Framework state: initialisation, callback setters, getters and teardown.
#include "DXUTState.h"
#include "Win32Host.h"

#include <cstdio>
#include <cstdlib>

namespace {

DXUTState* gState = nullptr;
bool gTeardownRegistered = false;

void TeardownAtExit()
{
    DXUTTeardown();
}

BOOL ClientRectOfWindow(HWND window, LPRECT rect)
{
    DXUTState& state = DXUTGetState();
    if (!state.windowCreated || window != &state.windowHandle) return FALSE;
    *rect = DXUTGetWindowClientRect();
    return TRUE;
}

} // namespace

DXUTState& DXUTGetState()
{
    // Never destroyed: the teardown at exit and late callers still reach it.
    if (!gState) gState = new DXUTState;
    return *gState;
}

void DXUTReportError(const char* message)
{
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
}

HRESULT DXUTInit(bool parseCommandLine, bool handleDefaultHotkeys, bool showMsgBoxOnError, bool handleAltEnter)
{
    DXUTState& state = DXUTGetState();
    state.initialised = true;
    state.handleHotkeys = handleDefaultHotkeys;
    state.showMsgBoxOnError = showMsgBoxOnError;
    state.handleAltEnter = handleAltEnter;
    if (parseCommandLine) DXUTParseSwitches(Win32GetArguments(), state.switches);
    if (state.switches.headless && !state.headless) {
        state.headless = true;
        DXUTHeadlessFocusInput();
        if (state.switches.constantFrameTime <= 0.0) state.switches.constantFrameTime = 1.0 / 60.0;
    }
    // Fixed frame times drive the counter too, so the game's clock agrees with
    // the framework's time. Usually the counter's first reading already chose
    // virtual time from the command line; if not, start from the real value
    // so it never jumps back.
    if ((state.switches.constantFrameTime > 0.0 || state.headless) && !Win32IsCounterVirtual()) {
        Win32UseVirtualCounter(Win32ReadRealCounter());
    }
    Win32SetClientRectProvider(ClientRectOfWindow);
    if (!gTeardownRegistered) {
        // The game registers its own exit routine after this, so it runs first
        // and still finds the context and the window alive.
        std::atexit(TeardownAtExit);
        gTeardownRegistered = true;
    }
    return S_OK;
}

void DXUTTeardown()
{
    if (!gState) return;
    DXUTState& state = *gState;
    DXUTDeviceDestroy(state);
    state.deviceCreated = false;
    DXUTCloseWindow(state);
    Win32FinishAllDrops();
}

void DXUTSetCallbackDeviceCreated(LPDXUTCALLBACKDEVICECREATED callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.deviceCreated = callback;
    c.deviceCreatedContext = userContext;
}

void DXUTSetCallbackDeviceReset(LPDXUTCALLBACKDEVICERESET callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.deviceReset = callback;
    c.deviceResetContext = userContext;
}

void DXUTSetCallbackFrameRender(LPDXUTCALLBACKFRAMERENDER callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.frameRender = callback;
    c.frameRenderContext = userContext;
}

void DXUTSetCallbackFrameMove(LPDXUTCALLBACKFRAMEMOVE callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.frameMove = callback;
    c.frameMoveContext = userContext;
}

void DXUTSetCallbackKeyboard(LPDXUTCALLBACKKEYBOARD callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.keyboard = callback;
    c.keyboardContext = userContext;
}

void DXUTSetCallbackDeviceChanging(LPDXUTCALLBACKMODIFYDEVICESETTINGS callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.modifySettings = callback;
    c.modifySettingsContext = userContext;
}

void DXUTSetCallbackMsgProc(LPDXUTCALLBACKMSGPROC callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.msgProc = callback;
    c.msgProcContext = userContext;
}

void DXUTSetCallbackEscape(LPDXUTCALLBACKESCAPE callback, void* userContext)
{
    DXUTCallbacks& c = DXUTGetState().callbacks;
    c.escape = callback;
    c.escapeContext = userContext;
}

IDirect3DDevice9* DXUTGetD3DDevice()
{
    return DXUTGetState().deviceCreated ? DXUTDeviceGet() : nullptr;
}

HWND DXUTGetHWND()
{
    DXUTState& state = DXUTGetState();
    return state.windowCreated ? &state.windowHandle : nullptr;
}

HINSTANCE DXUTGetHINSTANCE()
{
    return DXUTGetState().instance;
}

RECT DXUTGetWindowClientRect()
{
    const DXUTState& state = DXUTGetState();
    RECT rect = {0, 0, 0, 0};
    if (!state.windowCreated) return rect;
    // Full screen keeps the settings' back buffer (the display mode is never
    // changed), so that is the client area the game sees.
    const bool fullscreen = !state.clientWindowed && state.deviceCreated && !state.settings.pp.Windowed;
    rect.right = fullscreen ? static_cast<LONG>(state.settings.pp.BackBufferWidth) : state.windowedWidth;
    rect.bottom = fullscreen ? static_cast<LONG>(state.settings.pp.BackBufferHeight) : state.windowedHeight;
    return rect;
}

DXUTDeviceSettings DXUTGetDeviceSettings()
{
    return DXUTGetState().settings;
}

const D3DSURFACE_DESC* DXUTGetBackBufferSurfaceDesc()
{
    return &DXUTGetState().backBuffer;
}

bool DXUTIsWindowed()
{
    const DXUTState& state = DXUTGetState();
    return !state.deviceCreated || state.settings.pp.Windowed != FALSE;
}

bool DXUTIsKeyDown(BYTE virtualKey)
{
    return DXUTGetState().keys[virtualKey];
}
double DXUTGetTime()
{
    return DXUTGetState().time;
}
float DXUTGetElapsedTime()
{
    return DXUTGetState().elapsed;
}
int DXUTGetFrameCount()
{
    return DXUTGetState().frame;
}
int DXUTGetExitCode()
{
    return Win32GetQuitCode();
}

DWORD DXUTGetPixelShaderVersionSwitch()
{
    const DWORD version = DXUTGetState().switches.pixelShaderVersion;
    return version ? version : D3DPS_VERSION(3, 0);
}

int DXUTGetScreenshotFrame()
{
    return DXUTGetState().switches.screenshotFrame;
}
const char* DXUTGetScreenshotPath()
{
    return DXUTGetState().switches.screenshotPath.c_str();
}
