#include "ui/MenuTables.h"

#include <iterator>

#include "core/Messages.h"

namespace {

// Texture ids of the menu images.
enum MenuTexture : int {
    kTexImageSplash = 1, // "vossmere.png"
    kTexTitle = 15,      // "quorvamark.png"
    kTexNewGame = 16,    // "newgame.png"
    kTexQuit = 17,       // "quit.png"
    kTexBar = 18,        // "letterboxbar.png"
    kTexReplayControls = 20,
    kTexReplayBase = 21,
    kTexReplayPlay = 22,
    kTexReplayPause = 23,
    kTexReplayForward = 24,
    kTexReplayBackward = 25,
    kTexReplaySlowMotion = 27,
    kTexTryAgain = 30,
    kTexYes = 31,
    kTexNo = 32,
    kTexLogoSplash = 49, // "tarnwic.png"
    kTexMouseHint = 59,  // "lmbrc.png": hold the left button to turn the camera
    kTexBox = 63,
    kTexBoxChecked = 64,
    kTexInvertX = 65,
    kTexInvertY = 66,
    kTexOptions = 67,
    kTexBack = 68,
    kTexCredits = 83,
    kTexCreditsButton = 84,
    kTexResume = 85
};

constexpr int kNone = -1;
constexpr int kBarHeight = 75;
constexpr float kSplashDelayMs = 3000.0f;

// Plain pixels; the screen's half plus pixels; the whole screen plus pixels.
constexpr LayoutValue Px(int offset)
{
    return {0, 0, offset};
}
constexpr LayoutValue Half(int offset)
{
    return {1, 0, offset};
}
constexpr LayoutValue Full(int offset)
{
    return {0, 1, offset};
}

constexpr MenuItemSpec Image(int texture, LayoutValue x, LayoutValue y, LayoutValue w, LayoutValue h, int event)
{
    return {MenuItemKind::Image, texture, x, y, w, h, event};
}
constexpr MenuItemSpec TopBar()
{
    return Image(kTexBar, Px(0), Px(0), Full(0), Px(kBarHeight), kNone);
}
constexpr MenuItemSpec BottomBar()
{
    return Image(kTexBar, Px(0), Full(-kBarHeight), Full(0), Px(kBarHeight), kNone);
}
constexpr MenuItemSpec Toggle(int shown, LayoutValue x, LayoutValue y, int w, int h, int hoverEvent, int imageA,
                              int imageB, int eventA, int eventB, bool flag)
{
    return {MenuItemKind::ToggleBox, shown, x, y, Px(w), Px(h), hoverEvent, imageA, imageB, eventA, eventB, flag};
}

const MenuItemSpec kMainMenu[] = {
    TopBar(),
    BottomBar(),
    Image(kTexTitle, Half(-260), Half(-70), Px(520), Px(56), kNone),
    Image(kTexNewGame, Half(-61), Half(0), Px(122), Px(30), kMsgCloseMenu),
    Image(kTexQuit, Half(-30), Half(90), Px(60), Px(30), kMsgQuitGame),
    Image(kTexOptions, Half(-52), Half(30), Px(104), Px(30), kMsgOpenOptions),
    Image(kTexCreditsButton, Half(-52), Half(60), Px(104), Px(30), kMsgOpenCredits),
};

const MenuItemSpec kReplayMenu[] = {
    TopBar(),
    BottomBar(),
    Image(kTexReplayBase, Full(-210), Full(-170), Px(210), Px(85), kNone),
    Image(kTexReplayControls, Full(-205), Full(-165), Px(200), Px(30), kNone),
    Image(kTexReplayBackward, Full(-174), Full(-135), Px(32), Px(32), kMsgReplayBack),
    Toggle(kTexReplayPause, Full(-139), Full(-135), 32, 32, kMsgReplayFreeze, kTexReplayPlay, kTexReplayPause,
           kMsgReplayPlay, kMsgReplayFreeze, false),
    Image(kTexReplayForward, Full(-104), Full(-135), Px(32), Px(32), kMsgReplayForward),
    Image(kTexReplaySlowMotion, Full(-69), Full(-135), Px(32), Px(32), kMsgReplaySlowMotion),
    Image(kTexReplayBase, Px(20), Full(-170), Px(185), Px(90), kNone),
    Image(kTexTryAgain, Px(25), Full(-165), Px(170), Px(40), kNone),
    Image(kTexYes, Px(60), Full(-122), Px(40), Px(25), kMsgRetryStage),
    Image(kTexNo, Px(110), Full(-122), Px(40), Px(25), kMsgNewGame),
    Image(kTexMouseHint, Half(-90), Full(-135), Px(180), Px(46), kNone),
};

// A click anywhere on a splash screen closes it early.
const MenuItemSpec kLogoSplash[] = {
    Image(kTexBar, Px(0), Px(0), Full(0), Full(0), kMsgCloseMenu),
    Image(kTexLogoSplash, Half(-160), Half(-50), Px(320), Px(100), kNone),
};

const MenuItemSpec kImageSplash[] = {
    Image(kTexBar, Px(0), Px(0), Full(0), Full(0), kMsgCloseMenu),
    Image(kTexImageSplash, Half(-128), Half(-128), Px(256), Px(256), kNone),
};

const MenuItemSpec kOptionsMenu[] = {
    TopBar(),
    BottomBar(),
    Image(kTexOptions, Half(-52), Half(-60), Px(104), Px(30), kNone),
    Image(kTexInvertX, Half(-26), Half(-30), Px(76), Px(20), kNone),
    Image(kTexInvertY, Half(-26), Half(0), Px(76), Px(20), kNone),
    Image(kTexBack, Half(-26), Half(30), Px(46), Px(20), kMsgCloseMenu),
    Toggle(kTexBox, Half(-76), Half(-30), 24, 20, kMsgToggleInvertX, kTexBox, kTexBoxChecked, kMsgToggleInvertX,
           kMsgToggleInvertX, true),
    Toggle(kTexBox, Half(-76), Half(0), 24, 20, kMsgToggleInvertY, kTexBox, kTexBoxChecked, kMsgToggleInvertY,
           kMsgToggleInvertY, true),
};

const MenuItemSpec kCreditsMenu[] = {
    {MenuItemKind::Credits, kTexCredits, Px(0), Px(0), Px(0), Px(0), kMsgCloseMenu},
    TopBar(),
    BottomBar(),
};

const MenuItemSpec kPauseMenu[] = {
    TopBar(),
    BottomBar(),
    Image(kTexResume, Half(-61), Half(0), Px(122), Px(30), kMsgCloseMenu),
    Image(kTexQuit, Half(-30), Half(60), Px(60), Px(30), kMsgQuitGame),
    Image(kTexOptions, Half(-52), Half(30), Px(104), Px(30), kMsgOpenOptions),
};

template <std::size_t N>
constexpr MenuSpec Menu(const MenuItemSpec (&items)[N], float delay = 0.0f, int event = kNone)
{
    return {delay, event, items, N};
}

// Index = menu id - 1.
const MenuSpec kMenus[kMenuCount] = {
    Menu(kMainMenu),
    Menu(kReplayMenu),
    Menu(kLogoSplash, kSplashDelayMs, kMsgCloseMenu),
    Menu(kImageSplash, kSplashDelayMs, kMsgCloseMenu),
    Menu(kOptionsMenu),
    Menu(kCreditsMenu),
    Menu(kPauseMenu),
};

} // namespace

const MenuSpec& GetMenuSpec(MenuId id)
{
    static_assert(std::size(kMenus) == kMenuCount, "one table per menu");
    const int index = id - kMenuMain;
    return kMenus[index >= 0 && index < kMenuCount ? index : 0];
}
