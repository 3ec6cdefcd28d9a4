// The ids of the seven menus. A menu's id is also its HUD page, and the menu
// manager keeps menu id - 1 at that index of its list. The camera, the level
// loader, the player, the replay and the start-up all ask which menu is on
// top, so the ids live here rather than with the menus.
#pragma once

enum MenuId : int {
    kMenuNone = 0,   // no menu open: the empty HUD page
    kMenuMain = 1,   // opened at start-up under the splash screens
    kMenuReplay = 2, // replay controls and the try-again choice
    kMenuLogoSplash = 3,
    kMenuImageSplash = 4,
    kMenuOptions = 5,
    kMenuCredits = 6,
    kMenuPause = 7 // Escape with no menu open
};

constexpr int kMenuCount = kMenuPause;
