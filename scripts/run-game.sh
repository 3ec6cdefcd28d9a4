#!/usr/bin/env bash
# Builds the game with its data and runs it from the run tree. Uses a real
# window when a display exists, otherwise SDL's offscreen driver.
# Extra arguments go to the game (framework switches such as -windowed).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target Lumveran lv_data
cd "$root/build/game/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
  echo "No display: running offscreen."
fi
exec ./Lumveran "$@"
