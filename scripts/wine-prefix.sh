#!/usr/bin/env bash
# Makes the Wine prefix of a Windows build folder, or brings an older one up
# to date, so that Wine draws as Windows does:
#   scripts/wine-prefix.sh BUILD_DIR
# - Wine's own fonts (Debian's fonts-wine) in the prefix's C:\windows\Fonts:
#   this Wine does not look in /usr/share/wine/fonts, and without them the
#   title bar has no Marlett (its buttons show as letters) and there is no
#   MS Sans Serif;
# - "Microsoft Sans Serif", the font the window asks for, drawn in Wine's
#   metric-compatible "MS Sans Serif" rather than a wider Unix font.
# The prefix's folder is BUILD_DIR/wineprefix; BUILD_DIR/wine-run.sh runs Wine in it.
set -euo pipefail
dir=$(cd "$1" && pwd)
prefix=$dir/wineprefix
fonts=/usr/share/wine/fonts
if [ ! -d "$fonts" ]; then
  echo "wine-prefix.sh: $fonts is missing (apt-get install fonts-wine)" >&2
  exit 1
fi
if [ ! -f "$prefix/system.reg" ]; then
  "$dir/wine-run.sh" wineboot -i >/dev/null 2>&1 || true
fi
# Done once; the mark is the substitute in the registry file.
if grep -q '^"Microsoft Sans Serif"="MS Sans Serif"' "$prefix/system.reg" 2>/dev/null; then
  exit 0
fi
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$fonts"/* "$prefix/drive_c/windows/Fonts/"
"$dir/wine-run.sh" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'Microsoft Sans Serif' /t REG_SZ /d 'MS Sans Serif' /f >/dev/null 2>&1
# Wine writes its registry files when its server ends.
. "$(dirname "$0")/wine-common.sh"
wine_tools "$(sed -n 's/^export WINEARCH=//p' "$dir/wine-run.sh")"
WINEPREFIX=$prefix "$WINE_SERVER" -w 2>/dev/null || true
if ! grep -q '^"Microsoft Sans Serif"="MS Sans Serif"' "$prefix/system.reg"; then
  echo "wine-prefix.sh: the font substitute did not reach $prefix/system.reg" >&2
  exit 1
fi
