#!/usr/bin/env bash
# End-to-end tests under Wine in a private Xvfb display:
#   - the executables' resources, imported DLLs and security flags, read back
#     from the shipped 32-bit file, its 64-bit build and the demo;
#   - plumvane-cli.exe: its file, and the program under Wine on Wine's disks
#     (help, version, usage error, list as text, JSON and numbers, a missing
#     disk, a non-ASCII argument redirected and on a console, cmd's for /f);
#   - plumvane.exe starts, shows its window, rescans on F5 and ends with exit
#     code 0 when Close is clicked (real X input through xdotool);
#   - the interactive demo shows a real message box for a refused write;
#   - without administrator rights (a simulated unelevated process), a click
#     asks to start as administrator; Yes starts the demo again with runas,
#     the first window ends with exit code 0 and the second one writes;
#   - plumvane-sim.exe --out reports the same state as plumvane-headless for
#     every kept window case and the cases of tests/e2e/cases.json;
#   - at 96, 120, 144 and 192 DPI (a Wine prefix each): the design in pixels,
#     the rows, the scroll range, the headings and Close, the client area,
#     Escape, and a screenshot each cropped to the window
#     (build/artifacts/demo-<dpi>dpi.png);
#   - a screenshot of the demo, kept as build/artifacts/demo.png, the same
#     pixels as docs/demo.png.
# Runs the Windows build this machine can execute (32-bit where it can, else
# the 64-bit build of the same sources). Exits non-zero when a test fails.
#   scripts/e2e.sh [GROUP...]   the groups named (default: all), in this order:
#     resources cli window demo elevate cases dpi screenshot
#   scripts/e2e.sh --groups     lists them
# Each group is a CTest test of its own (e2e.<group>, label e2e), so a failure
# names its group.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/wine-common.sh

PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); echo "  ok    $*"; }
fail() { FAILED=$((FAILED + 1)); echo "  FAIL  $*"; }
# Counts the "PASS <what>" and "FAIL <what>: <why>" lines of a check script
# on standard input; any other line is a failure too.
verdicts() {
  local line
  while IFS= read -r line; do
    case "$line" in
      PASS\ *) pass "${line#PASS }" ;;
      *) fail "${line#FAIL }" ;;
    esac
  done
}

GROUPS_ALL=(resources cli window demo elevate cases dpi screenshot)
# tests/CMakeLists.txt registers one CTest test for each group listed here.
if [ "${1:-}" = --groups ]; then
  echo "${GROUPS_ALL[*]}"
  exit 0
