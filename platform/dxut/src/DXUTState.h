// The framework's one state record and the internal calls between its files.
#pragma once

#include "DXUT.h"
#include "DXUTHeadless.h"

#include <string>
#include <vector>

struct SDL_Window;

struct DXUTCallbacks
{
    LPDXUTCALLBACKDEVICECREATED deviceCreated = nullptr;
    void* deviceCreatedContext = nullptr;
    LPDXUTCALLBACKDEVICERESET deviceReset = nullptr;
    void* deviceResetContext = nullptr;
    LPDXUTCALLBACKFRAMERENDER frameRender = nullptr;
    void* frameRenderContext = nullptr;
    LPDXUTCALLBACKFRAMEMOVE frameMove = nullptr;
    void* frameMoveContext = nullptr;
    LPDXUTCALLBACKKEYBOARD keyboard = nullptr;
    void* keyboardContext = nullptr;
    LPDXUTCALLBACKMODIFYDEVICESETTINGS modifySettings = nullptr;
    void* modifySettingsContext = nullptr;
    LPDXUTCALLBACKMSGPROC msgProc = nullptr;
    void* msgProcContext = nullptr;
    LPDXUTCALLBACKESCAPE escape = nullptr;
    void* escapeContext = nullptr;
};

// Command-line switches; zero means "not given".
struct DXUTSwitches
{
    bool windowed = false;
    bool fullscreen = false;
    int width = 0;
    int height = 0;
    int quitAfterFrame = 0;
    double constantFrameTime = 0.0;
    DWORD pixelShaderVersion = 0;
    int screenshotFrame = 0;
    std::string screenshotPath;
    bool headless = false;
};

struct DXUTScheduledMessage
{
    int frame;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string dropName; // non-empty: a WM_DROPFILES made at delivery
};

// One change to what the DirectInput stand-in reports, made before a frame.
enum class DXUTInputKind { Key, MouseMotion, MouseButton, Focus };

struct DXUTScheduledInput
{
    int frame;
    DXUTInputKind kind;
    int a; // DIK code, dx, button index
    int b; // down flag, dy, down flag, focused flag
    int c; // dz
};

struct DXUTState
{
    DXUTCallbacks callbacks;
    DXUTSwitches switches;

    bool initialised = false;
    bool handleHotkeys = true;
    bool showMsgBoxOnError = true;
    bool handleAltEnter = true;

    bool headless = false;
    bool headlessDevice = false; // a device on a windowless context
    int headlessMaxFrames = 0;
    std::vector<DXUTScheduledMessage> scheduled;
    std::vector<DXUTScheduledInput> scheduledInput;
    DXUTHeadlessFrameHook frameHook;

    SDL_Window* window = nullptr;
    bool windowCreated = false;
    bool videoStarted = false;
    HWND__ windowHandle = {};
    HINSTANCE instance = nullptr;
    int windowedWidth = 640; // client size while windowed
    int windowedHeight = 480;

    DXUTDeviceSettings settings = {};
    D3DSURFACE_DESC backBuffer = {};
    bool deviceCreated = false;
    bool changingDevice = false;
    bool clientWindowed = true; // the mode whose client area GetClientRect reports

    bool minimised = false;
    bool active = true;
    bool keys[256] = {};

    double time = 0.0;
    float elapsed = 0.0f;
    LONGLONG timerStart = 0;
    LONGLONG timerLast = 0;
    bool timerStarted = false;
    int frame = 0;
};

DXUTState& DXUTGetState();

// Command line.
void DXUTParseSwitches(const std::vector<std::string>& arguments, DXUTSwitches& switches);

// Window (DXUTWindow.cpp).
bool DXUTStartVideo(DXUTState& state);
bool DXUTOpenWindow(DXUTState& state, const std::string& title, int x, int y, int width, int height);
void DXUTApplyWindowMode(DXUTState& state, const DXUTDeviceSettings& settings);
void DXUTCloseWindow(DXUTState& state);

// Device (DXUTDevice.cpp): everything that touches the context or the device.
bool DXUTDeviceCreate(DXUTState& state);
bool DXUTDeviceReset(DXUTState& state);
void DXUTDevicePresent(DXUTState& state, int frameNumber);
void DXUTDeviceDestroy(DXUTState& state);
IDirect3DDevice9* DXUTDeviceGet();
void DXUTDeviceFillCaps(const DXUTState& state, D3DCAPS9* caps);
const char* DXUTDeviceGLVersion();

// Device changes (DXUTDeviceChange.cpp).
HRESULT DXUTChangeDevice(DXUTState& state, DXUTDeviceSettings settings);
void DXUTOnClientResized(DXUTState& state, int width, int height);

// Frames and messages (DXUTMainLoop.cpp, DXUTPump.cpp).
void DXUTRunOneFrame(DXUTState& state);
void DXUTPumpMessages(DXUTState& state);
// Removes and returns the entries scheduled for the given frame or earlier,
// in the order they were scheduled. Taken out before delivery, because what
// they reach may schedule more.
template <typename Scheduled>
std::vector<Scheduled> DXUTTakeDue(std::vector<Scheduled>& scheduled, int frame)
{
    std::vector<Scheduled> due;
    std::vector<Scheduled> later;
    for (Scheduled& entry : scheduled) (entry.frame <= frame ? due : later).push_back(entry);
    scheduled.swap(later);
    return due;
}
// Headless: hands the due scheduled input to the DirectInput stand-in, in the
// order it was scheduled (DXUTHeadless.cpp).
void DXUTApplyScheduledInput(DXUTState& state);
// Headless runs count the window as focused for DirectInput.
void DXUTHeadlessFocusInput();

// Teardown of everything the framework made; safe to call more than once.
void DXUTTeardown();

void DXUTReportError(const char* message);
