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
// Stage 2 by key: the swinging logs let go, the whips and spinning logs,
// the exit into stage 3.
PlayTable StageTwoPlay();
// Stage 3 by key: the lava's knock-out, "no" to the main menu, new game, key
// 3 again, the platform, the exit into stage 4.
PlayTable StageThreePlay();
// Stage 4 by key: the cart driven with a brake and both boosts, a pause in
// between, the jukebox's keys, the exit back to stage 1.
PlayTable StageFourPlay();
