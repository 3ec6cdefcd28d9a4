// Call order, times, quit codes and switches of the framework, headless.
#include "DXUTTestLog.h"
#include "DXUTState.h"
#include "Win32Host.h"

#include <cstdio>

namespace {

ScriptedGame* gGame = nullptr;

std::string Size(const D3DSURFACE_DESC* desc)
{
    return std::to_string(desc->Width) + "x" + std::to_string(desc->Height);
}

HRESULT CALLBACK OnCreated(IDirect3DDevice9*, const D3DSURFACE_DESC* desc, void* user)
{
    ScriptedGame& game = *static_cast<ScriptedGame*>(user);
    game.log.push_back("created " + Size(desc));
    return game.createdResult;
}

HRESULT CALLBACK OnReset(IDirect3DDevice9*, const D3DSURFACE_DESC* desc, void* user)
{
    static_cast<ScriptedGame*>(user)->log.push_back("reset " + Size(desc));
    return S_OK;
}

void CALLBACK OnMove(IDirect3DDevice9*, double time, float elapsed, void* user)
{
    ScriptedGame& game = *static_cast<ScriptedGame*>(user);
    ++game.frames;
    game.log.push_back("move");
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    game.countersInMove.push_back(counter.QuadPart);
    game.timesInMove.push_back(time);
    game.elapsedInMove.push_back(elapsed);
    if (game.quitAtFrame == game.frames) PostQuitMessage(game.quitCode);
}

void CALLBACK OnRender(IDirect3DDevice9*, double, float, void* user)
{
    static_cast<ScriptedGame*>(user)->log.push_back("render");
}

void CALLBACK OnKeyboard(UINT key, bool down, bool alt, void* user)
{
    char line[64];
    std::snprintf(line, sizeof(line), "key %u %s%s", key, down ? "down" : "up", alt ? " alt" : "");
    static_cast<ScriptedGame*>(user)->log.push_back(line);
}

bool CALLBACK OnModify(DXUTDeviceSettings* settings, const D3DCAPS9* caps, void* user)
{
    ScriptedGame& game = *static_cast<ScriptedGame*>(user);
    game.psVersionSeen = caps->PixelShaderVersion;
    game.clientInModify = DXUTGetWindowClientRect();
    game.log.push_back(settings->pp.Windowed ? "modify windowed" : "modify fullscreen");
    // As the game does: windowed takes the client area, full screen its own size.
    if (settings->pp.Windowed) {
        settings->pp.BackBufferWidth = static_cast<UINT>(game.clientInModify.right);
        settings->pp.BackBufferHeight = static_cast<UINT>(game.clientInModify.bottom);
    } else {
        settings->pp.BackBufferWidth = game.fullscreenWidth;
        settings->pp.BackBufferHeight = game.fullscreenHeight;
    }
    return game.acceptSettings;
}

LRESULT CALLBACK OnMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* noFurther, void* user)
{
    ScriptedGame& game = *static_cast<ScriptedGame*>(user);
    EXPECT_EQ(window, DXUTGetHWND());
    char line[96];
    if (message == WM_DROPFILES) {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        DragQueryFileW(drop, 0, &name[0], length + 1);
        name.resize(length);
        DragFinish(drop);
        game.log.push_back("drop " + std::string(name.begin(), name.end()));
    } else {
        std::snprintf(line, sizeof(line), "msg %#x %u %s", message, static_cast<unsigned>(wParam),
                      ((static_cast<DWORD>(lParam) >> 30) & 1u) ? "was-down" : "was-up");
        game.log.push_back(line);
    }
    *noFurther = game.swallowMessages;
    return 0;
}

void CALLBACK OnEscape(void* user)
{
    ++static_cast<ScriptedGame*>(user)->escapes;
}

} // namespace

void InstallScriptedGame(ScriptedGame& game)
{
    gGame = &game;
    DXUTSetCallbackDeviceCreated(OnCreated, &game);
    DXUTSetCallbackDeviceReset(OnReset, &game);
    DXUTSetCallbackFrameRender(OnRender, &game);
    DXUTSetCallbackFrameMove(OnMove, &game);
    DXUTSetCallbackKeyboard(OnKeyboard, &game);
    DXUTSetCallbackDeviceChanging(OnModify, &game);
    DXUTSetCallbackMsgProc(OnMsgProc, &game);
    DXUTSetCallbackEscape(OnEscape, &game);
}

