#!/usr/bin/env bash
# The window on the simulated demo machine (tests/scenarios/demo.json) under Wine.
#   scripts/demo.sh                 on the user's display when there is one;
#                                   otherwise in a private Xvfb, with a screenshot
#   scripts/demo.sh --screenshot [OUT.png]
#                                   always the screenshot, in a private Xvfb
#   scripts/demo.sh --question [OUT.png]
#                                   the screenshot of a click without administrator
#                                   rights: the window and its question
# The screenshot goes to docs/demo.png (the README's picture), for --question to
# docs/elevation-question.png, unless OUT is given; its path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/wine-common.sh

SCENARIO=$ROOT/tests/scenarios/demo.json
OUT=$ROOT/docs/demo.png
ACTIONS=()
mode=auto
if [ "${1:-}" = --screenshot ]; then
  mode=screenshot
  OUT=${2:-$OUT}
elif [ "${1:-}" = --question ]; then
  # The click happens as the window opens; its question box stays up for the picture.
  mode=screenshot
  SCENARIO=$ROOT/tests/scenarios/window/unelevated.json
  ACTIONS=(click:chkHPD:0)
  OUT=${2:-$ROOT/docs/elevation-question.png}
elif [ $# -gt 0 ]; then
  echo "usage: scripts/demo.sh [--screenshot [OUT.png] | --question [OUT.png]]" >&2
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

trap stop_private_display EXIT
start_private_display 80
ensure_wine_prefix  # made on a display, as Wine prefers
screenshot_in_desktop plumvane-demo "$OUT" "$EXE" "$SCENARIO" "${ACTIONS[@]}"
echo "$OUT"
