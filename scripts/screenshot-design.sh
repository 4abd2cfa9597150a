#!/usr/bin/env bash
# Shows the main window as its design creates it, under Wine in a private
# virtual X display, saves a PNG of the window and prints the PNG's path.
#   scripts/screenshot-design.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${1:-$ROOT/build/screenshots/design.png}
mkdir -p "$(dirname "$OUT")"

# The 32-bit build where this machine can run 32-bit Wine, else the 64-bit one.
preset=mingw-i686
cmake --preset "$preset" >/dev/null
if ! "build/$preset/wine-run.sh" --version >/dev/null 2>&1; then
  preset=mingw-x86_64
  cmake --preset "$preset" >/dev/null
fi
BUILD=$ROOT/build/$preset
cmake --build "$BUILD" --target plumvane-design-preview >/dev/null
EXE=$BUILD/src/app/plumvane-design-preview.exe

XVFB_PID=""
APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

n=70
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$n"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

if [ ! -f "$BUILD/wineprefix/system.reg" ]; then
  "$BUILD/wine-run.sh" wineboot -i >/dev/null 2>&1 || true
fi

# A Wine virtual desktop draws the title bar and border itself, so no window
# manager is needed; the window opens at its top-left corner.
DESKTOP=plumvane-design
"$BUILD/wine-run.sh" explorer "/desktop=$DESKTOP,600x360" "$EXE" >/dev/null 2>&1 &
APP_PID=$!

shown=""
for _ in $(seq 1 300); do
  shown=$(xdotool search --name '^Plumvane$' 2>/dev/null | head -n 1 || true)
  [ -n "$shown" ] && break
  sleep 0.1
done
desk=$(xdotool search --name "^$DESKTOP - Wine desktop\$" 2>/dev/null | head -n 1 || true)
if [ -z "$shown" ] || [ -z "$desk" ]; then
  echo "screenshot-design.sh: the window did not appear" >&2
  exit 1
fi
sleep 1  # let the controls paint
import -window "$desk" "$OUT"

# Close the window the way a user would; the desktop ends with it.
xdotool key --window "$desk" alt+F4 >/dev/null 2>&1 || true
for _ in $(seq 1 50); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
echo "$OUT"