DXUTDeviceSettings WindowedSettings()
{
    DXUTDeviceSettings settings = {};
    settings.DeviceType = D3DDEVTYPE_HAL;
    settings.AdapterFormat = D3DFMT_X8R8G8B8;
    settings.BehaviorFlags = 0x40;
    settings.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    settings.pp.BackBufferCount = 1;
    settings.pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    settings.pp.Windowed = TRUE;
    settings.pp.EnableAutoDepthStencil = TRUE;
    settings.pp.AutoDepthStencilFormat = D3DFMT_D16;
    settings.pp.Flags = 2;
    settings.pp.PresentationInterval = 1;
    return settings;
}

namespace {

TEST_F(FrameworkTest, CreationThenFramesInTheFrameworkOrder)
{
    DXUTHeadlessEnable(0.01);
    InstallScriptedGame(game);
    ASSERT_EQ(DXUTInit(false, true, false, true), S_OK);
    ASSERT_EQ(DXUTCreateWindow(L"Quorvalith", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300), S_OK);
    ASSERT_NE(DXUTGetHWND(), nullptr);
    EXPECT_EQ(game.log.size(), 0u); // nothing is called before the device
    DXUTDeviceSettings settings = WindowedSettings();
    ASSERT_EQ(DXUTCreateDeviceFromSettings(&settings, false, true), S_OK);
    EXPECT_EQ(DXUTHeadlessRunFrames(3), 3);

    const std::vector<std::string> expected = {
        "modify windowed", "created 400x300", "reset 400x300", "move", "render", "move", "render", "move", "render"};
    EXPECT_EQ(game.log, expected);
    const RECT client = DXUTGetWindowClientRect();
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    RECT viaWin32;
    ASSERT_TRUE(GetClientRect(DXUTGetHWND(), &viaWin32));
    EXPECT_EQ(viaWin32.right, 400);
    EXPECT_EQ(DXUTGetDeviceSettings().pp.BackBufferWidth, 400u);
    EXPECT_EQ(DXUTGetBackBufferSurfaceDesc()->Height, 300u);
    EXPECT_TRUE(DXUTIsWindowed());

    // Fixed steps: the framework's time and the game's counter move together.
    ASSERT_EQ(game.timesInMove.size(), 3u);
    EXPECT_DOUBLE_EQ(game.timesInMove[2], 0.03);
    EXPECT_FLOAT_EQ(game.elapsedInMove[0], 0.01f);
    EXPECT_EQ(game.countersInMove[1] - game.countersInMove[0], 100000);
    EXPECT_EQ(game.countersInMove[2] - game.countersInMove[1], 100000);
    EXPECT_EQ(DXUTGetFrameCount(), 3);
}

TEST_F(FrameworkTest, RefusedSettingsOrFailedCreationLeaveNoDevice)
{
    DXUTHeadlessEnable();
    InstallScriptedGame(game);
    DXUTInit(false);
    DXUTCreateWindow(L"t");
    game.acceptSettings = false;
    DXUTDeviceSettings settings = WindowedSettings();
    EXPECT_TRUE(FAILED(DXUTCreateDeviceFromSettings(&settings)));
    EXPECT_EQ(DXUTGetD3DDevice(), nullptr);
    EXPECT_EQ(game.log, (std::vector<std::string>{"modify windowed"}));
    // No device and no quit: the loop refuses to run, with a failure status.
    EXPECT_TRUE(FAILED(DXUTMainLoop()));
    EXPECT_EQ(game.frames, 0);

    game.log.clear();
    game.acceptSettings = true;
    game.createdResult = E_OUTOFMEMORY;
    EXPECT_EQ(DXUTCreateDeviceFromSettings(&settings), E_OUTOFMEMORY);
    EXPECT_EQ(game.log, (std::vector<std::string>{"modify windowed", "created 640x480"}));
    EXPECT_EQ(DXUTHeadlessRunFrames(2), 0);
}

TEST_F(FrameworkTest, TheLoopReturnsTheQuitCode)
{
    StartHeadless();
    game.quitAtFrame = 3;
    game.quitCode = 7;
    EXPECT_EQ(DXUTMainLoop(), 7);
    EXPECT_EQ(DXUTGetExitCode(), 7);
    EXPECT_EQ(game.frames, 3);
    // The frame that asked to quit is still drawn.
    EXPECT_EQ(game.log.back(), "render");
}

TEST_F(FrameworkTest, AQuitPostedDuringSetUpEndsTheLoopAtOnce)
{
    // A game whose device failed posts -1 and enters the loop without a device.
    DXUTHeadlessEnable();
    InstallScriptedGame(game);
    DXUTInit(false);
    PostQuitMessage(-1);
    EXPECT_EQ(DXUTMainLoop(), -1);
    EXPECT_EQ(game.frames, 0);
}

TEST_F(FrameworkTest, CommandLineSwitches)
{
    char a0[] = "Lumveran", a1[] = "-quitafterframe:5", a2[] = "-constantframetime:0.02", a3[] = "-PSVersion:2.0",
         a4[] = "-screenshot:3:/tmp/shot:1.png", a5[] = "-width:abc", a6[] = "--gtest_color=no";
    char* argv[] = {a0, a1, a2, a3, a4, a5, a6};
    Win32SetCommandLine(7, argv);
    DXUTHeadlessEnable(0.5);
    InstallScriptedGame(game);
    ASSERT_EQ(DXUTInit(true), S_OK);
    DXUTCreateWindow(L"t");
    DXUTDeviceSettings settings = WindowedSettings();
    ASSERT_EQ(DXUTCreateDeviceFromSettings(&settings), S_OK);
    EXPECT_EQ(DXUTMainLoop(), 0);
    EXPECT_EQ(game.frames, 5);
    EXPECT_NEAR(DXUTGetTime(), 0.1, 1e-12); // the switch's step, not the host's
    EXPECT_EQ(game.psVersionSeen, D3DPS_VERSION(2, 0));
    EXPECT_EQ(DXUTGetPixelShaderVersionSwitch(), D3DPS_VERSION(2, 0));
    EXPECT_EQ(DXUTGetScreenshotFrame(), 3);
    EXPECT_STREQ(DXUTGetScreenshotPath(), "/tmp/shot:1.png");
    EXPECT_EQ(DXUTGetWindowClientRect().right, 640); // the bad width was ignored
    Win32SetCommandLine(0, nullptr);

    DXUTSwitches switches;
    DXUTParseSwitches({"/windowed", "-fullscreen", "-height:0", "-quitafterframe:-3", "-psversion:3", "-screenshot:0:x",
                       "-constantframetime:nan"},
                      switches);
    EXPECT_TRUE(switches.fullscreen);
    EXPECT_FALSE(switches.windowed);
    EXPECT_EQ(switches.height, 0);
    EXPECT_EQ(switches.quitAfterFrame, 0);
    EXPECT_EQ(switches.pixelShaderVersion, 0u);
    EXPECT_EQ(switches.screenshotFrame, 0);
    EXPECT_EQ(switches.constantFrameTime, 0.0);
}

TEST_F(FrameworkTest, AltEnterTogglesThroughModifyAndReset)
{
    StartHeadless(320, 240);
    DXUTHeadlessScheduleKey(0, VK_RETURN, true, false, true);
    DXUTHeadlessScheduleKey(0, VK_RETURN, true, true, true); // held: no second toggle
    ASSERT_EQ(DXUTHeadlessRunFrames(1), 1);
    EXPECT_FALSE(DXUTIsWindowed());
    EXPECT_EQ(DXUTGetWindowClientRect().right, 640);
    EXPECT_EQ(DXUTGetWindowClientRect().bottom, 480);

    DXUTHeadlessScheduleKey(1, VK_RETURN, true, false, true);
    ASSERT_EQ(DXUTHeadlessRunFrames(1), 1);
    EXPECT_TRUE(DXUTIsWindowed());
    // Leaving full screen, the game already sees the window's client area.
    EXPECT_EQ(game.clientInModify.right, 320);
    EXPECT_EQ(DXUTGetDeviceSettings().pp.BackBufferWidth, 320u);

    const std::vector<std::string> expected = {"msg 0x104 13 was-up",
                                               "key 13 down alt",
                                               "modify fullscreen",
                                               "reset 640x480",
                                               "msg 0x104 13 was-down",
                                               "key 13 down alt",
                                               "move",
                                               "render",
                                               "msg 0x104 13 was-up",
                                               "key 13 down alt",
                                               "modify windowed",
                                               "reset 320x240",
                                               "move",
                                               "render"};
    EXPECT_EQ(game.log, expected);
}

TEST_F(FrameworkTest, ResizingAWindowResetsOnlyOnARealChange)
{
    StartHeadless(320, 240);
    DXUTHeadlessScheduleMessage(0, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 400));
    DXUTHeadlessScheduleMessage(0, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 400));
    DXUTHeadlessScheduleMessage(0, WM_SIZE, SIZE_MINIMIZED, 0);
    ASSERT_EQ(DXUTHeadlessRunFrames(1), 1);
    const std::vector<std::string> expected = {"msg 0x5 0 was-up",
                                               "modify windowed",
                                               "reset 500x400",
                                               "msg 0x5 0 was-up",
                                               "msg 0x5 1 was-up",
                                               "move",
                                               "render"};
    EXPECT_EQ(game.log, expected);
    EXPECT_EQ(DXUTGetWindowClientRect().right, 500);
}

} // namespace
