// The DirectInput stand-in reading a real SDL window on a private X server,
// with keys and mouse driven through XTEST as a user's would arrive.
#include "Bindings.h"
#include "XServer.h"

#include <dinput.h>
#include <dinput_test.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// SDL's video start-up opens a D-Bus connection whose library keeps a buffer
// for the life of the process; that is not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace inputtest {
namespace {

const char* kTitle = "lv-input-test";

// xdotool adds the modifiers a keysym needs (NumLock for the keypad digits,
// a Shift beside Shift_R); those may show as held beside the key itself.
bool OnlyKeyHeld(const std::vector<BYTE>& keys, int dik)
{
    for (int code = 0; code < 256; ++code) {
        const bool helper = code == DIK_NUMLOCK || code == DIK_LSHIFT;
        if (code != dik && keys[code] != 0 && !helper) {
            return false;
        }
    }
    return keys[dik] == 0x80;
}

class SdlInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Server().Running()) {
            GTEST_SKIP() << "Xvfb could not be started";
        }
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow(kTitle, 0, 0, 320, 240, SDL_WINDOW_SHOWN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        Pump();
        ASSERT_TRUE(XdoTool(std::string("search --sync --name ") + kTitle + " windowfocus --sync"));
        ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; })) << "the window never got focus";
        ASSERT_TRUE(XdoTool(std::string("search --name ") + kTitle + " mousemove --window %1 160 120"));
        Pump();

        TestInput::SetAlwaysFocused(false);
        TestInput::Reset();
        ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8W, reinterpret_cast<void**>(&input), nullptr),
                  DI_OK);
        ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
        ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        ASSERT_EQ(keyboard->Acquire(), DI_OK);
        ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
        ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse2), DI_OK);
    }
    void TearDown() override
    {
        SAFE_RELEASE(mouse);
        SAFE_RELEASE(keyboard);
        SAFE_RELEASE(input);
        if (window) {
            SDL_DestroyWindow(window);
        }
        SDL_Quit();
    }
    // The host's part: the frame loop pumps events; the stand-in never does.
    static void Pump()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {}
    }
    // Pumps as frames would until the condition holds, for at most two seconds.
    static bool PumpUntil(const std::function<bool()>& condition)
    {
        for (int frame = 0; frame < 200; ++frame) {
            Pump();
            if (condition()) {
                return true;
            }
            SDL_Delay(10);
        }
        return false;
    }
    std::vector<BYTE> Keys(HRESULT* result = nullptr)
    {
        std::vector<BYTE> keys(256, 0);
        const HRESULT hr = keyboard->GetDeviceState(256, keys.data());
        if (result) {
            *result = hr;
        }
        return keys;
    }
    int HeldCount()
    {
        int held = 0;
        for (BYTE b : Keys()) {
            held += b != 0;
        }
        return held;
    }
    void UseMouse(DWORD level)
    {
        ASSERT_TRUE(SUCCEEDED(mouse->Unacquire()));
        ASSERT_EQ(mouse->SetCooperativeLevel(nullptr, level), DI_OK);
        ASSERT_EQ(mouse->Acquire(), DI_OK);
    }
    DIMOUSESTATE2 Mouse()
    {
        DIMOUSESTATE2 state = {};
        EXPECT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
        return state;
    }

    static XServer& Server()
    {
        static XServer server; // started by the first test that runs, stopped at exit
        return server;
    }
    SDL_Window* window = nullptr;
    IDirectInput8W* input = nullptr;
    IDirectInputDevice8W* keyboard = nullptr;
    IDirectInputDevice8W* mouse = nullptr;
};

class SdlKeys : public SdlInput
{
protected:
    // Holds the key the keysym types, checks it alone is down at its code, releases it.
    void TypeAndCheck(int dik, const std::string& keysym)
    {
        ASSERT_TRUE(XdoTool("keydown " + keysym)) << keysym;
        EXPECT_TRUE(PumpUntil([&] { return Keys()[dik] == 0x80; })) << keysym;
        EXPECT_TRUE(OnlyKeyHeld(Keys(), dik)) << keysym;
        ASSERT_TRUE(XdoTool("keyup " + keysym)) << keysym;
        EXPECT_TRUE(PumpUntil([&] { return HeldCount() == 0; })) << keysym;
    }
};

TEST_F(SdlKeys, EveryDefaultBindingArrivesFromTheWindowSystem)
{
    EXPECT_EQ(HeldCount(), 0);
    for (const BoundKey& key : kDefaultBindings) {
        TypeAndCheck(key.dik, key.keysym);
    }
    for (const BoundKey& key : kDeveloperKeys) {
        TypeAndCheck(key.dik, key.keysym);
    }
    // The keypad by position: its keys with NumLock off give the same codes.
    const std::pair<int, const char*> keypad[] = {
        {DIK_NUMPAD6, "KP_Right"}, {DIK_NUMPAD8, "KP_Up"},   {DIK_NUMPAD9, "KP_Prior"}, {DIK_NUMPAD4, "KP_Left"},
        {DIK_NUMPAD2, "KP_Down"},  {DIK_NUMPAD7, "KP_Home"}, {DIK_NUMPAD5, "KP_Begin"},
    };
    for (const auto& key : keypad) {
        TypeAndCheck(key.first, key.second);
    }
}

