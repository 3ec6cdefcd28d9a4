// Window messages: what reaches the message proc and the keyboard callback,
// the Escape rule, drops, closing, and SDL events as Windows messages.
#include "DXUTTestLog.h"
#include "DXUTEvents.h"
#include "DXUTState.h"
#include "Win32Host.h"
#include "Win32String.h"

#include <cstring>

namespace {

TEST_F(FrameworkTest, KeysReachMsgProcThenKeyboardBeforeTheFrameMoves)
{
    StartHeadless();
    DXUTHeadlessScheduleKey(0, 'R', true);
    DXUTHeadlessScheduleKey(1, 'R', true, true); // auto-repeat
    DXUTHeadlessScheduleKey(1, 'R', true, true);
    DXUTHeadlessScheduleKey(2, 'R', false);
    ASSERT_EQ(DXUTHeadlessRunFrames(3), 3);
    const std::vector<std::string> expected = {"msg 0x100 82 was-up",
                                               "key 82 down",
                                               "move",
                                               "render",
                                               "msg 0x100 82 was-down",
                                               "key 82 down",
                                               "msg 0x100 82 was-down",
                                               "key 82 down",
                                               "move",
                                               "render",
                                               "msg 0x101 82 was-down",
                                               "key 82 up",
                                               "move",
                                               "render"};
    EXPECT_EQ(game.log, expected);
    EXPECT_FALSE(DXUTIsKeyDown('R'));
}

TEST_F(FrameworkTest, EscapeRunsTheGameRuleOnKeyDownOnlyAndNeverCloses)
{
    StartHeadless();
    DXUTHeadlessScheduleKey(0, VK_ESCAPE, true);
    DXUTHeadlessScheduleKey(0, VK_ESCAPE, false);
    DXUTHeadlessScheduleKey(1, VK_ESCAPE, true, false, true); // WM_SYSKEYDOWN: not the rule's message
    DXUTHeadlessScheduleKey(1, 'A', true);
    DXUTHeadlessScheduleMessage(1, WM_CHAR, 27, 1);
    ASSERT_EQ(DXUTHeadlessRunFrames(4), 4);
    EXPECT_EQ(game.escapes, 1);
    EXPECT_FALSE(Win32QuitRequested());

    // Without a rule Escape still does nothing to the window.
    DXUTSetCallbackEscape(nullptr);
    DXUTHeadlessScheduleKey(4, VK_ESCAPE, true);
    EXPECT_EQ(DXUTHeadlessRunFrames(2), 2);
    EXPECT_FALSE(Win32QuitRequested());
}

TEST_F(FrameworkTest, AMessageTheGameKeepsGoesNoFurther)
{
    StartHeadless();
    game.swallowMessages = true;
    DXUTHeadlessScheduleKey(0, VK_ESCAPE, true);
    DXUTHeadlessScheduleKey(0, 'N', true);
    DXUTHeadlessScheduleMessage(0, WM_CLOSE, 0, 0);
    ASSERT_EQ(DXUTHeadlessRunFrames(1), 1);
    EXPECT_EQ(game.escapes, 0);
    EXPECT_EQ(game.log, (std::vector<std::string>{"msg 0x100 27 was-up", "msg 0x100 78 was-up", "msg 0x10 0 was-up",
                                                  "move", "render"}));
    EXPECT_FALSE(Win32QuitRequested());
}

TEST_F(FrameworkTest, DropsAndClosing)
{
    StartHeadless();
    DXUTHeadlessScheduleDrop(0, "/tmp/My Maps/terrain.bmp");
    DXUTHeadlessScheduleMessage(2, WM_CLOSE, 0, 0);
    EXPECT_EQ(DXUTHeadlessRunFrames(10), 2);
    EXPECT_EQ(game.log.front(), "drop /tmp/My Maps/terrain.bmp");
    EXPECT_EQ(game.log.back(), "msg 0x10 0 was-up");
    EXPECT_TRUE(Win32QuitRequested());
    EXPECT_EQ(DXUTGetExitCode(), 0);

    // The teardown (also run at exit) is safe more than once.
    DXUTTeardown();
    DXUTTeardown();
    EXPECT_EQ(DXUTGetHWND(), nullptr);
    EXPECT_EQ(DXUTGetD3DDevice(), nullptr);
}

// --- SDL events as messages ------------------------------------------------

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, Uint16 mod = 0, bool repeat = false)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = mod;
    event.key.repeat = repeat ? 1 : 0;
    return event;
}

