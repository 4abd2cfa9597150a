#!/usr/bin/env bash
# Shows the main window as its design creates it, under Wine in a private
# virtual X display, saves a PNG of the window and prints the PNG's path.
#   scripts/screenshot-design.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${1:-$ROOT/build/screenshots/design.png}
mkdir -p "$(dirname "$OUT")"

. scripts/wine-common.sh

choose_run_preset
build_targets "$RUN_PRESET" plumvane-design-preview
trap stop_private_display EXIT
start_private_display 70
ensure_wine_prefix
screenshot_in_desktop plumvane-design "$OUT" "$RUN_BUILD/src/app/plumvane-design-preview.exe"
echo "$OUT"
