# Shared by ./run, scripts/demo.sh, scripts/e2e.sh and scripts/wine-prefix.sh
# (sourced, not run). Picks the Windows build that can run here and Wine's
# programs for it, builds targets in it, runs a private Xvfb display and makes
# the Wine prefix.

# The 32-bit build where this machine can run 32-bit Wine, else the 64-bit
# build of the same sources (some VM kernels refuse 32-bit programs). Without
# Wine nothing runs them, and the 32-bit build is the one.
choose_run_preset() {
  RUN_PRESET=mingw-i686
  if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    RUN_PRESET=mingw-x86_64
  fi
  RUN_BUILD=$ROOT/build/$RUN_PRESET
}

# The one place that picks Wine's programs for a build: WINE_LOADER and
# WINE_SERVER for a preset (mingw-i686, mingw-x86_64) or a WINEARCH (win32,
# win64). Debian ships the 64-bit server as wineserver64 where both are installed.
wine_tools() {
  case "$1" in
    *x86_64* | win64)
      WINE_LOADER=/usr/lib/wine/wine64
      WINE_SERVER=wineserver
      [ -x /usr/lib/wine/wineserver64 ] && WINE_SERVER=/usr/lib/wine/wineserver64
      ;;
    *)
      WINE_LOADER=/usr/lib/wine/wine
      WINE_SERVER=wineserver
      ;;
  esac
}

# Builds targets of a preset, configuring the build folder first when it has
# none yet (once configured, the build itself reruns CMake when needed).
build_targets() {  # build_targets PRESET TARGET...
  local preset=$1
  shift
  [ -f "$ROOT/build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build "$ROOT/build/$preset" --target "$@" >/dev/null
}

# The prefix with Wine's fonts, so the window draws as on Windows.
ensure_wine_prefix() {
  "$ROOT/scripts/wine-prefix.sh" "$RUN_BUILD"
}

# Starts Xvfb on a free display number from $1 on (screen size $2, default
# 1024x768) and exports DISPLAY.
PRIVATE_XVFB_PID=""
start_private_display() {
  local n=${1:-80} size=${2:-1024x768}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  PRIVATE_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}
stop_private_display() {
  if [ -n "$PRIVATE_XVFB_PID" ]; then kill "$PRIVATE_XVFB_PID" 2>/dev/null || true; fi
  PRIVATE_XVFB_PID=""
}

# Waits up to $2 tenths of a second for a window whose name matches $1; prints its id.
wait_for_window() {
  local id=""
  for _ in $(seq 1 "${2:-300}"); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The wineserver of the prefix, waited for so the next run starts clean.
wine_server_wait() {
  wine_tools "$RUN_PRESET"
  WINEPREFIX="$RUN_BUILD/wineprefix" "$WINE_SERVER" -w 2>/dev/null || true
}

# Runs a Windows program in a Wine virtual desktop, which draws the title bar
# and border itself, so no window manager is needed; once the "Plumvane"
# window shows and has painted, saves a PNG of the desktop and closes the
# window the way a user would (Alt+F4), which ends the desktop too. The
# desktop is 600 x 360 unless DESKTOP_SIZE says otherwise; WINE_RUN may name
# another wine-run.sh (one with a prefix of its own). With SHOT_WIDTH set,
# the picture waits until the window's client area is that wide (actions on
# the command line that resize it have run).
#   screenshot_in_desktop DESKTOP_NAME OUT.png EXE [ARG...]
screenshot_in_desktop() {
  local desktop=$1 out=$2
  shift 2
  mkdir -p "$(dirname "$out")"
  "${WINE_RUN:-$RUN_BUILD/wine-run.sh}" explorer "/desktop=$desktop,${DESKTOP_SIZE:-600x360}" "$@" \
    >/dev/null 2>&1 &
  local app=$!
  local desk="" win WIDTH=""
  if ! win=$(wait_for_window '^Plumvane$' 300); then
    echo "the window did not appear" >&2
  elif ! desk=$(wait_for_window "^$desktop - Wine desktop\$" 50); then
    echo "no Wine desktop" >&2
  fi
  if [ -z "$desk" ]; then
    kill "$app" 2>/dev/null || true
    return 1
  fi
  for _ in $(seq 1 300); do
    [ -z "${SHOT_WIDTH:-}" ] && break
    eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
    [ "$WIDTH" = "$SHOT_WIDTH" ] && break
    sleep 0.1
  done
  sleep 1.5  # let the controls paint
  import -window "$desk" "$out"
  xdotool key --window "$desk" alt+F4 >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  kill "$app" 2>/dev/null || true
}
