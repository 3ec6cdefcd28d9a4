#!/usr/bin/env bash
# Builds everything and runs the unit, GL and end-to-end tests: once plainly,
# once with AddressSanitizer (leak checking on, its default) and
# UndefinedBehaviorSanitizer (skip that with LV_NO_SANITIZE=1 for a quick local
# run). A test that must tune the sanitizers for itself does so in its own
# default options, which an ASAN_OPTIONS setting here would override.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
jobs="$(nproc)"

# Without a display the window tests get a virtual X server of their own.
x_wrap=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  x_wrap=(xvfb-run -a -s "-screen 0 1024x768x24")
fi

# LeakSanitizer's own tracer can crash while a busy process exits ("Tracer
# caught signal 11", "LeakSanitizer has encountered a fatal error"): that is
# the tool failing, not the test. When a run saw that, its failed tests run
# once more, and a test that fails for its own reasons fails again.
run_suite() {
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  local ctest_args=(--output-on-failure -j"$jobs" -L 'unit|gl|e2e' --timeout 600)
  (cd "$dir" && "${x_wrap[@]}" ctest "${ctest_args[@]}") && return 0
  grep -q "LeakSanitizer has encountered a fatal error" "$dir/Testing/Temporary/LastTest.log" || return 1
  echo "== LeakSanitizer's tracer failed: the failed tests once more =="
  (cd "$dir" && "${x_wrap[@]}" ctest "${ctest_args[@]}" --rerun-failed)
}

export LIBGL_ALWAYS_SOFTWARE=1
echo "== plain build =="
run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${LV_NO_SANITIZE:-0}" != "1" ]; then
  echo "== AddressSanitizer + UBSan build =="
  UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DLV_SANITIZE=ON -DLV_BUILD_BENCH=OFF
fi
