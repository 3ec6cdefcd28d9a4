// Application framework stand-in: one window, the device's lifetime, the main
// loop and the callbacks, over SDL2 and OpenGL. The game sees only what it
// calls: the callback setters, initialisation, window and device creation,
// the main loop and a few getters.
//
// Call order the framework guarantees:
//   device creation or change: modify settings -> create or change the window
//   and context -> device created (first time only) -> device reset;
//   each frame: messages (message proc, then keyboard, then the framework's
//   own keys) -> frame move -> frame render -> present.
#pragma once

#include <windows.h>
#include <d3d9.h>

// The device settings, Direct3D 9 form. Windowed with a zero back-buffer size
// means "the window's client size".
struct DXUTDeviceSettings
{
    UINT AdapterOrdinal;
    D3DDEVTYPE DeviceType;
    D3DFORMAT AdapterFormat;
    DWORD BehaviorFlags;
    D3DPRESENT_PARAMETERS pp;
};

typedef HRESULT(CALLBACK* LPDXUTCALLBACKDEVICECREATED)(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer,
                                                       void* userContext);
typedef HRESULT(CALLBACK* LPDXUTCALLBACKDEVICERESET)(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer,
                                                     void* userContext);
typedef void(CALLBACK* LPDXUTCALLBACKFRAMERENDER)(IDirect3DDevice9* device, double time, float elapsedTime,
                                                  void* userContext);
typedef void(CALLBACK* LPDXUTCALLBACKFRAMEMOVE)(IDirect3DDevice9* device, double time, float elapsedTime,
                                                void* userContext);
typedef void(CALLBACK* LPDXUTCALLBACKKEYBOARD)(UINT virtualKey, bool keyDown, bool altDown, void* userContext);
typedef bool(CALLBACK* LPDXUTCALLBACKMODIFYDEVICESETTINGS)(DXUTDeviceSettings* settings, const D3DCAPS9* caps,
                                                           void* userContext);
typedef LRESULT(CALLBACK* LPDXUTCALLBACKMSGPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                 bool* noFurtherProcessing, void* userContext);
// The game's rule for Escape, run by the framework's window procedure on
// WM_KEYDOWN with VK_ESCAPE (default hot keys on). Escape never closes the
// window here.
typedef void(CALLBACK* LPDXUTCALLBACKESCAPE)(void* userContext);

void DXUTSetCallbackDeviceCreated(LPDXUTCALLBACKDEVICECREATED callback, void* userContext = nullptr);
void DXUTSetCallbackDeviceReset(LPDXUTCALLBACKDEVICERESET callback, void* userContext = nullptr);
void DXUTSetCallbackFrameRender(LPDXUTCALLBACKFRAMERENDER callback, void* userContext = nullptr);
void DXUTSetCallbackFrameMove(LPDXUTCALLBACKFRAMEMOVE callback, void* userContext = nullptr);
void DXUTSetCallbackKeyboard(LPDXUTCALLBACKKEYBOARD callback, void* userContext = nullptr);
void DXUTSetCallbackDeviceChanging(LPDXUTCALLBACKMODIFYDEVICESETTINGS callback, void* userContext = nullptr);
inline void DXUTSetCallbackModifyDeviceSettings(LPDXUTCALLBACKMODIFYDEVICESETTINGS callback,
                                                void* userContext = nullptr)
{
    DXUTSetCallbackDeviceChanging(callback, userContext);
}
void DXUTSetCallbackMsgProc(LPDXUTCALLBACKMSGPROC callback, void* userContext = nullptr);
void DXUTSetCallbackEscape(LPDXUTCALLBACKESCAPE callback, void* userContext = nullptr);

// Reads the framework's switches from the command line and arranges for the
// framework's own teardown (context, window, SDL) to run at process exit;
// whatever the game registers with atexit afterwards runs before it.
HRESULT DXUTInit(bool parseCommandLine = true, bool handleDefaultHotkeys = true, bool showMsgBoxOnError = true,
                 bool handleAltEnter = true);

// Creates the (hidden) window; the first device shows it. The default client
// size is 640 x 480. -width/-height on the command line override the size.
HRESULT DXUTCreateWindow(LPCWSTR title = L"Direct3D Window", HINSTANCE instance = nullptr, HICON icon = nullptr,
                         HMENU menu = nullptr, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT);
HRESULT DXUTCreateWindow(LPCWSTR title, HINSTANCE instance, HICON icon, HMENU menu, int x, int y, int clientWidth,
                         int clientHeight);

// Creates the device, or changes it when one exists. The modify-settings
// callback may edit the settings and has the last word on size and mode.
// Full screen never changes the display mode: the window covers the desktop
// and the back buffer keeps the size of the settings.
HRESULT DXUTCreateDeviceFromSettings(DXUTDeviceSettings* settings, bool preserveInput = false,
                                     bool clipWindowToSingleAdapter = true);
HRESULT DXUTToggleFullScreen();

// Runs frames until a quit is requested (PostQuitMessage, closing the window,
// -quitafterframe). Returns the quit code, so a game whose set-up posted a
// failure code gets it back; without a device it returns E_FAIL at once.
HRESULT DXUTMainLoop(HACCEL accelerators = nullptr);
// The exit code of the last quit request (0 when none).
int DXUTGetExitCode();

// The framework's window procedure: message proc, keyboard callback, Escape
// rule, Alt+Enter, sizing and closing. The event pump feeds it; tests may too.
LRESULT CALLBACK DXUTStaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

IDirect3DDevice9* DXUTGetD3DDevice();
inline IDirect3DDevice9* DXUTGetD3D9Device()
{
    return DXUTGetD3DDevice();
}
HWND DXUTGetHWND();
HINSTANCE DXUTGetHINSTANCE();
RECT DXUTGetWindowClientRect();
DXUTDeviceSettings DXUTGetDeviceSettings();
const D3DSURFACE_DESC* DXUTGetBackBufferSurfaceDesc();
bool DXUTIsWindowed();
bool DXUTIsKeyDown(BYTE virtualKey);
double DXUTGetTime();
float DXUTGetElapsedTime();
int DXUTGetFrameCount();

// Switches of our own. -psversion:X.Y is the pixel-shader version the device
// reports (default 3.0), as D3DPS_VERSION(X, Y). -screenshot:N:path saves the
// back buffer as a PNG after frame N is drawn (with a window; frame 0 means
// none). -constantframetime:S advances the time by S each frame, and the
// performance counter with it. -headless runs without a window (DXUTHeadless.h).
DWORD DXUTGetPixelShaderVersionSwitch();
int DXUTGetScreenshotFrame();
const char* DXUTGetScreenshotPath();