fi
GROUPS_RUN=("$@")
[ ${#GROUPS_RUN[@]} -gt 0 ] || GROUPS_RUN=("${GROUPS_ALL[@]}")
for group in "${GROUPS_RUN[@]}"; do
  if [[ " ${GROUPS_ALL[*]} " != *" $group "* ]]; then
    echo "usage: scripts/e2e.sh [GROUP...]; groups: ${GROUPS_ALL[*]}" >&2
    exit 2
  fi
done

# Each group's own work folder, so groups run alone leave the others' files.
WORK_ROOT=$ROOT/build/e2e
ARTIFACTS=$ROOT/build/artifacts
WORK=""
APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; fi
  stop_private_display
}
trap cleanup EXIT
# Ends the program under test, if it still runs, and lets Wine settle.
end_app() {
  kill "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
  wine_server_wait
}
# Clicks at a screen position until the app's process ends (a second try for
# a click X delivered before the window took input), waiting 10 s each time.
click_until_gone() {
  for _ in 1 2; do
    xdotool mousemove "$1" "$2" click 1
    for _ in $(seq 1 100); do
      kill -0 "$APP_PID" 2>/dev/null || return 0
      sleep 0.1
    done
  done
}

# --- the executables' resources, imports and security flags -----------------------
group_resources() {
  # The shipped 32-bit file, its 64-bit build and the demo that runs here.
  echo "e2e: resources, imports and flags of the Windows executables"
  verdicts < <(cd build && python3 ../tests/e2e/check_resources.py mingw-i686/src/app/plumvane.exe \
             mingw-x86_64/src/app/plumvane.exe mingw-i686/src/app/plumvane-cli.exe \
             mingw-x86_64/src/app/plumvane-cli.exe "$RUN_PRESET/src/app/plumvane-sim.exe")
}

# --- plumvane-cli ------------------------------------------------------------------
group_cli() {
  echo "e2e: plumvane-cli (the 32-bit file; $RUN_PRESET under Wine; native on a scenario)"
  verdicts < <(python3 tests/e2e/check_cli.py "$ROOT/build/mingw-i686/src/app/plumvane-cli.exe" \
             "$RUN_BUILD/wine-run.sh" "$RUN_BUILD/src/app/plumvane-cli.exe" \
             "$ROOT/build/native/src/app/plumvane-cli" "$ROOT/tests/scenarios")
  wine_server_wait
}

# --- plumvane.exe on this machine -------------------------------------------------
group_window() {
  echo "e2e: plumvane.exe ($RUN_PRESET) under Wine"
  # Wine's file trace shows every open of a physical drive, so a rescan can be
  # seen from outside: each scan tries drives 0 to 99.
  drive_opens() { grep -c 'CreateFileW L"\\\\\\\\.\\\\PHYSICALDRIVE' "$WORK/plumvane-trace.txt" 2>/dev/null || true; }
  (
    export WINEPREFIX="$RUN_BUILD/wineprefix" WINEDEBUG=-all,trace+file
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    "$WINE_LOADER" "$RUN_BUILD/src/app/plumvane.exe" >/dev/null 2>"$WORK/plumvane-trace.txt"
    echo $? >"$WORK/plumvane-exit.txt"
  ) &
  APP_PID=$!
  if win=$(wait_for_window '^Plumvane$' 300); then
    pass "the window \"Plumvane\" appears"
    # Without a window manager the X window is the client area: the design's
    # 8850 x 4785 twips at 96 DPI.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    if [ "$WIDTH" = 590 ] && [ "$HEIGHT" = 319 ]; then
      pass "its client area is 590 x 319 pixels"
    else
      fail "its client area is ${WIDTH}x${HEIGHT}, not 590x319"
    fi
    # Wine hands the window's icon to X as _NET_WM_ICON.
    # It may come a moment after the window is mapped.
    icon=""
    for _ in $(seq 1 50); do
      xprop -id "$win" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (32 x 32)' && { icon=1; break; }
      sleep 0.1
    done
    if [ -n "$icon" ]; then
      pass "the window shows a 32 x 32 icon"
    else
      fail "the window has no icon"
    fi
    sleep 1
    import -window "$win" "$WORK/plumvane.png"
    # The list frame, the Close button and the header labels draw more than a
    # flat background in their areas.
    colours() { convert "$WORK/plumvane.png" -crop "$1" +repage -format %k info:; }
    if [ "$(colours 82x26+254+289)" -gt 2 ] && [ "$(colours 585x263+2+20)" -gt 2 ] \
       && [ "$(colours 590x18+0+0)" -gt 1 ]; then
      pass "its controls are drawn (list frame, labels, Close)"
    else
      fail "its controls are not drawn (see $WORK/plumvane.png)"
    fi
    before=$(drive_opens)
    after=$before
    # A key press sent while X still gives the focus elsewhere is lost; one
    # more try tells that apart from a window that ignores F5.
    for _ in 1 2; do
      xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
      xdotool key F5
      for _ in $(seq 1 50); do
        after=$(drive_opens)
        [ "$after" -gt "$before" ] && break
        sleep 0.1
      done
      [ "$after" -gt "$before" ] && break
    done
    # The scan goes on after its first open: wait until it has tried all 100.
    for _ in $(seq 1 50); do
      after=$(drive_opens)
      [ "$after" -ge $((before + 100)) ] && break
      sleep 0.1
    done
    if [ "$before" -ge 100 ] && [ "$after" -ge $((before + 100)) ] && kill -0 "$APP_PID" 2>/dev/null \
       && xdotool search --name '^Plumvane$' >/dev/null 2>&1; then
      pass "F5 scans drives 0 to 99 again ($before then $after opens); the window stays"
    else
      fail "F5: $before then $after drive opens"
    fi
    # Close's centre: left 254, top 289, 82 x 26 pixels in the client area.
    click_until_gone "$((X + 295))" "$((Y + 302))"
    if kill -0 "$APP_PID" 2>/dev/null; then
      fail "the Close button did not end the process"
    else
      code=$(cat "$WORK/plumvane-exit.txt" 2>/dev/null || echo none)
      [ "$code" = 0 ] && pass "the Close button ends the process with exit code 0" \
                      || fail "after Close the exit code is $code"
    fi
  else
    fail "the window \"Plumvane\" did not appear"
  fi
  end_app
}

# --- the interactive demo: real message boxes -------------------------------------------
group_demo() {
  echo "e2e: plumvane-sim.exe (interactive) under Wine"
  # Where the window puts the WriteCacheEnableOverride box of row 3 (the
  # Verbatim stick, whose write is refused), from the in-memory window's layout:
  # the list frame with its 2-pixel sunken border, then the list pane.
  box=$(cd tests && "$HEADLESS" scenarios/demo.json | python3 -c '
import json, sys
c = {(x["name"], x["index"]): x for x in json.load(sys.stdin)["controls"]}
f, p, b = c[("picListFrame", None)], c[("picList", None)], c[("chkWCEO", 3)]
print(f["left"] + 2 + p["left"] + b["left"] + b["width"] // 2,
      f["top"] + 2 + p["top"] + b["top"] + b["height"] // 2)')
  (
    cd tests
    "$RUN_BUILD/wine-run.sh" "$RUN_BUILD/src/app/plumvane-sim.exe" scenarios/demo.json >/dev/null 2>&1
    echo $? >"$WORK/sim-exit.txt"
  ) &
  APP_PID=$!
  if win=$(wait_for_window '^Plumvane$' 300); then
    eval "$(xdotool getwindowgeometry --shell "$win")"
    read -r bx by <<<"$box"
    xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
    sleep 1  # let the rows paint before they are clicked
    # A click X delivers before the window takes input is lost; a second try
    # tells that apart from a box that shows nothing (a box already shown is
    # modal, so the second click reaches nothing).
    msg=""
    for _ in 1 2; do
      xdotool mousemove "$((X + bx))" "$((Y + by))" click 1
      msg=$(wait_for_window '^Error$' 100) && break
    done
    if [ -n "$msg" ]; then
      pass "a click on the refused disk's box shows a real message box \"Error\""
      xdotool windowfocus --sync "$msg" >/dev/null 2>&1 || true
      xdotool key Return
      gone=""
      for _ in $(seq 1 50); do
        xdotool search --name '^Error$' >/dev/null 2>&1 || { gone=1; break; }
        sleep 0.1
      done
      [ -n "$gone" ] && pass "Return answers it" || fail "the message box stays after Return"
    else
      fail "no message box after a click on the refused disk's box"
    fi
    sleep 0.5
    click_until_gone "$((X + 295))" "$((Y + 302))"
    code=$(cat "$WORK/sim-exit.txt" 2>/dev/null || echo "none (still running)")
    [ "$code" = 0 ] && pass "Close ends the demo with exit code 0" || fail "Close: exit code $code"
  else
    fail "the demo's window did not appear"
  fi
  end_app
}

# --- the start as administrator -------------------------------------------------------
# Wine gives every program a full administrator token, and its runas starts the
# program with that same token: the real token cannot tell the two windows
# apart. The scenario makes the first process unelevated; the demo passes
# --elevated to the process it starts, which the second click shows.
group_elevate() {
  echo "e2e: plumvane-sim.exe (interactive) without administrator rights, and Yes"
  local scenario=scenarios/window/unelevated.json
  box=$(cd tests && "$HEADLESS" "$scenario" | python3 -c '
import json, sys
c = {(x["name"], x["index"]): x for x in json.load(sys.stdin)["controls"]}
f, p, b = c[("picListFrame", None)], c[("picList", None)], c[("chkHPD", 0)]
print(f["left"] + 2 + p["left"] + b["left"] + b["width"] // 2,
      f["top"] + 2 + p["top"] + b["top"] + b["height"] // 2)')
  read -r bx by <<<"$box"
  (
    cd tests
    "$RUN_BUILD/wine-run.sh" "$SIM" "$scenario" >/dev/null 2>&1
    echo $? >"$WORK/first-exit.txt"
  ) &
  APP_PID=$!
  # Clicks the box until a box "Error" comes (a click X delivers before the
  # window takes input is lost); prints its id.
  click_for_box() {
    local msg
    for _ in 1 2; do
      xdotool mousemove "$((X + bx))" "$((Y + by))" click 1
      msg=$(wait_for_window '^Error$' "${1:-100}") && { echo "$msg"; return 0; }
    done
    return 1
  }
  if ! win=$(wait_for_window '^Plumvane$' 300); then
    fail "the demo's window did not appear"
    end_app
    return
  fi
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
  sleep 1
  if ! msg=$(click_for_box); then
    fail "no question after a click without administrator rights"
    end_app
    return
  fi
  pass "a click without administrator rights asks in a box \"Error\""
  xdotool windowfocus --sync "$msg" >/dev/null 2>&1 || true
  # Y answers Yes; Return would take No, the default.
  xdotool key y
  for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  code=$(cat "$WORK/first-exit.txt" 2>/dev/null || echo "none (still running)")
  [ "$code" = 0 ] && pass "after Yes the first window ends with exit code 0" \
                  || fail "after Yes the first window's exit code is $code"
  APP_PID=""
  if second=$(wait_for_window '^Plumvane$' 300); then
    pass "a second window appears, started with runas"
    eval "$(xdotool getwindowgeometry --shell "$second")"
    xdotool windowfocus --sync "$second" >/dev/null 2>&1 || true
    sleep 1
    if msg=$(click_for_box 30); then
      fail "the second window asks again: it is not elevated"
      xdotool windowfocus --sync "$msg" >/dev/null 2>&1 || true
      xdotool key n
    else
      pass "the second window is elevated: the same click writes without a box"
    fi
    # Close: left 254, top 289, 82 x 26 pixels in the client area.
    for _ in 1 2; do
      xdotool mousemove "$((X + 295))" "$((Y + 302))" click 1
      for _ in $(seq 1 50); do xdotool search --name '^Plumvane$' >/dev/null 2>&1 || break; sleep 0.1; done
      xdotool search --name '^Plumvane$' >/dev/null 2>&1 || break
    done
    if xdotool search --name '^Plumvane$' >/dev/null 2>&1; then
      fail "the second window stays after Close"
    else
      pass "Close ends the second window"
    fi
  else
    fail "no second window after Yes"
  fi
  # The second process is Wine's child, not this script's: whatever of it is
  # left ends with the prefix's server.
  WINEPREFIX="$RUN_BUILD/wineprefix" "$WINE_SERVER" -k 2>/dev/null || true
  wine_server_wait
}

# --- the real window against the in-memory one --------------------------------------------
group_cases() {
  echo "e2e: plumvane-sim.exe --out against plumvane-headless"
  cases() {
    python3 - "$@" <<'PY'
import json, sys
for manifest in sys.argv[1:]:
    try:
        data = json.load(open(manifest))
    except (OSError, ValueError):
        continue
    for case in data.get("cases", []):
        print("\t".join([case["name"], case["scenario"], *case.get("actions", [])]))
PY
  }
  while IFS=$'\t' read -r -a fields; do
    name=${fields[0]}
    scenario=${fields[1]}
    actions=("${fields[@]:2}")
    label="$name: $scenario ${actions[*]}"
    (cd tests && "$HEADLESS" "$scenario" "${actions[@]}" >"$WORK/$name.headless.json" 2>/dev/null)
    (cd tests && timeout 120 "$RUN_BUILD/wine-run.sh" "$SIM" "$scenario" --out "$WORK/$name.sim.json" \
       "${actions[@]}" >/dev/null 2>"$WORK/$name.sim.err")
    code=$?
    if [ "$code" = 3 ]; then
      fail "$label: the real controls differ from what the toolkit reports"
      sed 's/^/  /' "$WORK/$name.sim.err"
    elif [ "$code" != 0 ] || [ ! -s "$WORK/$name.sim.json" ]; then
      fail "$label: plumvane-sim.exe exited with $code"
    elif diffs=$(python3 tests/e2e/compare_state.py "$WORK/$name.headless.json" "$WORK/$name.sim.json"); then
      pass "$label"
    else
      fail "$label"
      echo "$diffs"
    fi
  done < <(cases tests/scenarios/window/manifest.json tests/e2e/cases.json)
  wine_server_wait
}

# plumvane-sim.exe in the prefix of DIR on SCENARIO with the list scrolled to
# its end, then ACTIONs; the window checked at DPI (tests/e2e/check_dpi.py),
# each line beginning with LABEL. Work files DIR/NAME.*.
#   check_scrolled DIR DPI LABEL SCENARIO NAME [ACTION...]
check_scrolled() {
  local dir=$1 dpi=$2 label=$3 scenario=$4 name=$5 code
  shift 5
  (cd tests && timeout 120 "$dir/wine-run.sh" "$SIM" "$scenario" --out "$dir/$name.json" \
     scroll:999 "$@" >/dev/null 2>"$dir/$name.err")
  code=$?
  if [ "$code" != 0 ] || [ ! -s "$dir/$name.json" ]; then
    fail "$label: plumvane-sim.exe exited with $code"
    sed 's/^/  /' "$dir/$name.err"
  else
    grep 'caption cut' "$dir/$name.err" >"$dir/$name.cut.txt" || true
    verdicts < <(python3 tests/e2e/check_dpi.py "$dpi" "$dir/$name.json" "$dir/$name.cut.txt" "$label")
  fi
}

# In the 144 DPI prefix of group_dpi: a window started at 96 DPI (its scenario
# says so) and sent a change to 144, as when it moves to another monitor,
# against the one started at 144: the same state, the checks of its DPI
# after scrolling, and the same picture (SHOT144) pixel for pixel.
dpi_change_from_96() {
  local dir=$1 shot144=$2 name code
  for name in window/sixteen-usb demo; do
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); d["dpi"] = 96; json.dump(d, open(sys.argv[2], "w"))' \
      "tests/scenarios/$name.json" "$dir/$(basename "$name")-at-96.json"
  done
  (cd tests && timeout 120 "$dir/wine-run.sh" "$SIM" scenarios/window/sixteen-usb.json \
     --out "$dir/started.json" >/dev/null 2>&1)
  (cd tests && timeout 120 "$dir/wine-run.sh" "$SIM" "$dir/sixteen-usb-at-96.json" \
     --out "$dir/changed.json" dpi:144 >/dev/null 2>"$dir/changed.err")
  code=$?
  if [ "$code" != 0 ]; then
    fail "96 to 144 DPI: plumvane-sim.exe exited with $code"
    sed 's/^/  /' "$dir/changed.err"
  elif diffs=$(python3 tests/e2e/compare_state.py "$dir/started.json" "$dir/changed.json"); then
    pass "96 to 144 DPI: the state of the window started at 144"
  else
    fail "96 to 144 DPI: the state differs from the window started at 144"
    echo "$diffs"
  fi
  check_scrolled "$dir" 144 "96 to 144 DPI, scrolled" "$dir/sixteen-usb-at-96.json" \
    changed-scrolled dpi:144
  local shot=$ARTIFACTS/demo-96to144dpi.png
  # The desktop of the screenshot before may linger; it would keep this one's window.
  WINEPREFIX=$dir/prefix "$WINE_SERVER" -k 2>/dev/null || true
  WINEPREFIX=$dir/prefix "$WINE_SERVER" -w 2>/dev/null || true
  DESKTOP_SIZE="$(( 600 * 144 / 96 ))x$(( 360 * 144 / 96 ))" WINE_RUN="$dir/wine-run.sh" \
    SHOT_WIDTH=$(( (8850 * 144 + 720) / 1440 )) \
    screenshot_in_desktop plumvane-demo "$shot" "$SIM" "$dir/demo-at-96.json" dpi:144
  if [ -s "$shot" ]; then
    local bg
    bg=$(convert "$shot" -format '%[pixel:p{0,h-1}]' info:)
    convert "$shot" -bordercolor "$bg" -border 1 -trim +repage "$shot"
  fi
  local differ
  differ=$(compare -metric AE "$shot144" "$shot" null: 2>&1)
  [ "$differ" = 0 ] && pass "96 to 144 DPI: the same pixels as the window started at 144 ($shot)" \
    || fail "96 to 144 DPI: $differ pixels differ from $shot144 ($shot)"
}

# --- every DPI: the design's twips at the screen's DPI -----------------------------------
group_dpi() {
  echo "e2e: the window at 96, 120, 144 and 192 DPI"
  for dpi in 96 120 144 192; do
    dir=$WORK/dpi-$dpi
    prefix=$dir/prefix
    mkdir -p "$dir"
    # A prefix per DPI: hard links to the build's, with registry files of its own
    # (Wine replaces those, it does not write into them).
    wine_server_wait
    cp -al "$RUN_BUILD/wineprefix" "$prefix"
    for f in "$RUN_BUILD"/wineprefix/*.reg; do cp --remove-destination "$f" "$prefix/"; done
    sed "s|^export WINEPREFIX=.*|export WINEPREFIX=\"$prefix\"|" "$RUN_BUILD/wine-run.sh" >"$dir/wine-run.sh"
    chmod +x "$dir/wine-run.sh"
    # Wine 8 takes the screen's DPI from here (before the hardware profile's Fonts key).
    "$dir/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      >/dev/null 2>&1
    WINEPREFIX=$prefix "$WINE_SERVER" -w 2>/dev/null || true

    # The state with the list scrolled to its end: rows, range, captions.
    check_scrolled "$dir" "$dpi" "$dpi DPI" scenarios/window/sixteen-usb.json sixteen

    # The client area, then Escape closes the window.
    (cd tests && "$dir/wine-run.sh" "$SIM" scenarios/demo.json >/dev/null 2>&1; echo $? >"$dir/exit.txt") &
    APP_PID=$!
    want_w=$(( (8850 * dpi + 720) / 1440 ))
    want_h=$(( (4785 * dpi + 720) / 1440 ))
    if win=$(wait_for_window '^Plumvane$' 300); then
      eval "$(xdotool getwindowgeometry --shell "$win")"
      [ "$WIDTH" = "$want_w" ] && [ "$HEIGHT" = "$want_h" ] \
        && pass "$dpi DPI: the client area is $want_w x $want_h pixels" \
        || fail "$dpi DPI: the client area is ${WIDTH}x${HEIGHT}, not ${want_w}x${want_h}"
      sleep 0.5
      for _ in 1 2; do
        xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
        xdotool key Escape
        for _ in $(seq 1 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$APP_PID" 2>/dev/null || break
      done
      wait "$APP_PID" 2>/dev/null
      code=$(cat "$dir/exit.txt" 2>/dev/null || echo "none (still running)")
      [ "$code" = 0 ] && pass "$dpi DPI: Escape closes the window (exit code 0)" \
                      || fail "$dpi DPI: after Escape the exit code is $code"
    else
      fail "$dpi DPI: the window did not appear"
    fi
    kill "$APP_PID" 2>/dev/null || true
    APP_PID=""

    # A screenshot in a desktop scaled with the DPI.
    shot=$ARTIFACTS/demo-${dpi}dpi.png
    DESKTOP_SIZE="$(( 600 * dpi / 96 ))x$(( 360 * dpi / 96 ))" WINE_RUN="$dir/wine-run.sh" \
      screenshot_in_desktop plumvane-demo "$shot" "$SIM" "$ROOT/tests/scenarios/demo.json"
    # Cropped to the window: the desktop's colour round it goes.
    if [ -s "$shot" ]; then
      bg=$(convert "$shot" -format '%[pixel:p{0,h-1}]' info:)
      convert "$shot" -bordercolor "$bg" -border 1 -trim +repage "$shot"
    fi
    [ -s "$shot" ] && pass "$dpi DPI: screenshot $shot" || fail "$dpi DPI: no screenshot"
    [ "$dpi" = 144 ] && dpi_change_from_96 "$dir" "$shot"
    # Whatever of this prefix is left (a desktop that missed Alt+F4) ends with it.
    WINEPREFIX=$prefix "$WINE_SERVER" -k 2>/dev/null || true
  done
}

# --- the demo's screenshot --------------------------------------------------------------
group_screenshot() {
  echo "e2e: screenshot of the demo"
  if shot=$(scripts/demo.sh --screenshot "$ARTIFACTS/demo.png") && [ -s "$shot" ]; then
    size=$(identify -format '%wx%h' "$shot")
    # The rows' stripes: the even rows' and the odd rows' backgrounds both show.
    rows() { convert "$shot" -crop 560x80+12+60 +repage txt:- | grep -c -i "$1" || true; }
    even=$(rows '#F0F0F0')
    odd=$(rows '#F8F8F8')
    if [ "$size" = 600x360 ] && [ "$even" -gt 100 ] && [ "$odd" -gt 100 ]; then
      pass "demo screenshot $shot (striped rows)"
    else
      fail "demo screenshot $shot: size $size, $even even-row and $odd odd-row pixels"
    fi
    # The names screen readers get, and anything else not meant to be seen,
    # must draw nothing: the window looks as docs/demo.png shows it.
    differ=$(compare -metric AE "$shot" docs/demo.png null: 2>&1 || true)
    [ "$differ" = 0 ] && pass "the demo screenshot is docs/demo.png pixel for pixel" \
                      || fail "the demo screenshot differs from docs/demo.png in $differ pixels"
  else
    fail "the demo gave no screenshot"
  fi
}

choose_run_preset
wine_tools "$RUN_PRESET"
HEADLESS=$ROOT/build/native/src/app/plumvane-headless
SIM=$RUN_BUILD/src/app/plumvane-sim.exe
echo "e2e: building (running the $RUN_PRESET build under Wine)"
build_targets mingw-i686 plumvane plumvane-cli || { echo "e2e: the 32-bit build failed" >&2; exit 1; }
build_targets mingw-x86_64 plumvane plumvane-cli || { echo "e2e: the 64-bit build failed" >&2; exit 1; }
build_targets "$RUN_PRESET" plumvane plumvane-sim plumvane-cli || { echo "e2e: the $RUN_PRESET build failed" >&2; exit 1; }
build_targets native plumvane-headless plumvane-cli || { echo "e2e: the native build failed" >&2; exit 1; }
mkdir -p "$ARTIFACTS"
# Room for the window at 192 DPI.
start_private_display 90 1600x1200 || exit 1
ensure_wine_prefix
for group in "${GROUPS_RUN[@]}"; do
  WORK=$WORK_ROOT/$group
  rm -rf "$WORK"
  mkdir -p "$WORK"
  "group_$group"
done

echo "e2e: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