std::vector<DXUTMessage> Translate(DXUTEventTranslator& translator, const SDL_Event& event, bool drops = true)
{
    std::vector<DXUTMessage> out;
    translator.Translate(event, drops, out);
    return out;
}

TEST(DXUTEvents, KeysBecomeVirtualKeyMessages)
{
    DXUTEventTranslator t;
    std::vector<DXUTMessage> m = Translate(t, KeyEvent(SDL_KEYDOWN, SDLK_r));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>('R'));
    EXPECT_EQ(m[0].lParam, 1);

    m = Translate(t, KeyEvent(SDL_KEYDOWN, SDLK_r, KMOD_LSHIFT, true));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>('R')); // shift does not change the key
    EXPECT_EQ(m[0].lParam, (1 << 30) | 1);

    m = Translate(t, KeyEvent(SDL_KEYUP, SDLK_4));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>('4'));
    EXPECT_EQ(static_cast<DWORD>(m[0].lParam), 0xC0000001u);

    m = Translate(t, KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(m[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(m[1].wParam, 27u);

    m = Translate(t, KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_NE(m[0].lParam & (1 << 29), 0);

    m = Translate(t, KeyEvent(SDL_KEYUP, SDLK_LALT));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(VK_MENU));

    const std::pair<SDL_Keycode, UINT> keys[] = {
        {SDLK_F1, VK_F1},          {SDLK_LEFT, VK_LEFT},   {SDLK_SPACE, VK_SPACE}, {SDLK_KP_5, VK_NUMPAD5},
        {SDLK_RCTRL, VK_CONTROL},  {SDLK_PAUSE, VK_PAUSE}, {SDLK_z, 'Z'},          {SDLK_0, '0'},
        {SDLK_SEMICOLON, VK_OEM_1}};
    for (const auto& key : keys) {
        EXPECT_EQ(DXUTVirtualKeyFromSDL(key.first, SDL_GetScancodeFromKey(key.first)), key.second) << key.first;
    }
    // A layout whose A key types something else still reports 'A'.
    EXPECT_EQ(DXUTVirtualKeyFromSDL(0x430, SDL_SCANCODE_A), static_cast<UINT>('A'));
    EXPECT_EQ(DXUTVirtualKeyFromSDL(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
}

TEST(DXUTEvents, MouseTextWindowAndDrops)
{
    DXUTEventTranslator t;
    t.SetClientSize(640, 480);
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 1;
    e.button.x = 10;
    e.button.y = 20;
    std::vector<DXUTMessage> m = Translate(t, e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(m[0].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(m[0].lParam, MAKELPARAM(10, 20));

    std::memset(&e, 0, sizeof(e));
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -1;
    m = Translate(t, e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_MOUSEWHEEL));
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(m[0].wParam), -WHEEL_DELTA);
    EXPECT_NE(m[0].wParam & MK_LBUTTON, 0u); // the button is still held

    std::memset(&e, 0, sizeof(e));
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "a\xC3\xA9");
    m = Translate(t, e);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(m[1].wParam, 0xE9u);

    std::memset(&e, 0, sizeof(e));
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    e.window.data1 = 800;
    e.window.data2 = 600;
    m = Translate(t, e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(m[0].lParam, MAKELPARAM(800, 600));
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    m = Translate(t, e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_CLOSE));

    // A drop of two files is one message; refused drops make none.
    char first[] = "/tmp/a.bmp";
    char second[] = "/tmp/\xC3\xBC.bmp";
    std::memset(&e, 0, sizeof(e));
    e.type = SDL_DROPBEGIN;
    EXPECT_TRUE(Translate(t, e).empty());
    e.type = SDL_DROPFILE;
    e.drop.file = first;
    EXPECT_TRUE(Translate(t, e).empty());
    e.drop.file = second;
    EXPECT_TRUE(Translate(t, e).empty());
    e.type = SDL_DROPCOMPLETE;
    e.drop.file = nullptr;
    m = Translate(t, e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_DROPFILES));
    HDROP drop = reinterpret_cast<HDROP>(m[0].wParam);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
    wchar_t name[32];
    DragQueryFileW(drop, 1, name, 32);
    EXPECT_EQ(Win32WideToUtf8(name), second);
    DragFinish(drop);
    DragFinish(drop); // a second finish is ignored

    e.type = SDL_DROPFILE;
    e.drop.file = first;
    EXPECT_TRUE(Translate(t, e, false).empty());
}

} // namespace
