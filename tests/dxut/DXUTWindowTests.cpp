// One real run on SDL's offscreen driver: a window of the requested size with
// an OpenGL 3.3+ core context, frames presented, and the screenshot switch.
#include "DXUT.h"
#include "DXUTHeadless.h"
#include "DXUTState.h"
#include "Win32Host.h"

#include <SDL.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

int gResets = 0;
int gFrames = 0;
UINT gResetWidth = 0;

HRESULT CALLBACK OnReset(IDirect3DDevice9*, const D3DSURFACE_DESC* desc, void*)
{
    ++gResets;
    gResetWidth = desc->Width;
    return S_OK;
}

void CALLBACK OnMove(IDirect3DDevice9*, double, float, void*)
{
    ++gFrames;
}

// The frame the screenshot must show: the device's back buffer cleared to a
// known colour.
void CALLBACK OnRender(IDirect3DDevice9* device, double, float, void*)
{
    if (device) device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(26, 38, 89), 1.0f, 0);
}

std::vector<std::string> gMessages;

// Registered after DXUTInit, as the game registers its exit routine: it must
// run first and still find the window and the context alive. A wrong order
// fails the process.
void ExitRoutineOfTheGame()
{
    if (!DXUTGetHWND() || !DXUTGetState().window) {
        std::fprintf(stderr, "the framework was torn down before the game's exit routine\n");
        std::_Exit(3);
    }
}

LRESULT CALLBACK OnMsgProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, bool*, void*)
{
    if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN) {
        gMessages.push_back(std::to_string(message) + " " + std::to_string(wParam & 0xFF) + " " +
                            std::to_string(LOWORD(lParam)) + "," + std::to_string(HIWORD(lParam)));
    }
    return 0;
}

void PushKeyAndClick(SDL_Window* window, int x, int y)
{
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(window);
    key.key.keysym.sym = SDLK_r;
    key.key.keysym.scancode = SDL_SCANCODE_R;
    SDL_PushEvent(&key);
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.windowID = SDL_GetWindowID(window);
    click.button.button = SDL_BUTTON_LEFT;
    click.button.clicks = 1;
    click.button.x = x;
    click.button.y = y;
    SDL_PushEvent(&click);
}

bool CALLBACK OnModify(DXUTDeviceSettings* settings, const D3DCAPS9*, void*)
{
    const RECT client = DXUTGetWindowClientRect();
    settings->pp.BackBufferWidth = static_cast<UINT>(client.right);
    settings->pp.BackBufferHeight = static_cast<UINT>(client.bottom);
    return true;
}

TEST(DXUTWindow, OffscreenWindowOfTheRequestedSize)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const std::string shot = "/tmp/lv_dxut_shot_" + std::to_string(getpid()) + ".png";
    const std::string shotSwitch = "-screenshot:2:" + shot;
    const char* args[] = {"Lumveran",    "-windowed",         "-width:320",
                          "-height:200", "-quitafterframe:3", shotSwitch.c_str()};
    Win32SetCommandLine(6, const_cast<char**>(args));

    DXUTSetCallbackDeviceReset(OnReset);
    DXUTSetCallbackFrameMove(OnMove);
    DXUTSetCallbackFrameRender(OnRender);
    DXUTSetCallbackDeviceChanging(OnModify);
    DXUTSetCallbackMsgProc(OnMsgProc);
    ASSERT_EQ(DXUTInit(true, true, false, true), S_OK);
    std::atexit(ExitRoutineOfTheGame);
    ASSERT_EQ(DXUTCreateWindow(L"Quorvalith", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480), S_OK);
    DXUTDeviceSettings settings = {};
    settings.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    settings.pp.Windowed = FALSE; // -windowed overrides
    ASSERT_EQ(DXUTCreateDeviceFromSettings(&settings), S_OK);

    const DXUTState& state = DXUTGetState();
    ASSERT_NE(state.window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(state.window, &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_TRUE(DXUTIsWindowed());
    EXPECT_EQ(gResetWidth, 320u);
    const std::string version = DXUTDeviceGLVersion();
    int major = 0, minor = 0;
    ASSERT_EQ(std::sscanf(version.c_str(), "%d.%d", &major, &minor), 2) << version;
    EXPECT_GE(major * 10 + minor, 33) << version;
    std::printf("GL: %s\n", version.c_str());

    // Events from SDL's queue arrive as messages in window pixels (a key's
    // LPARAM starts with its repeat count, a button's WPARAM holds MK_LBUTTON).
    // A test's scheduled messages reach a window too, ahead of that frame's events.
    PushKeyAndClick(state.window, 160, 100);
    DXUTHeadlessScheduleKey(0, 'Q', true);
    DXUTHeadlessScheduleKey(1, 'S', true);
    EXPECT_EQ(DXUTMainLoop(), 0);
    EXPECT_EQ(gFrames, 3);
    EXPECT_EQ(gResets, 1);
    EXPECT_EQ(gMessages, (std::vector<std::string>{"256 81 1,0", "256 82 1,0", "513 1 160,100", "256 83 1,0"}));

    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(shot.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(pixels, nullptr) << shot;
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    // The device's frame reaches the window and the screenshot.
    const unsigned char* centre = pixels + (static_cast<size_t>(h / 2) * w + w / 2) * 4;
    EXPECT_NEAR(centre[0], 26, 2);
    EXPECT_NEAR(centre[1], 38, 2);
    EXPECT_NEAR(centre[2], 89, 2);
    stbi_image_free(pixels);
    std::remove(shot.c_str());

    // Full screen covers the desktop; pointer positions come in back-buffer
    // pixels (this modify callback keeps 320 x 200 for the back buffer).
    ASSERT_EQ(DXUTToggleFullScreen(), S_OK);
    EXPECT_FALSE(DXUTIsWindowed());
    EXPECT_EQ(gResets, 2);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    SDL_GetWindowSize(state.window, &width, &height);
    std::printf("full screen window %dx%d, desktop %dx%d\n", width, height, desktop.w, desktop.h);
    gMessages.clear();
    PushKeyAndClick(state.window, width / 2, height / 2);
    Win32ClearQuit();
    gFrames = 0;
    DXUTGetState().switches.quitAfterFrame = DXUTGetFrameCount() + 1;
    EXPECT_EQ(DXUTMainLoop(), 0);
    ASSERT_EQ(gMessages.size(), 2u);
    EXPECT_EQ(gMessages[1],
              "513 1 " + std::to_string(320 * (width / 2) / width) + "," + std::to_string(200 * (height / 2) / height));
    EXPECT_EQ(width, desktop.w);
}

} // namespace
