#!/usr/bin/env bash
# The window on the simulated demo machine (tests/scenarios/demo.json) under Wine.
#   scripts/demo.sh                 on the user's display when there is one;
#                                   otherwise in a private Xvfb, with a screenshot
#   scripts/demo.sh --screenshot [OUT.png]
#                                   always the screenshot, in a private Xvfb
# The screenshot goes to build/screenshots/demo.png unless OUT is given; its
# path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/wine-common.sh

SCENARIO=$ROOT/tests/scenarios/demo.json
OUT=$ROOT/build/screenshots/demo.png
mode=auto
if [ "${1:-}" = --screenshot ]; then
  mode=screenshot
  OUT=${2:-$OUT}
elif [ $# -gt 0 ]; then
  echo "usage: scripts/demo.sh [--screenshot [OUT.png]]" >&2
  exit 2
fi

choose_run_preset
build_targets "$RUN_PRESET" plumvane-sim
EXE=$RUN_BUILD/src/app/plumvane-sim.exe

if [ "$mode" = auto ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  ensure_wine_prefix
  echo "The demo window is open on $DISPLAY; close it to end the demo."
  exec "$RUN_BUILD/wine-run.sh" "$EXE" "$SCENARIO"
fi

APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; fi
  stop_private_display
}
trap cleanup EXIT
start_private_display 80
ensure_wine_prefix  # made on a display, as Wine prefers
mkdir -p "$(dirname "$OUT")"

# A Wine virtual desktop draws the title bar and border itself, so no window
# manager is needed; the window opens at its top-left corner.
DESKTOP=plumvane-demo
"$RUN_BUILD/wine-run.sh" explorer "/desktop=$DESKTOP,600x360" "$EXE" "$SCENARIO" >/dev/null 2>&1 &
APP_PID=$!
if ! wait_for_window '^Plumvane$' 300 >/dev/null; then
  echo "demo.sh: the window did not appear" >&2
  exit 1
fi
desk=$(wait_for_window "^$DESKTOP - Wine desktop\$" 50) || {
  echo "demo.sh: no Wine desktop" >&2
  exit 1
}
sleep 1.5  # let the rows paint
import -window "$desk" "$OUT"

# Close the window the way a user would; the desktop ends with it.
xdotool key --window "$desk" alt+F4 >/dev/null 2>&1 || true
for _ in $(seq 1 50); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
echo "$OUT"
