#!/bin/sh
# The game in a real window, played as a new user would try the developer
# keys: 1, 2, 3, 4 and 1 again, a second apart, then closed. It must end
# cleanly and leave ../Errors.txt empty.
# Usage: RunStagesWindowed.sh <game executable> <run tree>
game="$1"
tree="$2"
command -v xdotool >/dev/null 2>&1 || { echo "xdotool is missing"; exit 77; }
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null 2>&1 || { echo "no display and no xvfb-run"; exit 77; }
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
rm -f "$tree/Errors.txt"
# A sanitizer build lists the leak suppressions it used on the error stream,
# which is the game's log: that list is no game error.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"
cd "$tree/bin" || exit 1
SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null "$game" -windowed -width:320 -height:240 &
pid=$!
window=$(timeout 60 xdotool search --sync --name Quorvalith | head -n 1)
if [ -z "$window" ]; then
  kill "$pid" 2>/dev/null
  echo "the game's window never showed"
  exit 1
fi
for key in 1 2 3 4 1; do
  sleep 1
  xdotool windowfocus --sync "$window" key "$key" || echo "could not press $key"
done
sleep 1
# The framework turns the terminate signal into a quit, as closing the window does.
kill -TERM "$pid"
wait "$pid"
result=$?
if [ "$result" -ne 0 ]; then
  echo "the game exited with $result"
  exit 1
fi
if [ -s "$tree/Errors.txt" ]; then
  echo "../Errors.txt is not empty:"
  cat "$tree/Errors.txt"
  exit 1
fi
echo "stages 1, 2, 3, 4, 1 through the keys; ../Errors.txt empty"