TEST_F(SdlKeys, KeysKeepTheirPositionsOnAnotherLayout)
{
    if (std::system("setxkbmap fr >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "setxkbmap is not available";
    }
    struct RestoreLayout
    {
        ~RestoreLayout() { EXPECT_EQ(std::system("setxkbmap us >/dev/null 2>&1"), 0); }
    } restore;
    Pump();
    // On a French keyboard Z sits where W is on a US one, A where Q is, Q where A is.
    TypeAndCheck(DIK_W, "z");
    TypeAndCheck(DIK_Q, "a");
    TypeAndCheck(DIK_A, "q");
    TypeAndCheck(DIK_0, "agrave");
}

TEST_F(SdlInput, MouseMotionWheelAndButtonsSumExactly)
{
    UseMouse(DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_FALSE(TestInput::MouseIsExclusive());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    Mouse();
    // Small steps stay under the X server's acceleration threshold.
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(XdoTool("mousemove_relative -- 3 -2"));
    }
    ASSERT_TRUE(XdoTool("click 4 click 4 click 4 click 5"));
    ASSERT_TRUE(XdoTool("mousedown 3"));
    LONG x = 0, y = 0, z = 0;
    DIMOUSESTATE2 state = {};
    PumpUntil([&] {
        state = Mouse();
        x += state.lX;
        y += state.lY;
        z += state.lZ;
        return x == 15 && y == -10 && z == 240 && state.rgbButtons[1] == 0x80;
    });
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, -10);
    EXPECT_EQ(z, 240) << "three notches away, one towards";
    EXPECT_EQ(state.rgbButtons[1], 0x80) << "X's button 3 is the right button";
    EXPECT_EQ(state.rgbButtons[0], 0);
    ASSERT_TRUE(XdoTool("mouseup 3"));
    EXPECT_TRUE(PumpUntil([&] { return Mouse().rgbButtons[1] == 0; }));
}

TEST_F(SdlInput, ExclusiveMouseHidesTheCursorUntilReleased)
{
    UseMouse(DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_TRUE(TestInput::MouseIsExclusive());
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    Mouse();
    // Relative mode: endless deltas, whatever the pointer's position.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(XdoTool("mousemove_relative -- -3 2"));
    }
    LONG x = 0, y = 0;
    PumpUntil([&] {
        const DIMOUSESTATE2 state = Mouse();
        x += state.lX;
        y += state.lY;
        return x == -12 && y == 8;
    });
    EXPECT_EQ(x, -12);
    EXPECT_EQ(y, 8);
    EXPECT_EQ(mouse->Unacquire(), DI_OK);
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlInput, LosingFocusReleasesEveryHeldKey)
{
    for (const char* keysym : {"w", "a", "space", "Shift_R", "KP_8"}) {
        ASSERT_TRUE(XdoTool(std::string("keydown ") + keysym));
    }
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<BYTE> keys = Keys();
        return (keys[DIK_W] & keys[DIK_A] & keys[DIK_SPACE] & keys[DIK_RSHIFT] & keys[DIK_NUMPAD8]) == 0x80;
    }));

    UseMouse(DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    ASSERT_TRUE(SDL_GetRelativeMouseMode());

    SDL_HideWindow(window); // the window system moves focus away
    HRESULT result = DI_OK;
    ASSERT_TRUE(PumpUntil([&] {
        std::vector<BYTE> keys = Keys(&result);
        return result != DI_OK;
    })) << "focus never left";
    EXPECT_EQ(result, DIERR_INPUTLOST);
    std::vector<BYTE> keys = Keys(&result);
    EXPECT_EQ(result, DIERR_NOTACQUIRED);
    int held = 0;
    for (BYTE b : keys) {
        held += b != 0;
    }
    EXPECT_EQ(held, 0);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    EXPECT_FALSE(SDL_GetRelativeMouseMode()) << "the pointer is set free with the focus";
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    DIMOUSESTATE2 state = {};
    EXPECT_EQ(mouse->GetDeviceState(sizeof(state), &state), DIERR_INPUTLOST);

    for (const char* keysym : {"w", "a", "space", "Shift_R", "KP_8"}) {
        XdoTool(std::string("keyup ") + keysym);
    }
    SDL_ShowWindow(window);
    ASSERT_TRUE(XdoTool(std::string("search --sync --name ") + kTitle + " windowfocus --sync"));
    EXPECT_TRUE(PumpUntil([&] { return keyboard->Acquire() == DI_OK; }));
    EXPECT_EQ(HeldCount(), 0);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_TRUE(SDL_GetRelativeMouseMode()) << "re-acquiring takes the pointer again";
}

} // namespace
} // namespace inputtest
