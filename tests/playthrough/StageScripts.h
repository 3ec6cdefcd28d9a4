// The play-through's tables, one per part: each part starts where a player
// can start it (the game's opening, or a developer key) so that each runs
// on its own and within minutes in the sanitizer build.
#pragma once

#include "PlayScript.h"

// The opening (splash screens, main menu, an options toggle, new game) and
// stage 1: the first coin, the bridge giving way under the character, the
// replay with a step and slow motion, "yes", then across to the exit and
// into stage 2.
PlayTable StageOnePlay();
// Stage 2 by key: the first coin on the way to the swinging logs.
PlayTable StageTwoPlay();
// Stage 3 by key: the first coin, then off the path into the lava.
PlayTable StageThreePlay();
// Stage 4 by key: the cart stage as it loads.
PlayTable StageFourPlay();
// Stage 1 by key: the pause menu and back, the jukebox's keys (play, next,
// previous, pause), then the editor on, the active object pushed, the stage
// saved into the scratch run tree and reloaded as it was saved.
PlayTable PauseMusicAndEditorPlay();
